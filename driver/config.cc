// Reading the configuration files.
//
// A line, of any length, holds a key and a value separated by runs of spaces
// (a tab is an ordinary character); a "#" in the very first column makes it
// a comment.  A line ending in CR LF is taken as ending in LF.  The line feed
// stays on the last token, and the number conversions stop at it.  Every
// value is stored at once, so a FILETYPE line decides how the scaling-factor
// lines after it are read.  Standard output gets the log of the values
// stored.  Lines that look like mistakes (an unknown key, a key without a
// value, a value that is not a number) are reported on standard error with
// the file name and line number; they are applied, or skipped, exactly as
// they would be without the report.
#include "driver/config.h"

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/platform.h"
#include "recordings/number_fields.h"

namespace {

// Writes one warning line on standard error.  Standard output is flushed
// first so that the two streams interleave in order when they share a file.
void Warn(const std::string& message) {
  std::fflush(stdout);
  const std::string text = "brelvik: warning: " + message + "\n";
  std::fputs(text.c_str(), stderr);
}

void WarnFile(const std::string& path, const std::string& reason) {
  Warn(path + ": " + reason);
}

void WarnLine(const std::string& path, unsigned long long line,
              const std::string& reason) {
  Warn(path + ":" + std::to_string(line) + ": " + reason);
}

// A token as the user typed it, for a warning: without the line feed that
// ends the line, in quotes, with control characters spelled out.
std::string Quoted(std::string_view token) {
  if (!token.empty() && token.back() == '\n') token.remove_suffix(1);
  std::string text = "\"";
  for (const char c : token) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (c == '\t') {
      text += "\\t";
    } else if (c == '\r') {
      text += "\\r";
    } else if (c == '"' || c == '\\') {
      text += '\\';
      text += c;
    } else if (u < 0x20 || u == 0x7f) {
      static const char kHex[] = "0123456789abcdef";
      text += "\\x";
      text += kHex[u >> 4];
      text += kHex[u & 0xf];
    } else {
      text += c;
    }
  }
  text += '"';
  return text;
}

// The white space that the number conversions skip before a number.
// One configuration key: the field that it sets and its log label.  The
// scaling-factor keys also name the real field that they set while
// `fileType` is 2.
struct ConfigKey {
  const char* key;
  const char* label;
  int32_t ConversionOptions::*field;
  float ConversionOptions::*real_field;
};

// In the order in which the keys are tested.
constexpr ConfigKey kKeys[] = {
    {"FILETYPE", "FileType", &ConversionOptions::fileType, nullptr},
    {"SEQNOINDEX", "SeqnoIndex", &ConversionOptions::seqnoIndex, nullptr},
    {"RESAMPLECOUNT", "ResampleCount", &ConversionOptions::resampleCount,
     nullptr},
    {"ACCSCALINGFACTOR", "AccScalingFactor",
     &ConversionOptions::accScalingFactor,
     &ConversionOptions::accScalingFactorReal},
    {"GYROSCALINGFACTOR", "GyroScalingFactor",
     &ConversionOptions::gyroScalingFactor,
     &ConversionOptions::gyroScalingFactorReal},
    {"SKIPDATACOUNT", "SkipDataCount", &ConversionOptions::skipDataCount,
     nullptr},
    {"SAMPLINGFREQUENCY", "SamplingFrequency",
     &ConversionOptions::samplingFrequency, nullptr},
    {"CUTOFFFREQUENCY", "CutOffFrequency", &ConversionOptions::cutOffFrequency,
     nullptr},
    {"FALLSTARTTHRESHOLD", "FallStartThreshold",
     &ConversionOptions::fallStartThreshold, nullptr},
    {"RMSDIFFOUT", "RmsDiffOut", &ConversionOptions::rmsDiffOut, nullptr},
    {"POSTUREDIFFOUT", "PostureDiffOut", &ConversionOptions::postureDiffOut,
     nullptr},
    {"ROLLPITCHCOMPENSATION", "RollPitchCompensation",
     &ConversionOptions::rollPitchCompensation, nullptr},
};

std::string UpperCase(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

// Whether a line holds nothing but white space.
bool IsBlank(std::string_view line) {
  for (const char c : line) {
    if (!numbers::IsSpace(c)) return false;
  }
  return true;
}

// Applies one line (its line feed, if any, still on the end).
void ApplyLine(const std::string& path, unsigned long long line_number,
               std::string_view line, ConversionOptions* options) {
  if (!line.empty() && line.front() == '#') return;
  // A line of white space has no key, whatever tabs it holds.
  if (IsBlank(line)) return;

  // The key and the value: the first two runs of non-spaces.
  constexpr std::string_view::size_type npos = std::string_view::npos;
  const std::size_t key_start = line.find_first_not_of(' ');
  const std::size_t key_end = line.find(' ', key_start);
  const std::string_view key = line.substr(key_start, key_end - key_start);
  const std::size_t value_start =
      key_end == npos ? npos : line.find_first_not_of(' ', key_end);
  if (value_start == npos) {
    WarnLine(path, line_number,
             "key " + Quoted(key) +
                 " without a value (a key and its value are separated by "
                 "spaces); line ignored");
    return;
  }
  const std::size_t value_end = line.find(' ', value_start);
  const std::string_view value =
      line.substr(value_start, value_end - value_start);

  const std::string upper_key = UpperCase(key);
  const ConfigKey* setting = nullptr;
  for (const ConfigKey& candidate : kKeys) {
    if (upper_key == candidate.key) {
      setting = &candidate;
      break;
    }
  }
  if (setting == nullptr) {
    WarnLine(path, line_number, "unknown key " + Quoted(key) + "; line ignored");
    return;
  }

  bool is_number = false;
  if (setting->real_field != nullptr && options->fileType == 2) {
    const double real = numbers::ParseReal(value, &is_number);
    options->*(setting->real_field) = numbers::NarrowToFloat(real);
    std::printf("  +%s : %.3f\n", setting->label,
                static_cast<double>(options->*(setting->real_field)));
  } else {
    const int32_t integer = numbers::ParseInteger(value, &is_number);
    options->*(setting->field) = integer;
    std::printf("  +%s : %d\n", setting->label,
                static_cast<int>(options->*(setting->field)));
  }
  if (!is_number) {
    if (IsBlank(value)) {
      WarnLine(path, line_number,
               "key " + Quoted(key) + " has an empty value; 0 is used");
    } else {
      WarnLine(path, line_number,
               "value " + Quoted(value) + " of key " + Quoted(key) +
                   " is not a number; 0 is used");
    }
  }
}

enum class ReadResult { kLine, kEnd, kError };

// Reads the next line whole into *line, its line feed included; a line
// ending in CR LF is given as ending in LF.  On a read error *error receives
// the system's error number.
ReadResult ReadLine(std::FILE* file, std::string* line, int* error) {
  line->clear();
  for (;;) {
    const int c = std::getc(file);
    if (c == EOF) {
      if (std::ferror(file)) {
        *error = errno;
        return ReadResult::kError;
      }
      return line->empty() ? ReadResult::kEnd : ReadResult::kLine;
    }
    if (c == '\n') {
      if (!line->empty() && line->back() == '\r') line->pop_back();
      line->push_back('\n');
      return ReadResult::kLine;
    }
    line->push_back(static_cast<char>(c));
  }
}

}  // namespace

std::string ConfigPathBesideExecutable(const std::string& exe) {
  const std::size_t n = exe.size();
  const bool ends_in_exe =
      n >= 4 && exe[n - 4] == '.' && UpperCase(exe.substr(n - 3)) == "EXE";
  if (ends_in_exe) return exe.substr(0, n - 3) + "cnf";
  return exe + ".cnf";
}

int LoadConfigFile(const std::string& path, ConversionOptions* options) {
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) {
    WarnFile(path, "is a directory, not a configuration file; skipped");
    return -1;
  }
  // Binary mode: line ends are handled by ReadLine, the same everywhere.
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    const int error = errno;
    if (std::filesystem::exists(path, ignored)) {
      WarnFile(path, std::string("cannot be read (") + std::strerror(error) +
                         "); skipped");
    }
    return -1;
  }

  std::printf("LoadConfigFile : %s\n\n", path.c_str());
  int status = 0;
  std::string line;
  unsigned long long line_number = 0;
  for (;;) {
    int error = 0;
    const ReadResult result = ReadLine(file, &line, &error);
    if (result == ReadResult::kEnd) break;
    ++line_number;
    if (result == ReadResult::kError) {
      WarnLine(path, line_number,
               std::string("read error (") + std::strerror(error) +
                   "); the rest of the file is skipped");
      status = -1;
      break;
    }
    ApplyLine(path, line_number, line, options);
  }
  std::fclose(file);
  std::printf("\nLoadConfigFile : Complete.\n\n");
  return status;
}

int LoadConfigFiles(ConversionOptions* options) {
  std::string executable;
  std::string error;
  if (platform::ExecutablePath(&executable, &error)) {
    LoadConfigFile(ConfigPathBesideExecutable(executable), options);
  } else {
    Warn("cannot find the program's own path (" + error +
         "); the configuration file beside it is skipped");
  }
  LoadConfigFile("brelvik.cnf", options);
  return 0;
}
