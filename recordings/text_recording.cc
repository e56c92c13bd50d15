// The text-recording converter: reads the input in large blocks, finds the
// data lines (first character a digit or "-"), feeds them to the line
// parser piece by piece and the samples to the processor.  A line that ends
// in CR LF is read as if it ended in LF.
#include "recordings/text_recording.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "features/processor.h"
#include "recordings/input_file.h"
#include "recordings/line_parser.h"
#include "recordings/output_name.h"
#include "recordings/warnings.h"

namespace {

constexpr size_t kBlockSize = 1 << 18;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// Counts of what the conversion passed over, for the warnings.
struct LineCounts {
  int64_t dataLines = 0;
  int64_t shortLines = 0;
};

// Reads the whole input.  Returns false with errno set on a read error.
bool ReadLines(std::FILE* in, bool fastIntegers, LineParser* parser, SampleProcessor* processor,
               LineCounts* counts) {
  enum State { kLineStart, kData, kDataSkipRest, kSkip };
  State state = kLineStart;
  bool pendingCR = false;  // a data line's piece ended in CR; LF may follow
  SensorSample sample{};
  static const char kCR = '\r';
  static const char kLF = '\n';

  auto endLine = [&]() {
    ++counts->dataLines;
    if (parser->EndLine(&sample)) {
      ProcessSample(processor, &sample);
    } else {
      ++counts->shortLines;
    }
  };
  auto feed = [&](const char* p, const char* end) {
    if (state == kData && parser->Feed(p, end)) state = kDataSkipRest;
  };

  std::unique_ptr<char[]> block(new char[kBlockSize]);
  for (;;) {
    const size_t n = std::fread(block.get(), 1, kBlockSize, in);
    if (n == 0) break;
    char* p = block.get();
    char* const end = p + n;
    while (p < end) {
      char* nl = static_cast<char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
      if (state == kLineStart) {
        const char c = *p;
        if (numbers::IsDigit(c) || c == '-') {
          if (nl && fastIntegers) {
            // The whole line is in the block: parse it in one pass, its
            // CR LF turned into LF in place.
            const char* lineEnd = nl + 1;
            if (nl > p && nl[-1] == '\r') {
              nl[-1] = '\n';
              lineEnd = nl;
            }
            ++counts->dataLines;
            if (parser->ParseIntegerLineInMemory(p, lineEnd, &sample)) {
              ProcessSample(processor, &sample);
            } else {
              ++counts->shortLines;
            }
            p = nl + 1;
            continue;
          }
          state = kData;
          parser->BeginLine();
        } else {
          state = kSkip;
        }
      }
      if (state == kSkip) {
        if (!nl) break;
        p = nl + 1;
        state = kLineStart;
        continue;
      }
      // A data line.  A CR held back from the previous block is a character
      // of the line unless the LF follows at once.
      if (pendingCR) {
        pendingCR = false;
        if (p != nl) feed(&kCR, &kCR + 1);
      }
      if (nl) {
        if (nl > p && nl[-1] == '\r') {
          feed(p, nl - 1);
          feed(&kLF, &kLF + 1);
        } else {
          feed(p, nl + 1);
        }
        endLine();
        p = nl + 1;
        state = kLineStart;
      } else {
        const char* body = end[-1] == '\r' ? end - 1 : end;
        pendingCR = body != end;
        feed(p, body);
        break;
      }
    }
  }
  if (std::ferror(in)) return false;
  if (state == kData || state == kDataSkipRest) {
    if (pendingCR) feed(&kCR, &kCR + 1);
    endLine();
  }
  return true;
}

}  // namespace

int ConvertTextFile(const std::string& inputName, const std::string* outputName,
                    ConversionOptions* options, std::string* error) {
  std::unique_ptr<std::FILE, FileCloser> in(OpenInput(inputName, error));
  if (!in) return -1;
  const std::string output = outputName ? *outputName : DefaultOutputName(inputName);
  std::printf("%s -> %s\n", inputName.c_str(), output.c_str());

  LineParser parser(*options, options->fileType == 2);
  SampleProcessor processor;
  if (OpenProcessor(&processor, options, output, error, &inputName) != 0) return -1;

  LineCounts counts;
  errno = 0;
  if (!ReadLines(in.get(), options->fileType != 2, &parser, &processor, &counts)) {
    *error = std::string("read error: ") + std::strerror(errno ? errno : EIO);
    AbandonProcessor(&processor);
    return -1;
  }
  if (CloseProcessor(&processor, error) != 0) return -1;

  if (counts.dataLines == 0) {
    Warn(inputName, "no data lines (a data line begins with a digit or \"-\"); the feature file holds the header only");
  }
  if (counts.shortLines > 0) {
    Warn(inputName, std::to_string(counts.shortLines) + " data line(s) with fewer than " +
                        std::to_string(parser.fieldsNeeded()) + " fields skipped");
  }
  if (parser.valuesOutOfRange() > 0) {
    Warn(inputName, std::to_string(parser.valuesOutOfRange()) +
                        " value(s) outside -32768..32767 were cut to 16 bits");
  }
  return 0;
}
