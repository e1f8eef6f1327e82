#include "vud_support/console/help.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "vud_support/console/channels.h"
#include "vud_support/console/console_fixture.h"
#include "vud_support/console/records.h"

namespace vud {
namespace {

class HelpTest : public ConsoleTest {
 protected:
  // Fills help lines 1 to n with "help line N".
  static void fill(std::int32_t n) {
    for (std::int32_t i = 1; i <= n; ++i) pophelp.h(i) = "help line " + std::to_string(i);
  }
  // The shown form of help lines from..to.
  static std::string lines(std::int32_t from, std::int32_t to) {
    std::string s;
    for (std::int32_t i = from; i <= to; ++i) s += " help line " + std::to_string(i) + "\n";
    return s;
  }
  static std::string footer(const char* part) {
    return std::string(" ___________________________\n Page --- Part: ") + part + " ---\n";
  }
  std::string show(std::int32_t nhelp, const std::string& input) {
    answers(input);
    std::int32_t ier = 7;
    phelpd("topic", nhelp, "-", 0, 0, ier);
    EXPECT_EQ(ier, 0);
    return shown();
  }
};

constexpr const char* kFirst = " Options:  a) -, b) next, c) continue\n";
constexpr const char* kMiddle = " Options:  a) previous, b) next, c) continue\n";
constexpr const char* kLast = " Options:  a) previous, b) -, c) continue\n";
constexpr const char* kGap = "  \n";

TEST(Hpage, PageArithmetic) {
  struct Case {
    const char* act;
    std::int32_t ilen, ist_in, ipm_in;
    std::int32_t ist, ipm, mpm, ipflg;
  };
  static constexpr Case kCases[] = {
      {"create", 20, 9, 9, 1, 1, 1, 0}, {"create", 21, 9, 9, 1, 1, 2, 1},
      {"create", 45, 9, 9, 1, 1, 3, 1}, {"create", 40, 9, 9, 1, 1, 2, 1},
      {"next", 45, 1, 1, 21, 2, 3, 1},  {"next", 45, 21, 2, 41, 3, 3, 1},
      {"next", 45, 41, 3, 41, 3, 3, 1},  // nothing beyond the last line
      {"next", 21, 1, 1, 1, 1, 2, 1},    // the next page would start past line 21
      {"prev", 45, 41, 3, 21, 2, 3, 1}, {"prev", 45, 1, 1, 1, 1, 3, 1},  // already on page 1
      {"other", 45, 5, 4, 5, 4, 0, 1},  // unknown act: nothing changes
  };
  reset_shared_records();
  for (const Case& c : kCases) {
    std::int32_t ilen = c.ilen, mifull = 20, mfull = 22, ist = c.ist_in, ipm = c.ipm_in, mpm = 0,
                 ipflg = 1;
    hpage(c.act, ilen, mifull, mfull, ist, ipm, mpm, ipflg);
    const std::string where = std::string(c.act) + " " + std::to_string(c.ilen);
    EXPECT_EQ(ist, c.ist) << where;
    EXPECT_EQ(ipm, c.ipm) << where;
    EXPECT_EQ(mpm, c.mpm) << where;
    EXPECT_EQ(ipflg, c.ipflg) << where;
    EXPECT_EQ(mfull, 22) << where;
    EXPECT_EQ(mifull, 20) << where;
  }
}

TEST_F(HelpTest, OnePageShowsNoFooterAndReadsNothing) {
  fill(20);
  EXPECT_EQ(show(20, "c\n"), lines(1, 20));
  EXPECT_EQ(unread(), "c\n");
}

TEST_F(HelpTest, FortyFiveLinesPageThroughThreeParts) {
  fill(45);
  const std::string out = show(45, "b\nb\na\nc\n");
  const std::string page1 = lines(1, 21) + footer(" 1 of  3") + kFirst;
  const std::string page2 = lines(21, 41) + footer(" 2 of  3") + kMiddle;
  const std::string page3 = lines(41, 45) + footer(" 3 of  3") + kLast;
  EXPECT_EQ(out, page1 + kGap + page2 + kGap + page3 + kGap + page2 + kGap);
  EXPECT_EQ(unread(), "");
}

TEST_F(HelpTest, StepsBeyondTheEndsShowTheSamePage) {
  fill(21);
  const std::string page1 = lines(1, 21) + footer(" 1 of  2") + kFirst;
  // The second page would start beyond line 21; "a" on page 1 stays too.
  EXPECT_EQ(show(21, "b\nA\nC\n"), page1 + kGap + page1 + kGap + page1 + kGap);
}

TEST_F(HelpTest, OtherAnswersAskAgainAndEndOfInputEnds) {
  fill(45);
  const std::string page1 = lines(1, 21) + footer(" 1 of  3") + kFirst;
  EXPECT_EQ(show(45, "x\n\nc\n"), page1 + kFirst + kFirst + kGap);
  EXPECT_EQ(show(45, "x\n"), page1 + kFirst + "EHELPD: error writing help message\n");
}

TEST_F(HelpTest, NoHelpLinesAndNegativeCounts) {
  EXPECT_EQ(show(0, ""), " \nNo help available for topic.\n \n");
  // The topic is cut to 50 characters.
  in_.str("");
  out_.str("");
  std::int32_t ier = 0;
  phelpd(std::string(60, 't'), 0, "-", 0, 0, ier);
  EXPECT_EQ(out_.str(), " \nNo help available for " + std::string(50, 't') + ".\n \n");
  fill(3);
  EXPECT_EQ(show(-2, "c\n"), "");
}

TEST_F(HelpTest, AFullWidthLineShowsItsFirst71Characters) {
  pophelp.h(1) = std::string(72, 'z');
  EXPECT_EQ(show(1, ""), " " + std::string(71, 'z') + "\n");
}

TEST_F(HelpTest, GraphModeShowsAndReadsNothing) {
  spad.mmod = 8;
  fill(45);
  EXPECT_EQ(show(45, "b\n"), "");
  EXPECT_EQ(show(0, "b\n"), "");
  EXPECT_EQ(pophelp.h(1).trimmed(), "No help available for topic.");
  EXPECT_EQ(unread(), "b\n");
}

TEST_F(HelpTest, EachRequestIsJournalled) {
  const std::string name = ::testing::TempDir() + "help_journal_" + std::to_string(::getpid());
  std::ofstream(name) << "";
  journopt.journio = 1;
  journopt.iuj = 45;
  journopt.jfile = name;
  fill(2);
  show(2, "");
  show(-1, "");
  show(0, "");  // no help lines: not journalled
  std::ifstream in(name);
  std::string first, second, third;
  std::getline(in, first);
  std::getline(in, second);
  EXPECT_FALSE(std::getline(in, third));
  EXPECT_EQ(first.substr(0, 14), "HELP: topic @ ");
  EXPECT_EQ(first.size(), 14u + 24u);
  EXPECT_EQ(second.substr(0, 14), "HELP: topic @ ");
  std::remove(name.c_str());
}

TEST(Helpwithblank, SuppliesTheNoHelpLine) {
  reset_shared_records();
  pophelp.h(1) = "kept";
  std::int32_t n = 0, ier = 0;
  helpwithblank("Ok dialog", 3, n, ier);
  EXPECT_EQ(n, 3);
  EXPECT_EQ(pophelp.h(1).trimmed(), "kept");
  helpwithblank("Ok dialog", -1, n, ier);
  EXPECT_EQ(n, 1);
  EXPECT_EQ(pophelp.h(1).trimmed(), "No help available for Ok dialog!");
  helpwithblank(std::string(80, 'o'), 0, n, ier);
  EXPECT_EQ(pophelp.h(1).view(), "No help available for " + std::string(49, 'o') + "!");
  EXPECT_EQ(ier, 0);
}

TEST(Phelpw, WidestLineAndCopy) {
  reset_shared_records();
  pophelp.h(1) = "ab";
  pophelp.h(2) = "abcdef";
  pophelp.h(3) = std::string(70, 'x');
  std::int32_t w = -1, ier = 5;
  phelpw(2, w, ier);
  EXPECT_EQ(w, 6);
  EXPECT_EQ(ier, 0);
  phelpw(0, w, ier);
  EXPECT_EQ(w, 0);
  phelpw(99, w, ier);
  EXPECT_EQ(w, 70);
  Table<Text<72>, kHelpLines> copy;
  copy(4) = "stale";
  dupphelp(copy);
  for (std::int32_t i = 1; i <= kHelpLines; ++i) EXPECT_EQ(copy(i), pophelp.h(i)) << i;
}

}  // namespace
}  // namespace vud
