// Default names of feature files.
#include "recordings/output_name.h"

#include "platform/paths.h"

std::string DefaultOutputName(std::string_view input) {
  std::string name(input);
  if (platform::BaseName(input).size() >= 4) name.resize(name.size() - 4);
  name += kFeatureSuffix;
  return name;
}
