// The per-file sample processor: decimation, scaling to g and degrees per
// second, low-pass filtering, magnitudes, the orientation angles with their
// optional level compensation, the free-fall counter, first differences,
// and the feature file's header and rows.
#ifndef BRELVIK_FEATURES_PROCESSOR_H_
#define BRELVIK_FEATURES_PROCESSOR_H_

#include <cstdint>
#include <memory>
#include <string>

#include "driver/options.h"
#include "features/feature_file.h"
#include "features/low_pass.h"
#include "recordings/sensor_sample.h"
#include "tesk/attitude_estimator.h"

struct SampleProcessor {
  ConversionOptions options;  // copy taken when the file is opened
  LowPassBank lowPass;
  AttitudeEstimator attitude;  // orientation from the filtered rate and acceleration
  int32_t rowCount;           // rows written so far
  int32_t decimationCounter;  // samples offered while decimating
  // Rings of the last 64 values: lpf_acc, lpf_omega, roll, pitch, yaw.
  int32_t history[5][64];
  int32_t historyIndex;  // slot the next processed sample writes
  int32_t fallCounter;   // consecutive samples with lpf_acc not above the threshold
  float filtered[6];     // latest low-pass output per channel
  std::unique_ptr<FeatureFile> output;
  int32_t rollOffset;   // learned roll compensation, 0 while not learned
  int32_t pitchOffset;  // learned pitch compensation, 0 while not learned
};

// The fixed start of every header line.
inline constexpr const char kFeatureHeaderStart[] =
    "seqno,accX,accY,accZ,gyroX,gyroY,gyroZ,lpf_acc,raw_acc,lpf_omega,raw_omega";

// Resets the processor, designs its filters (a sampling frequency of 0 or
// less in *options is corrected to 50 Hz with a 5 Hz cut-off, for the rest of
// the run), creates the feature file and writes its header.  inputName, when
// given, is the recording the file is made from, which is never replaced.
// Returns 0, or -1 with *error filled when the file cannot be created or the
// filter settings are unusable.
int OpenProcessor(SampleProcessor* processor, ConversionOptions* options,
                  const std::string& outputName, std::string* error,
                  const std::string* inputName = nullptr);

// Handles one sample: at most one row.  Always 0.
int ProcessSample(SampleProcessor* processor, const SensorSample* sample);

// Finishes the feature file.  0, or -1 with *error filled when writing it failed.
int CloseProcessor(SampleProcessor* processor, std::string* error);

// Gives up on the feature file: nothing of it stays.
void AbandonProcessor(SampleProcessor* processor);

#endif  // BRELVIK_FEATURES_PROCESSOR_H_
