#include "vud_stats/timestamps.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tools/seeded_rng.h"
#include "vud_stats/stats_test_util.h"

namespace vud {
namespace {

class Timestamps : public StatsTest {
 protected:
  void SetUp() override {
    StatsTest::SetUp();
    set_day_fractions(df_, 30);
  }
  // The QTV 2 stamp of day 356 at hh:mm:ss, converted.
  void convert(int hh, int mm, int ss) {
    char b[32];
    std::snprintf(b, sizeof b, "2014/12/22,%02d:%02d:%02d", hh, mm, ss);
    ASSERT_TRUE(datestamptojulian(b, '2', juliand_, julianfrac_, ijday_, tsec_));
  }
  DayFractions df_;
  StepState st_;
  float juliand_ = 0, julianfrac_ = 0, tsec_ = 0;
  std::int32_t ijday_ = 0;
};

TEST_F(Timestamps, StampsBecomeDayNumbers) {
  struct Case {
    std::string_view datea;
    char act;
    std::int32_t ijday;
    float tsec;
  };
  const Case cases[] = {
      {"2014/12/22,13:41:05", '2', 356, 49265.0F},
      {"2013-06-21 20:24:53.518", 'B', 172, 73493.518F},
      {"2016-03-01 00:00:00.000", 'B', 60, 0.0F},  // no leap day
      {"2014-01-01|00:00:30", 'B', 1, 30.0F},      // any word separator between date and time
      {"2014/02/28 23:59:59", '2', 59, 86399.0F},
  };
  for (const Case& c : cases) {
    reset_datestamp_memory();  // each stamp the first of its log
    float juliand = -1, julianfrac = -1, tsec = -1;
    std::int32_t ijday = -1;
    EXPECT_TRUE(datestamptojulian(c.datea, c.act, juliand, julianfrac, ijday, tsec)) << c.datea;
    EXPECT_EQ(ijday, c.ijday) << c.datea;
    EXPECT_EQ(tsec, c.tsec) << c.datea;
    EXPECT_EQ(julianfrac, c.tsec / 86400.0F) << c.datea;
    EXPECT_EQ(juliand, static_cast<float>(c.ijday) + c.tsec / 86400.0F) << c.datea;
  }
  EXPECT_EQ(shown(), "");
  float juliand = 0, julianfrac = 0, tsec = 0;
  std::int32_t ijday = 0;
  datestamptojulian("2014/12/22,13:41:05", '2', juliand, julianfrac, ijday, tsec);
  EXPECT_NEAR(julianfrac, 0.570197, 1e-6);
  EXPECT_NEAR(juliand, 356.5702, 1e-4);
  reset_datestamp_memory();
  datestamptojulian("2013-06-21 20:24:53.518", "B", juliand, julianfrac, ijday, tsec);
  EXPECT_NEAR(julianfrac, 0.850619, 1e-6);
  EXPECT_EQ(ijday, 172);
}

// The first stamp's year is the base: later years add 365 days each, earlier
// ones take 365 away, so a log across New Year runs on with day 366.
TEST_F(Timestamps, DayNumbersRunOnPastTheFirstYear) {
  struct Case {
    std::string_view datea;
    char act;
    std::int32_t ijday;
  };
  const Case cases[] = {
      {"2025/12/31,23:00:00", '2', 365},      // the base year 2025
      {"2026/01/01,01:00:00", '2', 366},      // New Year
      {"2026-03-01 00:00:00.000", 'B', 425},  // 60 + 365
      {"2028/12/31,12:00:00", '2', 1460},     // every year a common year
      {"2025/12/31,22:59:58", '2', 365},
      {"2024/12/31,23:59:59", '2', 0},  // a year before the base
  };
  for (const Case& c : cases) {
    float juliand = 0, julianfrac = 0, tsec = 0;
    std::int32_t ijday = 0;
    EXPECT_TRUE(datestamptojulian(c.datea, c.act, juliand, julianfrac, ijday, tsec)) << c.datea;
    EXPECT_EQ(ijday, c.ijday) << c.datea;
    EXPECT_EQ(juliand, static_cast<float>(c.ijday) + julianfrac) << c.datea;
  }
  // A stamp that fails to convert fixes no base.
  reset_datestamp_memory();
  float juliand = 0, julianfrac = 0, tsec = 0;
  std::int32_t ijday = 0;
  EXPECT_FALSE(datestamptojulian("2x31/01/02,00:00:00", '2', juliand, julianfrac, ijday, tsec));
  EXPECT_TRUE(datestamptojulian("2032/01/02,00:00:00", '2', juliand, julianfrac, ijday, tsec));
  EXPECT_EQ(ijday, 2);
}

// Stamps read silently for judging lines: whether every field is a number,
// whether such a date and time exist, and the seconds they stand for.
TEST_F(Timestamps, StampFieldsAndWhetherTheyCanExist) {
  struct Case {
    std::string_view datea;
    char act;
    bool read, exists;
  };
  const Case cases[] = {
      {"2014/12/22,13:41:05", '2', true, true},
      {"2013-06-21 20:24:53.518", 'B', true, true},
      {"2016/02/29,00:00:00", '2', true, true},  // a leap day
      {"2000/02/29,00:00:00", '2', true, true},
      {"2015/02/29,00:00:00", '2', true, false},  // no leap day that year
      {"2014/04/31,00:00:00", '2', true, false},
      {"2014/13/05,12:00:10", '2', true, false},
      {"2014/00/05,12:00:10", '2', true, false},
      {"2014/12/00,12:00:10", '2', true, false},
      {"2014/12/32,12:00:10", '2', true, false},
      {"2014/12/22,24:00:00", '2', true, false},
      {"2014/12/22,23:60:00", '2', true, false},
      {"2014/12/22,23:59:60", '2', true, false},
      {"2014-12-22 23:59:59.999", 'B', true, true},
      {"2014-12-22 23:59:60.000", 'B', true, false},
      {"2014/12/22,-1:00:00", '2', true, false},
      {"2014/12/2x,13:41:05", '2', false, false},  // not a number
      {"2014/12/  ,13:41:05", '2', false, false},  // blank
      {"2014/12/22", '2', false, false},           // no time
  };
  for (const Case& c : cases) {
    StampFields f;
    EXPECT_EQ(read_stamp_fields(c.datea, c.act, f), c.read) << c.datea;
    if (c.read) {
      EXPECT_EQ(stamp_can_exist(f), c.exists) << c.datea;
    }
  }
  EXPECT_EQ(shown(), "");

  StampFields a, b;
  ASSERT_TRUE(read_stamp_fields("2014/12/31,23:59:30", '2', a));
  ASSERT_TRUE(read_stamp_fields("2015-01-01 00:00:30.500", 'B', b));
  EXPECT_EQ(stamp_seconds(b) - stamp_seconds(a), 60.5);
  ASSERT_TRUE(read_stamp_fields("2000/01/01,00:00:01", '2', a));
  EXPECT_EQ(stamp_seconds(a), 86401.0);  // day 1 of 2000
}

TEST_F(Timestamps, BadFieldsKeepTheOutputsAndBlankFieldsKeepTheirValues) {
  float juliand = 0, julianfrac = 0, tsec = 0;
  std::int32_t ijday = 0;
  ASSERT_TRUE(datestamptojulian("2014/12/22,13:41:05", '2', juliand, julianfrac, ijday, tsec));
  const float kept = juliand;
  struct Case {
    std::string_view datea, message;
  };
  const Case cases[] = {
      {"2x14/12/22,13:41:05", "comparedate: error extracting hour.\n"},
      {"2014/1x/22,13:41:05", "comparedate: error extracting minute.\n"},
      {"2014/12/2x,13:41:05", "comparedate: error extracting minute.\n"},
      {"2014/12/22,1x:41:05", "comparedate: error extracting hour.\n"},
      {"2014/12/22,13:4x:05", "comparedate: error extracting minute.\n"},
      {"2014/12/22,13:41:0x", "comparedate: error extracting minute.\n"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(datestamptojulian(c.datea, '2', juliand, julianfrac, ijday, tsec)) << c.datea;
    EXPECT_EQ(shown(), c.message) << c.datea;
    EXPECT_EQ(juliand, kept) << c.datea;
  }
  // Blank day and seconds keep the values of the previous conversion (22, 05).
  EXPECT_TRUE(datestamptojulian("2014/12/  ,14:41:  ", '2', juliand, julianfrac, ijday, tsec));
  EXPECT_EQ(ijday, 356);
  EXPECT_EQ(tsec, 49265.0F + 3600.0F);
  EXPECT_EQ(shown(), "");
  // A stamp without its time word: the word reader warns, the time stays.
  EXPECT_FALSE(datestamptojulian("2014/12/21", '2', juliand, julianfrac, ijday, tsec));
  EXPECT_EQ(ijday, 355);
  EXPECT_EQ(tsec, 49265.0F + 3600.0F);
  EXPECT_NE(shown().find("hh:mm:ss.fff"), std::string::npos);
}

// Regular stamps are read straight from their digits; every text must give
// what the word readers give: outputs, result, messages and date memory, from
// the same memory. Random stamps of both forms, most of them then damaged by
// one or two changed characters or a cut.
TEST_F(Timestamps, RegularStampsReadAsTheWordReadersReadThem) {
  seeded::Rng rng{20141222};
  constexpr std::string_view kAlphabet = "0123456789/-:. ,|\t+xe";
  auto run = [](bool general, const std::string& datea, char act, float out[3],
                std::int32_t& ijday) {
    return general ? datestamptojulian_general(datea, act, out[0], out[1], ijday, out[2])
                   : datestamptojulian(datea, act, out[0], out[1], ijday, out[2]);
  };
  for (int i = 0; i < 20000; ++i) {
    char b[40];
    const bool molva_form = rng.Below(2) == 0;
    std::snprintf(
        b, sizeof b,
        molva_form ? "%04d-%02d-%02d %02d:%02d:%02d.%03d" : "%04d/%02d/%02d,%02d:%02d:%02d,",
        rng.Between(1990, 2099), rng.Between(0, 13), rng.Between(0, 32), rng.Between(0, 25),
        rng.Between(0, 61), rng.Between(0, 61), rng.Between(0, 999));
    std::string datea(b);
    if (molva_form && rng.Below(2) == 0) datea.push_back(rng.Below(2) == 0 ? ',' : '7');
    for (int damage = static_cast<int>(rng.Below(3)); damage > 0 && !datea.empty(); --damage) {
      const std::size_t at = rng.Below(static_cast<std::uint32_t>(datea.size()));
      if (rng.Below(5) == 0) {
        datea.resize(at);
      } else {
        datea[at] = kAlphabet[rng.Below(static_cast<std::uint32_t>(kAlphabet.size()))];
      }
    }
    const char act = rng.Below(3) == 0 ? '2' : 'B';
    // Each way from the same memory: that of a first stamp, or that of the
    // stamp before.
    if (rng.Below(8) == 0) reset_datestamp_memory();
    const Datemem before = datemem;
    float fast[3] = {-1, -1, -1}, general[3] = {-1, -1, -1};
    std::int32_t fast_day = -1, general_day = -1;
    const bool fast_clean = run(false, datea, act, fast, fast_day);
    const std::string fast_shown = shown();
    const Datemem fast_memory = datemem;
    datemem = before;
    const bool general_clean = run(true, datea, act, general, general_day);
    ASSERT_EQ(fast_clean, general_clean) << datea << " " << act;
    ASSERT_EQ(fast_shown, shown()) << datea << " " << act;
    ASSERT_EQ(fast_day, general_day) << datea << " " << act;
    for (int k = 0; k < 3; ++k) ASSERT_EQ(fast[k], general[k]) << datea << " " << act << k;
    ASSERT_EQ(memory_fields(fast_memory), memory_fields(datemem)) << datea << " " << act;
  }
}

TEST_F(Timestamps, DayOfYearAndBack) {
  struct Case {
    std::int32_t day, month, iydn;
  };
  const Case cases[] = {{1, 1, 1},  {31, 1, 31},   {1, 2, 32},    {28, 2, 59},
                        {1, 3, 60}, {22, 12, 356}, {31, 12, 365}, {5, 0, 5},
                        {5, -3, 5}, {5, 13, 339},  {5, 99, 339}};  // later months count as December
  for (const Case& c : cases) {
    std::int32_t iydn = 0;
    eday(c.day, c.month, iydn);
    EXPECT_EQ(iydn, c.iydn) << c.day << "/" << c.month;
  }
  for (std::int32_t d = 1; d <= 365; ++d) {
    std::int32_t day = 0, month = 0, back = 0;
    edayr(d, day, month);
    eday(day, month, back);
    EXPECT_EQ(back, d);
    EXPECT_GE(month, 1);
    EXPECT_LE(month, 12);
  }
  std::int32_t day = 0, month = 0;
  edayr(60, day, month);
  EXPECT_EQ(day, 1);
  EXPECT_EQ(month, 3);
}

TEST_F(Timestamps, ToleranceFromItol) {
  const std::pair<std::int32_t, float> cases[] = {{10, 10}, {20, 20}, {30, 30}, {40, 45},
                                                  {50, 55}, {0, 30},  {25, 30}, {-5, 30}};
  for (const auto& [itol, seconds] : cases) {
    DayFractions df;
    set_day_fractions(df, itol);
    EXPECT_EQ(df.closeenough, seconds / 86400.0F) << itol;
  }
  EXPECT_EQ(df_.hourdayfrac[0], 0.0F);
  EXPECT_EQ(df_.hourdayfrac[12], 0.5F);
  EXPECT_EQ(df_.hourdayfrac[24], 1.0F);
}

// The day number of a step, summed as the rows state it: day, then hour mark,
// then the five-minute steps, each in 4-byte reals.
float step_day(int day, int h, int f) {
  const float day_and_hour = static_cast<float>(day) + static_cast<float>(3600 * h) / 86400.0F;
  return day_and_hour + static_cast<float>(f) * (300.0F / 86400.0F);
}

TEST_F(Timestamps, StepDayNumbersAreSummedInOrder) {
  // Printed with six decimals, as the rows print them: 13:15 and 13:40 of
  // day 356 differ in the last digit from day + exact mark.
  struct Case {
    int h, f;
    const char* text;
  };
  const Case cases[] = {{13, 0, "356.541656"}, {13, 3, "356.552063"}, {13, 8, "356.569427"}};
  for (const Case& c : cases) {
    char b[32];
    std::snprintf(b, sizeof b, "%10.6f",
                  static_cast<double>(step_day_number(df_, 356, df_.hourdayfrac[13], c.f)));
    EXPECT_STREQ(b, c.text) << c.h << ":" << 5 * c.f;
  }
}

TEST_F(Timestamps, SlowRegimeStepsHoldTheirMarksExactly) {
  struct Case {
    int hh, mm, ss, hour, five;
  };
  const Case cases[] = {{13, 7, 30, 13, 1}, {13, 10, 0, 13, 1}, {13, 0, 0, 12, 11},
                        {13, 0, 1, 13, 0},  {0, 0, 0, 0, 0},    {23, 59, 59, 23, 11},
                        {0, 2, 0, 0, 0},    {12, 55, 0, 12, 10}};
  for (const Case& c : cases) {
    convert(c.hh, c.mm, c.ss);
    assign_step_slow(df_, juliand_, julianfrac_, ijday_, st_);
    EXPECT_EQ(st_.ithehouris, c.hour) << c.hh << ":" << c.mm << ":" << c.ss;
    EXPECT_EQ(st_.icurfive, c.five) << c.hh << ":" << c.mm << ":" << c.ss;
    EXPECT_EQ(st_.thejulianis, juliand_);
  }
  // Every exact mark of the day belongs to the step before it, and the middle
  // of a step to that step.
  for (int h = 0; h < 24; ++h) {
    for (int f = 0; f < 12; ++f) {
      convert(h, 5 * f, 150);
      assign_step_slow(df_, juliand_, julianfrac_, ijday_, st_);
      EXPECT_EQ(st_.ithehouris * 12 + st_.icurfive, h * 12 + f) << h << " " << f;
      EXPECT_EQ(st_.curnowis, step_day(356, h, f));
      if (h == 0 && f == 0) continue;
      convert(h, 5 * f, 0);
      assign_step_slow(df_, juliand_, julianfrac_, ijday_, st_);
      EXPECT_EQ(st_.ithehouris * 12 + st_.icurfive, h * 12 + f - 1) << h << " " << f;
    }
  }
}

TEST_F(Timestamps, FastRegimeKeepsReadingsNearMarks) {
  st_.thehouris = df_.hourdayfrac[13];
  st_.ithehouris = 13;
  struct Case {
    int hh, mm, ss;
    float printedat;
    bool assigned;
    int five;
  };
  const Case cases[] = {
      {13, 4, 45, 0.0F, true, 1},     // 15 s before 13:05
      {13, 3, 0, 0.0F, false, 0},     // two minutes from any mark
      {13, 5, 29, 0.0F, true, 1},     // just inside 30 s
      {13, 5, 31, 0.0F, false, 0},    // 31 s is not close
      {13, 0, 10, 0.0F, true, 0},     // the hour mark itself
      {13, 59, 50, 0.0F, true, 12},   // the next hour while the hour stands: minute 60
      {13, 10, 0, 356.5f, false, 0},  // a row less than a minute ago
  };
  for (const Case& c : cases) {
    convert(c.hh, c.mm, c.ss);
    st_.printedat = c.printedat == 0.0F ? 0.0F : juliand_ - 30.0F / 86400.0F;
    st_.icurfive = 0;
    EXPECT_EQ(assign_step_fast(df_, false, juliand_, julianfrac_, ijday_, st_), c.assigned)
        << c.hh << ":" << c.mm << ":" << c.ss;
    if (c.assigned) {
      EXPECT_EQ(st_.icurfive, c.five) << c.hh << ":" << c.mm << ":" << c.ss;
      EXPECT_EQ(st_.curnowis, step_day(356, 13, c.five));
      EXPECT_EQ(st_.thejulianis, juliand_);
    }
  }
  // A 45-second tolerance (-tol 40): 44 s from a mark is close, 46 s is not.
  DayFractions wide;
  set_day_fractions(wide, 40);
  st_.printedat = 0;
  convert(13, 4, 16);
  EXPECT_TRUE(assign_step_fast(wide, false, juliand_, julianfrac_, ijday_, st_));
  convert(13, 4, 14);
  EXPECT_FALSE(assign_step_fast(wide, false, juliand_, julianfrac_, ijday_, st_));
}

TEST_F(Timestamps, FastRegimeHourMovesOnlyForTheLeadingSensors) {
  st_.thehouris = df_.hourdayfrac[13];
  st_.ithehouris = 13;
  convert(14, 0, 20);
  EXPECT_TRUE(assign_step_fast(df_, false, juliand_, julianfrac_, ijday_, st_));
  EXPECT_EQ(st_.ithehouris, 13);
  EXPECT_EQ(st_.icurfive, 12);
  st_.printedat = 0;
  EXPECT_TRUE(assign_step_fast(df_, true, juliand_, julianfrac_, ijday_, st_));
  EXPECT_EQ(st_.ithehouris, 14);
  EXPECT_EQ(st_.thehouris, df_.hourdayfrac[14]);
  EXPECT_EQ(st_.icurfive, 0);
}

TEST_F(Timestamps, FirstHourMark) {
  struct Case {
    int hh, mm, ss, hour;
    bool near;
  };
  const Case cases[] = {{13, 0, 5, 13, true},
                        {12, 59, 30, 13, true},
                        {13, 41, 5, 13, false},
                        {0, 0, 0, 0, true},
                        {23, 30, 0, 23, false}};
  for (const Case& c : cases) {
    StepState st;
    convert(c.hh, c.mm, c.ss);
    find_first_hour_mark(df_, juliand_, julianfrac_, st);
    EXPECT_EQ(st.thehouris, df_.hourdayfrac[static_cast<std::size_t>(c.hour)]) << c.hh;
    EXPECT_EQ(st.ithehouris, c.hour) << c.hh;
    EXPECT_EQ(hour_of_mark(df_, st.thehouris), c.hour) << c.hh;
    EXPECT_EQ(st.nearstartofhour, c.near) << c.hh;
    EXPECT_EQ(st.thejulianis, juliand_);
  }
}

TEST_F(Timestamps, StepLabels) {
  Text<24> label;
  step_label("2014/12/22,13:41:05", 13, 8, label);
  EXPECT_EQ(label.view(), "2014/12/22,13:40        ");
  step_label("2013-06-21 20:24:53.518", 20, 5, label);
  EXPECT_EQ(label.view(), "2013-06-21 20:25        ");
  step_label("2014/12/22,09:59:55", 9, 12, label);
  EXPECT_EQ(label.view(), "2014/12/22,09:60        ");
}

}  // namespace
}  // namespace vud
