// Settings chosen by the leading bytes of a fuzz input.  Each field takes
// its default from a zero byte, small ordinary values from most others, and
// the values at the ends of its type from a few.
#include "fuzz/fuzz_options.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace fuzz {
namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

// Leading columns and the sequence-number column: mostly small, now and
// then far out.
int32_t SmallCount(uint8_t b, const int32_t (&small)[10]) {
  static constexpr int32_t kFar[8] = {kMin, -1000, -2, 11, 100, 1000, kMax - 6, kMax};
  if (b >= 224) return kFar[b & 7];
  return small[b % 10];
}

int32_t IntegerFactor(uint8_t b) {
  static constexpr int32_t kFactors[16] = {0,     -1,    2,     -2,   3,    7,    100,  -100,
                                           32767, 32768, 65536, 65537, kMax, kMin, 1000003, -3};
  return b < 128 ? 1 : kFactors[b & 15];
}

float RealFactor(uint8_t b) {
  static const float kFactors[16] = {0.7f,
                                     0.0f,
                                     -1.0f,
                                     2.5f,
                                     -0.001f,
                                     1e-30f,
                                     1e10f,
                                     -1e10f,
                                     std::numeric_limits<float>::infinity(),
                                     -std::numeric_limits<float>::infinity(),
                                     std::numeric_limits<float>::quiet_NaN(),
                                     -0.0f,
                                     std::numeric_limits<float>::max(),
                                     0.5f,
                                     65536.0f,
                                     std::numeric_limits<float>::denorm_min()};
  return b < 128 ? 1.0f : kFactors[b & 15];
}

}  // namespace

ConversionOptions OptionsFromBytes(ByteReader* bytes) {
  ConversionOptions o;
  InitOptions(&o);
  static constexpr int32_t kFileTypes[8] = {1, 2, 4, 0, 3, -1, 2, kMax};
  o.fileType = kFileTypes[bytes->Next() & 7];
  o.skipDataCount = SmallCount(bytes->Next(), {1, 2, 3, 0, -1, 4, 5, 6, 7, 8});
  o.seqnoIndex = SmallCount(bytes->Next(), {0, 1, 2, 3, -1, 4, 5, 6, 7, 8});
  o.resampleCount = SmallCount(bytes->Next(), {0, 2, 3, 1, -1, 4, 5, 7, -2, 10});
  o.accScalingFactor = IntegerFactor(bytes->Next());
  o.gyroScalingFactor = IntegerFactor(bytes->Next());
  o.accScalingFactorReal = RealFactor(bytes->Next());
  o.gyroScalingFactorReal = RealFactor(bytes->Next());

  // Flags: a set bit turns a flag away from its default; bit 5 makes "on"
  // a value other than 1.
  const uint8_t flags = bytes->Next();
  const int32_t on = (flags & 32) ? -1 : 1;
  o.fallCounterOut = (flags & 1) ? 0 : on;
  o.postureOut = (flags & 2) ? 0 : on;
  o.rmsDiffOut = (flags & 4) ? 0 : on;
  o.postureDiffOut = (flags & 8) ? 0 : on;
  o.rollPitchCompensation = (flags & 16) ? on : 0;

  static constexpr int32_t kSampling[16] = {50, 0, -1, 1, 100, 1000, kMax, 25, 3, 200, kMin, 2, 51, 49, 10, 60};
  static constexpr int32_t kCutOff[16] = {5, 0, -1, 1, 25, 50, kMax, 2, 10, 100, kMin, 1000, 49, 24, 3, 6};
  const uint8_t frequencies = bytes->Next();
  o.samplingFrequency = kSampling[frequencies & 15];
  o.cutOffFrequency = kCutOff[frequencies >> 4];

  static constexpr int32_t kThresholds[8] = {60, 0, -1, 100, 99, kMax, kMin, 101};
  o.fallStartThreshold = kThresholds[bytes->Next() & 7];
  return o;
}

std::string Describe(const ConversionOptions& o) {
  char text[512];
  std::snprintf(text, sizeof text,
                "fileType %d skipDataCount %d seqnoIndex %d resampleCount %d factors %d %d %g %g "
                "flags %d %d %d %d compensation %d frequencies %d %d threshold %d",
                o.fileType, o.skipDataCount, o.seqnoIndex, o.resampleCount, o.accScalingFactor,
                o.gyroScalingFactor, static_cast<double>(o.accScalingFactorReal),
                static_cast<double>(o.gyroScalingFactorReal), o.fallCounterOut, o.postureOut, o.rmsDiffOut,
                o.postureDiffOut, o.rollPitchCompensation, o.samplingFrequency, o.cutOffFrequency,
                o.fallStartThreshold);
  return text;
}

}  // namespace fuzz
