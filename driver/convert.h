// One named file: picks the converter by the ending of its name.
#ifndef BRELVIK_DRIVER_CONVERT_H_
#define BRELVIK_DRIVER_CONVERT_H_

#include <string>

#include "driver/options.h"

// Converts inputName into outputName, or into the default name beside it
// when outputName is null.  Names ending in ".csv" are text recordings,
// except feature files ("_JUX.csv"), which are refused; names ending in
// ".bin" are data sets, and so is any other name under FILETYPE 4.  Returns the
// converter's result (0 or -1), or -1 when the name is refused; *error
// tells why on failure.
int ConvertFile(const std::string& inputName, const std::string* outputName,
                ConversionOptions* options, std::string* error);

#endif  // BRELVIK_DRIVER_CONVERT_H_
