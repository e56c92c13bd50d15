// The stages of processing one sample, each small enough to inline into the
// per-sample loop and to measure on its own: scaling, filtering and the four
// magnitudes; and the formatting of one feature-file row.
#ifndef BRELVIK_FEATURES_STAGES_H_
#define BRELVIK_FEATURES_STAGES_H_

#include <cmath>
#include <cstdint>

#include "driver/options.h"
#include "features/low_pass.h"
#include "features/orientation.h"
#include "features/row_format.h"
#include "recordings/sensor_sample.h"

namespace stages {

// Truncation toward zero; values outside the 32-bit range saturate and a
// value that is not a number gives 0 (never undefined behaviour).
inline int32_t TruncToInt(float f) {
  if (f > -2147483648.0f && f < 2147483648.0f) return static_cast<int32_t>(f);
  if (f >= 2147483648.0f) return INT32_MAX;
  if (f <= -2147483648.0f) return INT32_MIN;
  return 0;
}

// The sum of squares in single precision and its square root: the double
// power function's pow(s, 0.5) rounded back to float.  For every
// non-negative float s that value is exactly the correctly rounded float
// square root (checked over all of them by tools/check_sqrt.cc and over a
// large sample by magnitude_test.cc), which std::sqrt on a float gives in
// one instruction.
inline float Magnitude(float u, float v, float w) {
  const float s = (u * u + v * v) + w * w;
  return std::sqrt(s);
}

struct Magnitudes {
  int32_t lpfAcc, rawAcc;      // hundredths of g
  int32_t lpfOmega, rawOmega;  // degrees per second
};

// Scales the sample to g and degrees per second, filters the six channels
// (outputs in filtered[0..5]) and measures the filtered and raw magnitudes.
inline Magnitudes FilterAndMeasure(LowPassBank* bank, const SensorSample& sample, float filtered[6]) {
  const float ax = static_cast<float>(sample.accX) / 8192.0f;
  const float ay = static_cast<float>(sample.accY) / 8192.0f;
  const float az = static_cast<float>(sample.accZ) / 8192.0f;
  const float gx = static_cast<float>(sample.gyroX) / 65.536f;
  const float gy = static_cast<float>(sample.gyroY) / 65.536f;
  const float gz = static_cast<float>(sample.gyroZ) / 65.536f;
  Magnitudes m;
  LowPassStep(bank, 0, &ax, &filtered[0]);
  LowPassStep(bank, 1, &ay, &filtered[1]);
  LowPassStep(bank, 2, &az, &filtered[2]);
  m.lpfAcc = TruncToInt(Magnitude(filtered[0], filtered[1], filtered[2]) * 100.0f);
  m.rawAcc = TruncToInt(Magnitude(ax, ay, az) * 100.0f);
  LowPassStep(bank, 3, &gx, &filtered[3]);
  LowPassStep(bank, 4, &gy, &filtered[4]);
  LowPassStep(bank, 5, &gz, &filtered[5]);
  m.lpfOmega = TruncToInt(Magnitude(filtered[3], filtered[4], filtered[5]));
  m.rawOmega = TruncToInt(Magnitude(gx, gy, gz));
  return m;
}

// Everything one row holds.
struct Row {
  SensorSample sample;
  Magnitudes magnitudes;
  int32_t fallCounter;
  Angles angles;
  int32_t accDiff, omegaDiff;
  int32_t rollDiff, pitchDiff, yawDiff;
};

// The longest row: twenty integers with their commas, and the line end.
inline constexpr int kMaxRowChars = 20 * (rowformat::kMaxIntChars + 1) + 1;

// Writes the row's text, its groups as the options select them, at out;
// returns the end of what was written.
inline char* FormatRow(char* out, const Row& row, const ConversionOptions& o) {
  using rowformat::AppendField;
  const SensorSample& s = row.sample;
  out = rowformat::AppendInt(out, s.seqno);
  out = AppendField(out, s.accX);
  out = AppendField(out, s.accY);
  out = AppendField(out, s.accZ);
  out = AppendField(out, s.gyroX);
  out = AppendField(out, s.gyroY);
  out = AppendField(out, s.gyroZ);
  out = AppendField(out, row.magnitudes.lpfAcc);
  out = AppendField(out, row.magnitudes.rawAcc);
  out = AppendField(out, row.magnitudes.lpfOmega);
  out = AppendField(out, row.magnitudes.rawOmega);
  if (o.fallCounterOut != 0) out = AppendField(out, row.fallCounter);
  if (o.postureOut != 0) {
    out = AppendField(out, row.angles.roll);
    out = AppendField(out, row.angles.pitch);
    out = AppendField(out, row.angles.yaw);
  }
  if (o.rmsDiffOut != 0) {
    out = AppendField(out, row.accDiff);
    out = AppendField(out, row.omegaDiff);
  }
  if (o.postureDiffOut != 0) {
    out = AppendField(out, row.rollDiff);
    out = AppendField(out, row.pitchDiff);
    out = AppendField(out, row.yawDiff);
  }
  *out++ = '\n';
  return out;
}

}  // namespace stages

#endif  // BRELVIK_FEATURES_STAGES_H_
