// Default feature-file names and name endings.
#include "recordings/output_name.h"

#include <gtest/gtest.h>

namespace {

TEST(DefaultOutputName, ReplacesTheLastFourCharacters) {
  const std::pair<const char*, const char*> cases[] = {
      {"walk01.csv", "walk01_JUX.csv"},
      {"walk01.dat", "walk01_JUX.csv"},
      {"data/walk01.bin", "data/walk01_JUX.csv"},
      {"./sub/x.csv", "./sub/x_JUX.csv"},
      {"abcd", "_JUX.csv"},
      // A file name shorter than four characters keeps it whole and stays beside the input.
      {"data/a.b", "data/a.b_JUX.csv"},
      {"abc", "abc_JUX.csv"},
      {"dir.d/ab", "dir.d/ab_JUX.csv"},
  };
  for (const auto& [input, output] : cases) EXPECT_EQ(DefaultOutputName(input), output) << input;
}

TEST(EndsWith, WholeEndingsCaseSensitive) {
  EXPECT_TRUE(EndsWith("a.csv", ".csv"));
  EXPECT_TRUE(EndsWith(".csv", ".csv"));
  EXPECT_FALSE(EndsWith("csv", ".csv"));
  EXPECT_FALSE(EndsWith("a.CSV", ".csv"));
  EXPECT_TRUE(EndsWith("a_JUX.csv", kFeatureSuffix));
  EXPECT_FALSE(EndsWith("a_jux.csv", kFeatureSuffix));
}

}  // namespace
