// The benchmark suite of the conversion: one case per stage of the
// per-sample path, each calling the program's own functions on realistic
// inputs, and whole conversions of generated recordings of 2,000,000 samples.
// Every case reports items (samples, lines or rows) per second.
//
// Inputs come from the project's generator, make_recording: a short fall
// recording (3,000 samples, one run of the scenario) in both text forms feeds
// the stage cases, and the long recordings feed the end-to-end cases.  They
// are written once into a work folder, by default a fresh folder under /tmp
// removed at exit; --inputs=DIR uses (and keeps) DIR instead and reuses the
// recordings found there.
//
// Options of its own, taken before Google Benchmark's:
//   --inputs=DIR           work folder for the generated inputs and outputs
//   --make_recording=PATH  the generator (default: the one built beside this)
//   --iterations=N         run every case exactly N iterations, so that an
//                          instruction count taken under callgrind divides
//                          evenly by N (one item per iteration in the stage
//                          cases)
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "driver/options.h"
#include "features/low_pass.h"
#include "features/orientation.h"
#include "features/processor.h"
#include "features/stages.h"
#include "recordings/data_set.h"
#include "recordings/line_parser.h"
#include "recordings/sensor_sample.h"
#include "recordings/text_recording.h"
#include "tesk/attitude_estimator.h"

namespace {

namespace fs = std::filesystem;

constexpr int64_t kStageSamples = 3000;        // one run of the fall scenario
constexpr int64_t kLongSamples = 2000000;      // the end-to-end recordings
constexpr double kTimeStep = 0.02;             // the processor's fixed step

// Where the inputs live and how they are made.
struct Settings {
  std::string folder;
  bool removeFolder = false;
  std::string generator = BRELVIK_MAKE_RECORDING;
  int64_t iterations = 0;  // 0: let Google Benchmark choose
};

Settings g_settings;

std::string Quoted(const std::string& text) {
  std::string q = "'";
  for (char c : text) {
    if (c == '\'') {
      q += "'\\''";
    } else {
      q += c;
    }
  }
  return q + "'";
}

// The recording of samples samples of the fall scenario in the given form
// ("int", "real" or "dataset"), generated on first use.  Empty on failure.
std::string Recording(const std::string& form, int64_t samples) {
  const std::string ending = form == "dataset" ? ".bin" : ".csv";
  const std::string path = g_settings.folder + "/fall_" + form + "_" + std::to_string(samples) + ending;
  std::error_code ec;
  if (fs::exists(path, ec)) return path;
  const std::string command = Quoted(g_settings.generator) + " --scenario fall --form " + form +
                              " --samples " + std::to_string(samples) + " -o " + Quoted(path + ".part");
  if (std::system(command.c_str()) != 0) {
    std::cerr << "stages_bench: generating " << path << " failed: " << command << "\n";
    return "";
  }
  fs::rename(path + ".part", path, ec);
  return ec ? "" : path;
}

// The data lines of a text file, each with its line feed.
std::vector<std::string> DataLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && (line[0] == '-' || (line[0] >= '0' && line[0] <= '9'))) lines.push_back(line + "\n");
  }
  return lines;
}

ConversionOptions DefaultOptions() {
  ConversionOptions o;
  InitOptions(&o);
  return o;
}

// The real form as the generator writes it: values in g and degrees per
// second, scaled back to counts.
ConversionOptions RealOptions() {
  ConversionOptions o = DefaultOptions();
  o.fileType = 2;
  o.accScalingFactorReal = 8192.0f;
  o.gyroScalingFactorReal = 65.536f;
  return o;
}

// What each stage consumes, taken from one pass of the fall recording
// through the stages in processing order.
struct StageInputs {
  std::vector<std::string> integerLines;
  std::vector<std::string> realLines;
  std::vector<SensorSample> samples;
  std::vector<Vec3> gyro, acc;           // the estimator's inputs
  std::vector<int32_t> rawAcc;           // for the level compensation
  std::vector<double> quaternions;       // w, x, y, z after each update
  std::vector<stages::Row> rows;
};

StageInputs* g_inputs = nullptr;

// Builds the stage inputs; false when the recordings cannot be made.
bool PrepareStageInputs(StageInputs* in) {
  const std::string integerPath = Recording("int", kStageSamples);
  const std::string realPath = Recording("real", kStageSamples);
  if (integerPath.empty() || realPath.empty()) return false;
  in->integerLines = DataLines(integerPath);
  in->realLines = DataLines(realPath);
  if (in->integerLines.empty() || in->realLines.empty()) return false;

  const ConversionOptions options = DefaultOptions();
  for (const std::string& line : in->integerLines) {
    SensorSample s{};
    if (ParseIntegerLine(options, line, &s) == 0) in->samples.push_back(s);
  }

  LowPassBank bank;
  InitLowPass(&bank, 50, 5);
  AttitudeEstimator estimator;
  InitAttitude(&estimator);
  int32_t rollOffset = 0, pitchOffset = 0, fallCounter = 0;
  stages::Row previous{};
  for (size_t i = 0; i < in->samples.size(); ++i) {
    stages::Row row{};
    row.sample = in->samples[i];
    float filtered[6];
    row.magnitudes = stages::FilterAndMeasure(&bank, row.sample, filtered);
    const Vec3 gyro{filtered[3], filtered[4], filtered[5]};
    const Vec3 acc{filtered[0], filtered[1], filtered[2]};
    in->gyro.push_back(gyro);
    in->acc.push_back(acc);
    in->rawAcc.push_back(row.magnitudes.rawAcc);
    AdvanceAttitude(&estimator, gyro, acc, kTimeStep);
    const Quaternion& q = *estimator.orientation;
    in->quaternions.insert(in->quaternions.end(), {q.s, q.v[0], q.v[1], q.v[2]});
    row.angles = AnglesOf(q.s, q.v[0], q.v[1], q.v[2]);
    LevelAngles(&row.angles, false, static_cast<int32_t>(i), row.magnitudes.rawAcc, &rollOffset, &pitchOffset);
    fallCounter = row.magnitudes.lpfAcc > 60 ? 0 : fallCounter + 1;
    row.fallCounter = fallCounter;
    row.accDiff = row.magnitudes.lpfAcc - previous.magnitudes.lpfAcc;
    row.omegaDiff = row.magnitudes.lpfOmega - previous.magnitudes.lpfOmega;
    row.rollDiff = row.angles.roll - previous.angles.roll;
    row.pitchDiff = row.angles.pitch - previous.angles.pitch;
    row.yawDiff = row.angles.yaw - previous.angles.yaw;
    in->rows.push_back(row);
    previous = row;
  }
  ReleaseAttitude(&estimator);
  return !in->samples.empty();
}

// Cycles through n entries, one per call.
struct Cycle {
  explicit Cycle(size_t n) : size(n) {}
  size_t Next() {
    const size_t i = index;
    index = index + 1 == size ? 0 : index + 1;
    return i;
  }
  size_t size;
  size_t index = 0;
};

void ParseLines(benchmark::State& state, const std::vector<std::string>& lines,
                const ConversionOptions& options, int (*parse)(const ConversionOptions&, std::string_view,
                                                                SensorSample*)) {
  Cycle cycle(lines.size());
  SensorSample sample{};
  int64_t bytes = 0;
  for (auto _ : state) {
    const std::string& line = lines[cycle.Next()];
    bytes += static_cast<int64_t>(line.size());
    benchmark::DoNotOptimize(parse(options, line, &sample));
    benchmark::DoNotOptimize(sample);
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(bytes);
}

// One integer-form line ("seqno,ax,ay,az,gx,gy,gz") into a sample.
void BM_ParseIntegerLine(benchmark::State& state) {
  ParseLines(state, g_inputs->integerLines, DefaultOptions(), ParseIntegerLine);
}

// One real-form line (time in seconds, values in g and degrees per second
// with up to 13 decimals) into a sample.
void BM_ParseRealLine(benchmark::State& state) {
  ParseLines(state, g_inputs->realLines, RealOptions(), ParseRealLine);
}

// Scaling, the six low-pass filters and the four magnitudes of one sample.
void BM_FilterAndMeasure(benchmark::State& state) {
  LowPassBank bank;
  InitLowPass(&bank, 50, 5);
  float filtered[6];
  const std::vector<SensorSample>& samples = g_inputs->samples;
  Cycle cycle(samples.size());
  for (auto _ : state) {
    benchmark::DoNotOptimize(stages::FilterAndMeasure(&bank, samples[cycle.Next()], filtered));
    benchmark::DoNotOptimize(filtered);
  }
  state.SetItemsProcessed(state.iterations());
}

// One estimator update with its rotation matrix, as the estimator's
// interface offers it.
void BM_UpdateAttitude(benchmark::State& state) {
  AttitudeEstimator estimator;
  InitAttitude(&estimator);
  const Vec3 extra{0.0, 0.0, 0.0};
  Cycle cycle(g_inputs->gyro.size());
  for (auto _ : state) {
    const size_t i = cycle.Next();
    matrix<double> rotation = UpdateAttitude(&estimator, g_inputs->gyro[i], g_inputs->acc[i], extra, kTimeStep);
    benchmark::DoNotOptimize(rotation);
  }
  ReleaseAttitude(&estimator);
  state.SetItemsProcessed(state.iterations());
}

// One estimator update without the rotation matrix, as the processor uses it.
void BM_AdvanceAttitude(benchmark::State& state) {
  AttitudeEstimator estimator;
  InitAttitude(&estimator);
  Cycle cycle(g_inputs->gyro.size());
  for (auto _ : state) {
    const size_t i = cycle.Next();
    AdvanceAttitude(&estimator, g_inputs->gyro[i], g_inputs->acc[i], kTimeStep);
    benchmark::DoNotOptimize(estimator.orientation->s);
  }
  ReleaseAttitude(&estimator);
  state.SetItemsProcessed(state.iterations());
}

// Roll, pitch and yaw of one orientation with the level compensation on
// (offsets learned in rows 51 to 60 of every pass, as in a new file).
void BM_Angles(benchmark::State& state) {
  const std::vector<double>& q = g_inputs->quaternions;
  Cycle cycle(g_inputs->rawAcc.size());
  int32_t rollOffset = 0, pitchOffset = 0;
  for (auto _ : state) {
    const size_t i = cycle.Next();
    if (i == 0) rollOffset = pitchOffset = 0;
    Angles angles = AnglesOf(q[4 * i], q[4 * i + 1], q[4 * i + 2], q[4 * i + 3]);
    LevelAngles(&angles, true, static_cast<int32_t>(i), g_inputs->rawAcc[i], &rollOffset, &pitchOffset);
    benchmark::DoNotOptimize(angles);
  }
  state.SetItemsProcessed(state.iterations());
}

// The text of one row with every default column (twenty integers).
void BM_FormatRow(benchmark::State& state) {
  const ConversionOptions options = DefaultOptions();
  constexpr size_t kRowsPerBuffer = 4096;
  std::unique_ptr<char[]> buffer(new char[kRowsPerBuffer * stages::kMaxRowChars]);
  char* const limit = buffer.get() + (kRowsPerBuffer - 1) * stages::kMaxRowChars;
  char* out = buffer.get();
  const std::vector<stages::Row>& rows = g_inputs->rows;
  Cycle cycle(rows.size());
  int64_t bytes = 0;
  for (auto _ : state) {
    char* const start = out;
    out = stages::FormatRow(out, rows[cycle.Next()], options);
    bytes += out - start;
    if (out > limit) {
      benchmark::ClobberMemory();
      out = buffer.get();
    }
  }
  benchmark::DoNotOptimize(buffer.get());
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(bytes);
}

// Everything the processor does for one sample, the row written to
// /dev/null: the stages above together, the history, the fall counter and
// the output buffer.
void BM_ProcessSample(benchmark::State& state) {
  ConversionOptions options = DefaultOptions();
  SampleProcessor processor;
  std::string error;
  if (OpenProcessor(&processor, &options, "/dev/null", &error) != 0) {
    state.SkipWithError(error.c_str());
    return;
  }
  const std::vector<SensorSample>& samples = g_inputs->samples;
  Cycle cycle(samples.size());
  for (auto _ : state) ProcessSample(&processor, &samples[cycle.Next()]);
  CloseProcessor(&processor, &error);
  state.SetItemsProcessed(state.iterations());
}

// Sends standard output to /dev/null while it lives: the converters print
// their progress line there.
class QuietStdout {
 public:
  QuietStdout() {
    std::cout.flush();
    std::fflush(stdout);
    saved_ = dup(STDOUT_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0) {
      dup2(null, STDOUT_FILENO);
      close(null);
    }
  }
  ~QuietStdout() {
    std::fflush(stdout);
    if (saved_ >= 0) {
      dup2(saved_, STDOUT_FILENO);
      close(saved_);
    }
  }
  QuietStdout(const QuietStdout&) = delete;
  QuietStdout& operator=(const QuietStdout&) = delete;

 private:
  int saved_;
};

using Converter = int (*)(const std::string&, const std::string*, ConversionOptions*, std::string*);

// A whole conversion of a long recording, into output ("" for a file in the
// work folder).
void Convert(benchmark::State& state, Converter convert, const std::string& form, std::string output) {
  const std::string input = Recording(form, kLongSamples);
  if (input.empty()) {
    state.SkipWithError("the recording could not be generated");
    return;
  }
  const bool toFile = output.empty();
  if (toFile) output = g_settings.folder + "/bench_out_JUX.csv";
  std::error_code ec;
  const int64_t inputBytes = static_cast<int64_t>(fs::file_size(input, ec));
  std::string error;
  {
    QuietStdout quiet;
    for (auto _ : state) {
      ConversionOptions options = DefaultOptions();
      if (convert(input, &output, &options, &error) != 0) break;
    }
  }
  if (toFile) fs::remove(output, ec);
  if (!error.empty()) {
    state.SkipWithError(error.c_str());
    return;
  }
  state.SetItemsProcessed(state.iterations() * kLongSamples);
  state.SetBytesProcessed(state.iterations() * inputBytes);
}

void BM_ConvertTextFileToNull(benchmark::State& state) { Convert(state, ConvertTextFile, "int", "/dev/null"); }
void BM_ConvertTextFileToFile(benchmark::State& state) { Convert(state, ConvertTextFile, "int", ""); }
void BM_ConvertDataSetFileToNull(benchmark::State& state) {
  Convert(state, ConvertDataSetFile, "dataset", "/dev/null");
}
void BM_ConvertDataSetFileToFile(benchmark::State& state) { Convert(state, ConvertDataSetFile, "dataset", ""); }

void Register() {
  struct Case {
    const char* name;
    void (*function)(benchmark::State&);
    bool whole;  // a whole conversion: milliseconds, wall time
  };
  static const Case kCases[] = {
      {"ParseIntegerLine", BM_ParseIntegerLine, false},
      {"ParseRealLine", BM_ParseRealLine, false},
      {"FilterAndMeasure", BM_FilterAndMeasure, false},
      {"UpdateAttitude", BM_UpdateAttitude, false},
      {"AdvanceAttitude", BM_AdvanceAttitude, false},
      {"Angles", BM_Angles, false},
      {"FormatRow", BM_FormatRow, false},
      {"ProcessSample", BM_ProcessSample, false},
      {"ConvertTextFile/int/dev_null", BM_ConvertTextFileToNull, true},
      {"ConvertTextFile/int/file", BM_ConvertTextFileToFile, true},
      {"ConvertDataSetFile/dev_null", BM_ConvertDataSetFileToNull, true},
      {"ConvertDataSetFile/file", BM_ConvertDataSetFileToFile, true},
  };
  for (const Case& c : kCases) {
    benchmark::internal::Benchmark* b = benchmark::RegisterBenchmark(c.name, c.function);
    // A whole conversion takes most of a second: a few of them, timed by the
    // wall clock since reading and writing are part of the cost.
    if (c.whole) b->Unit(benchmark::kMillisecond)->UseRealTime();
    if (g_settings.iterations > 0) {
      b->Iterations(g_settings.iterations);
    } else if (c.whole) {
      b->MinTime(2.0);
    }
  }
}

// Takes this program's own options out of argv; false on a malformed one.
bool TakeOptions(int* argc, char** argv) {
  int kept = 1;
  for (int i = 1; i < *argc; ++i) {
    const std::string_view arg = argv[i];
    auto value = [&](std::string_view name) { return arg.substr(name.size()); };
    if (arg.starts_with("--inputs=")) {
      g_settings.folder = value("--inputs=");
    } else if (arg.starts_with("--make_recording=")) {
      g_settings.generator = value("--make_recording=");
    } else if (arg.starts_with("--iterations=")) {
      g_settings.iterations = std::atoll(std::string(value("--iterations=")).c_str());
      if (g_settings.iterations <= 0) return false;
    } else {
      argv[kept++] = argv[i];
    }
  }
  *argc = kept;
  argv[kept] = nullptr;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (!TakeOptions(&argc, argv)) {
    std::cerr << "stages_bench: --iterations needs a positive number\n";
    return 2;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;

  std::error_code ec;
  if (g_settings.folder.empty()) {
    std::string pattern = (fs::temp_directory_path(ec) / "brelvik-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
      std::cerr << "stages_bench: cannot make a work folder under /tmp\n";
      return 1;
    }
    g_settings.folder = pattern;
    g_settings.removeFolder = true;
  } else {
    fs::create_directories(g_settings.folder, ec);
  }

  StageInputs inputs;
  int status = 0;
  if (!PrepareStageInputs(&inputs)) {
    std::cerr << "stages_bench: the stage inputs could not be prepared in " << g_settings.folder << "\n";
    status = 1;
  } else {
    g_inputs = &inputs;
    Register();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
  }
  if (g_settings.removeFolder) fs::remove_all(g_settings.folder, ec);
  return status;
}
