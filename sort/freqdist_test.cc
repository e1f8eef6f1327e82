#include "sort/freqdist.h"

#include <gtest/gtest.h>

#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "vud_support/console/channels.h"
#include "vud_support/console/console_fixture.h"
#include "vud_support/console/records.h"

namespace vud {
namespace {

constexpr std::int32_t kUnset = -777;

struct Result {
  std::int32_t iamin = kUnset, iamax = kUnset, ifreq = kUnset, ifreqbin = kUnset, ibinval = kUnset;
  std::vector<std::int32_t> inbin, icbin;
  std::string shown;
};

class Intfreqb : public ConsoleTest {
 protected:
  // Runs intfreqb over data with tables of exactly ny entries (so the sanitizer
  // build catches a write past them) and what was shown on channel 6.
  Result run(const std::vector<std::int32_t>& data, std::int32_t ny, std::int32_t itrc = 1) {
    Result r;
    r.inbin.assign(static_cast<std::size_t>(ny), kUnset);
    r.icbin.assign(static_cast<std::size_t>(ny), kUnset);
    intfreqb(itrc, kOutputChannel, data.data(), static_cast<std::int32_t>(data.size()),
             r.inbin.data(), r.icbin.data(), ny, 0, r.iamin, r.iamax, r.ifreq, r.ifreqbin,
             r.ibinval);
    r.shown = shown();
    return r;
  }
};

const std::string kHeadings =
    " Bin  data    Distri-  freq.   cumulative  cumulative\n"
    "      range   bution    (%)   distribution  freq (%)\n";

TEST_F(Intfreqb, PrintsTheDistributionTable) {
  const Result r = run({12, 15, 15, 17}, 10);
  EXPECT_EQ(r.shown, "The data range is      12 to      17\n" + kHeadings +
                         "  1  12-           1   25.00        1       25.00       0 below\n"
                         "  2  13-           0    0.00        1       25.00\n"
                         "  3  14-           0    0.00        1       25.00\n"
                         "  4  15-           2   50.00        3       75.00\n"
                         "  5  16-           0    0.00        3       75.00\n"
                         "  6  17-           1   25.00        4      100.00       0 above\n");
  EXPECT_EQ(r.iamin, 12);
  EXPECT_EQ(r.iamax, 17);
  EXPECT_EQ(r.ifreq, 2);
  EXPECT_EQ(r.ifreqbin, 4);
  EXPECT_EQ(r.ibinval, 15);
  EXPECT_EQ(r.inbin, (std::vector<std::int32_t>{1, 0, 0, 2, 0, 1, kUnset, kUnset, kUnset, kUnset}));
  EXPECT_EQ(r.icbin, (std::vector<std::int32_t>{1, 1, 1, 3, 3, 4, kUnset, kUnset, kUnset, kUnset}));
}

TEST_F(Intfreqb, WidensBinsUntilTheyFit) {
  const Result r = run({0, 100}, 10);
  const std::string& s = r.shown;
  EXPECT_NE(s.find("  1  0-11          1   50.00        1       50.00       0 below\n"),
            std::string::npos)
      << s;
  EXPECT_NE(s.find("  2  11-22         0    0.00        1       50.00\n"), std::string::npos) << s;
  EXPECT_NE(s.find(" 10  99-110        1   50.00        2      100.00       0 above\n"),
            std::string::npos)
      << s;
  EXPECT_EQ(r.inbin, (std::vector<std::int32_t>{1, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
  EXPECT_EQ(r.ifreq, 1);
  EXPECT_EQ(r.ifreqbin, 1);  // ties go to the lower bin
  EXPECT_EQ(r.ibinval, 0);
}

TEST_F(Intfreqb, NoDataShowsTheStartingRangeAndNoBins) {
  const Result r = run({}, 10);
  EXPECT_EQ(r.shown, "The data range is   10000 to  -10000\n" + kHeadings);
  EXPECT_EQ(r.iamin, 10000);
  EXPECT_EQ(r.iamax, -10000);
  EXPECT_EQ(r.ifreq, 0);
  EXPECT_EQ(r.ifreqbin, 0);
  EXPECT_EQ(r.ibinval, kUnset);
}

TEST_F(Intfreqb, RangeKeepsItsStartingValues) {
  const Result high = run({20000, 20001}, 10, 0);
  EXPECT_EQ(high.iamin, 10000);
  EXPECT_EQ(high.iamax, 20001);
  const Result low = run({-30000, -20000}, 10, 0);
  EXPECT_EQ(low.iamin, -30000);
  EXPECT_EQ(low.iamax, -10000);
}

TEST_F(Intfreqb, SilentWithoutTraceButFillsEverything) {
  const Result r = run({3, 3, 4, 9, 9}, 10, 0);
  EXPECT_EQ(r.shown, "");
  EXPECT_EQ(r.iamin, 3);
  EXPECT_EQ(r.iamax, 9);
  EXPECT_EQ(r.inbin, (std::vector<std::int32_t>{2, 1, 0, 0, 0, 0, 2, kUnset, kUnset, kUnset}));
  EXPECT_EQ(r.icbin, (std::vector<std::int32_t>{2, 3, 3, 3, 3, 3, 5, kUnset, kUnset, kUnset}));
  EXPECT_EQ(r.ifreq, 2);
  EXPECT_EQ(r.ifreqbin, 1);
  EXPECT_EQ(r.ibinval, 3);
}

TEST_F(Intfreqb, OneBinCarriesOnlyTheBelowCount) {
  const Result r = run({5, 5, 5}, 10);
  EXPECT_EQ(r.shown, "The data range is       5 to       5\n" + kHeadings +
                         "  1  5-            3  100.00        3      100.00       0 below\n");
}

TEST_F(Intfreqb, NumbersTooWideForTheirColumnsShowAsAsterisks) {
  const Result r = run({-150, -148}, 10);
  EXPECT_NE(r.shown.find("  1  ***-          1   50.00        1       50.00       0 below\n"),
            std::string::npos)
      << r.shown;
}

// A range so wide that even the widest bins need more than the tables hold:
// only ny bins are used and the values past the last one count as above it.
TEST_F(Intfreqb, NeverWritesPastTheCallersTables) {
  const Result r = run({0, 50, 1000}, 10);
  EXPECT_EQ(r.inbin, (std::vector<std::int32_t>{1, 0, 0, 0, 1, 0, 0, 0, 0, 0}));
  EXPECT_EQ(r.icbin.back(), 2);
  EXPECT_NE(r.shown.find(" 10  108-120       0    0.00        2      100.00       1 above\n"),
            std::string::npos)
      << r.shown;

  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  const Result extreme = run({kMin, kMax, 0}, 4);
  EXPECT_EQ(extreme.iamin, kMin);
  EXPECT_EQ(extreme.iamax, kMax);
  EXPECT_EQ(extreme.inbin, (std::vector<std::int32_t>{1, 0, 0, 0}));

  const Result none = run({1, 2}, 0);
  EXPECT_EQ(none.shown, "The data range is       1 to       2\n" + kHeadings);
}

}  // namespace
}  // namespace vud
