// Fuzz target: a whole conversion of an arbitrary byte string as a text
// recording, through ConvertTextFile.
//
// Input: the settings bytes (fuzz_options.h), a layout byte and a shift
// byte, then the recording.  When the layout byte's low three bits are 001,
// the recording is preceded by one long comment line that puts the reader's
// 256 KiB block boundary `shift` bytes into the recording, so that lines,
// CR LF pairs and fields are cut by a block boundary.
//
// The feature file must have exactly one header line, the one its flags
// select, and one row per sample kept (data lines with enough fields,
// counted independently; every N-th under decimation), each row with as
// many integer fields as the header names and the input's values in its
// sample columns (feature_check.h); see conversion_check.h for the rest.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/captured_output.h"
#include "fuzz/conversion_check.h"
#include "fuzz/fuzz_options.h"
#include "fuzz/reference.h"
#include "fuzz/scratch.h"
#include "recordings/text_recording.h"

namespace {

// The text reader reads its input in blocks of this size.
constexpr size_t kReaderBlock = size_t{1} << 18;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string input = fuzz::ScratchPath("in.csv");
  static const std::string output = fuzz::ScratchPath("out_JUX.csv");
  fuzz::ByteReader bytes(data, size);
  fuzz::ConversionRun run;
  run.inputName = "in.csv";
  run.outputName = "out_JUX.csv";
  run.before = fuzz::OptionsFromBytes(&bytes);
  const uint8_t layout = bytes.Next();
  const uint8_t shift = bytes.Next();

  std::string recording;
  if ((layout & 7) == 1) {
    const size_t padding = kReaderBlock - shift;
    recording.reserve(padding + bytes.Rest().size());
    recording += '#';
    recording.append(padding - 2, 'x');
    recording += '\n';
  }
  recording += bytes.Rest();
  fuzz::WriteFileOrDie(input, recording);
  fuzz::RemoveFile(output);

  run.after = run.before;
  fuzz::CapturedOutput captured;
  run.result = ConvertTextFile(input, &output, &run.after, &run.error);
  captured.Finish();

  const bool real = run.before.fileType == 2;
  fuzz::CheckConversion(run, captured, reference::ExpectedSamples(run.before, real, recording));
  return 0;
}
