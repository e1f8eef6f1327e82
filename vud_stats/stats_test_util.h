// Test support for the statistics tool's stages: a fixture that resets the
// shared records and captures the terminal channel, a scratch directory for
// log and report files, and a runner for whole command lines.
#ifndef VUD_STATS_STATS_TEST_UTIL_H_
#define VUD_STATS_STATS_TEST_UTIL_H_

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "vud_stats/timestamps.h"
#include "vud_stats/vudstats.h"
#include "vud_support/console/channels.h"
#include "vud_support/console/records.h"

namespace vud {

// The help text of vudstats, line by line; the variant leaves out the line
// on JEX 1 logs and the three lines of -name.
inline constexpr std::string_view kHelpText =
    "command line is:\n"
    " [-act {b|s|u|2} ]\n"
    "   b is standard Vantrel log\n"
    "   s is short Vantrel log\n"
    "   u is user units Vantrel log\n"
    "   2 is Vantrel QTV 2 log\n"
    "   L scan and list sensors and timings\n"
    " [-tol {10|20|30|40} ]\n"
    "   10 20 30 or 40 seconds tollerance for\n"
    "   identifying relevant timesteps in log\n"
    " [-sen <sensor id number> ] if included\n"
    "   restricts reporting to this sensor id\n"
    "   for JEX 1 logs\n"
    " [-name <sensor name> ] if included\n"
    "   restricts reporting of QTV 2 logs\n"
    "   to this single sensor\n"
    " -nodbt exclude temperature\n"
    " -norh  exclude relative humidity\n"
    " -nolux exclude Lux\n"
    " -nopir exclude PIR\n"
    " -nosw exclude switch count\n"
    " -ex XXXXXXXX exclude sensor XXXXXXXX from report\n"
    " [-file <Vantrel log file name>]\n"
    " [-help  this message\n";

class StatsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_shared_records();
    reset_datestamp_memory();
    channel_bind_output(kOutputChannel, &out_);
    channel_bind_input(kInputChannel, &in_);
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
    channel_reset_all();
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

  // The terminal text so far, and cleared.
  std::string shown() {
    std::string s = out_.str();
    out_.str("");
    return s;
  }

  std::ostringstream out_;
  std::istringstream in_;
  std::filesystem::path dir_;
};

}  // namespace vud

#endif  // VUD_STATS_STATS_TEST_UTIL_H_
