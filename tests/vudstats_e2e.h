// Helpers of the whole-program tests of vudstats: a scratch directory per
// test, running a built program in it with its terminal output captured, and
// reading and writing the files it leaves.
#ifndef TESTS_VUDSTATS_E2E_H_
#define TESTS_VUDSTATS_E2E_H_

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace vud_e2e {

// Paths of the built programs, handed in by the build.
inline const char* vudstats_bin() { return VUDSTATS_BIN; }
inline const char* vudstats64_bin() { return VUDSTATS64_BIN; }
inline const char* jex2csv_bin() { return JEX2CSV_BIN; }
inline const char* vudloggen_bin() { return VUDLOGGEN_BIN; }
inline const char* jexcapgen_bin() { return JEXCAPGEN_BIN; }

// A QTV 2 log of two sensors over a quarter of an hour, the log of the file and
// dialogue tests.
inline constexpr const char* kTwoSensorLog =
    "2014/12/22,13:00:10,B0000001,-61,1,1,0,2950,51.20,215,120,14,5,0\n"
    "2014/12/22,13:00:40,A0000002,-70,1,1,0,3000,40.00,200,300,3,7,1\n"
    "2014/12/22,13:05:10,B0000001,-61,1,3,0,2950,51.60,217,122,15,8,0\n"
    "2014/12/22,13:05:40,A0000002,-70,2,3,0,3000,41.00,202,302,9,12,2\n"
    "2014/12/22,13:15:40,B0000001,-61,1,5,0,2950,52.00,219,124,15,12,0\n";

struct RunResult {
  int status = -1;  // exit status, or -1 when the program did not exit normally
  std::string out;  // everything written to the standard output
  std::string err;  // everything written to the standard error
};

// Joins lines, each ended by a line end: the whole text of a file or terminal.
std::string lines(std::initializer_list<std::string_view> ls);
std::string lines(const std::vector<std::string>& ls);

// A fresh directory per test, removed afterwards. Programs run inside it, so
// relative log names give relative report names.
class E2eTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs `bin` with `args` in the scratch directory, standard input from `input`.
  RunResult run(const char* bin, const std::vector<std::string>& args,
                std::string_view input = "") const;
  std::string path(std::string_view name) const;
  void write_file(std::string_view name, std::string_view text) const;
  std::string read_file(std::string_view name) const;
  bool exists(std::string_view name) const;
  // Names of the files in the scratch directory, sorted.
  std::vector<std::string> files() const;

  std::string dir_;
};

}  // namespace vud_e2e

#endif  // TESTS_VUDSTATS_E2E_H_
