// Field splitting and value conversion of text-recording data lines.
#include "recordings/line_parser.h"

#include <cstring>

LineParser::LineParser(const ConversionOptions& options, bool realValues)
    : real_(realValues),
      leading_(options.skipDataCount < 1 ? 1 : options.skipDataCount),
      seqnoField_(options.seqnoIndex >= 1 && options.seqnoIndex <= leading_ ? options.seqnoIndex : 0),
      valueEnd_(leading_ + 6),
      accFactor_(options.accScalingFactor),
      gyroFactor_(options.gyroScalingFactor),
      accFactorReal_(static_cast<double>(options.accScalingFactorReal)),
      gyroFactorReal_(static_cast<double>(options.gyroScalingFactorReal)) {}

void LineParser::BeginLine() {
  field_ = 0;
  inField_ = false;
  seqno_ = 0;
  lineOutOfRange_ = 0;
}

LineParser::Role LineParser::RoleOf(int64_t field) const {
  if (field > valueEnd_) return kBeyond;
  if (field > leading_) return kValue;
  return field == seqnoField_ ? kSeqno : kIgnored;
}

void LineParser::StartField() {
  ++field_;
  inField_ = true;
  fieldDone_ = false;
  role_ = RoleOf(field_);
  if (role_ == kSeqno || (role_ == kValue && !real_)) {
    integer_.Reset();
  } else if (role_ == kValue) {
    realValue_.Reset();
  }
}

void LineParser::FinishField() {
  inField_ = false;
  if (role_ == kSeqno) {
    seqno_ = integer_.Value();
    return;
  }
  if (role_ != kValue) return;
  const int index = static_cast<int>(field_ - leading_ - 1);
  const bool acc = index < 3;
  if (real_) {
    int16_t stored;
    bool inRange;
    // The product in double, truncated toward zero to 32 bits, then cut.
    double product = realValue_.Value() * (acc ? accFactorReal_ : gyroFactorReal_);
    if (product > -2147483649.0 && product < 2147483648.0) {
      int32_t whole = static_cast<int32_t>(product);
      stored = numbers::Low16(static_cast<uint32_t>(whole));
      inRange = whole >= -32768 && whole <= 32767;
    } else {
      stored = 0;
      inRange = false;
    }
    values_[index] = stored;
    if (!inRange) ++lineOutOfRange_;
  } else {
    StoreInteger(index, integer_.Value());
  }
}

inline void LineParser::StoreInteger(int index, int32_t value) {
  // Cut to 16 bits, multiply modulo 2^32, cut again.
  const int16_t cut = numbers::Low16(static_cast<uint32_t>(value));
  const int32_t factor = index < 3 ? accFactor_ : gyroFactor_;
  const uint32_t product = static_cast<uint32_t>(int32_t{cut}) * static_cast<uint32_t>(factor);
  const int16_t stored = numbers::Low16(product);
  values_[index] = stored;
  if (value != cut || int64_t{cut} * factor != stored) ++lineOutOfRange_;
}

namespace {

// The integer conversion at p, which it advances past the number.  last
// points at the line feed that ends the line, which stops every loop.
inline int32_t ConvertInteger(const char*& p, const char* last) {
  while (p < last && numbers::IsSpace(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  const char* const digits = p;
  uint64_t magnitude = 0;
  for (unsigned d; (d = static_cast<unsigned char>(*p) - static_cast<unsigned>('0')) < 10; ++p) {
    magnitude = magnitude * 10 + d;
  }
  constexpr uint64_t kLimit = uint64_t{1} << 31;
  if (p - digits > 18) {
    // Too many digits for 64 bits: convert again, saturating as it goes.
    magnitude = 0;
    for (const char* q = digits; q < p && magnitude <= kLimit; ++q) magnitude = magnitude * 10 + (*q - '0');
  }
  if (negative) return magnitude >= kLimit ? INT32_MIN : -static_cast<int32_t>(magnitude);
  return magnitude >= kLimit ? INT32_MAX : static_cast<int32_t>(magnitude);
}

}  // namespace

bool LineParser::ParseIntegerLineInMemory(const char* p, const char* end, SensorSample* sample) {
  // One pass over the line: the same fields and conversions as Feed, without
  // the state kept for lines that arrive in pieces.  The line's only line
  // feed, its last character, ends every loop.
  BeginLine();
  const char* const last = end - 1;
  int64_t field = 0;
  for (;;) {
    while (*p == ',') ++p;
    ++field;  // a field starts here, perhaps the line feed alone
    if (field > leading_ || field == seqnoField_) {
      const int32_t value = ConvertInteger(p, last);
      if (field == seqnoField_) {
        seqno_ = value;
      } else {
        StoreInteger(static_cast<int>(field - leading_ - 1), value);
        if (field == valueEnd_) break;
      }
    }
    while (*p != ',' && *p != '\n') ++p;
    if (*p == '\n') break;
  }
  field_ = field;
  return EndLine(sample);
}

bool LineParser::Feed(const char* p, const char* end) {
  while (p < end) {
    if (!inField_) {
      while (p < end && *p == ',') ++p;
      if (p == end) return false;
      if (field_ == valueEnd_) {
        // A further field exists; nothing after the last value is read.
        return true;
      }
      StartField();
    }
    const char* comma = static_cast<const char*>(std::memchr(p, ',', static_cast<size_t>(end - p)));
    const char* stop = comma ? comma : end;
    if (!fieldDone_) {
      if (role_ == kSeqno || (role_ == kValue && !real_)) {
        fieldDone_ = integer_.Feed(p, stop);
      } else if (role_ == kValue) {
        fieldDone_ = realValue_.Feed(p, stop);
      } else {
        fieldDone_ = true;
      }
    }
    if (!comma) {
      // The last value's conversion has stopped: the rest of the line
      // cannot change anything.
      return field_ == valueEnd_ && fieldDone_;
    }
    FinishField();
    p = comma + 1;
  }
  return false;
}

bool LineParser::EndLine(SensorSample* sample) {
  if (inField_) FinishField();
  if (field_ < valueEnd_) return false;
  outOfRange_ += lineOutOfRange_;
  sample->seqno = numbers::Low16(static_cast<uint32_t>(seqno_));
  sample->accX = values_[0];
  sample->accY = values_[1];
  sample->accZ = values_[2];
  sample->gyroX = values_[3];
  sample->gyroY = values_[4];
  sample->gyroZ = values_[5];
  return true;
}

static int ParseWholeLine(const ConversionOptions& options, bool real, std::string_view line,
                          SensorSample* sample) {
  LineParser parser(options, real);
  if (!real && !line.empty() && line.find('\n') == line.size() - 1) {
    return parser.ParseIntegerLineInMemory(line.data(), line.data() + line.size(), sample) ? 0 : -1;
  }
  parser.BeginLine();
  parser.Feed(line.data(), line.data() + line.size());
  return parser.EndLine(sample) ? 0 : -1;
}

int ParseIntegerLine(const ConversionOptions& options, std::string_view line, SensorSample* sample) {
  return ParseWholeLine(options, false, line, sample);
}

int ParseRealLine(const ConversionOptions& options, std::string_view line, SensorSample* sample) {
  return ParseWholeLine(options, true, line, sample);
}
