// The sample processor.  The per-sample path allocates nothing and formats
// each row straight into the feature file's buffer.
#include "features/processor.h"

#include <cmath>

#include "features/orientation.h"
#include "features/row_format.h"

namespace {

// Truncation toward zero; values outside the 32-bit range saturate and a
// value that is not a number gives 0 (never undefined behaviour).
inline int32_t TruncToInt(float f) {
  if (f > -2147483648.0f && f < 2147483648.0f) return static_cast<int32_t>(f);
  if (f >= 2147483648.0f) return INT32_MAX;
  if (f <= -2147483648.0f) return INT32_MIN;
  return 0;
}

// The sum of squares in single precision, its square root through the
// double power function, rounded back to float.
inline float Magnitude(float u, float v, float w) {
  const float s = (u * u + v * v) + w * w;
  return static_cast<float>(std::pow(static_cast<double>(s), 0.5));
}

}  // namespace

int OpenProcessor(SampleProcessor* processor, ConversionOptions* options,
                  const std::string& outputName, std::string* error,
                  const std::string* inputName) {
  *processor = SampleProcessor{};
  processor->options = *options;
  InitAttitude(&processor->attitude);
  if (options->samplingFrequency <= 0) {
    options->samplingFrequency = 50;
    options->cutOffFrequency = 5;
  }
  if (options->cutOffFrequency < 0) {
    // The filter's pole would lie outside the unit circle: every value
    // would grow without bound.
    *error = "the cut-off frequency " + std::to_string(options->cutOffFrequency) +
             " Hz is negative; the low-pass filter would be unstable";
    ReleaseAttitude(&processor->attitude);
    return -1;
  }
  InitLowPass(&processor->lowPass, options->samplingFrequency, options->cutOffFrequency);

  auto file = std::make_unique<FeatureFile>();
  if (!file->Open(outputName, inputName, error)) {
    ReleaseAttitude(&processor->attitude);
    return -1;
  }
  file->Write(kFeatureHeaderStart);
  if (options->fallCounterOut != 0) file->Write(", fall_counter");
  if (options->postureOut != 0) file->Write(", roll, pitch, yaw");
  if (options->rmsDiffOut != 0) file->Write(", acc_diff, omega_diff");
  if (options->postureDiffOut != 0) file->Write(", roll_diff, pitch_diff, yaw_diff");
  file->Write("\n");
  processor->output = std::move(file);
  return 0;
}

int ProcessSample(SampleProcessor* processor, const SensorSample* sample) {
  SampleProcessor& p = *processor;
  const ConversionOptions& o = p.options;
  if (o.resampleCount > 1) {
    ++p.decimationCounter;
    if (p.decimationCounter % o.resampleCount != 1) return 0;
  }

  const float ax = static_cast<float>(sample->accX) / 8192.0f;
  const float ay = static_cast<float>(sample->accY) / 8192.0f;
  const float az = static_cast<float>(sample->accZ) / 8192.0f;
  const float gx = static_cast<float>(sample->gyroX) / 65.536f;
  const float gy = static_cast<float>(sample->gyroY) / 65.536f;
  const float gz = static_cast<float>(sample->gyroZ) / 65.536f;

  LowPassStep(&p.lowPass, 0, &ax, &p.filtered[0]);
  LowPassStep(&p.lowPass, 1, &ay, &p.filtered[1]);
  LowPassStep(&p.lowPass, 2, &az, &p.filtered[2]);
  const int32_t lpfAcc = TruncToInt(Magnitude(p.filtered[0], p.filtered[1], p.filtered[2]) * 100.0f);
  const int32_t rawAcc = TruncToInt(Magnitude(ax, ay, az) * 100.0f);

  LowPassStep(&p.lowPass, 3, &gx, &p.filtered[3]);
  LowPassStep(&p.lowPass, 4, &gy, &p.filtered[4]);
  LowPassStep(&p.lowPass, 5, &gz, &p.filtered[5]);
  const int32_t lpfOmega = TruncToInt(Magnitude(p.filtered[3], p.filtered[4], p.filtered[5]));
  const int32_t rawOmega = TruncToInt(Magnitude(gx, gy, gz));

  // Orientation: one estimator step with the filtered values and a fixed
  // 0.02 s step; the rotation matrix is not needed, so it is not built.
  const Vec3 gyro{static_cast<double>(p.filtered[3]), static_cast<double>(p.filtered[4]),
                  static_cast<double>(p.filtered[5])};
  const Vec3 acc{static_cast<double>(p.filtered[0]), static_cast<double>(p.filtered[1]),
                 static_cast<double>(p.filtered[2])};
  AdvanceAttitude(&p.attitude, gyro, acc, 0.02);
  const Quaternion& q = *p.attitude.orientation;
  Angles angles = AnglesOf(q.s, q.v[0], q.v[1], q.v[2]);
  LevelAngles(&angles, o.rollPitchCompensation != 0, p.rowCount, rawAcc, &p.rollOffset, &p.pitchOffset);

  const int32_t i = p.historyIndex;
  const int32_t prev = (i - 1) & 63;
  p.history[0][i] = lpfAcc;
  p.history[1][i] = lpfOmega;
  p.history[2][i] = angles.roll;
  p.history[3][i] = angles.pitch;
  p.history[4][i] = angles.yaw;
  const int32_t accDiff = lpfAcc - p.history[0][prev];
  const int32_t omegaDiff = lpfOmega - p.history[1][prev];
  const int32_t rollDiff = angles.roll - p.history[2][prev];
  const int32_t pitchDiff = angles.pitch - p.history[3][prev];
  const int32_t yawDiff = angles.yaw - p.history[4][prev];
  p.historyIndex = (i + 1) & 63;

  if (lpfAcc > o.fallStartThreshold) {
    p.fallCounter = 0;
  } else {
    ++p.fallCounter;
  }

  using rowformat::AppendField;
  char* out = p.output->Reserve(20 * (rowformat::kMaxIntChars + 1) + 1);
  out = rowformat::AppendInt(out, sample->seqno);
  out = AppendField(out, sample->accX);
  out = AppendField(out, sample->accY);
  out = AppendField(out, sample->accZ);
  out = AppendField(out, sample->gyroX);
  out = AppendField(out, sample->gyroY);
  out = AppendField(out, sample->gyroZ);
  out = AppendField(out, lpfAcc);
  out = AppendField(out, rawAcc);
  out = AppendField(out, lpfOmega);
  out = AppendField(out, rawOmega);
  if (o.fallCounterOut != 0) out = AppendField(out, p.fallCounter);
  if (o.postureOut != 0) {
    out = AppendField(out, angles.roll);
    out = AppendField(out, angles.pitch);
    out = AppendField(out, angles.yaw);
  }
  if (o.rmsDiffOut != 0) {
    out = AppendField(out, accDiff);
    out = AppendField(out, omegaDiff);
  }
  if (o.postureDiffOut != 0) {
    out = AppendField(out, rollDiff);
    out = AppendField(out, pitchDiff);
    out = AppendField(out, yawDiff);
  }
  *out++ = '\n';
  p.output->Advance(out);

  ++p.rowCount;
  return 0;
}

int CloseProcessor(SampleProcessor* processor, std::string* error) {
  ReleaseAttitude(&processor->attitude);
  std::unique_ptr<FeatureFile> file = std::move(processor->output);
  if (!file) return 0;
  return file->Close(error) ? 0 : -1;
}

void AbandonProcessor(SampleProcessor* processor) {
  ReleaseAttitude(&processor->attitude);
  if (processor->output) processor->output->Abandon();
  processor->output.reset();
}
