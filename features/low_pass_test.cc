// Filter design and one filter step, in single precision.
#include "features/low_pass.h"

#include <gtest/gtest.h>

namespace {

TEST(LowPass, DefaultDesign) {
  LowPassBank bank;
  InitLowPass(&bank, 50, 5);
  const float wc = 5.0f * 6.28f;
  const float d = 50.0f * 2.0f;
  EXPECT_EQ(bank.wc, wc);
  EXPECT_EQ(bank.a1, (wc - d) / (d + wc));
  EXPECT_EQ(bank.b0, wc / (d + wc));
  EXPECT_EQ(bank.b1, bank.b0);
  EXPECT_NEAR(bank.a1, -0.522, 1e-3);
  EXPECT_NEAR(bank.b0, 0.239, 1e-3);
}

TEST(LowPass, ChannelsAreIndependentAndUnitGainAtRest) {
  LowPassBank bank;
  InitLowPass(&bank, 50, 5);
  float out[6] = {};
  for (int step = 0; step < 200; ++step) {
    for (int c = 0; c < 6; ++c) {
      const float x = static_cast<float>(c);
      LowPassStep(&bank, c, &x, &out[c]);
    }
  }
  for (int c = 0; c < 6; ++c) EXPECT_NEAR(out[c], static_cast<float>(c), 1e-5f) << c;
  EXPECT_EQ(bank.prevInput[5], 5.0f);
  EXPECT_EQ(bank.prevOutput[0], 0.0f);
}

TEST(LowPass, FirstStepIsB0TimesTheInput) {
  LowPassBank bank;
  InitLowPass(&bank, 100, 10);
  const float x = 1.0f;
  float y = 0.0f;
  LowPassStep(&bank, 2, &x, &y);
  EXPECT_EQ(y, bank.b0 * 1.0f);
}

}  // namespace
