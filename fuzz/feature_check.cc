// Checking a feature file against the samples it was made from.
#include "fuzz/feature_check.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/reference.h"

namespace reference {
namespace {

// Column positions in a row, -1 for a group that is absent.
struct Layout {
  int fallCounter = -1, roll = -1, accDiff = -1, rollDiff = -1;
  int columns = 11;
};

Layout LayoutOf(const ConversionOptions& o) {
  Layout l;
  if (o.fallCounterOut != 0) l.fallCounter = l.columns++;
  if (o.postureOut != 0) {
    l.roll = l.columns;
    l.columns += 3;
  }
  if (o.rmsDiffOut != 0) {
    l.accDiff = l.columns;
    l.columns += 2;
  }
  if (o.postureDiffOut != 0) {
    l.rollDiff = l.columns;
    l.columns += 3;
  }
  return l;
}

// The names of a header line (without its line feed): split at commas, each
// optional name after its ", ".
bool HeaderNames(std::string_view header, std::vector<std::string_view>* names) {
  size_t start = 0;
  for (;;) {
    const size_t comma = header.find(',', start);
    std::string_view name = header.substr(start, comma == std::string_view::npos ? comma : comma - start);
    if (names->size() >= 11) {
      if (name.substr(0, 1) != " ") return false;
      name.remove_prefix(1);
    }
    if (name.empty() || name.find(' ') != std::string_view::npos) return false;
    names->push_back(name);
    if (comma == std::string_view::npos) return true;
    start = comma + 1;
  }
}

// A field as "%d" writes it: the value, and whether the text is exactly that.
bool ParseDecimal(std::string_view field, int32_t* value) {
  if (field.empty() || field.size() > 11) return false;
  const std::string text(field);
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (end != text.c_str() + text.size() || v < INT32_MIN || v > INT32_MAX) return false;
  char printed[16];
  std::snprintf(printed, sizeof printed, "%d", static_cast<int>(v));
  if (text != printed) return false;
  *value = static_cast<int32_t>(v);
  return true;
}

// The magnitude of three floats in the processor's units: the float sum of
// squares, its square root by the double power function rounded to float.
float Root(float u, float v, float w) {
  const float s = (u * u + v * v) + w * w;
  return static_cast<float>(std::pow(static_cast<double>(s), 0.5));
}

int32_t RawAcc(const SensorSample& s) {
  const float ax = static_cast<float>(s.accX) / 8192.0f;
  const float ay = static_cast<float>(s.accY) / 8192.0f;
  const float az = static_cast<float>(s.accZ) / 8192.0f;
  return static_cast<int32_t>(Root(ax, ay, az) * 100.0f);
}

int32_t RawOmega(const SensorSample& s) {
  const float gx = static_cast<float>(s.gyroX) / 65.536f;
  const float gy = static_cast<float>(s.gyroY) / 65.536f;
  const float gz = static_cast<float>(s.gyroZ) / 65.536f;
  return static_cast<int32_t>(Root(gx, gy, gz));
}

std::string RowError(size_t row, const std::string& what) { return "row " + std::to_string(row + 1) + ": " + what; }

}  // namespace

std::string ExpectedHeader(const ConversionOptions& o) {
  std::string header = "seqno,accX,accY,accZ,gyroX,gyroY,gyroZ,lpf_acc,raw_acc,lpf_omega,raw_omega";
  if (o.fallCounterOut != 0) header += ", fall_counter";
  if (o.postureOut != 0) header += ", roll, pitch, yaw";
  if (o.rmsDiffOut != 0) header += ", acc_diff, omega_diff";
  if (o.postureDiffOut != 0) header += ", roll_diff, pitch_diff, yaw_diff";
  return header + "\n";
}

std::vector<SensorSample> ProcessedSamples(const ConversionOptions& o, const std::vector<SensorSample>& offered) {
  if (o.resampleCount < 2) return offered;
  std::vector<SensorSample> kept;
  for (size_t i = 0; i < offered.size(); i += static_cast<size_t>(o.resampleCount)) kept.push_back(offered[i]);
  return kept;
}

std::string CheckFeatureFile(std::string_view text, const ConversionOptions& o,
                             const std::vector<SensorSample>& offered) {
  const size_t headerEnd = text.find('\n');
  if (headerEnd == std::string_view::npos) return "no complete header line";
  const std::string_view header = text.substr(0, headerEnd);
  constexpr std::string_view kFixed = "seqno,accX,accY,accZ,gyroX,gyroY,gyroZ,lpf_acc,raw_acc,lpf_omega,raw_omega";
  if (header.substr(0, kFixed.size()) != kFixed) {
    return "the header line does not begin with the fixed names: " + std::string(header);
  }
  std::vector<std::string_view> names;
  if (!HeaderNames(header, &names)) return "the header line's names are not separated as they should be";
  if (text.substr(0, headerEnd + 1) != ExpectedHeader(o)) {
    return "the header line is not the one the flags select: " + std::string(header);
  }
  const Layout layout = LayoutOf(o);
  if (static_cast<int>(names.size()) != layout.columns) return "the header names a wrong number of columns";

  const std::vector<SensorSample> rows = ProcessedSamples(o, offered);
  std::string_view rest = text.substr(headerEnd + 1);
  std::vector<int32_t> previous(static_cast<size_t>(layout.columns), 0);
  int32_t fallCounter = 0;
  size_t row = 0;
  for (; !rest.empty(); ++row) {
    const size_t lf = rest.find('\n');
    if (lf == std::string_view::npos) return RowError(row, "the last row has no line feed");
    const std::string_view line = rest.substr(0, lf);
    rest.remove_prefix(lf + 1);
    if (row >= rows.size()) return RowError(row, "more rows than processed samples (" + std::to_string(rows.size()) + ")");

    std::vector<int32_t> v;
    size_t start = 0;
    for (;;) {
      const size_t comma = line.find(',', start);
      const std::string_view field = line.substr(start, comma == std::string_view::npos ? comma : comma - start);
      int32_t value;
      if (!ParseDecimal(field, &value)) return RowError(row, "a field that is no decimal integer: \"" + std::string(field) + "\"");
      v.push_back(value);
      if (comma == std::string_view::npos) break;
      start = comma + 1;
    }
    if (v.size() != names.size()) {
      return RowError(row, std::to_string(v.size()) + " fields where the header names " + std::to_string(names.size()));
    }
    for (int c = 0; c < 7; ++c) {
      if (v[c] < -32768 || v[c] > 32767) return RowError(row, "a sample column outside -32768..32767");
    }
    const SensorSample& s = rows[row];
    const SensorSample written{static_cast<int16_t>(v[0]), static_cast<int16_t>(v[1]), static_cast<int16_t>(v[2]),
                               static_cast<int16_t>(v[3]), static_cast<int16_t>(v[4]), static_cast<int16_t>(v[5]),
                               static_cast<int16_t>(v[6])};
    if (!SameSample(written, s)) {
      return RowError(row, "sample columns " + Describe(written) + " where the input gives " + Describe(s));
    }
    if (v[8] != RawAcc(s)) return RowError(row, "raw_acc " + std::to_string(v[8]) + ", expected " + std::to_string(RawAcc(s)));
    if (v[10] != RawOmega(s)) {
      return RowError(row, "raw_omega " + std::to_string(v[10]) + ", expected " + std::to_string(RawOmega(s)));
    }
    if (v[7] < 0 || v[9] < 0) return RowError(row, "a negative filtered magnitude");
    fallCounter = v[7] > o.fallStartThreshold ? 0 : fallCounter + 1;
    if (layout.fallCounter >= 0 && v[layout.fallCounter] != fallCounter) {
      return RowError(row, "fall_counter " + std::to_string(v[layout.fallCounter]) + ", expected " +
                               std::to_string(fallCounter));
    }
    if (layout.accDiff >= 0) {
      if (v[layout.accDiff] != v[7] - previous[7] || v[layout.accDiff + 1] != v[9] - previous[9]) {
        return RowError(row, "acc_diff or omega_diff is not the difference from the previous row");
      }
    }
    if (layout.roll >= 0) {
      // Level offsets are learned only from angles within 20 (roll) and
      // 40 (pitch) degrees of level.
      const bool compensated = o.rollPitchCompensation != 0;
      const int32_t roll = v[layout.roll], pitch = v[layout.roll + 1], yaw = v[layout.roll + 2];
      const int32_t rollLimit = compensated ? 90 + 19 : 90, pitchLimit = compensated ? 180 + 39 : 180;
      if (roll < -rollLimit || roll > rollLimit || pitch < -pitchLimit || pitch > pitchLimit || yaw < -180 ||
          yaw > 180) {
        return RowError(row, "an angle out of its range");
      }
      if (layout.rollDiff >= 0) {
        for (int a = 0; a < 3; ++a) {
          if (v[layout.rollDiff + a] != v[layout.roll + a] - previous[layout.roll + a]) {
            return RowError(row, "an angle difference is not the difference from the previous row");
          }
        }
      }
    }
    previous = v;
  }
  if (row != rows.size()) {
    return std::to_string(row) + " rows where " + std::to_string(rows.size()) + " samples were processed";
  }
  return "";
}

}  // namespace reference
