// make_recording: writes synthetic inertial-sensor recordings for brelvik.
//
// The program generates a stream of raw accelerometer and gyroscope samples
// (8192 counts per g, 65.536 counts per degree per second, 50 samples per
// second) and writes it as an integer text recording, a real text recording
// or a binary data set. The default "fall" scenario is a person standing,
// walking, falling and lying on their side; "walk" is walking alone and
// "random" draws wide-ranging values, including the 16-bit limits, for
// cross-checking readers.
//
// The output depends only on the arguments: the noise comes from a seeded
// splitmix64 generator, sines are evaluated by a polynomial built from
// + - * / alone (no C library function whose last bit may differ between
// platforms), reals are printed by exact integer arithmetic, and files are
// written in binary mode with LF line ends. The same arguments therefore give
// the same bytes on every machine.

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int kSampleRate = 50;  // samples per second
constexpr double kCountsPerG = 8192.0;
constexpr double kCountsPerDps = 65.536;
constexpr double kPi = 3.14159265358979323846;

constexpr const char kUsage[] =
    "Usage: make_recording [options] -o OUT\n"
    "\n"
    "Writes a synthetic recording of a six-axis inertial sensor sampled at 50 Hz\n"
    "(8192 counts per g, 65.536 counts per deg/s, values clipped to -32768..32767).\n"
    "The output depends only on the options, byte for byte, on every platform.\n"
    "\n"
    "Options:\n"
    "  -o, --output OUT     file to write (required)\n"
    "  --samples N          number of samples; a scenario shorter than N repeats\n"
    "                       (default: one scenario, 3000 samples)\n"
    "  --form F             int      text, one line \"lead,ax,ay,az,gx,gy,gz\" of raw counts\n"
    "                       real     text, the same values in g and deg/s\n"
    "                       dataset  binary data set: \"QK DataSet V1.0.0\" header,\n"
    "                                first record at offset 24, 12-byte records of\n"
    "                                six little-endian int16 (acc x,y,z, gyro x,y,z)\n"
    "                       (default: int)\n"
    "  --scenario S         fall    3000 samples (60 s): standing 12 s, walking 32 s,\n"
    "                               0.4 s of free fall, an impact of about 3.6 g,\n"
    "                               lying still on the side for the rest\n"
    "                       walk    walking only\n"
    "                       random  uniform values with frequent 16-bit extremes\n"
    "                       (default: fall)\n"
    "  --seed S             seed of the noise generator, a decimal number (default: 1)\n"
    "  --lead seqno|time    leading column of the text forms: the sequence number\n"
    "                       (sample index as a wrapping 16-bit counter: 0..32767, then\n"
    "                       -32768..-1, 0, ...) or the time in seconds with two\n"
    "                       decimals (default: seqno for int, time for real)\n"
    "  --seqno              same as --lead seqno\n"
    "  --header TEXT        header line of the text forms; an empty TEXT writes no\n"
    "                       header line (default: column names, e.g.\n"
    "                       \"seqno,accX,accY,accZ,gyroX,gyroY,gyroZ\")\n"
    "  -h, --help           print this text\n"
    "\n"
    "Real values are printed exactly (counts / 8192 and counts / 65.536 need at\n"
    "most 13 decimals), so reading them back with factors 8192 and 65.536 gives\n"
    "the original counts.\n"
    "\n"
    "Exit status: 0 on success, 1 when the output cannot be written, 2 on a usage\n"
    "error.\n";

enum class Form { kInteger, kReal, kDataSet };
enum class Scenario { kFall, kWalk, kRandom };
enum class Lead { kDefault, kSeqno, kTime };

struct Arguments {
  std::uint64_t samples = 0;
  bool samplesGiven = false;
  Form form = Form::kInteger;
  Scenario scenario = Scenario::kFall;
  std::uint64_t seed = 1;
  Lead lead = Lead::kDefault;
  bool headerGiven = false;
  std::string header;
  std::string output;
  bool help = false;
};

// One raw sample in sensor counts.
struct Sample {
  std::array<std::int16_t, 3> acc;
  std::array<std::int16_t, 3> gyro;
};

// ---------------------------------------------------------------------------
// Command line

bool ParseUnsigned(std::string_view text, std::uint64_t* value) {
  if (text.empty()) return false;
  std::uint64_t result = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    const std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
    if (result > (UINT64_MAX - digit) / 10) return false;
    result = result * 10 + digit;
  }
  *value = result;
  return true;
}

// Fills `args` from the command line. Returns 0, or -1 with `error` set.
int ParseArguments(int argc, char** argv, Arguments* args, std::string* error) {
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    std::string_view name = arg;
    std::string_view inlineValue;
    bool hasInlineValue = false;
    if (arg.size() > 2 && arg.substr(0, 2) == "--") {
      const std::size_t eq = arg.find('=');
      if (eq != std::string_view::npos) {
        name = arg.substr(0, eq);
        inlineValue = arg.substr(eq + 1);
        hasInlineValue = true;
      }
    }

    if (name == "-h" || name == "--help") {
      args->help = true;
      continue;
    }
    if (name == "--seqno") {
      if (hasInlineValue) {
        *error = "option --seqno takes no value";
        return -1;
      }
      args->lead = Lead::kSeqno;
      continue;
    }

    const bool takesValue = name == "-o" || name == "--output" || name == "--samples" ||
                            name == "--form" || name == "--scenario" || name == "--seed" ||
                            name == "--lead" || name == "--header";
    if (!takesValue) {
      *error = "unknown argument '" + std::string(arg) + "'";
      return -1;
    }
    std::string_view value;
    if (hasInlineValue) {
      value = inlineValue;
    } else if (i + 1 < argc) {
      value = argv[++i];
    } else {
      *error = "option " + std::string(name) + " needs a value";
      return -1;
    }

    if (name == "-o" || name == "--output") {
      if (value.empty()) {
        *error = "the output name is empty";
        return -1;
      }
      args->output = std::string(value);
    } else if (name == "--samples") {
      if (!ParseUnsigned(value, &args->samples)) {
        *error = "--samples needs a non-negative decimal number, got '" + std::string(value) + "'";
        return -1;
      }
      args->samplesGiven = true;
    } else if (name == "--seed") {
      if (!ParseUnsigned(value, &args->seed)) {
        *error = "--seed needs a non-negative decimal number, got '" + std::string(value) + "'";
        return -1;
      }
    } else if (name == "--form") {
      if (value == "int") {
        args->form = Form::kInteger;
      } else if (value == "real") {
        args->form = Form::kReal;
      } else if (value == "dataset") {
        args->form = Form::kDataSet;
      } else {
        *error = "--form must be int, real or dataset, got '" + std::string(value) + "'";
        return -1;
      }
    } else if (name == "--scenario") {
      if (value == "fall") {
        args->scenario = Scenario::kFall;
      } else if (value == "walk") {
        args->scenario = Scenario::kWalk;
      } else if (value == "random") {
        args->scenario = Scenario::kRandom;
      } else {
        *error = "--scenario must be fall, walk or random, got '" + std::string(value) + "'";
        return -1;
      }
    } else if (name == "--lead") {
      if (value == "seqno") {
        args->lead = Lead::kSeqno;
      } else if (value == "time") {
        args->lead = Lead::kTime;
      } else {
        *error = "--lead must be seqno or time, got '" + std::string(value) + "'";
        return -1;
      }
    } else if (name == "--header") {
      if (value.find_first_of("\r\n") != std::string_view::npos) {
        *error = "the header text must be a single line";
        return -1;
      }
      args->header = std::string(value);
      args->headerGiven = true;
    }
  }

  if (args->help) return 0;
  if (args->output.empty()) {
    *error = "no output file given (-o OUT)";
    return -1;
  }
  if (args->form == Form::kDataSet && (args->headerGiven || args->lead != Lead::kDefault)) {
    *error = "--header, --lead and --seqno apply to the text forms only";
    return -1;
  }
  return 0;
}

// ---------------------------------------------------------------------------
// Deterministic arithmetic

// splitmix64: a small, well-mixed 64-bit generator; its sequence is fixed by
// the seed alone.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}

  std::uint64_t Next() {
    state_ += 0x9E3779B97F4A7C15ull;
    std::uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

  // Uniform integer in [-amplitude, amplitude]; the tiny modulo bias does not
  // matter for noise.
  std::int32_t Uniform(std::int32_t amplitude) {
    const std::uint64_t span = static_cast<std::uint64_t>(2 * amplitude + 1);
    return static_cast<std::int32_t>(Next() % span) - amplitude;
  }

  // Bell-shaped noise: the sum of four uniform draws, within +-4 * amplitude.
  std::int32_t Noise(std::int32_t amplitude) {
    return Uniform(amplitude) + Uniform(amplitude) + Uniform(amplitude) + Uniform(amplitude);
  }

 private:
  std::uint64_t state_;
};

// sin(2 pi t) for a phase t given in turns. The phase is folded into a quarter
// turn and the Taylor series is summed to x^15 (error below 1e-9), using only
// correctly rounded operations, so every platform gets the same bits.
double SinTurns(double t) {
  while (t >= 1.0) t -= 1.0;
  while (t < 0.0) t += 1.0;
  double sign = 1.0;
  if (t >= 0.5) {
    t -= 0.5;
    sign = -1.0;
  }
  if (t > 0.25) t = 0.5 - t;
  const double x = t * (2.0 * kPi);
  const double x2 = x * x;
  double p = -1.0 / 1307674368000.0;           // -1/15!
  p = p * x2 + 1.0 / 6227020800.0;             // 1/13!
  p = p * x2 - 1.0 / 39916800.0;               // -1/11!
  p = p * x2 + 1.0 / 362880.0;                 // 1/9!
  p = p * x2 - 1.0 / 5040.0;                   // -1/7!
  p = p * x2 + 1.0 / 120.0;                    // 1/5!
  p = p * x2 - 1.0 / 6.0;                      // -1/3!
  p = p * x2 + 1.0;
  return sign * (x * p);
}

double CosTurns(double t) { return SinTurns(t + 0.25); }

// Phase in turns of a tone of `numerator / denominator` cycles per sample at
// sample `k`, shifted by `offset / denominator` turns. Integer arithmetic
// keeps the phase exact however long the recording is.
double Phase(std::uint64_t k, std::uint64_t numerator, std::uint64_t denominator,
             std::uint64_t offset) {
  return static_cast<double>((k * numerator + offset) % denominator) /
         static_cast<double>(denominator);
}

// Rounds to the nearest integer, halves away from zero, and clips to int16.
std::int16_t ToCounts(double value, std::int32_t noise) {
  if (value > 1e6) value = 1e6;  // far outside the range, and safe to convert
  if (value < -1e6) value = -1e6;
  double rounded;
  if (value >= 0.0) {
    rounded = static_cast<double>(static_cast<std::int64_t>(value + 0.5));
  } else {
    rounded = -static_cast<double>(static_cast<std::int64_t>(0.5 - value));
  }
  rounded += static_cast<double>(noise);
  if (rounded > 32767.0) return 32767;
  if (rounded < -32768.0) return -32768;
  return static_cast<std::int16_t>(rounded);
}

// ---------------------------------------------------------------------------
// Scenarios

// Physical state of the sensor at one instant: acceleration in g, angular
// rate in degrees per second, both in the sensor's frame.
struct Motion {
  double acc[3];
  double gyro[3];
};

// Walking: steps at 1.85 Hz (37/1000 cycles per sample), a stride of two
// steps, the vertical axis z around 1 g. `k` counts samples since walking
// began; the motion swells in over the first second.
Motion Walking(std::uint64_t k) {
  const double envelope = k < 50 ? static_cast<double>(k + 1) / 50.0 : 1.0;
  const double step = SinTurns(Phase(k, 37, 1000, 0));
  const double stepLead = SinTurns(Phase(k, 37, 1000, 250));
  const double stepLate = SinTurns(Phase(k, 37, 1000, 600));
  const double harmonic = SinTurns(Phase(k, 37, 500, 50));
  const double stride = SinTurns(Phase(k, 37, 2000, 0));
  const double strideLead = SinTurns(Phase(k, 37, 2000, 500));
  const double strideLate = SinTurns(Phase(k, 37, 2000, 1000));
  Motion m;
  m.acc[0] = 0.02 + envelope * (0.12 * stepLead);
  m.acc[1] = -0.01 + envelope * (0.08 * stride);
  m.acc[2] = 1.0 + envelope * (0.25 * step + 0.06 * harmonic);
  m.gyro[0] = envelope * (10.0 * strideLead);
  m.gyro[1] = envelope * (28.0 * stepLate);
  m.gyro[2] = envelope * (14.0 * strideLate);
  return m;
}

// The fall scenario, sample by sample.
constexpr std::uint64_t kStandEnd = 600;                 // 12 s standing
constexpr std::uint64_t kWalkEnd = 2200;                 // 32 s walking
constexpr std::uint64_t kFreeFallEnd = 2220;             // 0.4 s free fall
constexpr std::uint64_t kFreeFallLength = kFreeFallEnd - kWalkEnd;
constexpr std::uint64_t kImpactLength = 8;
constexpr std::uint64_t kImpactEnd = kFreeFallEnd + kImpactLength;
constexpr std::uint64_t kFallScenarioLength = 3000;      // lying to the end, 15.4 s
constexpr std::uint64_t kWalkScenarioLength = 3000;
constexpr std::uint64_t kRandomScenarioLength = 3000;

// The impact on the ground after the free fall, lying on the side (gravity on
// y): acceleration in thousandths of g (peak about 3.57 g) and angular rate in
// degrees per second as the body stops and bounces.
constexpr std::int32_t kImpactAcc[kImpactLength][3] = {
    {150, 1500, -300}, {600, 3400, -900}, {-300, 2200, 400}, {200, 400, -200},
    {-100, 1600, 150}, {50, 1200, -80},   {20, 850, -60},    {30, 1050, -50}};
constexpr std::int32_t kImpactGyro[kImpactLength][3] = {
    {60, -40, 20}, {-120, 90, -60}, {80, -50, 30}, {-40, 20, -15},
    {20, -10, 8},  {-8, 5, -3},     {3, -2, 1},    {0, 0, 0}};

Motion Fall(std::uint64_t position) {
  Motion m{};
  if (position < kStandEnd) {
    // Upright and still, slightly tilted.
    m.acc[0] = 0.015;
    m.acc[1] = -0.01;
    m.acc[2] = 1.0;
  } else if (position < kWalkEnd) {
    m = Walking(position - kStandEnd);
  } else if (position < kFreeFallEnd) {
    // Free fall while the body rolls 90 degrees about x, which turns the
    // sensed "up" from +z to +y. The roll follows theta = 90 (1 - cos(pi s)) / 2
    // over the fall, s running from 0 to 1; its rate peaks at about 353 deg/s.
    const double s = (static_cast<double>(position - kWalkEnd) + 0.5) /
                     static_cast<double>(kFreeFallLength);
    const double theta = 90.0 * (1.0 - CosTurns(s / 2.0)) / 2.0;
    const double seconds = static_cast<double>(kFreeFallLength) / kSampleRate;
    const double rate = 90.0 * kPi / 2.0 * SinTurns(s / 2.0) / seconds;
    const double residual = 0.12;  // drag and limbs: not quite weightless
    m.acc[0] = 0.03;
    m.acc[1] = residual * SinTurns(theta / 360.0);
    m.acc[2] = residual * CosTurns(theta / 360.0);
    m.gyro[0] = rate;
  } else if (position < kImpactEnd) {
    const std::uint64_t k = position - kFreeFallEnd;
    for (int axis = 0; axis < 3; ++axis) {
      m.acc[axis] = static_cast<double>(kImpactAcc[k][axis]) / 1000.0;
      m.gyro[axis] = static_cast<double>(kImpactGyro[k][axis]);
    }
  } else {
    // Lying still on the side.
    m.acc[0] = 0.03;
    m.acc[1] = 0.998;
    m.acc[2] = -0.05;
  }
  return m;
}

// Produces the samples of one scenario in order, repeating it as needed.
class Generator {
 public:
  Generator(Scenario scenario, std::uint64_t seed) : scenario_(scenario), random_(seed) {}

  static std::uint64_t ScenarioLength(Scenario scenario) {
    switch (scenario) {
      case Scenario::kFall:
        return kFallScenarioLength;
      case Scenario::kWalk:
        return kWalkScenarioLength;
      case Scenario::kRandom:
        return kRandomScenarioLength;
    }
    return kFallScenarioLength;
  }

  Sample Next() {
    const std::uint64_t n = index_++;
    if (scenario_ == Scenario::kRandom) return RandomSample();
    const Motion m = scenario_ == Scenario::kFall ? Fall(n % kFallScenarioLength) : Walking(n);
    // The scenarios are written with "up" on +z; the sensor is mounted the
    // other way up (its z axis points down, so at rest it reads -1 g on z),
    // which turns y and z of both the acceleration and the angular rate.
    static constexpr double kMounting[3] = {1.0, -1.0, -1.0};
    Sample sample;
    for (int axis = 0; axis < 3; ++axis) {
      sample.acc[axis] = ToCounts(kMounting[axis] * m.acc[axis] * kCountsPerG, random_.Noise(kAccNoise));
    }
    for (int axis = 0; axis < 3; ++axis) {
      const double rate = kMounting[axis] * m.gyro[axis] + kGyroBias[axis];
      sample.gyro[axis] = ToCounts(rate * kCountsPerDps, random_.Noise(kGyroNoise));
    }
    return sample;
  }

 private:
  // Sensor imperfections present in every phase: white noise (counts, per
  // uniform draw) and a constant gyro bias in degrees per second.
  static constexpr std::int32_t kAccNoise = 6;
  static constexpr std::int32_t kGyroNoise = 6;
  static constexpr double kGyroBias[3] = {0.35, -0.25, 0.15};

  // Uniform 16-bit values, one in eight replaced by a value at or next to the
  // limits of the range or of zero.
  std::int16_t RandomValue() {
    static constexpr std::int16_t kEdges[8] = {-32768, -32767, -1, 0, 1, 32766, 32767, -32768};
    const std::uint64_t r = random_.Next();
    if ((r & 7) == 0) return kEdges[(r >> 3) & 7];
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(r >> 48));
  }

  Sample RandomSample() {
    Sample sample;
    for (auto& v : sample.acc) v = RandomValue();
    for (auto& v : sample.gyro) v = RandomValue();
    return sample;
  }

  Scenario scenario_;
  Random random_;
  std::uint64_t index_ = 0;
};

// ---------------------------------------------------------------------------
// Output

// A binary-mode output file with a large buffer.
class OutputFile {
 public:
  static constexpr std::size_t kBufferSize = 1 << 20;
  static constexpr std::size_t kMaxRecord = 256;  // longest line or record

  OutputFile() : buffer_(kBufferSize) {}
  ~OutputFile() {
    if (file_ != nullptr) std::fclose(file_);
  }
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  int Open(const std::string& path, std::string* error) {
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) {
      *error = "cannot create '" + path + "': " + std::strerror(errno);
      return -1;
    }
    return 0;
  }

  // Room for one record of at most kMaxRecord bytes, or nullptr when the
  // buffer could not be emptied; Commit says how much of it was used.
  char* Reserve(std::string* error) {
    if (buffer_.size() - used_ < kMaxRecord && Flush(error) != 0) return nullptr;
    return buffer_.data() + used_;
  }
  void Commit(char* end) { used_ = static_cast<std::size_t>(end - buffer_.data()); }

  int Write(std::string_view bytes, std::string* error) {
    while (!bytes.empty()) {
      if (used_ == buffer_.size() && Flush(error) != 0) return -1;
      const std::size_t n = std::min(bytes.size(), buffer_.size() - used_);
      std::memcpy(buffer_.data() + used_, bytes.data(), n);
      used_ += n;
      bytes.remove_prefix(n);
    }
    return 0;
  }

  int Close(std::string* error) {
    const int flushed = Flush(error);
    const int closed = std::fclose(file_);
    file_ = nullptr;
    if (flushed != 0) return -1;
    if (closed != 0) {
      *error = std::string("cannot close the output: ") + std::strerror(errno);
      return -1;
    }
    return 0;
  }

 private:
  int Flush(std::string* error) {
    if (used_ > 0 && std::fwrite(buffer_.data(), 1, used_, file_) != used_) {
      *error = std::string("cannot write the output: ") + std::strerror(errno);
      return -1;
    }
    used_ = 0;
    return 0;
  }

  std::FILE* file_ = nullptr;
  std::vector<char> buffer_;
  std::size_t used_ = 0;
};

char* PutInt(char* p, std::int64_t value) {
  return std::to_chars(p, p + 24, value).ptr;
}

// Writes numerator / 8192 exactly: 8192 is 2^13, so 13 decimals always
// suffice. Trailing zeros are dropped, one decimal is kept ("1.0", "-0.5").
char* PutEighths(char* p, std::int64_t numerator) {
  if (numerator < 0) {
    *p++ = '-';
    numerator = -numerator;
  }
  p = PutInt(p, numerator / 8192);
  *p++ = '.';
  std::int64_t fraction = (numerator % 8192) * 1220703125;  // * 10^13 / 8192
  char digits[13];
  for (int i = 12; i >= 0; --i) {
    digits[i] = static_cast<char>('0' + fraction % 10);
    fraction /= 10;
  }
  int count = 13;
  while (count > 1 && digits[count - 1] == '0') --count;
  std::memcpy(p, digits, static_cast<std::size_t>(count));
  return p + count;
}

// Acceleration in g: counts / 8192.
char* PutG(char* p, std::int16_t counts) { return PutEighths(p, counts); }

// Angular rate in deg/s: counts / 65.536 = counts * 125 / 8192.
char* PutDps(char* p, std::int16_t counts) {
  return PutEighths(p, static_cast<std::int64_t>(counts) * 125);
}

// Time of sample n in seconds, exactly, with two decimals.
char* PutTime(char* p, std::uint64_t n) {
  p = PutInt(p, static_cast<std::int64_t>(n / kSampleRate));
  const unsigned hundredths = static_cast<unsigned>(n % kSampleRate) * (100 / kSampleRate);
  *p++ = '.';
  *p++ = static_cast<char>('0' + hundredths / 10);
  *p++ = static_cast<char>('0' + hundredths % 10);
  return p;
}

// The sample index as a 16-bit counter that wraps from 32767 to -32768.
std::int16_t SequenceNumber(std::uint64_t n) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(n & 0xFFFF));
}

char* PutLittleEndian16(char* p, std::int16_t value) {
  const auto bits = static_cast<std::uint16_t>(value);
  *p++ = static_cast<char>(bits & 0xFF);
  *p++ = static_cast<char>(bits >> 8);
  return p;
}

std::string DefaultHeader(Form form, Lead lead) {
  const std::string first = lead == Lead::kTime ? "time_s" : "seqno";
  if (form == Form::kReal) return first + ",ax_g,ay_g,az_g,gx_dps,gy_dps,gz_dps";
  return first + ",accX,accY,accZ,gyroX,gyroY,gyroZ";
}

int WriteRecording(const Arguments& args, std::string* error) {
  OutputFile out;
  if (out.Open(args.output, error) != 0) return -1;

  Lead lead = args.lead;
  if (lead == Lead::kDefault) lead = args.form == Form::kReal ? Lead::kTime : Lead::kSeqno;

  if (args.form == Form::kDataSet) {
    // Magic text, its terminating zero, two unused bytes, then the int32
    // offset of the first record (24), little-endian.
    static constexpr char kHeader[24] = {'Q', 'K', ' ', 'D', 'a', 't', 'a', 'S', 'e', 't', ' ', 'V',
                                         '1', '.', '0', '.', '0', 0,   0,   0,   24,  0,   0,   0};
    if (out.Write(std::string_view(kHeader, sizeof kHeader), error) != 0) return -1;
  } else {
    const std::string header = args.headerGiven ? args.header : DefaultHeader(args.form, lead);
    if (!header.empty() && (out.Write(header, error) != 0 || out.Write("\n", error) != 0)) {
      return -1;
    }
  }

  const std::uint64_t count =
      args.samplesGiven ? args.samples : Generator::ScenarioLength(args.scenario);
  Generator generator(args.scenario, args.seed);
  for (std::uint64_t n = 0; n < count; ++n) {
    const Sample s = generator.Next();
    char* p = out.Reserve(error);
    if (p == nullptr) return -1;
    switch (args.form) {
      case Form::kDataSet:
        for (auto v : s.acc) p = PutLittleEndian16(p, v);
        for (auto v : s.gyro) p = PutLittleEndian16(p, v);
        break;
      case Form::kInteger:
      case Form::kReal:
        p = lead == Lead::kTime ? PutTime(p, n) : PutInt(p, SequenceNumber(n));
        for (auto v : s.acc) {
          *p++ = ',';
          p = args.form == Form::kReal ? PutG(p, v) : PutInt(p, v);
        }
        for (auto v : s.gyro) {
          *p++ = ',';
          p = args.form == Form::kReal ? PutDps(p, v) : PutInt(p, v);
        }
        *p++ = '\n';
        break;
    }
    out.Commit(p);
  }
  return out.Close(error);
}

}  // namespace

int main(int argc, char** argv) {
  Arguments args;
  std::string error;
  if (ParseArguments(argc, argv, &args, &error) != 0) {
    std::fprintf(stderr, "make_recording: %s\nTry 'make_recording --help'.\n", error.c_str());
    return 2;
  }
  if (args.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (WriteRecording(args, &error) != 0) {
    std::fprintf(stderr, "make_recording: %s\n", error.c_str());
    std::remove(args.output.c_str());
    return 1;
  }
  return 0;
}
