// Six first-order low-pass filters sharing one set of coefficients: the
// analogue low-pass wc / (s + wc) taken to discrete time by the bilinear
// substitution, computed in single precision.
#ifndef BRELVIK_FEATURES_LOW_PASS_H_
#define BRELVIK_FEATURES_LOW_PASS_H_

#include <cstdint>

struct LowPassBank {
  float a1;  // feedback coefficient, enters with a minus sign
  float b0;  // coefficient of the current input
  float b1;  // coefficient of the previous input, equal to b0
  float wc;  // cut-off as an angular frequency, 6.28 x cut-off
  float prevInput[6];
  float prevOutput[6];
};

// Designs the filters for the two frequencies (Hz) and clears their memories.
void InitLowPass(LowPassBank* bank, int32_t samplingFrequency, int32_t cutOffFrequency);

// Filters one value of one channel (0-2 acceleration x-z, 3-5 angular rate x-z).
inline void LowPassStep(LowPassBank* bank, int32_t channel, const float* input, float* output) {
  const float x = *input;
  const float y = (bank->b0 * x + bank->b1 * bank->prevInput[channel]) - bank->a1 * bank->prevOutput[channel];
  *output = y;
  bank->prevOutput[channel] = y;
  bank->prevInput[channel] = x;
}

#endif  // BRELVIK_FEATURES_LOW_PASS_H_
