// The two configuration files: the one beside the executable, then
// brelvik.cnf in the working directory.  Each is a list of key-value lines
// that change the run's ConversionOptions record, with a log of every value
// stored on standard output and a warning on standard error for every line
// that looks like a mistake.
#ifndef BRELVIK_DRIVER_CONFIG_H_
#define BRELVIK_DRIVER_CONFIG_H_

#include <string>

#include "driver/options.h"

// Applies the file beside the executable, then "brelvik.cnf"; returns 0.
int LoadConfigFiles(ConversionOptions* options);

// Applies one configuration file; 0 when read to its end, -1 when it cannot
// be opened or read.  A file that does not exist is skipped silently.
int LoadConfigFile(const std::string& path, ConversionOptions* options);

// The name of the configuration file beside the executable `exe`: a name
// ending in ".exe" (any case) has those last three characters replaced by
// "cnf"; any other name has ".cnf" appended.
std::string ConfigPathBesideExecutable(const std::string& exe);

#endif  // BRELVIK_DRIVER_CONFIG_H_
