// Fuzz target: the text-line parsers, whole and fed in pieces.
//
// Input: the settings bytes (fuzz_options.h), two bytes that choose where
// to split the line, then the line itself.  For both the integer and the
// real form:
// - the whole-line parser succeeds exactly when the line has at least
//   max(skipDataCount, 1) + 6 fields (maximal runs of non-comma bytes);
// - the sample it gives equals an independent reading of the line
//   (reference.h): saturated integer conversion cut to 16 bits and scaled,
//   or the correctly rounded real scaled and truncated;
// - LineParser fed the line in two pieces at the split, fed it one byte at
//   a time, and reused after another line, gives the same result, sample
//   and count of values out of range, stopping each time as the converter
//   does once Feed says the rest of the line cannot matter;
// - feeding the rest anyway changes neither result nor sample.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "driver/options.h"
#include "fuzz/check.h"
#include "fuzz/fuzz_options.h"
#include "fuzz/reference.h"
#include "recordings/line_parser.h"

namespace {

struct Parsed {
  bool complete = false;
  SensorSample sample{};
  int64_t outOfRange = 0;
};

// Feeds the pieces in order, stopping once Feed returns true unless
// feedAll is set.
Parsed Feed(LineParser* parser, std::string_view line, size_t pieceSize, size_t firstPiece, bool feedAll) {
  const int64_t before = parser->valuesOutOfRange();
  parser->BeginLine();
  const char* p = line.data();
  const char* const end = p + line.size();
  size_t size = firstPiece;
  bool done = false;
  while (p < end && (!done || feedAll)) {
    const size_t n = size < static_cast<size_t>(end - p) ? size : static_cast<size_t>(end - p);
    done = parser->Feed(p, p + n) || done;
    p += n;
    size = pieceSize;
  }
  Parsed parsed;
  parsed.complete = parser->EndLine(&parsed.sample);
  parsed.outOfRange = parser->valuesOutOfRange() - before;
  return parsed;
}

void Compare(const Parsed& got, const Parsed& want, const char* how, bool compareCounts) {
  FUZZ_REQUIRE(got.complete == want.complete, std::string(how) + ": the line's completeness differs");
  if (!want.complete) return;
  FUZZ_REQUIRE(reference::SameSample(got.sample, want.sample),
               std::string(how) + ": sample " + reference::Describe(got.sample) + " where the whole line gives " +
                   reference::Describe(want.sample));
  if (compareCounts) {
    FUZZ_REQUIRE(got.outOfRange == want.outOfRange, std::string(how) + ": another count of values out of range");
  }
}

void CheckForm(const ConversionOptions& o, bool real, std::string_view line, size_t split) {
  SensorSample whole{};
  const int result = real ? ParseRealLine(o, line, &whole) : ParseIntegerLine(o, line, &whole);

  const int64_t fields = static_cast<int64_t>(reference::Fields(line).size());
  const int64_t needed = (o.skipDataCount < 1 ? 1 : int64_t{o.skipDataCount}) + 6;
  FUZZ_REQUIRE(result == (fields >= needed ? 0 : -1),
               "result " + std::to_string(result) + " for " + std::to_string(fields) + " fields, " +
                   std::to_string(needed) + " needed; " + fuzz::Describe(o));

  SensorSample expected;
  const bool complete = reference::ExpectedSample(o, real, line, &expected);
  FUZZ_REQUIRE(complete == (result == 0), "the reference reading disagrees on the field count");
  if (complete) {
    FUZZ_REQUIRE(reference::SameSample(whole, expected),
                 std::string(real ? "real" : "integer") + " form gives " + reference::Describe(whole) +
                     ", expected " + reference::Describe(expected) + "; " + fuzz::Describe(o));
  }

  LineParser parser(o, real);
  const Parsed once = Feed(&parser, line, line.size() + 1, line.size() + 1, false);
  FUZZ_REQUIRE(once.complete == complete, "LineParser fed the whole line disagrees with the whole-line parser");
  if (complete) Compare(once, Parsed{true, whole, once.outOfRange}, "LineParser, whole line", false);

  Compare(Feed(&parser, line, line.size() + 1, split, false), once, "two pieces", true);
  Compare(Feed(&parser, line, 1, 1, false), once, "one byte at a time", true);
  Compare(Feed(&parser, line, line.size() + 1, split, true), once, "two pieces, all fed", false);

  // A fresh parser after an unrelated line (the second piece alone).
  LineParser reused(o, real);
  Feed(&reused, line.substr(split), line.size() + 1, line.size() + 1, false);
  Compare(Feed(&reused, line, line.size() + 1, line.size() + 1, false), once, "after another line", true);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::ByteReader bytes(data, size);
  const ConversionOptions o = fuzz::OptionsFromBytes(&bytes);
  const unsigned splitLow = bytes.Next();
  const unsigned splitHigh = bytes.Next();
  const std::string_view line = bytes.Rest();
  const size_t split = (splitLow | (splitHigh << 8)) % (line.size() + 1);
  CheckForm(o, false, line, split);
  CheckForm(o, true, line, split);
  return 0;
}
