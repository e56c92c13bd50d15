// Fuzz target: an arbitrary byte string as a binary data set, read with
// OpenDataSet, ReadDataSetRecords and CloseDataSet.
//
// - OpenDataSet succeeds exactly when the file has at least 24 bytes, bytes
//   0 to 17 are "QK DataSet V1.0.0" and its zero byte, and the offset in
//   bytes 20 to 23 is at least 24; when it fails it says why.
// - The records read number max(0, size - offset) / 12 and hold the
//   little-endian values at offset + 12 i; the end stays the end, and no
//   read fails.
// The header bytes 18 and 19, which the reader does not examine, choose how
// many records each read asks for and whether (low three bits of byte 19
// 001) the file is stretched past the reader's block of 16384 records with
// copies of its own tail.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/check.h"
#include "fuzz/scratch.h"
#include "recordings/data_set.h"

namespace {

constexpr size_t kHeader = 24;
constexpr size_t kRecord = 12;
// The reader fills a block of this many records at a time.
constexpr size_t kReaderBlock = 16384 * kRecord;

int16_t Little16(const std::string& bytes, size_t at) {
  const unsigned v = static_cast<unsigned char>(bytes[at]) | (static_cast<unsigned char>(bytes[at + 1]) << 8);
  return static_cast<int16_t>(v >= 32768 ? static_cast<int>(v) - 65536 : static_cast<int>(v));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = fuzz::ScratchPath("in.bin");
  std::string file(reinterpret_cast<const char*>(data), size);
  const uint8_t pattern = size > 18 ? data[18] : 0;
  const uint8_t stretch = size > 19 ? data[19] : 0;
  if ((stretch & 7) == 1 && size > kHeader) {
    const std::string tail = file.substr(kHeader);
    const size_t target = kReaderBlock + (stretch >> 3) * 5;
    while (file.size() < target) file += tail;
    file.resize(target);
  }
  fuzz::WriteFileOrDie(path, file);

  const bool magic = file.size() >= kHeader && std::memcmp(file.data(), "QK DataSet V1.0.0", 18) == 0;
  int64_t offset = 0;
  if (file.size() >= kHeader) {
    const uint32_t raw = static_cast<uint32_t>(static_cast<unsigned char>(file[20])) |
                         (static_cast<uint32_t>(static_cast<unsigned char>(file[21])) << 8) |
                         (static_cast<uint32_t>(static_cast<unsigned char>(file[22])) << 16) |
                         (static_cast<uint32_t>(static_cast<unsigned char>(file[23])) << 24);
    offset = raw >= 0x80000000u ? static_cast<int64_t>(raw) - 0x100000000 : static_cast<int64_t>(raw);
  }
  const bool openable = magic && offset >= static_cast<int64_t>(kHeader);

  std::string error;
  DataSetFile* set = OpenDataSet(path, &error);
  FUZZ_REQUIRE((set != nullptr) == openable,
               std::string(set ? "opened" : "refused") + " a file of " + std::to_string(file.size()) +
                   " bytes, magic " + (magic ? "right" : "wrong") + ", offset " + std::to_string(offset) +
                   (set ? "" : ": " + error));
  if (!set) {
    FUZZ_REQUIRE(!error.empty(), "a refused data set without a reason");
    return 0;
  }

  const size_t expected =
      offset < static_cast<int64_t>(file.size()) ? (file.size() - static_cast<size_t>(offset)) / kRecord : 0;
  static constexpr size_t kCounts[8] = {1, 2, 3, 7, 12, 100, 16384, 20000};
  static std::vector<DataSetRecord> records(20000);
  size_t got = 0;
  for (int call = 0;; ++call) {
    const size_t count = kCounts[(pattern + call) & 7];
    const size_t n = ReadDataSetRecords(set, records.data(), count);
    FUZZ_REQUIRE(n <= count, "a read gave more records than asked for");
    if (n == 0) break;
    FUZZ_REQUIRE(got + n <= expected, "more than the " + std::to_string(expected) + " records the file holds");
    for (size_t i = 0; i < n; ++i) {
      const size_t at = static_cast<size_t>(offset) + (got + i) * kRecord;
      for (int k = 0; k < 6; ++k) {
        FUZZ_REQUIRE(records[i].values[k] == Little16(file, at + 2 * static_cast<size_t>(k)),
                     "record " + std::to_string(got + i) + " value " + std::to_string(k) +
                         " is not the little-endian bytes");
      }
    }
    got += n;
  }
  FUZZ_REQUIRE(got == expected, std::to_string(got) + " records read where the file holds " + std::to_string(expected));
  FUZZ_REQUIRE(ReadDataSetRecords(set, records.data(), 1) == 0, "a record after the end");
  FUZZ_REQUIRE(!DataSetReadFailed(set), "a read failed on a readable file");
  CloseDataSet(set);
  return 0;
}
