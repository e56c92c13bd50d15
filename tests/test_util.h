// Helpers shared by the tests: a fresh temporary folder per test, whole-file
// reads and writes, and running the built program.
#ifndef BRELVIK_TESTS_TEST_UTIL_H_
#define BRELVIK_TESTS_TEST_UTIL_H_

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace testutil {

namespace fs = std::filesystem;

// A folder that exists for one test and is removed afterwards.
class TempDir {
 public:
  TempDir() {
#ifdef _WIN32
    // No mkdtemp on Windows: try random names until one can be created.
    std::random_device random;
    do {
      path_ = fs::temp_directory_path() / ("brelvik-test-" + std::to_string(random()));
    } while (!fs::create_directory(path_));
#else
    std::string pattern = (fs::temp_directory_path() / "brelvik-test-XXXXXX").string();
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) ADD_FAILURE() << "mkdtemp failed";
    path_ = buf.data();
#endif
  }
  ~TempDir() {
    std::error_code ec;
    // Make everything removable again (tests may take permissions away).
    for (auto it = fs::recursive_directory_iterator(path_, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
      if (it->is_directory(ec) && !it->is_symlink(ec)) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  fs::path path_;
};

inline std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteFile(const fs::path& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

// The lines of a text, without their line ends (on Windows, where feature
// files end their lines in CR LF, without the CR too).
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  std::istringstream in(text);
  while (std::getline(in, line)) {
#ifdef _WIN32
    if (!line.empty() && line.back() == '\r') line.pop_back();
#endif
    lines.push_back(line);
  }
  return lines;
}

// Splits a row at commas.
inline std::vector<int> Fields(const std::string& row) {
  std::vector<int> v;
  std::stringstream s(row);
  std::string f;
  while (std::getline(s, f, ',')) v.push_back(std::stoi(f));
  return v;
}

}  // namespace testutil

#endif  // BRELVIK_TESTS_TEST_UTIL_H_
