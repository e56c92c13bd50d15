// Real-number conversion of text fields fed piece by piece.
#include "recordings/number_fields.h"

#include <charconv>
#include <cstdio>
#include <limits>

namespace numbers {

void RealField::Reset() {
  state_ = kSpace;
  negative_ = haveMantissa_ = sticky_ = expNegative_ = false;
  digitCount_ = 0;
  pointExponent_ = exponent_ = 0;
}

bool RealField::Feed(const char* p, const char* end) {
  // Exponents beyond this are far outside the double range either way.
  constexpr int64_t kExponentCap = 100000000;
  for (; p < end; ++p) {
    const char c = *p;
    switch (state_) {
      case kSpace:
        if (IsSpace(c)) continue;
        if (c == '+' || c == '-') {
          negative_ = c == '-';
          state_ = kSign;
          continue;
        }
        [[fallthrough]];
      case kSign:
        if (IsDigit(c)) {
          state_ = kInteger;
          break;  // handled below as an integer digit
        }
        if (c == '.') {
          state_ = kFraction;
          continue;
        }
        state_ = kDone;
        return true;
      case kInteger:
        break;
      case kFraction:
        if (IsDigit(c)) {
          haveMantissa_ = true;
          if (digitCount_ == 0 && c == '0') {
            --pointExponent_;
          } else if (digitCount_ < kMaxDigits) {
            digits_[digitCount_++] = c;
          } else if (c != '0') {
            sticky_ = true;
          }
          continue;
        }
        if (haveMantissa_ && (c == 'e' || c == 'E')) {
          state_ = kExpMark;
          continue;
        }
        state_ = kDone;
        return true;
      case kExpMark:
        if (c == '+' || c == '-') {
          expNegative_ = c == '-';
          state_ = kExpSign;
          continue;
        }
        [[fallthrough]];
      case kExpSign:
        if (IsDigit(c)) {
          state_ = kExpDigits;
          exponent_ = c - '0';
          continue;
        }
        // "1e" or "1e+" without digits: the exponent is not part of the number.
        exponent_ = 0;
        expNegative_ = false;
        state_ = kDone;
        return true;
      case kExpDigits:
        if (IsDigit(c)) {
          if (exponent_ < kExponentCap) exponent_ = exponent_ * 10 + (c - '0');
          continue;
        }
        state_ = kDone;
        return true;
      case kDone:
        return true;
    }
    // An integer-part character.
    if (IsDigit(c)) {
      haveMantissa_ = true;
      if (digitCount_ == 0 && c == '0') continue;  // leading zero
      if (digitCount_ < kMaxDigits) {
        digits_[digitCount_++] = c;
      } else if (c != '0') {
        sticky_ = true;
      }
      ++pointExponent_;
    } else if (c == '.') {
      state_ = kFraction;
    } else if (c == 'e' || c == 'E') {
      state_ = kExpMark;
    } else {
      state_ = kDone;
      return true;
    }
  }
  return state_ == kDone;
}

double RealField::Value() const {
  if (!haveMantissa_ || digitCount_ == 0) return negative_ && haveMantissa_ ? -0.0 : 0.0;
  bool expIncomplete = state_ == kExpMark || state_ == kExpSign;
  int64_t exp10 = pointExponent_ + (expIncomplete ? 0 : (expNegative_ ? -exponent_ : exponent_));
  // "0.DIGITS[1]e<exp10>": the sticky 1 stands for the dropped non-zero digits.
  char text[kMaxDigits + 40];
  char* out = text;
  if (negative_) *out++ = '-';
  *out++ = '0';
  *out++ = '.';
  for (int i = 0; i < digitCount_; ++i) *out++ = digits_[i];
  if (sticky_) *out++ = '1';
  *out++ = 'e';
  out = std::to_chars(out, text + sizeof text, exp10).ptr;
  double value = 0.0;
  auto result = std::from_chars(text, out, value, std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    // 0.DIGITS lies in [0.1, 1): a positive power of ten overflows, any
    // other underflows.
    value = exp10 > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return negative_ ? -value : value;
  }
  return value;
}

int32_t ParseInteger(std::string_view text, bool* hasNumber) {
  IntegerField field;
  field.Reset();
  field.Feed(text.data(), text.data() + text.size());
  if (hasNumber) *hasNumber = field.HasDigits();
  return field.Value();
}

double ParseReal(std::string_view text, bool* hasNumber) {
  RealField field;
  field.Reset();
  field.Feed(text.data(), text.data() + text.size());
  if (hasNumber) *hasNumber = field.HasNumber();
  return field.Value();
}

float NarrowToFloat(double value) {
  // Halfway between FLT_MAX and the next power of two: from here on IEEE
  // rounding gives infinity.
  constexpr double kOverflow = 0x1.ffffffp127;
  constexpr float kLargest = std::numeric_limits<float>::max();
  if (value >= kOverflow) return std::numeric_limits<float>::infinity();
  if (value <= -kOverflow) return -std::numeric_limits<float>::infinity();
  // Between the largest float and the halfway point: rounds down to it.
  if (value > static_cast<double>(kLargest)) return kLargest;
  if (value < -static_cast<double>(kLargest)) return -kLargest;
  return static_cast<float>(value);
}

}  // namespace numbers
