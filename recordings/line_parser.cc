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
  int16_t stored;
  bool inRange;
  if (real_) {
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
  } else {
    // Cut to 16 bits, multiply modulo 2^32, cut again.
    int32_t value = integer_.Value();
    int16_t cut = numbers::Low16(static_cast<uint32_t>(value));
    int32_t factor = acc ? accFactor_ : gyroFactor_;
    uint32_t product = static_cast<uint32_t>(int32_t{cut}) * static_cast<uint32_t>(factor);
    stored = numbers::Low16(product);
    int64_t exact = int64_t{cut} * factor;
    inRange = value == cut && exact == stored;
  }
  values_[index] = stored;
  if (!inRange) ++lineOutOfRange_;
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
