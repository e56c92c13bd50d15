// Turns one data line of a text recording into a SensorSample.
//
// A line is split into fields at commas; consecutive commas are one
// separator, and the line feed that ends a line belongs to its last field.
// The first L fields (L = skipDataCount, at least 1) are leading columns, one
// of which may hold the sequence number; the next six are acceleration x, y,
// z and angular rate x, y, z.  Later fields are not read.
//
// The parser is fed the line in pieces, so a line of any length is handled
// with bounded memory: only the fields it needs are converted, and it says
// when it needs nothing more of the line.
#ifndef BRELVIK_RECORDINGS_LINE_PARSER_H_
#define BRELVIK_RECORDINGS_LINE_PARSER_H_

#include <cstdint>
#include <string_view>

#include "driver/options.h"
#include "recordings/number_fields.h"
#include "recordings/sensor_sample.h"

class LineParser {
 public:
  // realValues selects the real form (FILETYPE 2) or the integer form.
  LineParser(const ConversionOptions& options, bool realValues);

  void BeginLine();
  // Feeds the next piece of the line.  Returns true when the rest of the
  // line cannot change the sample.
  bool Feed(const char* p, const char* end);
  // Finishes the line.  Returns true and fills *sample when the line held
  // all leading columns and six values; false when it was too short.
  bool EndLine(SensorSample* sample);

  // The integer form of a whole line held in memory, in one pass: the same
  // result as BeginLine, Feed and EndLine.  The line's last character, and
  // its only line feed, must be the LF that ends it.
  bool ParseIntegerLineInMemory(const char* p, const char* end, SensorSample* sample);

  // Sensor values of the finished lines that lay outside -32768..32767
  // before they were cut to 16 bits.
  int64_t valuesOutOfRange() const { return outOfRange_; }
  // Number of fields a data line needs.
  int64_t fieldsNeeded() const { return valueEnd_; }

 private:
  enum Role : uint8_t { kIgnored, kSeqno, kValue, kBeyond };
  void StartField();
  void FinishField();
  void StoreInteger(int index, int32_t value);
  Role RoleOf(int64_t field) const;

  bool real_;
  int64_t leading_;     // L
  int64_t seqnoField_;  // 1-based field of the sequence number, or 0
  int64_t valueEnd_;    // L + 6: the last field that is read
  int32_t accFactor_, gyroFactor_;
  double accFactorReal_, gyroFactorReal_;

  int64_t field_ = 0;  // fields started on this line
  bool inField_ = false;
  bool fieldDone_ = false;  // the current field's conversion has stopped
  Role role_ = kIgnored;
  numbers::IntegerField integer_;
  numbers::RealField realValue_;
  int32_t seqno_ = 0;
  int16_t values_[6] = {};
  int64_t outOfRange_ = 0;
  int lineOutOfRange_ = 0;
};

// Whole-line forms, as used for one line held in memory.  They return 0 and
// fill every field of *sample, or -1 when the line has too few fields.
int ParseIntegerLine(const ConversionOptions& options, std::string_view line, SensorSample* sample);
int ParseRealLine(const ConversionOptions& options, std::string_view line, SensorSample* sample);

#endif  // BRELVIK_RECORDINGS_LINE_PARSER_H_
