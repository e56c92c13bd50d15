// Defaults of the conversion settings.
#include "driver/options.h"

int InitOptions(ConversionOptions* options) {
  options->fileType = 1;
  options->seqnoIndex = 0;
  options->resampleCount = 0;
  options->accScalingFactor = 1;
  options->gyroScalingFactor = 1;
  options->accScalingFactorReal = 1.0f;
  options->gyroScalingFactorReal = 1.0f;
  options->skipDataCount = 1;
  options->samplingFrequency = 50;
  options->cutOffFrequency = 5;
  options->fallStartThreshold = 60;
  options->fallCounterOut = 1;
  options->postureOut = 1;
  options->rmsDiffOut = 1;
  options->postureDiffOut = 1;
  options->rollPitchCompensation = 0;
  return 0;
}
