// Independent reference readings of text recordings, against which the fuzz
// targets check the project's readers.  They are written for clarity, not
// speed, from the rules of the formats:
//
// - A line ends at a line feed, which belongs to the line; CR LF counts as
//   LF; a last line without a line feed is a line too.
// - A data line begins with a decimal digit or "-".
// - A field is a maximal run of bytes other than the comma.
// - The first L fields (L = skipDataCount, at least 1) are leading columns,
//   column seqnoIndex of them the sequence number; the next six are
//   acceleration x, y, z and angular rate x, y, z.
// - Integers: white space, a sign, decimal digits, saturated to 32 bits.
//   Reals: the longest decimal number (sign, digits, point, exponent) that
//   leads the text, correctly rounded by the C library's strtod; no
//   hexadecimal, infinity or NaN spelling.
#ifndef BRELVIK_FUZZ_REFERENCE_H_
#define BRELVIK_FUZZ_REFERENCE_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "driver/options.h"
#include "recordings/sensor_sample.h"

namespace reference {

// v modulo 65536 as a signed 16-bit number.
int16_t Low16(int64_t v);

int32_t Integer(std::string_view text, bool* hasDigits = nullptr);
double Real(std::string_view text, bool* hasNumber = nullptr);
// A double narrowed to float by IEEE rounding to nearest, overflowing to
// infinity from halfway past the largest float.
float NarrowToFloat(double value);

std::vector<std::string_view> Fields(std::string_view line);

// The lines of a text, each with its line feed (CR LF given as LF).
std::vector<std::string> Lines(std::string_view text);
bool IsDataLine(std::string_view line);

// The sample of one data line in the integer or the real form; false when
// the line has fewer than L + 6 fields.
bool ExpectedSample(const ConversionOptions& options, bool real, std::string_view line, SensorSample* sample);

// The samples of every data line with enough fields, in file order.
std::vector<SensorSample> ExpectedSamples(const ConversionOptions& options, bool real, std::string_view text);

bool SameSample(const SensorSample& a, const SensorSample& b);
std::string Describe(const SensorSample& s);

}  // namespace reference

#endif  // BRELVIK_FUZZ_REFERENCE_H_
