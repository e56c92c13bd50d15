// Number conversions of text fields, fed piece by piece so that a field of
// any length is converted with bounded memory.  They never depend on the
// locale and never overflow.
//
// IntegerField: leading white space, an optional sign, decimal digits up to
// the first other character; no digits gives 0; values beyond the signed
// 32-bit range saturate at the nearest limit.
//
// RealField: leading white space, an optional sign, decimal digits with an
// optional point and an optional exponent, as a C library reads a decimal
// real, correctly rounded to double (+-infinity or +-0 beyond its range).  No hexadecimal, no "inf", no "nan":
// text without a leading decimal number gives 0.
#ifndef BRELVIK_RECORDINGS_NUMBER_FIELDS_H_
#define BRELVIK_RECORDINGS_NUMBER_FIELDS_H_

#include <cstdint>
#include <string_view>

namespace numbers {

inline bool IsSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');  // \t \n \v \f \r
}
inline bool IsDigit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

// The value modulo 65536, taken as a signed 16-bit number.
inline int16_t Low16(uint32_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v)); }

class IntegerField {
 public:
  void Reset() {
    state_ = kSpace;
    negative_ = false;
    magnitude_digits_ = false;
    magnitude_ = 0;
  }

  // Feeds the next characters of the field.  Returns true once the
  // conversion has stopped, so that the rest of the field can be skipped.
  bool Feed(const char* p, const char* end) {
    while (p < end) {
      const char c = *p;
      if (state_ == kDigits) {
        if (!IsDigit(c)) {
          state_ = kDone;
          return true;
        }
        // Saturate once past 2^31: nothing beyond it is representable.
        if (magnitude_ <= kLimit) magnitude_ = magnitude_ * 10 + (c - '0');
        ++p;
        continue;
      }
      if (state_ == kDone) return true;
      if (state_ == kSpace && IsSpace(c)) {
        ++p;
      } else if (state_ == kSpace && (c == '+' || c == '-')) {
        negative_ = c == '-';
        state_ = kSign;
        ++p;
      } else if (IsDigit(c)) {
        state_ = kDigits;
        magnitude_digits_ = true;
      } else {
        state_ = kDone;
        return true;
      }
    }
    return state_ == kDone;
  }

  // Whether a digit led the field (else its value is 0).
  bool HasDigits() const { return state_ == kDigits || (state_ == kDone && magnitude_digits_); }

  int32_t Value() const {
    if (negative_) return magnitude_ >= kLimit ? INT32_MIN : static_cast<int32_t>(-magnitude_);
    return magnitude_ >= kLimit ? INT32_MAX : static_cast<int32_t>(magnitude_);
  }

 private:
  static constexpr int64_t kLimit = int64_t{1} << 31;
  enum State : uint8_t { kSpace, kSign, kDigits, kDone };
  State state_ = kSpace;
  bool negative_ = false;
  bool magnitude_digits_ = false;
  int64_t magnitude_ = 0;
};

class RealField {
 public:
  void Reset();
  bool Feed(const char* p, const char* end);
  // Whether a decimal number led the field (else its value is 0).
  bool HasNumber() const { return haveMantissa_; }
  // The value, correctly rounded; beyond the double range +-infinity or +-0.
  double Value() const;

 private:
  // Decimal digits beyond this many significant ones cannot change the
  // rounding to double except through whether any of them is non-zero.
  static constexpr int kMaxDigits = 800;
  enum State : uint8_t { kSpace, kSign, kInteger, kFraction, kExpMark, kExpSign, kExpDigits, kDone };
  State state_ = kSpace;
  bool negative_ = false;
  bool haveMantissa_ = false;
  bool sticky_ = false;      // a non-zero digit was dropped
  bool expNegative_ = false;
  int digitCount_ = 0;
  int64_t pointExponent_ = 0;  // value = 0.DIGITS x 10^pointExponent_ x 10^exponent_
  int64_t exponent_ = 0;
  char digits_[kMaxDigits];
};

// Whole-text conveniences; *hasNumber, when given, tells whether a number
// led the text.
int32_t ParseInteger(std::string_view text, bool* hasNumber = nullptr);
double ParseReal(std::string_view text, bool* hasNumber = nullptr);

// A double narrowed to float with IEEE round-to-nearest; values beyond the
// float range become +-infinity (from halfway past the largest float on)
// without undefined behaviour.
float NarrowToFloat(double value);

}  // namespace numbers

#endif  // BRELVIK_RECORDINGS_NUMBER_FIELDS_H_
