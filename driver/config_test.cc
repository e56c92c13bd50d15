// Tests of the configuration files: the line rules, the number conversions,
// the exact log on standard output, the warnings on standard error, the
// name of the file beside the executable, and the platform function that
// finds the executable.
#include "driver/config.h"

#include <gtest/gtest.h>

#include <bit>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "driver/options.h"
#include "platform/platform.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;

constexpr float kInfinity = std::numeric_limits<float>::infinity();

ConversionOptions Defaults() {
  ConversionOptions options;
  InitOptions(&options);
  return options;
}

// Compares every field; the real factors by their bits, so that -0 and 0
// differ.
void ExpectSameOptions(const ConversionOptions& want,
                       const ConversionOptions& got) {
#define BRELVIK_EXPECT_FIELD(f) EXPECT_EQ(want.f, got.f) << #f
#define BRELVIK_EXPECT_REAL(f)                       \
  EXPECT_EQ(std::bit_cast<uint32_t>(want.f),         \
            std::bit_cast<uint32_t>(got.f))          \
      << #f << ": want " << want.f << ", got " << got.f
  BRELVIK_EXPECT_FIELD(fileType);
  BRELVIK_EXPECT_FIELD(seqnoIndex);
  BRELVIK_EXPECT_FIELD(resampleCount);
  BRELVIK_EXPECT_FIELD(accScalingFactor);
  BRELVIK_EXPECT_FIELD(gyroScalingFactor);
  BRELVIK_EXPECT_REAL(accScalingFactorReal);
  BRELVIK_EXPECT_REAL(gyroScalingFactorReal);
  BRELVIK_EXPECT_FIELD(skipDataCount);
  BRELVIK_EXPECT_FIELD(samplingFrequency);
  BRELVIK_EXPECT_FIELD(cutOffFrequency);
  BRELVIK_EXPECT_FIELD(fallStartThreshold);
  BRELVIK_EXPECT_FIELD(fallCounterOut);
  BRELVIK_EXPECT_FIELD(postureOut);
  BRELVIK_EXPECT_FIELD(rmsDiffOut);
  BRELVIK_EXPECT_FIELD(postureDiffOut);
  BRELVIK_EXPECT_FIELD(rollPitchCompensation);
#undef BRELVIK_EXPECT_FIELD
#undef BRELVIK_EXPECT_REAL
}

// A folder of its own under the system's temporary folder, removed with
// everything in it at the end.
class TempFolder {
 public:
  TempFolder() {
    std::random_device random;
    const fs::path base = fs::temp_directory_path();
    for (;;) {
      path_ = base / ("brelvik-config-test-" + std::to_string(random()));
      if (fs::create_directory(path_)) break;
    }
  }
  ~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

void WriteFile(const fs::path& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary);
  out << content;
  ASSERT_TRUE(out.good()) << path;
}

// What one call gave: its result, both output streams and the record.
struct Outcome {
  int status;
  std::string out;
  std::string err;
  ConversionOptions options;
};

Outcome Load(const std::string& path, ConversionOptions options = Defaults()) {
  Outcome outcome;
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  outcome.status = LoadConfigFile(path, &options);
  outcome.out = testing::internal::GetCapturedStdout();
  outcome.err = testing::internal::GetCapturedStderr();
  outcome.options = options;
  return outcome;
}

// The whole log of one file that was read to its end.
std::string Log(const std::string& path, const std::string& values) {
  return "LoadConfigFile : " + path + "\n\n" + values +
         "\nLoadConfigFile : Complete.\n\n";
}

// The warnings for `path`, each given as "<line>: <reason>".
std::string Warnings(const std::string& path,
                     const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += "brelvik: warning: " + path + ":" + line + "\n";
  }
  return text;
}

class ConfigFileTest : public testing::Test {
 protected:
  // Writes `content` to a file of the folder and returns its path.
  std::string Write(const std::string& content,
                    const std::string& name = "test.cnf") {
    const fs::path path = folder_.path() / name;
    WriteFile(path, content);
    return path.string();
  }

  TempFolder folder_;
};

// ---------------------------------------------------------------------------
// Line rules: each case is one file, its log between the header and the
// closing line, the record that results, and its warnings.

struct LineCase {
  const char* name;
  std::string content;
  std::string values;
  void (*expect)(ConversionOptions*);
  std::vector<std::string> warnings;
};

void Unchanged(ConversionOptions*) {}

const LineCase kLineCases[] = {
    // Keys are upper-cased before they are compared.
    {"lower_case_key", "filetype 2\n", "  +FileType : 2\n",
     [](ConversionOptions* o) { o->fileType = 2; }, {}},
    {"upper_case_key", "FILETYPE 2\n", "  +FileType : 2\n",
     [](ConversionOptions* o) { o->fileType = 2; }, {}},
    {"mixed_case_key", "FiLeTyPe 4\n", "  +FileType : 4\n",
     [](ConversionOptions* o) { o->fileType = 4; }, {}},

    // Only a "#" in the very first column makes a comment.
    {"comment", "# FILETYPE 2\n", "", Unchanged, {}},
    {"comment_without_blank", "#FILETYPE 2\n", "", Unchanged, {}},
    {"blank_before_hash", " # FILETYPE 2\n", "", Unchanged,
     {"1: unknown key \"#\"; line ignored"}},
    {"blank_before_hash_and_key", " #FILETYPE 2\n", "", Unchanged,
     {"1: unknown key \"#FILETYPE\"; line ignored"}},

    // Lines without tokens are skipped without a word.
    {"empty_file", "", "", Unchanged, {}},
    {"blank_lines", "\n\n   \n \t \n", "", Unchanged, {}},

    // Tokens are separated by runs of spaces; the rest of the line is
    // ignored.
    {"remark_after_value", "SAMPLINGFREQUENCY 100 Hz\n",
     "  +SamplingFrequency : 100\n",
     [](ConversionOptions* o) { o->samplingFrequency = 100; }, {}},
    {"runs_of_blanks", "    SAMPLINGFREQUENCY     100    remark  \n",
     "  +SamplingFrequency : 100\n",
     [](ConversionOptions* o) { o->samplingFrequency = 100; }, {}},
    {"equals_sign", "SAMPLINGFREQUENCY=100\n", "", Unchanged,
     {"1: key \"SAMPLINGFREQUENCY=100\" without a value (a key and its value "
      "are separated by spaces); line ignored"}},
    {"key_alone", "SAMPLINGFREQUENCY\n", "", Unchanged,
     {"1: key \"SAMPLINGFREQUENCY\" without a value (a key and its value are "
      "separated by spaces); line ignored"}},
    {"key_alone_on_last_line", "SAMPLINGFREQUENCY", "", Unchanged,
     {"1: key \"SAMPLINGFREQUENCY\" without a value (a key and its value are "
      "separated by spaces); line ignored"}},
    {"key_and_blank_on_last_line", "SAMPLINGFREQUENCY ", "", Unchanged,
     {"1: key \"SAMPLINGFREQUENCY\" without a value (a key and its value are "
      "separated by spaces); line ignored"}},
    // The line feed after the blank is the value, and it converts to 0.
    {"key_and_blank", "SAMPLINGFREQUENCY \n", "  +SamplingFrequency : 0\n",
     [](ConversionOptions* o) { o->samplingFrequency = 0; },
     {"1: key \"SAMPLINGFREQUENCY\" has an empty value; 0 is used"}},
    {"key_and_blanks", "SAMPLINGFREQUENCY    \n", "  +SamplingFrequency : 0\n",
     [](ConversionOptions* o) { o->samplingFrequency = 0; },
     {"1: key \"SAMPLINGFREQUENCY\" has an empty value; 0 is used"}},
    // A tab does not separate.
    {"tab_between_key_and_value", "FILETYPE\t2\n", "", Unchanged,
     {"1: key \"FILETYPE\\t2\" without a value (a key and its value are "
      "separated by spaces); line ignored"}},
    // ... but the conversion skips a tab at the start of the value.
    {"tab_leading_value", "FILETYPE \t2\n", "  +FileType : 2\n",
     [](ConversionOptions* o) { o->fileType = 2; }, {}},
    {"last_line_without_line_feed", "FILETYPE 2", "  +FileType : 2\n",
     [](ConversionOptions* o) { o->fileType = 2; }, {}},
    {"value_not_a_number", "SAMPLINGFREQUENCY Hz\n",
     "  +SamplingFrequency : 0\n",
     [](ConversionOptions* o) { o->samplingFrequency = 0; },
     {"1: value \"Hz\" of key \"SAMPLINGFREQUENCY\" is not a number; 0 is "
      "used"}},
    {"same_key_twice", "SAMPLINGFREQUENCY 100\nsamplingfrequency 200\n",
     "  +SamplingFrequency : 100\n  +SamplingFrequency : 200\n",
     [](ConversionOptions* o) { o->samplingFrequency = 200; }, {}},
    {"unknown_key", "SAMPLINGRATE 100\nCUTOFFFREQUENCY 7\n",
     "  +CutOffFrequency : 7\n",
     [](ConversionOptions* o) { o->cutOffFrequency = 7; },
     {"1: unknown key \"SAMPLINGRATE\"; line ignored"}},
    {"flags_without_keys", "FALLCOUNTEROUT 0\nPOSTUREOUT 0\n", "", Unchanged,
     {"1: unknown key \"FALLCOUNTEROUT\"; line ignored",
      "2: unknown key \"POSTUREOUT\"; line ignored"}},

    // The scaling factors follow the file type in force when they are read.
    {"real_factor_after_file_type_2", "FILETYPE 2\nACCSCALINGFACTOR 0.7\n",
     "  +FileType : 2\n  +AccScalingFactor : 0.700\n",
     [](ConversionOptions* o) {
       o->fileType = 2;
       o->accScalingFactorReal = 0.699999988f;
     },
     {}},
    {"integer_factor_before_file_type_2",
     "ACCSCALINGFACTOR 0.7\nFILETYPE 2\n",
     "  +AccScalingFactor : 0\n  +FileType : 2\n",
     [](ConversionOptions* o) {
       o->accScalingFactor = 0;
       o->fileType = 2;
     },
     {}},
    {"integer_factor_truncated", "ACCSCALINGFACTOR 2.5\n",
     "  +AccScalingFactor : 2\n",
     [](ConversionOptions* o) { o->accScalingFactor = 2; }, {}},
    {"file_type_4_reads_integers", "FILETYPE 4\nGYROSCALINGFACTOR 0.7\n",
     "  +FileType : 4\n  +GyroScalingFactor : 0\n",
     [](ConversionOptions* o) {
       o->fileType = 4;
       o->gyroScalingFactor = 0;
     },
     {}},
    {"factor_kept_across_mode_change",
     "FILETYPE 2\nGYROSCALINGFACTOR 1.25\nFILETYPE 1\nGYROSCALINGFACTOR 3\n",
     "  +FileType : 2\n  +GyroScalingFactor : 1.250\n  +FileType : 1\n"
     "  +GyroScalingFactor : 3\n",
     [](ConversionOptions* o) {
       o->fileType = 1;
       o->gyroScalingFactorReal = 1.25f;
       o->gyroScalingFactor = 3;
     },
     {}},
    {"real_factor_empty_value", "FILETYPE 2\nACCSCALINGFACTOR \n",
     "  +FileType : 2\n  +AccScalingFactor : 0.000\n",
     [](ConversionOptions* o) {
       o->fileType = 2;
       o->accScalingFactorReal = 0.0f;
     },
     {"2: key \"ACCSCALINGFACTOR\" has an empty value; 0 is used"}},

    // CR LF reads as LF.
    {"cr_lf",
     "FILETYPE 2\r\nACCSCALINGFACTOR 0.5\r\n\r\nSAMPLINGFREQUENCY \r\n"
     "CUTOFFFREQUENCY\r\nSKIPDATACOUNT x\r\n",
     "  +FileType : 2\n  +AccScalingFactor : 0.500\n"
     "  +SamplingFrequency : 0\n  +SkipDataCount : 0\n",
     [](ConversionOptions* o) {
       o->fileType = 2;
       o->accScalingFactorReal = 0.5f;
       o->samplingFrequency = 0;
       o->skipDataCount = 0;
     },
     {"4: key \"SAMPLINGFREQUENCY\" has an empty value; 0 is used",
      "5: key \"CUTOFFFREQUENCY\" without a value (a key and its value are "
      "separated by spaces); line ignored",
      "6: value \"x\" of key \"SKIPDATACOUNT\" is not a number; 0 is used"}},
    // A CR elsewhere is an ordinary character.
    {"cr_inside_line", "FOO\rBAR 1\n", "", Unchanged,
     {"1: unknown key \"FOO\\rBAR\"; line ignored"}},

    // Lines of any length are read whole.
    {"long_remark_after_value",
     "SAMPLINGFREQUENCY 100" + std::string(5000, ' ') + "Hz\nCUTOFFFREQUENCY 7\n",
     "  +SamplingFrequency : 100\n  +CutOffFrequency : 7\n",
     [](ConversionOptions* o) {
       o->samplingFrequency = 100;
       o->cutOffFrequency = 7;
     },
     {}},
    {"long_value", "SAMPLINGFREQUENCY " + std::string(3000, '0') + "42\n",
     "  +SamplingFrequency : 42\n",
     [](ConversionOptions* o) { o->samplingFrequency = 42; }, {}},
    {"long_comment", "#" + std::string(1100, ' ') + "FILETYPE 2\n", "",
     Unchanged, {}},
    {"key_after_long_run_of_blanks",
     std::string(2000, ' ') + "FILETYPE 2\n", "  +FileType : 2\n",
     [](ConversionOptions* o) { o->fileType = 2; }, {}},
};

class LineRuleTest : public ConfigFileTest,
                     public testing::WithParamInterface<LineCase> {};

TEST_P(LineRuleTest, LogRecordAndWarnings) {
  const LineCase& c = GetParam();
  const std::string path = Write(c.content);
  const Outcome outcome = Load(path);
  EXPECT_EQ(0, outcome.status);
  EXPECT_EQ(Log(path, c.values), outcome.out);
  EXPECT_EQ(Warnings(path, c.warnings), outcome.err);
  ConversionOptions want = Defaults();
  c.expect(&want);
  ExpectSameOptions(want, outcome.options);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LineRuleTest, testing::ValuesIn(kLineCases),
    [](const testing::TestParamInfo<LineCase>& info) {
      return std::string(info.param.name);
    });

// ---------------------------------------------------------------------------
// Every key sets its own field and logs its own label.

struct KeyCase {
  const char* key;
  const char* label;
  int32_t ConversionOptions::*field;
  float ConversionOptions::*real_field;  // set while fileType is 2
};

const KeyCase kKeyCases[] = {
    {"FILETYPE", "FileType", &ConversionOptions::fileType, nullptr},
    {"SEQNOINDEX", "SeqnoIndex", &ConversionOptions::seqnoIndex, nullptr},
    {"RESAMPLECOUNT", "ResampleCount", &ConversionOptions::resampleCount,
     nullptr},
    {"ACCSCALINGFACTOR", "AccScalingFactor",
     &ConversionOptions::accScalingFactor,
     &ConversionOptions::accScalingFactorReal},
    {"GYROSCALINGFACTOR", "GyroScalingFactor",
     &ConversionOptions::gyroScalingFactor,
     &ConversionOptions::gyroScalingFactorReal},
    {"SKIPDATACOUNT", "SkipDataCount", &ConversionOptions::skipDataCount,
     nullptr},
    {"SAMPLINGFREQUENCY", "SamplingFrequency",
     &ConversionOptions::samplingFrequency, nullptr},
    {"CUTOFFFREQUENCY", "CutOffFrequency", &ConversionOptions::cutOffFrequency,
     nullptr},
    {"FALLSTARTTHRESHOLD", "FallStartThreshold",
     &ConversionOptions::fallStartThreshold, nullptr},
    {"RMSDIFFOUT", "RmsDiffOut", &ConversionOptions::rmsDiffOut, nullptr},
    {"POSTUREDIFFOUT", "PostureDiffOut", &ConversionOptions::postureDiffOut,
     nullptr},
    {"ROLLPITCHCOMPENSATION", "RollPitchCompensation",
     &ConversionOptions::rollPitchCompensation, nullptr},
};

class KeyTest : public ConfigFileTest,
                public testing::WithParamInterface<KeyCase> {};

TEST_P(KeyTest, IntegerValue) {
  const KeyCase& c = GetParam();
  const std::string path = Write(std::string(c.key) + " 7\n");
  const Outcome outcome = Load(path);
  EXPECT_EQ(Log(path, "  +" + std::string(c.label) + " : 7\n"), outcome.out);
  EXPECT_EQ("", outcome.err);
  ConversionOptions want = Defaults();
  want.*(c.field) = 7;
  ExpectSameOptions(want, outcome.options);
}

TEST_P(KeyTest, ValueUnderFileType2) {
  const KeyCase& c = GetParam();
  const std::string path = Write("FILETYPE 2\n" + std::string(c.key) + " 7\n");
  const Outcome outcome = Load(path);
  ConversionOptions want = Defaults();
  want.fileType = 2;
  std::string values = "  +FileType : 2\n  +" + std::string(c.label);
  if (c.real_field != nullptr) {
    want.*(c.real_field) = 7.0f;
    values += " : 7.000\n";
  } else {
    want.*(c.field) = 7;
    values += " : 7\n";
  }
  EXPECT_EQ(Log(path, values), outcome.out);
  EXPECT_EQ("", outcome.err);
  ExpectSameOptions(want, outcome.options);
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyTest, testing::ValuesIn(kKeyCases),
                         [](const testing::TestParamInfo<KeyCase>& info) {
                           return std::string(info.param.key);
                         });

// ---------------------------------------------------------------------------
// Integer conversion, through the SAMPLINGFREQUENCY key.

struct IntegerCase {
  std::string text;
  int32_t value;
  bool is_number;
};

TEST_F(ConfigFileTest, IntegerConversion) {
  const IntegerCase cases[] = {
      {"100", 100, true},
      {"+100", 100, true},
      {"-100", -100, true},
      {"007", 7, true},
      {"12abc", 12, true},
      {"2.5", 2, true},
      {"1e3", 1, true},
      {"0x1A", 0, true},
      {"\t42", 42, true},
      {"2147483647", INT32_MAX, true},
      {"2147483648", INT32_MAX, true},
      {"99999999999999999999999999", INT32_MAX, true},
      {"-2147483648", INT32_MIN, true},
      {"-2147483649", INT32_MIN, true},
      {"-99999999999999999999999999", INT32_MIN, true},
      {"abc", 0, false},
      {"-", 0, false},
      {"+-1", 0, false},
      {"--1", 0, false},
      {".5", 0, false},
  };
  for (const IntegerCase& c : cases) {
    SCOPED_TRACE("value \"" + c.text + "\"");
    const std::string path = Write("SAMPLINGFREQUENCY " + c.text + "\n");
    const Outcome outcome = Load(path);
    EXPECT_EQ(Log(path, "  +SamplingFrequency : " + std::to_string(c.value) +
                            "\n"),
              outcome.out);
    EXPECT_EQ(c.value, outcome.options.samplingFrequency);
    EXPECT_EQ(!c.is_number, !outcome.err.empty()) << outcome.err;
  }
}

// ---------------------------------------------------------------------------
// Real conversion and rounding to float, through ACCSCALINGFACTOR after
// FILETYPE 2.

struct RealCase {
  std::string text;
  float value;
  std::string logged;
  bool is_number;
};

TEST_F(ConfigFileTest, RealConversion) {
  const float kLargest = std::numeric_limits<float>::max();
  const std::string kLargestLogged =
      "340282346638528859811704183484516925440.000";
  const RealCase cases[] = {
      {"0.7", 0.7f, "0.700", true},
      {"+1.5", 1.5f, "1.500", true},
      {"-2e1", -20.0f, "-20.000", true},
      {"1E2", 100.0f, "100.000", true},
      {".5", 0.5f, "0.500", true},
      {"-.5", -0.5f, "-0.500", true},
      {"5.", 5.0f, "5.000", true},
      {"2.5e", 2.5f, "2.500", true},
      {"2.5e+", 2.5f, "2.500", true},
      {"1.5,7", 1.5f, "1.500", true},
      {"\t2", 2.0f, "2.000", true},
      // The log shows the stored float, not the double it came from
      // (as doubles, 0.0025 would show 0.003 and 0.0065 would show 0.006).
      {"0.0025", 0.0025f, "0.002", true},
      {"0.0065", 0.0065f, "0.007", true},
      // Decimal only: a hexadecimal prefix stops after the 0.
      {"0x1A", 0.0f, "0.000", true},
      {"inf", 0.0f, "0.000", false},
      {"-inf", 0.0f, "0.000", false},
      {"infinity", 0.0f, "0.000", false},
      {"nan", 0.0f, "0.000", false},
      {"+-1", 0.0f, "0.000", false},
      {".", 0.0f, "0.000", false},
      {"e5", 0.0f, "0.000", false},
      // Beyond the float range: IEEE rounding to the nearest float.
      {"1e39", kInfinity, "inf", true},
      {"-1e39", -kInfinity, "-inf", true},
      {"3.4028235e38", kLargest, kLargestLogged, true},
      {"3.40282356e38", kLargest, kLargestLogged, true},
      {"-3.40282356e38", -kLargest, "-" + kLargestLogged, true},
      {"340282356779733661637539395458142568448", kInfinity, "inf", true},
      {"3.4028236e38", kInfinity, "inf", true},
      // Beyond the double range.
      {"1e400", kInfinity, "inf", true},
      {"-1e400", -kInfinity, "-inf", true},
      {"0.000000001e400", kInfinity, "inf", true},
      {"1e-400", 0.0f, "0.000", true},
      {"-1e-400", -0.0f, "-0.000", true},
      {"100000e-330", 0.0f, "0.000", true},
      {"1e-50", 0.0f, "0.000", true},
  };
  for (const RealCase& c : cases) {
    SCOPED_TRACE("value \"" + c.text + "\"");
    const std::string path =
        Write("FILETYPE 2\nACCSCALINGFACTOR " + c.text + "\n");
    const Outcome outcome = Load(path);
    EXPECT_EQ(Log(path, "  +FileType : 2\n  +AccScalingFactor : " + c.logged +
                            "\n"),
              outcome.out);
    EXPECT_EQ(std::bit_cast<uint32_t>(c.value),
              std::bit_cast<uint32_t>(outcome.options.accScalingFactorReal))
        << outcome.options.accScalingFactorReal;
    EXPECT_EQ(1, outcome.options.accScalingFactor);
    EXPECT_EQ(!c.is_number, !outcome.err.empty()) << outcome.err;
  }
}

TEST_F(ConfigFileTest, RealConversionIgnoresLocale) {
  const char* const kCommaLocales[] = {"de_DE.UTF-8", "de_DE.utf8", "de_DE",
                                       "German_Germany.1252"};
  const char* chosen = nullptr;
  for (const char* name : kCommaLocales) {
    if (std::setlocale(LC_NUMERIC, name) != nullptr) {
      chosen = name;
      break;
    }
  }
  if (chosen == nullptr) GTEST_SKIP() << "no locale with a decimal comma";
  const std::string point = Write("FILETYPE 2\nACCSCALINGFACTOR 1.5\n", "a.cnf");
  const std::string comma = Write("FILETYPE 2\nGYROSCALINGFACTOR 1,5\n", "b.cnf");
  const Outcome with_point = Load(point);
  const Outcome with_comma = Load(comma);
  std::setlocale(LC_NUMERIC, "C");
  EXPECT_EQ(1.5f, with_point.options.accScalingFactorReal) << chosen;
  EXPECT_EQ(1.0f, with_comma.options.gyroScalingFactorReal) << chosen;
}

// ---------------------------------------------------------------------------
// Warnings name the file and the line; comments and blank lines never warn.

TEST_F(ConfigFileTest, WarningsNameFileAndLine) {
  const std::string path = Write(
      "# settings for the lab\n"        // 1
      "\n"                              // 2
      "FILETYPE 2\n"                    // 3
      "SAMPLINGRATE 100\n"              // 4
      "CUTOFFFREQUENCY\t4\n"            // 5
      "SAMPLINGFREQUENCY fifty\n"       // 6
      "   \n"                           // 7
      " # indented remark\n"            // 8
      "ACCSCALINGFACTOR inf\n"          // 9
      "#ACCSCALINGFACTOR\n"             // 10
      "ROLLPITCHCOMPENSATION 1\n"       // 11
      "RMSDIFFOUT \"0\"\n");            // 12
  const Outcome outcome = Load(path);
  EXPECT_EQ(0, outcome.status);
  EXPECT_EQ(Log(path,
                "  +FileType : 2\n"
                "  +SamplingFrequency : 0\n"
                "  +AccScalingFactor : 0.000\n"
                "  +RollPitchCompensation : 1\n"
                "  +RmsDiffOut : 0\n"),
            outcome.out);
  EXPECT_EQ(
      Warnings(path,
               {"4: unknown key \"SAMPLINGRATE\"; line ignored",
                "5: key \"CUTOFFFREQUENCY\\t4\" without a value (a key and its "
                "value are separated by spaces); line ignored",
                "6: value \"fifty\" of key \"SAMPLINGFREQUENCY\" is not a "
                "number; 0 is used",
                "8: unknown key \"#\"; line ignored",
                "9: value \"inf\" of key \"ACCSCALINGFACTOR\" is not a number; "
                "0 is used",
                "12: value \"\\\"0\\\"\" of key \"RMSDIFFOUT\" is not a number; "
                "0 is used"}),
      outcome.err);
}

// ---------------------------------------------------------------------------
// Files that cannot be opened or read.

TEST_F(ConfigFileTest, MissingFileIsSilent) {
  const std::string path = (folder_.path() / "absent.cnf").string();
  const Outcome outcome = Load(path);
  EXPECT_EQ(-1, outcome.status);
  EXPECT_EQ("", outcome.out);
  EXPECT_EQ("", outcome.err);
  ExpectSameOptions(Defaults(), outcome.options);
}

TEST_F(ConfigFileTest, DirectoryIsWarnedAbout) {
  const fs::path directory = folder_.path() / "brelvik.cnf";
  fs::create_directory(directory);
  const Outcome outcome = Load(directory.string());
  EXPECT_EQ(-1, outcome.status);
  EXPECT_EQ("", outcome.out);
  EXPECT_EQ("brelvik: warning: " + directory.string() +
                ": is a directory, not a configuration file; skipped\n",
            outcome.err);
}

#if !defined(_WIN32)
TEST_F(ConfigFileTest, UnreadableFileIsWarnedAbout) {
  const std::string path = Write("FILETYPE 2\n");
  ASSERT_EQ(0, chmod(path.c_str(), 0));
  if (std::FILE* probe = std::fopen(path.c_str(), "rb")) {
    std::fclose(probe);
    GTEST_SKIP() << "permissions are not enforced for this user";
  }
  const Outcome outcome = Load(path);
  EXPECT_EQ(-1, outcome.status);
  EXPECT_EQ("", outcome.out);
  const std::string prefix = "brelvik: warning: " + path + ": cannot be read (";
  EXPECT_EQ(prefix, outcome.err.substr(0, prefix.size())) << outcome.err;
  ExpectSameOptions(Defaults(), outcome.options);
}
#endif

#if defined(__linux__)
// Reading the start of a process's own memory fails with an input/output
// error, which stands in for a failing disk.
TEST_F(ConfigFileTest, ReadErrorIsWarnedAbout) {
  const std::string path = "/proc/self/mem";
  if (std::FILE* probe = std::fopen(path.c_str(), "rb")) {
    std::fclose(probe);
  } else {
    GTEST_SKIP() << "cannot open " << path;
  }
  const Outcome outcome = Load(path);
  EXPECT_EQ(-1, outcome.status);
  EXPECT_EQ(Log(path, ""), outcome.out);
  const std::string prefix = "brelvik: warning: " + path + ":1: read error (";
  EXPECT_EQ(prefix, outcome.err.substr(0, prefix.size())) << outcome.err;
}
#endif

// ---------------------------------------------------------------------------
// The record carries over from file to file.

TEST_F(ConfigFileTest, SecondFileBuildsOnTheFirst) {
  const std::string first =
      Write("FILETYPE 2\nSAMPLINGFREQUENCY 100\nCUTOFFFREQUENCY 4\n", "a.cnf");
  const std::string second =
      Write("ACCSCALINGFACTOR 0.25\nCUTOFFFREQUENCY 8\n", "b.cnf");
  const Outcome one = Load(first);
  const Outcome two = Load(second, one.options);
  EXPECT_EQ(Log(second, "  +AccScalingFactor : 0.250\n  +CutOffFrequency : 8\n"),
            two.out);
  ConversionOptions want = Defaults();
  want.fileType = 2;
  want.samplingFrequency = 100;
  want.cutOffFrequency = 8;
  want.accScalingFactorReal = 0.25f;
  ExpectSameOptions(want, two.options);
}

TEST_F(ConfigFileTest, PathLoggedAsPassed) {
  Write("SEQNOINDEX 3\n", "x.cnf");
  fs::create_directory(folder_.path() / "sub");
  const std::string path = (folder_.path() / "sub" / ".." / "x.cnf").string();
  const Outcome outcome = Load(path);
  EXPECT_EQ(Log(path, "  +SeqnoIndex : 3\n"), outcome.out);
}

// ---------------------------------------------------------------------------
// LoadConfigFiles: the file beside the executable, then brelvik.cnf in the
// working directory.

class ConfigFilesTest : public ConfigFileTest {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(platform::ExecutablePath(&executable_, &error)) << error;
    beside_ = ConfigPathBesideExecutable(executable_);
    if (fs::exists(beside_)) {
      GTEST_SKIP() << beside_ << " already exists";
    }
    previous_directory_ = fs::current_path();
    fs::current_path(folder_.path());
  }
  void TearDown() override {
    if (!previous_directory_.empty()) fs::current_path(previous_directory_);
    if (wrote_beside_) fs::remove(beside_);
  }

  // Whether the file beside the executable could be written; the folder of
  // the executable may not be writable for this user.
  bool WriteBeside(const std::string& content) {
    std::ofstream out(beside_, std::ios::binary);
    if (!out) return false;
    wrote_beside_ = true;
    out << content;
    out.close();
    return out.good();
  }

  Outcome LoadBoth() {
    Outcome outcome;
    ConversionOptions options = Defaults();
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    outcome.status = LoadConfigFiles(&options);
    outcome.out = testing::internal::GetCapturedStdout();
    outcome.err = testing::internal::GetCapturedStderr();
    outcome.options = options;
    return outcome;
  }

  std::string executable_;
  std::string beside_;
  fs::path previous_directory_;
  bool wrote_beside_ = false;
};

// One test for all three situations, in sequence: the file beside the
// executable is shared by every process of this program, so tests run side
// by side must not each create it.
TEST_F(ConfigFilesTest, BesideExecutableFirstThenWorkingDirectory) {
  {
    SCOPED_TRACE("neither file");
    const Outcome outcome = LoadBoth();
    EXPECT_EQ(0, outcome.status);
    EXPECT_EQ("", outcome.out);
    EXPECT_EQ("", outcome.err);
    ExpectSameOptions(Defaults(), outcome.options);
  }
  WriteFile("brelvik.cnf", "CUTOFFFREQUENCY 8\nGYROSCALINGFACTOR 0.5\n");
  {
    SCOPED_TRACE("working directory only");
    const Outcome outcome = LoadBoth();
    EXPECT_EQ(0, outcome.status);
    EXPECT_EQ(Log("brelvik.cnf",
                  "  +CutOffFrequency : 8\n  +GyroScalingFactor : 0\n"),
              outcome.out);
    EXPECT_EQ("", outcome.err);
  }
  if (!WriteBeside("FILETYPE 2\nSAMPLINGFREQUENCY 100\nCUTOFFFREQUENCY 4\n")) {
    GTEST_SKIP() << "cannot write " << beside_;
  }
  {
    SCOPED_TRACE("both files");
    const Outcome outcome = LoadBoth();
    EXPECT_EQ(0, outcome.status);
    EXPECT_EQ(Log(beside_,
                  "  +FileType : 2\n  +SamplingFrequency : 100\n"
                  "  +CutOffFrequency : 4\n") +
                  Log("brelvik.cnf",
                      "  +CutOffFrequency : 8\n  +GyroScalingFactor : 0.500\n"),
              outcome.out);
    EXPECT_EQ("", outcome.err);
    ConversionOptions want = Defaults();
    want.fileType = 2;
    want.samplingFrequency = 100;
    want.cutOffFrequency = 8;
    want.gyroScalingFactorReal = 0.5f;
    ExpectSameOptions(want, outcome.options);
  }
}

// ---------------------------------------------------------------------------
// The name of the configuration file beside the executable.

TEST(ConfigPathBesideExecutableTest, NameRule) {
  const struct {
    std::string exe;
    std::string config;
  } cases[] = {
      {"/usr/local/bin/brelvik", "/usr/local/bin/brelvik.cnf"},
      {"brelvik", "brelvik.cnf"},
      {"brelvik.exe", "brelvik.cnf"},
      {"BRELVIK.EXE", "BRELVIK.cnf"},
      {"a.Exe", "a.cnf"},
      {"C:\\Program Files\\brelvik\\brelvik.exe",
       "C:\\Program Files\\brelvik\\brelvik.cnf"},
      {"/opt/tools.exe/brelvik", "/opt/tools.exe/brelvik.cnf"},
      {"brelvikexe", "brelvikexe.cnf"},
      {"brelvik.exe.old", "brelvik.exe.old.cnf"},
      {"brelvik.ex", "brelvik.ex.cnf"},
      {"exe", "exe.cnf"},
      {".exe", ".cnf"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.config, ConfigPathBesideExecutable(c.exe)) << c.exe;
  }
}

// ---------------------------------------------------------------------------
// The platform function behind it.

TEST(ExecutablePathTest, NamesThisTestProgram) {
  std::string path;
  std::string error;
  ASSERT_TRUE(platform::ExecutablePath(&path, &error)) << error;
  const fs::path executable(path);
  EXPECT_TRUE(executable.is_absolute()) << path;
  EXPECT_TRUE(fs::is_regular_file(executable)) << path;
  EXPECT_EQ("config_test", executable.stem().string()) << path;
}

#if !defined(_WIN32)
class ReadSymbolicLinkTest : public ConfigFileTest {};

// Targets around the first buffer size and far beyond it.
TEST_F(ReadSymbolicLinkTest, TargetOfAnyLength) {
  for (const std::size_t length : {1u, 255u, 256u, 257u, 511u, 512u, 3000u}) {
    std::string target;
    for (std::size_t i = 0; i < length; ++i) {
      target += (i % 10 == 9) ? '/' : static_cast<char>('a' + i % 10);
    }
    const fs::path link =
        folder_.path() / ("link" + std::to_string(length));
    fs::create_symlink(target, link);
    std::string read;
    std::string error;
    ASSERT_TRUE(platform::ReadSymbolicLink(link.string(), &read, &error))
        << error;
    EXPECT_EQ(target, read) << "length " << length;
  }
}

TEST_F(ReadSymbolicLinkTest, Failures) {
  const std::string absent = (folder_.path() / "absent").string();
  const std::string plain = Write("not a link\n");
  for (const std::string& link : {absent, plain}) {
    std::string read = "stale";
    std::string error;
    EXPECT_FALSE(platform::ReadSymbolicLink(link, &read, &error)) << link;
    EXPECT_EQ("", read);
    EXPECT_NE(std::string::npos, error.find(link)) << error;
  }
}
#endif

}  // namespace
