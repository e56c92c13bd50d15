// The reference reading of configuration files.
#include "fuzz/config_reference.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "fuzz/reference.h"

namespace reference {
namespace {

struct Key {
  const char* key;
  const char* label;
  int32_t ConversionOptions::*field;
  float ConversionOptions::*realField;  // null for keys without a real form
};

const Key kKeys[] = {
    {"FILETYPE", "FileType", &ConversionOptions::fileType, nullptr},
    {"SEQNOINDEX", "SeqnoIndex", &ConversionOptions::seqnoIndex, nullptr},
    {"RESAMPLECOUNT", "ResampleCount", &ConversionOptions::resampleCount, nullptr},
    {"ACCSCALINGFACTOR", "AccScalingFactor", &ConversionOptions::accScalingFactor,
     &ConversionOptions::accScalingFactorReal},
    {"GYROSCALINGFACTOR", "GyroScalingFactor", &ConversionOptions::gyroScalingFactor,
     &ConversionOptions::gyroScalingFactorReal},
    {"SKIPDATACOUNT", "SkipDataCount", &ConversionOptions::skipDataCount, nullptr},
    {"SAMPLINGFREQUENCY", "SamplingFrequency", &ConversionOptions::samplingFrequency, nullptr},
    {"CUTOFFFREQUENCY", "CutOffFrequency", &ConversionOptions::cutOffFrequency, nullptr},
    {"FALLSTARTTHRESHOLD", "FallStartThreshold", &ConversionOptions::fallStartThreshold, nullptr},
    {"RMSDIFFOUT", "RmsDiffOut", &ConversionOptions::rmsDiffOut, nullptr},
    {"POSTUREDIFFOUT", "PostureDiffOut", &ConversionOptions::postureDiffOut, nullptr},
    {"ROLLPITCHCOMPENSATION", "RollPitchCompensation", &ConversionOptions::rollPitchCompensation, nullptr},
};

bool AllSpace(std::string_view line) {
  for (const char c : line) {
    if (!std::isspace(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

// The next run of non-space bytes at or after *i; empty when none.
std::string_view Token(std::string_view line, size_t* i) {
  while (*i < line.size() && line[*i] == ' ') ++*i;
  const size_t start = *i;
  while (*i < line.size() && line[*i] != ' ') ++*i;
  return line.substr(start, *i - start);
}

std::string Format(const char* format, const char* label, double real) {
  char text[128];
  std::snprintf(text, sizeof text, format, label, real);
  return text;
}

std::string Format(const char* format, const char* label, int value) {
  char text[128];
  std::snprintf(text, sizeof text, format, label, value);
  return text;
}

bool IsKnownLabel(std::string_view label) {
  for (const Key& k : kKeys) {
    if (label == k.label) return true;
  }
  return false;
}

// "-?digits" or "-?digits.ddd", or "inf"/"-inf" for a real factor.
bool IsLoggedNumber(std::string_view v) {
  if (v == "inf" || v == "-inf") return true;
  if (!v.empty() && v[0] == '-') v.remove_prefix(1);
  const size_t point = v.find('.');
  std::string_view whole = v.substr(0, point);
  if (whole.empty()) return false;
  for (const char c : whole) {
    if (c < '0' || c > '9') return false;
  }
  if (point == std::string_view::npos) return true;
  std::string_view fraction = v.substr(point + 1);
  if (fraction.size() != 3) return false;
  for (const char c : fraction) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace

ConfigOutcome ExpectedConfig(std::string_view text, const std::string& path, const ConversionOptions& start) {
  ConfigOutcome outcome{start, "LoadConfigFile : " + path + "\n\n"};
  ConversionOptions& o = outcome.options;
  for (const std::string& line : Lines(text)) {
    if (line[0] == '#' || AllSpace(line)) continue;
    size_t i = 0;
    const std::string_view key = Token(line, &i);
    const std::string_view value = Token(line, &i);
    if (value.empty()) continue;
    std::string upper(key);
    for (char& c : upper) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    for (const Key& k : kKeys) {
      if (upper != k.key) continue;
      if (k.realField && o.fileType == 2) {
        o.*(k.realField) = NarrowToFloat(Real(value));
        outcome.log += Format("  +%s : %.3f\n", k.label, static_cast<double>(o.*(k.realField)));
      } else {
        o.*(k.field) = Integer(value);
        outcome.log += Format("  +%s : %d\n", k.label, static_cast<int>(o.*(k.field)));
      }
      break;
    }
  }
  outcome.log += "\nLoadConfigFile : Complete.\n\n";
  return outcome;
}

std::string CheckLogShape(std::string_view log, const std::string& path) {
  const std::string head = "LoadConfigFile : " + path + "\n\n";
  const std::string tail = "\nLoadConfigFile : Complete.\n\n";
  if (log.substr(0, head.size()) != head) return "the log does not begin with \"LoadConfigFile : <path>\\n\\n\"";
  if (log.size() < head.size() + tail.size() || log.substr(log.size() - tail.size()) != tail) {
    return "the log does not end with \"\\nLoadConfigFile : Complete.\\n\\n\"";
  }
  std::string_view body = log.substr(head.size(), log.size() - head.size() - tail.size());
  while (!body.empty()) {
    const size_t lf = body.find('\n');
    if (lf == std::string_view::npos) return "a log line without its line feed";
    const std::string_view line = body.substr(0, lf);
    body.remove_prefix(lf + 1);
    const size_t colon = line.find(" : ");
    if (line.substr(0, 3) != "  +" || colon == std::string_view::npos) {
      return "a log line not of the form \"  +Label : value\": " + std::string(line);
    }
    if (!IsKnownLabel(line.substr(3, colon - 3))) return "a log line with an unknown label: " + std::string(line);
    if (!IsLoggedNumber(line.substr(colon + 3))) return "a log line whose value is no number: " + std::string(line);
  }
  return "";
}

}  // namespace reference
