// Row formatting gives exactly printf's "%d".
#include "features/row_format.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

namespace {

std::string Format(int32_t v) {
  char buf[16];
  char* end = rowformat::AppendInt(buf, v);
  return std::string(buf, end);
}

TEST(RowFormat, MatchesPrintf) {
  std::vector<int32_t> values = {0, 1, -1, 9, 10, -10, 99, 100, 101, 999, 1000, 32767, -32768,
                                 123456789, INT32_MAX, INT32_MIN, INT32_MIN + 1};
  std::mt19937 rng(7);
  for (int i = 0; i < 20000; ++i) values.push_back(static_cast<int32_t>(rng()));
  for (int32_t v : values) {
    char expect[16];
    std::snprintf(expect, sizeof expect, "%d", v);
    ASSERT_EQ(Format(v), expect);
  }
}

}  // namespace
