#include "vud_support/console/journal.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "vud_support/console/channels.h"
#include "vud_support/console/console_fixture.h"
#include "vud_support/console/records.h"

namespace vud {
namespace {

std::int64_t g_seconds = 0;
std::int64_t fixed_clock() { return g_seconds; }

std::string read_file(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class JournalTest : public ConsoleTest {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    ConsoleTest::SetUp();
    g_seconds = 1360600920;  // Mon Feb 11 16:42:00 2013 UTC
    set_journal_clock(fixed_clock);
    dir_ = std::filesystem::temp_directory_path() /
           ("vud_journal_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    set_journal_clock(nullptr);
    ConsoleTest::TearDown();
    std::filesystem::remove_all(dir_);
  }
  // Switches the journal on for the file journal.txt in the test folder.
  std::filesystem::path activate() {
    const std::filesystem::path p = dir_ / "journal.txt";
    journopt.journio = 1;
    journopt.iuj = 44;
    journopt.jfile = p.string();
    return p;
  }
  std::filesystem::path dir_;
};

// A clock set by one test must not reach the next: clearing the shared
// records puts the system clock back.
TEST_F(JournalTest, ClearingTheSharedRecordsPutsTheSystemClockBack) {
  Text<24> date;
  dstamp(date);
  EXPECT_EQ(date.view(), "Mon Feb 11 16:42:00 2013");
  reset_shared_records();
  dstamp(date);
  EXPECT_NE(date.view(), "Mon Feb 11 16:42:00 2013");
}

TEST_F(JournalTest, EctimeFormatsLocalDateWithPaddedDay) {
  struct Case {
    std::int32_t seconds;
    std::string_view text;
  };
  static constexpr Case kCases[] = {
      {0, "Thu Jan  1 00:00:00 1970"},
      {1360600920, "Mon Feb 11 16:42:00 2013"},
      {951782400, "Tue Feb 29 00:00:00 2000"},
      {-1, "Wed Dec 31 23:59:59 1969"},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(ectime(c.seconds).view(), c.text) << c.seconds;
  }
}

TEST_F(JournalTest, EctimeFollowsLocalTimeZone) {
  setenv("TZ", "CET-1", 1);
  tzset();
  EXPECT_EQ(ectime(0).view(), "Thu Jan  1 01:00:00 1970");
}

TEST_F(JournalTest, DstampReadsTheClockPast2038) {
  Text<24> d;
  g_seconds = 4102444800;  // beyond a 32-bit count of seconds
  dstamp(d);
  EXPECT_EQ(d.view(), "Fri Jan  1 00:00:00 2100");
  EXPECT_EQ(out_.str(), "");
}

TEST_F(JournalTest, DstampFallsBackToFixedDate) {
  Text<24> d = "x";
  g_seconds = -1;  // the clock cannot be read
  dstamp(d);
  EXPECT_EQ(d.view(), kFixedDate);
  EXPECT_EQ(out_.str(), "dstamp: error getting time, using fixed date\n");

  // A time with no calendar date gives a short text: fixed date, no message.
  out_.str("");
  d = "x";
  g_seconds = INT64_MAX;
  dstamp(d);
  EXPECT_EQ(d.view(), kFixedDate);
  EXPECT_EQ(out_.str(), "");
}

TEST_F(JournalTest, TstampShowsByAction) {
  struct Case {
    char act;
    std::string_view msg;
    std::string_view shown;
  };
  static constexpr Case kCases[] = {
      {'-', "ignored", " Current time is : Mon Feb 11 16:42:00 2013\n"},
      {'m', "Run started   ", "Run started @ Mon Feb 11 16:42:00 2013\n"},
      {'m', "", "  @ Mon Feb 11 16:42:00 2013\n"},
      {'m', "   ", "  @ Mon Feb 11 16:42:00 2013\n"},
      {'>', "HELP: topic", ""},
      {'x', "anything", ""},
  };
  for (const Case& c : kCases) {
    out_.str("");
    tstamp(c.act, c.msg);
    EXPECT_EQ(out_.str(), c.shown) << c.act;
  }
  tstamp('-', "");
  EXPECT_EQ(out_.str().size(), 43u + 1u);
}

TEST_F(JournalTest, TstampCutsALongMessageSoTheStampFits) {
  const std::string msg(150, 'x');
  tstamp('m', msg);
  EXPECT_EQ(out_.str(), std::string(97, 'x') + " @ Mon Feb 11 16:42:00 2013\n");
}

TEST_F(JournalTest, JournalAppendsToAnExistingFileInOrder) {
  const std::filesystem::path p = activate();
  std::ofstream(p) << "earlier\n";
  tstamp('>', "HELP: first");
  g_seconds += 61;
  tstamp('>', "HELP: second");
  EXPECT_EQ(read_file(p),
            "earlier\n"
            "HELP: first @ Mon Feb 11 16:42:00 2013\n"
            "HELP: second @ Mon Feb 11 16:43:01 2013\n");
  EXPECT_EQ(out_.str(), "");
  EXPECT_FALSE(channel_is_open(44)) << "the journal is closed after every line";
}

TEST_F(JournalTest, JournalIsNeverCreatedNorWrittenWhenOff) {
  // Active, but the file does not exist: nothing is created or shown.
  const std::filesystem::path p = activate();
  tstamp('>', "HELP: lost");
  EXPECT_FALSE(std::filesystem::exists(p));
  EXPECT_EQ(out_.str(), "");

  // The file exists but the journal is off, or its name is blank or unknown.
  std::ofstream(p) << "kept\n";
  journopt.journio = 0;
  tstamp('>', "HELP: off");
  journopt.journio = 1;
  journopt.jfile = "UNKNOWN";
  tstamp('>', "HELP: unknown");
  journopt.jfile = " ";
  tstamp('>', "HELP: blank");
  EXPECT_EQ(read_file(p), "kept\n");
  EXPECT_EQ(out_.str(), "");
}

TEST_F(JournalTest, JournalFailuresAreToldAndTheRunGoesOn) {
  journopt.journio = 1;
  journopt.iuj = 44;
  // A file that cannot be opened for appending.
  journopt.jfile = "/proc/version";
  tstamp('>', "HELP: x");
  const std::string open_failed = out_.str();
  EXPECT_TRUE(open_failed == "Error opening journal file, continuing.\n" ||
              open_failed == "Permission issue while opening journal file, continuing.\n")
      << open_failed;
  // A file that opens but takes nothing.
  out_.str("");
  journopt.jfile = "/dev/full";
  tstamp('>', "HELP: x");
  EXPECT_EQ(out_.str(), "Error updating journal file, continuing.\n");
  EXPECT_FALSE(channel_is_open(44));
  tstamp('-', "");
  EXPECT_EQ(out_.str().substr(41), " Current time is : Mon Feb 11 16:42:00 2013\n");
}

}  // namespace
}  // namespace vud
