// Decimal formatting of the integers of a feature-file row, written straight
// into the output buffer (the same digits as printf's "%d").
#ifndef BRELVIK_FEATURES_ROW_FORMAT_H_
#define BRELVIK_FEATURES_ROW_FORMAT_H_

#include <cstdint>

namespace rowformat {

// The longest text AppendInt writes: "-2147483648".
inline constexpr int kMaxIntChars = 11;

inline char* AppendInt(char* out, int32_t value) {
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  uint32_t v = static_cast<uint32_t>(value);
  if (value < 0) {
    *out++ = '-';
    v = 0u - v;
  }
  // Count the digits, then write them from the last one backwards.
  int digits = 1;
  for (uint32_t limit = 10; digits < 10 && v >= limit; limit *= 10) ++digits;
  char* end = out + digits;
  char* d = end;
  while (v >= 100) {
    const uint32_t pair = (v % 100) * 2;
    v /= 100;
    d -= 2;
    d[0] = kPairs[pair];
    d[1] = kPairs[pair + 1];
  }
  if (v >= 10) {
    d[-2] = kPairs[v * 2];
    d[-1] = kPairs[v * 2 + 1];
  } else {
    d[-1] = static_cast<char>('0' + v);
  }
  return end;
}

// ",<value>"
inline char* AppendField(char* out, int32_t value) {
  *out++ = ',';
  return AppendInt(out, value);
}

}  // namespace rowformat

#endif  // BRELVIK_FEATURES_ROW_FORMAT_H_
