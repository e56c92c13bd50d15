// Converting a text recording (comma-separated values, one sample per data
// line) into its feature file.
#ifndef BRELVIK_RECORDINGS_TEXT_RECORDING_H_
#define BRELVIK_RECORDINGS_TEXT_RECORDING_H_

#include <string>

#include "driver/options.h"

// Converts inputName.  outputName may be null: the default name beside the
// input is used.  Prints the progress line "<input> -> <output>" once the
// input is open.  Returns 0 when the whole input was converted, -1 with
// *error filled when the input cannot be opened or read or the feature file
// cannot be created or written.
int ConvertTextFile(const std::string& inputName, const std::string* outputName,
                    ConversionOptions* options, std::string* error);

#endif  // BRELVIK_RECORDINGS_TEXT_RECORDING_H_
