// Design of the low-pass filters.
#include "features/low_pass.h"

void InitLowPass(LowPassBank* bank, int32_t samplingFrequency, int32_t cutOffFrequency) {
  // 6.28 stands for 2 pi; every step is rounded to float.
  bank->wc = static_cast<float>(cutOffFrequency) * 6.28f;
  const float d = static_cast<float>(samplingFrequency) * 2.0f;
  bank->a1 = (bank->wc - d) / (d + bank->wc);
  bank->b0 = bank->wc / (d + bank->wc);
  bank->b1 = bank->b0;
  for (int c = 0; c < 6; ++c) {
    bank->prevInput[c] = 0.0f;
    bank->prevOutput[c] = 0.0f;
  }
}
