// The sample processor.  The per-sample path allocates nothing and formats
// each row straight into the feature file's buffer.
#include "features/processor.h"

#include "features/orientation.h"
#include "features/stages.h"


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

  stages::Row row;
  row.sample = *sample;
  row.magnitudes = stages::FilterAndMeasure(&p.lowPass, *sample, p.filtered);
  const int32_t lpfAcc = row.magnitudes.lpfAcc;
  const int32_t lpfOmega = row.magnitudes.lpfOmega;

  // Orientation: one estimator step with the filtered values and a fixed
  // 0.02 s step; the rotation matrix is not needed, so it is not built.
  const Vec3 gyro{static_cast<double>(p.filtered[3]), static_cast<double>(p.filtered[4]),
                  static_cast<double>(p.filtered[5])};
  const Vec3 acc{static_cast<double>(p.filtered[0]), static_cast<double>(p.filtered[1]),
                 static_cast<double>(p.filtered[2])};
  AdvanceAttitude(&p.attitude, gyro, acc, 0.02);
  const Quaternion& q = *p.attitude.orientation;
  Angles& angles = row.angles;
  angles = AnglesOf(q.s, q.v[0], q.v[1], q.v[2]);
  LevelAngles(&angles, o.rollPitchCompensation != 0, p.rowCount, row.magnitudes.rawAcc, &p.rollOffset,
              &p.pitchOffset);

  const int32_t i = p.historyIndex;
  const int32_t prev = (i - 1) & 63;
  p.history[0][i] = lpfAcc;
  p.history[1][i] = lpfOmega;
  p.history[2][i] = angles.roll;
  p.history[3][i] = angles.pitch;
  p.history[4][i] = angles.yaw;
  row.accDiff = lpfAcc - p.history[0][prev];
  row.omegaDiff = lpfOmega - p.history[1][prev];
  row.rollDiff = angles.roll - p.history[2][prev];
  row.pitchDiff = angles.pitch - p.history[3][prev];
  row.yawDiff = angles.yaw - p.history[4][prev];
  p.historyIndex = (i + 1) & 63;

  if (lpfAcc > o.fallStartThreshold) {
    p.fallCounter = 0;
  } else {
    ++p.fallCounter;
  }

  row.fallCounter = p.fallCounter;
  char* out = p.output->Reserve(stages::kMaxRowChars);
  out = stages::FormatRow(out, row, o);
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
