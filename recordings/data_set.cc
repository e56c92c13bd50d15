// Reading binary data sets in large blocks, and their converter.
#include "recordings/data_set.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "features/processor.h"
#include "recordings/input_file.h"
#include "recordings/number_fields.h"
#include "recordings/output_name.h"

namespace {

constexpr char kMagic[] = "QK DataSet V1.0.0";  // 17 characters and the zero byte
constexpr size_t kHeaderSize = 24;
constexpr size_t kRecordSize = 12;
constexpr size_t kBlockRecords = 1 << 14;

int16_t LittleEndian16(const unsigned char* p) {
  return numbers::Low16(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8));
}

}  // namespace

struct DataSetFile {
  std::FILE* in = nullptr;
  std::unique_ptr<unsigned char[]> block;
  size_t have = 0;  // bytes in block
  size_t used = 0;  // bytes of block already handed out
  bool failed = false;
};

DataSetFile* OpenDataSet(const std::string& path, std::string* error) {
  auto file = std::make_unique<DataSetFile>();
  file->in = OpenInput(path, error);
  if (!file->in) return nullptr;
  unsigned char header[kHeaderSize];
  const size_t n = std::fread(header, 1, kHeaderSize, file->in);
  if (n < kHeaderSize) {
    *error = std::ferror(file->in) ? std::string("read error: ") + std::strerror(errno ? errno : EIO)
                                   : "not a data set: the file ends inside the 24-byte header";
    CloseDataSet(file.release());
    return nullptr;
  }
  if (std::memcmp(header, kMagic, sizeof kMagic) != 0) {
    *error = "not a data set: it does not begin with \"QK DataSet V1.0.0\" and a zero byte";
    CloseDataSet(file.release());
    return nullptr;
  }
  const int32_t offset = static_cast<int32_t>(static_cast<uint32_t>(header[20]) |
                                              (static_cast<uint32_t>(header[21]) << 8) |
                                              (static_cast<uint32_t>(header[22]) << 16) |
                                              (static_cast<uint32_t>(header[23]) << 24));
  if (offset < static_cast<int32_t>(kHeaderSize)) {
    *error = "not a data set: its first record would lie at offset " + std::to_string(offset) +
             ", inside the 24-byte header";
    CloseDataSet(file.release());
    return nullptr;
  }
  if (std::fseek(file->in, offset, SEEK_SET) != 0) {
    *error = std::string("cannot seek to the first record: ") + std::strerror(errno ? errno : EIO);
    CloseDataSet(file.release());
    return nullptr;
  }
  file->block.reset(new unsigned char[kBlockRecords * kRecordSize]);
  return file.release();
}

size_t ReadDataSetRecords(DataSetFile* file, DataSetRecord* destination, size_t count) {
  size_t done = 0;
  while (done < count) {
    if (file->have - file->used < kRecordSize) {
      // Keep a part-record and fill the rest of the block.
      const size_t rest = file->have - file->used;
      std::memmove(file->block.get(), file->block.get() + file->used, rest);
      file->used = 0;
      file->have = rest;
      if (file->failed || std::feof(file->in)) break;
      const size_t room = kBlockRecords * kRecordSize - rest;
      const size_t n = std::fread(file->block.get() + rest, 1, room, file->in);
      file->have += n;
      if (n < room && std::ferror(file->in)) file->failed = true;
      if (file->have < kRecordSize) {
        if (n == 0) break;
        continue;
      }
    }
    const unsigned char* p = file->block.get() + file->used;
    for (int i = 0; i < 6; ++i) destination[done].values[i] = LittleEndian16(p + 2 * i);
    file->used += kRecordSize;
    ++done;
  }
  return done;
}

bool DataSetReadFailed(const DataSetFile* file) { return file->failed; }

void CloseDataSet(DataSetFile* file) {
  if (!file) return;
  if (file->in) std::fclose(file->in);
  delete file;
}

int ConvertDataSetFile(const std::string& inputName, const std::string* outputName,
                       ConversionOptions* options, std::string* error) {
  std::unique_ptr<DataSetFile, void (*)(DataSetFile*)> file(OpenDataSet(inputName, error), CloseDataSet);
  if (!file) return -1;
  const std::string output = outputName ? *outputName : DefaultOutputName(inputName);
  std::printf("%s -> %s\n", inputName.c_str(), output.c_str());

  SampleProcessor processor;
  if (OpenProcessor(&processor, options, output, error, &inputName) != 0) return -1;
  DataSetRecord record;
  uint32_t index = 0;
  while (ReadDataSetRecords(file.get(), &record, 1) > 0) {
    SensorSample sample;
    sample.seqno = numbers::Low16(index++);
    sample.accX = record.values[0];
    sample.accY = record.values[1];
    sample.accZ = record.values[2];
    sample.gyroX = record.values[3];
    sample.gyroY = record.values[4];
    sample.gyroZ = record.values[5];
    ProcessSample(&processor, &sample);
  }
  if (DataSetReadFailed(file.get())) {
    *error = std::string("read error: ") + std::strerror(errno ? errno : EIO);
    AbandonProcessor(&processor);
    return -1;
  }
  return CloseProcessor(&processor, error);
}
