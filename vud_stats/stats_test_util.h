// Test support for the statistics tool's stages: the console fixture with the
// date memory reset too, a scratch directory for log and report files, and a
// runner for whole command lines.
#ifndef VUD_STATS_STATS_TEST_UTIL_H_
#define VUD_STATS_STATS_TEST_UTIL_H_

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "vud_stats/help_text_test_util.h"
#include "vud_stats/timestamps.h"
#include "vud_stats/vudstats.h"
#include "vud_support/console/channels.h"
#include "vud_support/console/console_fixture.h"
#include "vud_support/console/records.h"

namespace vud {

// Every field of a date memory, for comparing two memories in one assertion.
inline auto memory_fields(const Datemem& m) {
  return std::tuple(m.iyear, m.imonth, m.iday, m.ihour, m.imin, m.sec, m.has_base, m.base_year);
}

class StatsTest : public ConsoleTest {
 protected:
  void SetUp() override {
    ConsoleTest::SetUp();
    reset_datestamp_memory();
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    // Short names, so that every name made from them stays well within a file name field.
    const std::size_t h =
        std::hash<std::string>{}(std::string(info->test_suite_name()) + "." + info->name());
    dir_ = std::filesystem::path(::testing::TempDir()) /
           ("vs" + std::to_string(::getpid()) + "_" + std::to_string(h % 1000003));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    ConsoleTest::TearDown();
    std::filesystem::remove_all(dir_);
  }

  // Full name of a file in the scratch directory.
  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  void write_file(const std::string& name, const std::string& text) const {
    std::ofstream(path(name), std::ios::binary) << text;
  }
  std::string read_file(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  bool exists(const std::string& name) const { return std::filesystem::exists(path(name)); }

  // Runs the tool on args (without the program name) and returns its status.
  int run(const std::vector<std::string>& args) {
    std::vector<const char*> argv{"vudstats"};
    for (const std::string& a : args) argv.push_back(a.c_str());
    return run_vudstats(static_cast<int>(argv.size()), argv.data());
  }

  std::filesystem::path dir_;
};

}  // namespace vud

#endif  // VUD_STATS_STATS_TEST_UTIL_H_
