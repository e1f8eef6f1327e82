// Small helpers of the whole-program tests: quoting a word for the shell that
// runs a program, and whole files read and written byte for byte.
#ifndef TESTS_E2E_UTIL_H_
#define TESTS_E2E_UTIL_H_

#include <cstdint>
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

}  // namespace e2e

#endif  // TESTS_E2E_UTIL_H_
