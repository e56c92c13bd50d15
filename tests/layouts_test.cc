// The configuration examples of the README, read from the README itself,
// each run on a small recording of its layout.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "tests/run_program.h"
#include "tests/test_util.h"

namespace {

using testutil::Fields;
using testutil::Lines;
using testutil::ReadFile;
using testutil::RunProgram;
using testutil::RunResult;
using testutil::TempDir;
using testutil::WriteFile;

// The code block after each "<!-- layout: NAME -->" line.
std::map<std::string, std::string> ReadmeLayouts() {
  std::map<std::string, std::string> layouts;
  const auto lines = Lines(ReadFile(std::string(BRELVIK_SOURCE_DIR) + "/README.md"));
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string marker = "<!-- layout: ";
    if (lines[i].rfind(marker, 0) != 0) continue;
    const std::string name = lines[i].substr(marker.size(), lines[i].find(" -->") - marker.size());
    std::string block;
    size_t j = i + 1;
    if (j < lines.size() && lines[j].rfind("```", 0) == 0) {
      for (++j; j < lines.size() && lines[j].rfind("```", 0) != 0; ++j) block += lines[j] + "\n";
    }
    layouts[name] = block;
  }
  return layouts;
}

struct Layout {
  const char* name;
  std::string recording;
  // Expected start of each row: seqno and the six stored counts.
  std::vector<std::vector<int>> samples;
  int firstLpfAcc;  // -1: not checked
};

TEST(ReadmeLayouts, EachExampleReadsItsLayout) {
  const auto layouts = ReadmeLayouts();
  const Layout cases[] = {
      {"timestamp-real",
       "time_s,ax,ay,az,gx,gy,gz\n0.00,0.0,0.01,-1.0,0.0,-2.5,100.0\n0.02,0.5,0,-0.75,1,0,0\n",
       {{0, 0, 81, -8192, 0, -163, 6553}, {0, 4096, 0, -6144, 65, 0, 0}},
       -1},
      {"seqno-timestamp-real",
       "seq,time_s,ax,ay,az,gx,gy,gz\n17,0.00,0.0,0.0,-1.0,0.0,0.0,100.0\n18,0.02,1,0,0,0,0,0\n",
       {{17, 0, 0, -8192, 0, 0, 6553}, {18, 8192, 0, 0, 0, 0, 0}},
       -1},
      {"integer-scaled", "seqno,ax,ay,az,gx,gy,gz\n1,0,128,-256,0,0,3277\n", {{0, 0, 4096, -8192, 0, 0, 6554}}, -1},
      // 100 Hz: the first row's filter output is b0 = 31.4 / 231.4 of 1 g.
      {"sampled-100hz", "s,ax,ay,az,gx,gy,gz\n1,0,0,-8192,0,0,0\n2,9,9,9,9,9,9\n3,0,0,-8192,0,0,0\n",
       {{0, 0, 0, -8192, 0, 0, 0}, {0, 0, 0, -8192, 0, 0, 0}}, 13},
  };
  ASSERT_EQ(layouts.size(), std::size(cases)) << "every README layout has a case here, and no more";
  for (const Layout& c : cases) {
    ASSERT_EQ(layouts.count(c.name), 1u) << c.name;
    TempDir dir;
    WriteFile(dir.path() / "brelvik.cnf", layouts.at(c.name));
    WriteFile(dir.path() / "rec.csv", c.recording);
    RunResult r = RunProgram(BRELVIK_PROGRAM, {"rec.csv"}, dir.path());
    ASSERT_EQ(r.status, 0) << c.name << ": " << r.err;
    EXPECT_EQ(r.err, "") << c.name;
    const auto lines = Lines(ReadFile(dir.path() / "rec_JUX.csv"));
    ASSERT_EQ(lines.size(), c.samples.size() + 1) << c.name;
    for (size_t i = 0; i < c.samples.size(); ++i) {
      const std::vector<int> row = Fields(lines[i + 1]);
      EXPECT_EQ(std::vector<int>(row.begin(), row.begin() + 7), c.samples[i]) << c.name << " row " << i + 1;
    }
    if (c.firstLpfAcc >= 0) {
      EXPECT_EQ(Fields(lines[1])[7], c.firstLpfAcc) << c.name;
    }
  }
}

}  // namespace
