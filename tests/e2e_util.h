// Small helpers of the whole-program tests: quoting a word for the shell that
// runs a program, and whole files read and written byte for byte.
#ifndef TESTS_E2E_UTIL_H_
#define TESTS_E2E_UTIL_H_

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace e2e {

// s as one word of a POSIX shell command line: in single quotes, each single
// quote of s written as '\''.
inline std::string shell_quote(std::string_view s) {
  std::string q = "'";
  for (char c : s) {
    if (c == '\'')
      q += "'\\''";
    else
      q += c;
  }
  return q + "'";
}

// The whole content of the file at path; empty when it cannot be read.
inline std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::vector<std::uint8_t> read_bytes(const std::string& path) {
  const std::string text = read_file(path);
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

// Makes the file at path hold exactly bytes.
inline void write_bytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

// What one run of a program gave: its exit status, standard output and error.
struct Result {
  int status = -1;
  std::string out, err;
};

// A folder of its own under /tmp for one test ("/tmp/PREFIX_XXXXXX"), removed
// with all it holds when the object goes. dir() is empty when it could not be
// made.
class TempFolder {
 public:
  explicit TempFolder(const std::string& prefix) {
    std::string pattern = "/tmp/" + prefix + "_XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) dir_ = pattern;
  }
  ~TempFolder() {
    if (!dir_.empty()) std::system(("rm -rf " + shell_quote(dir_)).c_str());
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& dir() const { return dir_; }

 private:
  std::string dir_;
};

}  // namespace e2e

#endif  // TESTS_E2E_UTIL_H_
