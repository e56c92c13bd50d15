// Dispatch of one named file to its converter.
#include "driver/convert.h"

#include "recordings/data_set.h"
#include "recordings/output_name.h"
#include "recordings/text_recording.h"

int ConvertFile(const std::string& inputName, const std::string* outputName,
                ConversionOptions* options, std::string* error) {
  const std::string output = outputName ? *outputName : DefaultOutputName(inputName);
  if (EndsWith(inputName, ".csv")) {
    if (EndsWith(inputName, kFeatureSuffix)) {
      *error = "is a feature file (its name ends in \"_JUX.csv\"); feature files are never converted";
      return -1;
    }
    return ConvertTextFile(inputName, &output, options, error);
  }
  if (EndsWith(inputName, ".bin") || options->fileType == 4) {
    return ConvertDataSetFile(inputName, &output, options, error);
  }
  *error = "not a recording: the name ends neither in \".csv\" nor in \".bin\" (FILETYPE 4 reads other names as data sets)";
  return -1;
}
