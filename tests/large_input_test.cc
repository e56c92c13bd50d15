// Inputs far larger than any buffer: a 200 MB line and a 1 GB run of commas.
// They finish with the right feature file; the memory they take is measured
// by bench/run.sh, not here.  Labelled "large": CI runs them once, outside
// the sanitizer pass.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/run_program.h"
#include "tests/test_util.h"

namespace {

using testutil::Lines;
using testutil::ReadFile;
using testutil::RunProgram;
using testutil::RunResult;
using testutil::TempDir;
namespace fs = std::filesystem;

// Writes head, then `count` bytes of `fill`, then tail.
void WriteLarge(const fs::path& path, const std::string& head, char fill, size_t count, const std::string& tail) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(head.data(), 1, head.size(), f);
  const std::string block(1 << 20, fill);
  for (size_t left = count; left > 0;) {
    const size_t n = left < block.size() ? left : block.size();
    std::fwrite(block.data(), 1, n, f);
    left -= n;
  }
  std::fwrite(tail.data(), 1, tail.size(), f);
  ASSERT_EQ(std::fclose(f), 0);
}

TEST(LargeInputTest, LineOf200MegabytesWithoutALineFeed) {
  TempDir dir;
  WriteLarge(dir.path() / "long.csv", "h\n5,0,0,-8192,0,0,7,", 'x', size_t{200} << 20, "");
  RunResult r = RunProgram(BRELVIK_PROGRAM, {"long.csv"}, dir.path());
  EXPECT_EQ(r.status, 0) << r.err;
  const auto lines = Lines(ReadFile(dir.path() / "long_JUX.csv"));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].substr(0, 17), "0,0,0,-8192,0,0,7");
  fs::remove(dir.path() / "long.csv");
  // The same junk inside the last value's field: its conversion stops at once.
  WriteLarge(dir.path() / "long.csv", "5,0,0,-8192,0,0,7", '9', size_t{200} << 20, "\n6,0,0,-8192,0,0,1\n");
  r = RunProgram(BRELVIK_PROGRAM, {"long.csv"}, dir.path());
  EXPECT_EQ(r.status, 0) << r.err;
  const auto second = Lines(ReadFile(dir.path() / "long_JUX.csv"));
  ASSERT_EQ(second.size(), 3u);
  EXPECT_EQ(second[1].substr(0, 19), "0,0,0,-8192,0,0,-1,");  // saturated at 2^31 - 1, cut to 16 bits
  EXPECT_NE(r.err.find("1 value(s) outside -32768..32767"), std::string::npos) << r.err;
}

TEST(LargeInputTest, GigabyteOfCommas) {
  TempDir dir;
  WriteLarge(dir.path() / "commas.csv", "1", ',', size_t{1} << 30, "\n2,0,0,-8192,0,0,0\n");
  RunResult r = RunProgram(BRELVIK_PROGRAM, {"commas.csv"}, dir.path());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Lines(ReadFile(dir.path() / "commas_JUX.csv")).size(), 2u);
  EXPECT_NE(r.err.find("1 data line(s) with fewer than 7 fields skipped"), std::string::npos) << r.err;
}

}  // namespace
