// The run's conversion settings: one record, owned by main for the whole
// run, filled with defaults, then changed by the configuration files and
// handed by address to every conversion.
#ifndef BRELVIK_DRIVER_OPTIONS_H_
#define BRELVIK_DRIVER_OPTIONS_H_

#include <cstdint>

struct ConversionOptions {
  int32_t fileType;               // 1 integer text, 2 real text, 4 as 1 plus data sets by name
  int32_t seqnoIndex;             // 1-based leading column holding the sequence number
  int32_t resampleCount;          // keep every N-th sample
  int32_t accScalingFactor;       // integer multiplier of acceleration counts
  int32_t gyroScalingFactor;      // integer multiplier of angular-rate counts
  float accScalingFactorReal;     // real multiplier of acceleration values (FILETYPE 2)
  float gyroScalingFactorReal;    // real multiplier of angular-rate values (FILETYPE 2)
  int32_t skipDataCount;          // leading columns before the six sensor values
  int32_t samplingFrequency;      // Hz
  int32_t cutOffFrequency;        // Hz
  int32_t fallStartThreshold;     // hundredths of g
  int32_t fallCounterOut;         // emit fall_counter
  int32_t postureOut;             // emit roll, pitch, yaw
  int32_t rmsDiffOut;             // emit acc_diff, omega_diff
  int32_t postureDiffOut;         // emit roll_diff, pitch_diff, yaw_diff
  int32_t rollPitchCompensation;  // learn and apply level offsets
};

// Writes the default of every field; returns 0.
int InitOptions(ConversionOptions* options);

#endif  // BRELVIK_DRIVER_OPTIONS_H_
