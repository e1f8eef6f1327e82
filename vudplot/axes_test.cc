// Tests of the axis ticks: calendar ticks for spans of an hour, a day, a month
// and a year (and a span across a year end), and round value ticks.
#include "vudplot/axes.h"

#include <gtest/gtest.h>

#include <string>

#include "vudplot/report.h"

namespace vudplot {
namespace {

// "label/sub" of every tick, joined by blanks.
std::string tick_texts(const std::vector<TimeTick>& ticks) {
  std::string s;
  for (const TimeTick& k : ticks) {
    if (!s.empty()) s += ' ';
    s += k.label;
    if (!k.sub.empty()) s += "/" + k.sub;
  }
  return s;
}

TEST(TimeTicks, FitTheSpanOnCalendarMarks) {
  struct Case {
    const char* what;
    std::int64_t t0, t1;
    int most;
    std::string ticks;
  };
  const Case kCases[] = {
      {"an hour: every 5 minutes", civil_seconds(2014, 12, 22, 13, 0),
       civil_seconds(2014, 12, 22, 14, 0), 14,
       "13:00/22 Dec 2014 13:05 13:10 13:15 13:20 13:25 13:30 13:35 13:40 13:45 13:50 13:55 "
       "14:00"},
      {"an hour from an odd minute: every 10 minutes", civil_seconds(2014, 12, 22, 13, 3),
       civil_seconds(2014, 12, 22, 14, 3), 7, "13:10/22 Dec 2014 13:20 13:30 13:40 13:50 14:00"},
      {"a day: every 2 hours, the date under midnight", civil_seconds(2015, 6, 3, 0, 0),
       civil_seconds(2015, 6, 4, 0, 0), 14,
       "00:00/3 Jun 2015 02:00 04:00 06:00 08:00 10:00 12:00 14:00 16:00 18:00 20:00 22:00 "
       "00:00/4 Jun"},
      {"a day across a year end", civil_seconds(2014, 12, 31, 12, 0),
       civil_seconds(2015, 1, 1, 12, 0), 5, "12:00/31 Dec 2014 18:00 00:00/1 Jan 2015 06:00 12:00"},
      {"a month: days 1, 6, 11, ...", civil_seconds(2015, 6, 1, 0, 0),
       civil_seconds(2015, 7, 1, 0, 0), 14, "1 Jun/2015 6 Jun 11 Jun 16 Jun 21 Jun 26 Jun 1 Jul"},
      {"a month ending on the 31st: no tick crowds the 1st", civil_seconds(2015, 7, 3, 0, 0),
       civil_seconds(2015, 8, 2, 0, 0), 7, "6 Jul/2015 11 Jul 16 Jul 21 Jul 26 Jul 1 Aug"},
      {"a year: every month, the year under January", civil_seconds(2014, 1, 1, 0, 0),
       civil_seconds(2014, 12, 31, 23, 55), 14,
       "Jan/2014 Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec"},
      {"a year from June: every other month from January, the next year under its January",
       civil_seconds(2014, 6, 15, 0, 0), civil_seconds(2015, 6, 14, 0, 0), 7,
       "Jul/2014 Sep Nov Jan/2015 Mar May"},
      {"ten years", civil_seconds(2010, 1, 1, 0, 0), civil_seconds(2020, 1, 1, 0, 0), 14,
       "2010 2011 2012 2013 2014 2015 2016 2017 2018 2019 2020"},
  };
  for (const Case& c : kCases) {
    const std::vector<TimeTick> ticks = time_ticks(c.t0, c.t1, c.most);
    EXPECT_EQ(tick_texts(ticks), c.ticks) << c.what;
    EXPECT_LE(ticks.size(), static_cast<std::size_t>(c.most)) << c.what;
    for (const TimeTick& k : ticks) {
      EXPECT_GE(k.t, c.t0) << c.what;
      EXPECT_LE(k.t, c.t1) << c.what;
    }
  }
}

TEST(WidenToTicks, ReachesTheNearestTicksJustBeyondTheEnds) {
  struct Case {
    const char* what;
    std::int64_t t0, t1, w0, w1;
  };
  const Case kCases[] = {
      {"a year of steps", civil_seconds(2014, 1, 1, 0, 5), civil_seconds(2014, 12, 31, 23, 55),
       civil_seconds(2014, 1, 1, 0, 0), civil_seconds(2015, 1, 1, 0, 0)},
      {"ends on ticks stay", civil_seconds(2015, 6, 3, 0, 0), civil_seconds(2015, 6, 3, 1, 45),
       civil_seconds(2015, 6, 3, 0, 0), civil_seconds(2015, 6, 3, 1, 45)},
      {"ticks too far away", civil_seconds(2015, 6, 3, 0, 40), civil_seconds(2015, 6, 4, 0, 40),
       civil_seconds(2015, 6, 3, 0, 40), civil_seconds(2015, 6, 4, 0, 40)},
      {"no span", 600, 600, 600, 600},
  };
  for (const Case& c : kCases) {
    std::int64_t t0 = c.t0, t1 = c.t1;
    widen_to_ticks(t0, t1, 14);
    EXPECT_EQ(t0, c.w0) << c.what;
    EXPECT_EQ(t1, c.w1) << c.what;
  }
}

TEST(ValueAxis, CoversTheValuesWithRoundTicks) {
  struct Case {
    double vmin, vmax;
    double lo, hi, step;
    int decimals;
  };
  const Case kCases[] = {
      {14.8, 27.0, 10, 30, 5, 0}, {0, 20, 0, 20, 5, 0},
      {35.9, 63.4, 35, 65, 5, 0}, {0.12, 0.47, 0.1, 0.5, 0.1, 1},
      {-3.2, 4.1, -4, 6, 2, 0},   {285, 285, 240, 320, 20, 0},
      {0, 0, -1, 1, 0.5, 1},      {0, 120000, 0, 120000, 20000, 0},
      {60.5, 66.2, 60, 68, 2, 0},
  };
  for (const Case& c : kCases) {
    const ValueAxis a = value_axis(c.vmin, c.vmax, 6);
    EXPECT_LE(a.lo, c.vmin) << c.vmin << ".." << c.vmax;
    EXPECT_GE(a.hi, c.vmax) << c.vmin << ".." << c.vmax;
    EXPECT_DOUBLE_EQ(a.lo, c.lo) << c.vmin << ".." << c.vmax;
    EXPECT_DOUBLE_EQ(a.hi, c.hi) << c.vmin << ".." << c.vmax;
    EXPECT_DOUBLE_EQ(a.step, c.step) << c.vmin << ".." << c.vmax;
    EXPECT_EQ(a.decimals, c.decimals) << c.vmin << ".." << c.vmax;
    EXPECT_LE(a.ticks.size(), 7u) << c.vmin << ".." << c.vmax;
    EXPECT_DOUBLE_EQ(a.ticks.back(), a.hi) << c.vmin << ".." << c.vmax;
  }
}

TEST(ValueLabel, WritesTheAxisDecimals) {
  EXPECT_EQ(value_label(22.5, 1), "22.5");
  EXPECT_EQ(value_label(20, 0), "20");
  EXPECT_EQ(value_label(-1e-17, 1), "0.0");
  EXPECT_EQ(value_label(0.02, 2), "0.02");
  EXPECT_EQ(value_label(2e7, 0), "2e+07");
}

}  // namespace
}  // namespace vudplot
