// The leading bytes of a fuzz input that choose the conversion settings, so
// that one input carries both its settings and its data, and a mutation of
// either reaches every combination.  A zero byte always picks the default,
// so a short input converts with the defaults.
#ifndef BRELVIK_FUZZ_FUZZ_OPTIONS_H_
#define BRELVIK_FUZZ_FUZZ_OPTIONS_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "driver/options.h"

namespace fuzz {

// Reads an input from the front; past its end every byte reads as 0.
class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint8_t Next() { return used_ < size_ ? data_[used_++] : (used_++, uint8_t{0}); }
  // What follows the bytes read so far (empty when they ran past the end).
  std::string_view Rest() const {
    if (used_ >= size_) return {};
    return {reinterpret_cast<const char*>(data_) + used_, size_ - used_};
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t used_ = 0;
};

// The number of bytes OptionsFromBytes reads.
inline constexpr int kOptionBytes = 11;

// A fresh record (InitOptions) with every field chosen by the next
// kOptionBytes bytes: file type, leading columns, sequence-number column,
// decimation, the integer and real factors, the output flags and the level
// compensation, the two filter frequencies and the fall threshold.
ConversionOptions OptionsFromBytes(ByteReader* bytes);

// The record in one line, for a failure message.
std::string Describe(const ConversionOptions& options);

}  // namespace fuzz

#endif  // BRELVIK_FUZZ_FUZZ_OPTIONS_H_
