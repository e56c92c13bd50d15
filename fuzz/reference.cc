// The reference readings of text recordings.
#include "fuzz/reference.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace reference {
namespace {

bool Space(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
bool Digit(char c) { return c >= '0' && c <= '9'; }

// Skips white space, then an optional sign; *negative tells which sign.
size_t SkipSpaceAndSign(std::string_view text, bool* negative) {
  size_t i = 0;
  while (i < text.size() && Space(text[i])) ++i;
  *negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    *negative = text[i] == '-';
    ++i;
  }
  return i;
}

}  // namespace

int16_t Low16(int64_t v) {
  int64_t r = v % 65536;
  if (r < 0) r += 65536;
  return static_cast<int16_t>(r >= 32768 ? r - 65536 : r);
}

int32_t Integer(std::string_view text, bool* hasDigits) {
  bool negative;
  size_t i = SkipSpaceAndSign(text, &negative);
  const size_t first = i;
  int64_t magnitude = 0;
  for (; i < text.size() && Digit(text[i]); ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > 4294967296) magnitude = 4294967296;  // far enough past either limit
  }
  if (hasDigits) *hasDigits = i > first;
  const int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

double Real(std::string_view text, bool* hasNumber) {
  size_t start = 0;
  while (start < text.size() && Space(text[start])) ++start;
  bool negative;
  size_t i = SkipSpaceAndSign(text, &negative);
  size_t mantissaDigits = 0;
  for (; i < text.size() && Digit(text[i]); ++i) ++mantissaDigits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    for (; i < text.size() && Digit(text[i]); ++i) ++mantissaDigits;
  }
  if (hasNumber) *hasNumber = mantissaDigits > 0;
  if (mantissaDigits == 0) return 0.0;
  // An exponent counts only with at least one digit.
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < text.size() && Digit(text[j])) {
      while (j < text.size() && Digit(text[j])) ++j;
      i = j;
    }
  }
  const std::string number(text.substr(start, i - start));
  return std::strtod(number.c_str(), nullptr);
}

float NarrowToFloat(double value) {
  const double largest = static_cast<double>(std::numeric_limits<float>::max());
  // Halfway between the largest float and 2^128.
  const double halfway = std::ldexp(2.0 - std::ldexp(1.0, -24), 127);
  const double magnitude = std::fabs(value);
  float narrowed;
  if (magnitude >= halfway) {
    narrowed = std::numeric_limits<float>::infinity();
  } else if (magnitude > largest) {
    narrowed = std::numeric_limits<float>::max();
  } else {
    narrowed = static_cast<float>(magnitude);
  }
  return std::signbit(value) ? -narrowed : narrowed;
}

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ',') {
      ++i;
      continue;
    }
    const size_t start = i;
    while (i < line.size() && line[i] != ',') ++i;
    fields.push_back(line.substr(start, i - start));
  }
  return fields;
}

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t lf = text.find('\n', start);
    if (lf == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    std::string line(text.substr(start, lf - start));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    line.push_back('\n');
    lines.push_back(std::move(line));
    start = lf + 1;
  }
  return lines;
}

bool IsDataLine(std::string_view line) { return !line.empty() && (Digit(line[0]) || line[0] == '-'); }

bool ExpectedSample(const ConversionOptions& o, bool real, std::string_view line, SensorSample* sample) {
  const std::vector<std::string_view> fields = Fields(line);
  const int64_t leading = o.skipDataCount < 1 ? 1 : o.skipDataCount;
  if (static_cast<int64_t>(fields.size()) < leading + 6) return false;

  int16_t seqno = 0;
  if (o.seqnoIndex >= 1 && o.seqnoIndex <= leading) seqno = Low16(Integer(fields[o.seqnoIndex - 1]));

  int16_t values[6];
  for (int k = 0; k < 6; ++k) {
    const std::string_view field = fields[static_cast<size_t>(leading + k)];
    const bool acc = k < 3;
    if (real) {
      const double product = Real(field) * static_cast<double>(acc ? o.accScalingFactorReal : o.gyroScalingFactorReal);
      const double whole = std::trunc(product);
      const bool fits = !std::isnan(whole) && whole >= -2147483648.0 && whole <= 2147483647.0;
      values[k] = fits ? Low16(static_cast<int64_t>(whole)) : 0;
    } else {
      const int64_t cut = Low16(Integer(field));
      values[k] = Low16(cut * (acc ? o.accScalingFactor : o.gyroScalingFactor));
    }
  }
  *sample = SensorSample{seqno, values[0], values[1], values[2], values[3], values[4], values[5]};
  return true;
}

std::vector<SensorSample> ExpectedSamples(const ConversionOptions& options, bool real, std::string_view text) {
  std::vector<SensorSample> samples;
  for (const std::string& line : Lines(text)) {
    SensorSample s;
    if (IsDataLine(line) && ExpectedSample(options, real, line, &s)) samples.push_back(s);
  }
  return samples;
}

bool SameSample(const SensorSample& a, const SensorSample& b) {
  return a.seqno == b.seqno && a.accX == b.accX && a.accY == b.accY && a.accZ == b.accZ && a.gyroX == b.gyroX &&
         a.gyroY == b.gyroY && a.gyroZ == b.gyroZ;
}

std::string Describe(const SensorSample& s) {
  return std::to_string(s.seqno) + "," + std::to_string(s.accX) + "," + std::to_string(s.accY) + "," +
         std::to_string(s.accZ) + "," + std::to_string(s.gyroX) + "," + std::to_string(s.gyroY) + "," +
         std::to_string(s.gyroZ);
}

}  // namespace reference
