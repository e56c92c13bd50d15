// check_sqrt: checks, for every non-negative finite float and for +inf, that
// rounding the double power function's pow(x, 0.5) to float gives exactly
// the correctly rounded square root sqrtf(x), bit for bit.  The magnitudes of
// the feature file are defined through the power function; this check (with
// the sampled test beside the magnitudes) is what allows computing them with
// the square root instead.
//
// It also counts the floats whose double results already differ,
// pow((double)x, 0.5) against sqrt((double)x), to show that the agreement
// comes from the rounding to float and not from the two functions being the
// same: the power function is not correctly rounded everywhere.
//
//   check_sqrt [--threads N]
//
// Prints both counts and the first few cases of each kind.  Exit status 0
// when no float result differs, 1 when one does, 2 on a usage error.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

// The bit patterns checked: +0 up to the largest finite float, then +inf.
constexpr uint32_t kFirst = 0x00000000u;
constexpr uint32_t kLast = 0x7F800000u;  // +inf
constexpr int kExamples = 5;

struct Counts {
  uint64_t checked = 0;
  uint64_t floatMismatches = 0;
  uint64_t doubleDifferences = 0;
  std::vector<uint32_t> floatExamples;
  std::vector<uint32_t> doubleExamples;
};

float FromBits(uint32_t bits) {
  float x;
  std::memcpy(&x, &bits, sizeof x);
  return x;
}

uint32_t Bits(float x) {
  uint32_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  return bits;
}

uint64_t Bits(double x) {
  uint64_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  return bits;
}

// Checks the patterns first, first + stride, ... up to last.
void CheckRange(uint32_t first, uint32_t last, uint32_t stride, Counts* counts) {
  for (uint64_t b = first; b <= last; b += stride) {
    const float x = FromBits(static_cast<uint32_t>(b));
    const double viaPow = std::pow(static_cast<double>(x), 0.5);
    const double viaSqrt = std::sqrt(static_cast<double>(x));
    const float rounded = static_cast<float>(viaPow);
    const float root = std::sqrt(x);  // the float overload
    ++counts->checked;
    if (Bits(rounded) != Bits(root)) {
      ++counts->floatMismatches;
      if (counts->floatExamples.size() < kExamples) counts->floatExamples.push_back(static_cast<uint32_t>(b));
    }
    if (Bits(viaPow) != Bits(viaSqrt)) {
      ++counts->doubleDifferences;
      if (counts->doubleExamples.size() < kExamples) counts->doubleExamples.push_back(static_cast<uint32_t>(b));
    }
  }
}

void PrintExample(uint32_t bits) {
  const float x = FromBits(bits);
  const double viaPow = std::pow(static_cast<double>(x), 0.5);
  const double viaSqrt = std::sqrt(static_cast<double>(x));
  std::printf("    x = %.9g (0x%08x): pow %.17g, sqrt %.17g; as float %.9g and %.9g\n",
              static_cast<double>(x), bits, viaPow, viaSqrt, static_cast<double>(static_cast<float>(viaPow)),
              static_cast<double>(std::sqrt(x)));
}

}  // namespace

int main(int argc, char** argv) {
  unsigned threads = std::thread::hardware_concurrency();
  if (threads == 0) threads = 1;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--threads" && i + 1 < argc) {
      const long n = std::strtol(argv[++i], nullptr, 10);
      if (n < 1 || n > 256) {
        std::fprintf(stderr, "check_sqrt: --threads needs a number from 1 to 256\n");
        return 2;
      }
      threads = static_cast<unsigned>(n);
    } else {
      std::fprintf(stderr, "usage: check_sqrt [--threads N]\n");
      return 2;
    }
  }

  // Thread t takes every threads-th pattern from kFirst + t: the cheap
  // denormals and the dear large values are spread evenly.
  std::vector<Counts> counts(threads);
  std::vector<std::thread> workers;
  for (unsigned t = 0; t < threads; ++t) {
    workers.emplace_back(CheckRange, kFirst + t, kLast, threads, &counts[t]);
  }
  for (std::thread& w : workers) w.join();

  Counts total;
  for (const Counts& c : counts) {
    total.checked += c.checked;
    total.floatMismatches += c.floatMismatches;
    total.doubleDifferences += c.doubleDifferences;
    total.floatExamples.insert(total.floatExamples.end(), c.floatExamples.begin(), c.floatExamples.end());
    total.doubleExamples.insert(total.doubleExamples.end(), c.doubleExamples.begin(), c.doubleExamples.end());
  }

  std::printf("checked %llu floats: every non-negative finite float and +inf\n",
              static_cast<unsigned long long>(total.checked));
  std::printf("float results differing, (float)pow((double)x, 0.5) vs sqrtf(x): %llu\n",
              static_cast<unsigned long long>(total.floatMismatches));
  for (size_t i = 0; i < total.floatExamples.size() && i < kExamples; ++i) PrintExample(total.floatExamples[i]);
  std::printf("double results differing, pow((double)x, 0.5) vs sqrt((double)x): %llu\n",
              static_cast<unsigned long long>(total.doubleDifferences));
  for (size_t i = 0; i < total.doubleExamples.size() && i < kExamples; ++i) PrintExample(total.doubleExamples[i]);
  // -0.0 lies outside the range: the power function gives +0 and the square
  // root -0.  A sum of squares is never -0, so the magnitudes never meet it.
  std::printf("-0.0 (not counted): pow gives %g, sqrtf gives %g\n", std::pow(-0.0, 0.5),
              static_cast<double>(std::sqrt(-0.0f)));
  return total.floatMismatches == 0 ? 0 : 1;
}
