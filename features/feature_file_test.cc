// Faults put in place of the file system: a write or a close that fails part
// way leaves no feature file behind and any previous one untouched.
#include "features/feature_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "features/processor.h"
#include "platform/output_file.h"
#include "tests/test_util.h"

namespace {

using testutil::ReadFile;
using testutil::TempDir;
using testutil::WriteFile;
namespace fs = std::filesystem;

// Passes everything to the real file system, but lets writes fail once
// `budget` bytes have been written, or the commit fail.
class FaultyFileSystem : public platform::FileSystem {
 public:
  explicit FaultyFileSystem(size_t budget, bool failCommit = false)
      : real_(platform::CurrentFileSystem()), budget_(budget), failCommit_(failCommit) {
    platform::SetFileSystemForTesting(this);
  }
  ~FaultyFileSystem() override { platform::SetFileSystemForTesting(nullptr); }

  bool Stat(const std::string& path, platform::FileInfo* info, std::string* error) override {
    return real_->Stat(path, info, error);
  }
  bool ReadPrefix(const std::string& path, size_t size, std::string* data, std::string* error) override {
    return real_->ReadPrefix(path, size, data, error);
  }
  std::unique_ptr<platform::OutputFile> Create(const std::string& path, std::string* error) override {
    auto file = real_->Create(path, error);
    if (!file) return nullptr;
    return std::make_unique<Faulty>(std::move(file), this);
  }

 private:
  class Faulty : public platform::OutputFile {
   public:
    Faulty(std::unique_ptr<platform::OutputFile> file, FaultyFileSystem* fs) : file_(std::move(file)), fs_(fs) {}
    bool Write(const char* data, size_t size, std::string* error) override {
      const size_t n = std::min(size, fs_->budget_);
      fs_->budget_ -= n;
      if (n > 0 && !file_->Write(data, n, error)) return false;
      if (n < size) {
        *error = std::strerror(ENOSPC);
        return false;
      }
      return true;
    }
    bool Commit(std::string* error) override {
      if (fs_->failCommit_) {
        file_->Discard();
        *error = std::strerror(EIO);
        return false;
      }
      return file_->Commit(error);
    }
    void Discard() override { file_->Discard(); }

   private:
    std::unique_ptr<platform::OutputFile> file_;
    FaultyFileSystem* fs_;
  };

  platform::FileSystem* real_;
  size_t budget_;
  bool failCommit_;
};

class FeatureFileFaultTest : public ::testing::Test {
 protected:
  FeatureFileFaultTest() { InitOptions(&options_); }

  // Writes n samples; returns CloseProcessor's result.
  int Convert(size_t samples, std::string* error) {
    SampleProcessor p;
    if (OpenProcessor(&p, &options_, out_, error) != 0) return -2;
    const SensorSample s{1, 100, -200, -8192, 5, 6, 7};
    for (size_t i = 0; i < samples; ++i) ProcessSample(&p, &s);
    return CloseProcessor(&p, error);
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_.path())) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  ConversionOptions options_;
  TempDir dir_;
  std::string out_ = dir_.file("out_JUX.csv");
  const std::string previous_ = std::string(kFeatureHeaderStart) + "\nthe previous file\n";
};

TEST_F(FeatureFileFaultTest, WriteFailingPartWayKeepsThePreviousFile) {
  // Fail in the first block, exactly at a block's end, and well into the file.
  for (size_t budget : {size_t{0}, size_t{100}, FeatureFile::kBufferSize, 5 * FeatureFile::kBufferSize + 17}) {
    WriteFile(out_, previous_);
    FaultyFileSystem faulty(budget);
    std::string error;
    EXPECT_EQ(Convert(100000, &error), -1) << budget;
    EXPECT_NE(error.find("write error on " + out_ + ": No space left on device"), std::string::npos) << error;
    EXPECT_EQ(ReadFile(out_), previous_) << budget;
    EXPECT_EQ(Names(), std::vector<std::string>{"out_JUX.csv"}) << budget;
  }
}

TEST_F(FeatureFileFaultTest, WriteFailingWithNoPreviousFileLeavesNothing) {
  FaultyFileSystem faulty(1000);
  std::string error;
  EXPECT_EQ(Convert(100000, &error), -1);
  EXPECT_TRUE(Names().empty());
}

TEST_F(FeatureFileFaultTest, FailedCommitKeepsThePreviousFile) {
  WriteFile(out_, previous_);
  FaultyFileSystem faulty(SIZE_MAX, true);
  std::string error;
  EXPECT_EQ(Convert(10, &error), -1);
  EXPECT_NE(error.find("write error"), std::string::npos) << error;
  EXPECT_EQ(ReadFile(out_), previous_);
  EXPECT_EQ(Names(), std::vector<std::string>{"out_JUX.csv"});
}

TEST_F(FeatureFileFaultTest, AbandonedConversionLeavesNothing) {
  WriteFile(out_, previous_);
  {
    SampleProcessor p;
    std::string error;
    ASSERT_EQ(OpenProcessor(&p, &options_, out_, &error), 0);
    const SensorSample s{1, 100, -200, -8192, 5, 6, 7};
    for (int i = 0; i < 50000; ++i) ProcessSample(&p, &s);
    AbandonProcessor(&p);
  }
  EXPECT_EQ(ReadFile(out_), previous_);
  EXPECT_EQ(Names(), std::vector<std::string>{"out_JUX.csv"});
}

TEST_F(FeatureFileFaultTest, SuccessLeavesOnlyTheFeatureFile) {
  std::string error;
  EXPECT_EQ(Convert(100000, &error), 0) << error;
  EXPECT_EQ(Names(), std::vector<std::string>{"out_JUX.csv"});
  EXPECT_EQ(testutil::Lines(ReadFile(out_)).size(), 100001u);
}

}  // namespace
