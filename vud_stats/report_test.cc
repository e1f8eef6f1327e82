#include "vud_stats/report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>

#include "tools/seeded_rng.h"
#include "vud_stats/stats_test_util.h"
#include "vud_support/parse/numtext.h"

namespace vud {
namespace {

class Report : public StatsTest {
 protected:
  // A QTV 2 line of 22 December 2014.
  static std::string qtv2(const char* hms, const char* name, int kind, const char* rest) {
    return std::string("2014/12/22,") + hms + "," + name + ",-61," + std::to_string(kind) +
           ",1,3,2950," + rest + "\n";
  }
  // A standard MOLVA line of 21 June 2013 with 24 PIR words (peak 4) and 24
  // audio words (peak 60).
  static std::string molva(const char* hms, int isen, int seq, int pirs = 24) {
    std::string s = std::string("MOLVA,1371846293,2013-06-21 ") + hms + ".000," +
                    std::to_string(isen) + ",5," + std::to_string(pirs) + "," +
                    std::to_string(seq) + ",0,39000,850,3010,5000";
    for (int i = 0; i < 24; ++i) s += i == 5 ? ",4" : ",1";
    for (int i = 0; i < 24; ++i) s += i == 9 ? ",60" : ",50";
    return s + "\n";
  }
  // The day-number column of a step.
  static std::string day(std::int32_t ijday, std::int32_t h, std::int32_t f) {
    char b[32];
    // Day, hour mark, then the five-minute steps, summed in 4-byte reals.
    const float day_and_hour = static_cast<float>(ijday) + five_minute_mark(h, 0);
    const float value = day_and_hour + static_cast<float>(f) * (300.0F / 86400.0F);
    std::snprintf(b, sizeof b, "%10.6f", static_cast<double>(value));
    return b;
  }
  // Typical interval text of hits at the two stamps, as the survey table shows it.
  static std::string interval(const char* first, const char* last, int hits) {
    float j1 = 0, j2 = 0, f = 0, s = 0;
    std::int32_t d = 0;
    datestamptojulian(first, '2', j1, f, d, s);
    datestamptojulian(last, '2', j2, f, d, s);
    std::ostringstream out;
    channel_bind_output(kErrorChannel, &out);
    FreeLine().real((j2 - j1) * 86400.0F / static_cast<float>(hits)).write(kErrorChannel);
    channel_bind_output(kErrorChannel, nullptr);
    std::string t = out.str();
    return t.substr(2, t.size() - 3);  // without the line's blank, the number's blank, the line end
  }
};

const char* const kSlowLog[] = {
    "13:00:05,B0000001", "1", "51.20,215,120,14,5,0",
    "13:00:10,A0000002", "1", "40.00,200,100,3,0,1",
    "13:03:05,B0000001", "2", "51.20,216,120,17,9,0",
    "13:05:02,A0000002", "1", "41.00,201,100,3,0,1",
    "13:10:00,B0000001", "1", "52.00,220,130,20,9,2",
};

std::string slow_log() {
  std::string log;
  for (std::size_t i = 0; i < std::size(kSlowLog); i += 3) {
    log += std::string("2014/12/22,") + kSlowLog[i] + ",-61," + kSlowLog[i + 1] + ",1,3,2950," +
           kSlowLog[i + 2] + "\n";
  }
  return log;
}

TEST_F(Report, QtvTwoSlowRegimeWholeRun) {
  write_file("site.csv", slow_log());
  const std::string log = path("site.csv");
  EXPECT_EQ(run({"-act", "2", log}), 0);
  EXPECT_EQ(read_file("site.text"),
            "Vantrel summary from QTV\n"
            "number of sensors  2\n"
            "include,degC\ninclude,Lux\ninclude,RH\ninclude,PIR\ninclude,SW\n"
            "sensor list A0000002,B0000001\n"
            "JulianTime,yyyy-mm-dd,hh:mm,A0000002_degC,A0000002_Lux,A0000002_RH,A0000002_PIR,"
            "A0000002_SW,B0000001_degC,B0000001_Lux,B0000001_RH,B0000001_PIR,B0000001_SW,\n"
            "356.541656,2014/12/22,13:00,0.00,0.00,0.00,0.00,0.00,21.500,120.00,51.200,0.00,0.00\n"
            "356.545135,2014/12/22,13:05,20.100,100.00,41.000,0.00,1.0000,"
            "21.600,120.00,51.200,3.0000,0.00\n"
            "# end\n");
  const std::string eof = " \n In " + log + " error reading (log line) EOF sensed.\n";
  EXPECT_EQ(shown(), " \n the input file is: " + log + "\n  reporting to > " + path("site.text") +
                         "\n  processing..." + log + "\n" + eof +
                         " Sensor number-of-hits typical-interval (sec)\n"
                         " B0000001 2 " +
                         interval("2014/12/22,13:00:05", "2014/12/22,13:10:00", 2) +
                         "\n"
                         " A0000002 2 " +
                         interval("2014/12/22,13:00:10", "2014/12/22,13:05:02", 2) +
                         "\n"
                         "how many sensors found:   2\n"
                         "B0000001 A0000002 \n" +
                         eof + " at end of file  2\n");

  // -nopir removes the PIR columns and values.
  std::filesystem::remove(path("site.text"));
  EXPECT_EQ(run({"-act", "2", "-nopir", log}), 0);
  const std::string report = read_file("site.text");
  EXPECT_NE(report.find("ignore,PIR\n"), std::string::npos);
  EXPECT_NE(report.find("\nJulianTime,yyyy-mm-dd,hh:mm,A0000002_degC,A0000002_Lux,A0000002_RH,"
                        "A0000002_SW,B0000001_degC,B0000001_Lux,B0000001_RH,B0000001_SW,\n"),
            std::string::npos);
  EXPECT_NE(report.find("\n356.545135,2014/12/22,13:05,20.100,100.00,41.000,1.0000,"
                        "21.600,120.00,51.200,0.00\n# end\n"),
            std::string::npos);
}

// Lines the survey did not read (past its 80000) are judged in the report
// pass alike, and announced there: a stamp that cannot exist, a line a year
// ahead. The rows go on after them.
TEST_F(Report, LinesPastTheSurveyAreJudgedAndAnnouncedInTheReportPass) {
  std::string log;
  log.reserve(80010 * 70);
  char hms[16];
  for (int i = 0; i < 80002; ++i) {
    std::snprintf(hms, sizeof hms, "%02d:%02d:%02d", i / 3600, i / 60 % 60, i % 60);
    log += qtv2(hms, "A0000001", 1, "50.00,200,100,0,0,0");
  }
  const std::string impossible = "2014/12/22,22:13:61,A0000001,-61,1,1,3,2950,50.00,300,100,0,0,0";
  const std::string ahead = "2015/12/22,22:14:00,A0000001,-61,1,1,3,2950,50.00,400,100,0,0,0";
  log += impossible + "\n" + ahead + "\n" + qtv2("22:15:10", "A0000001", 1, "50.00,210,100,0,0,0");
  write_file("big.csv", log);
  EXPECT_EQ(run({"-act", "2", path("big.csv")}), 0);
  const std::string text = shown();
  const std::size_t cap = text.find(" warning: only the first 80000 lines were surveyed\n");
  const std::size_t first =
      text.find(" warning: impossible date or time, line passed over: " + impossible + "\n");
  const std::size_t second =
      text.find(" warning: time far from the lines around it, line passed over: " + ahead + "\n");
  ASSERT_NE(cap, std::string::npos) << text.substr(0, 400);
  EXPECT_NE(first, std::string::npos);
  EXPECT_NE(second, std::string::npos);
  EXPECT_LT(cap, first);
  EXPECT_LT(first, second);
  EXPECT_EQ(text.find("warning: impossible", first + 2), std::string::npos);  // once
  const std::string report = read_file("big.text");
  EXPECT_NE(report.find("\n" + day(356, 22, 3) +
                        ",2014/12/22,22:15,21.000,100.00,50.000,0.00,0.00\n# end\n"),
            std::string::npos)
      << report.substr(report.size() - 200);
}

TEST_F(Report, QtvTwoRestrictedByName) {
  write_file("site.csv", slow_log());
  EXPECT_EQ(run({"-act", "2", "-name", "B0000001", path("site.csv")}), 0);
  EXPECT_EQ(read_file("site-B0000001.text"),
            "Vantrel summary from QTV\n"
            "number of sensors  1\n"
            "include,degC\ninclude,Lux\ninclude,RH\ninclude,PIR\ninclude,SW\n"
            "sensor list B0000001\n"
            "JulianTime,yyyy-mm-dd,hh:mm, B0000001_degC,B0000001_Lux,B0000001_RH,B0000001_PIR,"
            "B0000001_SW, \n"
            "356.541656,2014/12/22,13:00,21.500,120.00,51.200,14.000,0.00\n"
            "356.545135,2014/12/22,13:05,21.600,120.00,51.200,17.000,0.00\n"
            "# end\n");
  // A name that does not occur ends the run.
  EXPECT_EQ(run({"-act", "2", "-name", "C0000003", path("site.csv")}), 1);
  EXPECT_NE(shown().find("ERROR: requested sensor not found\n"), std::string::npos);
}

TEST_F(Report, FastRegimeRowsCarryTheRightHour) {
  // One sensor every 5 seconds from 13:38:00: the fast regime.
  std::string log;
  for (int s = 13 * 3600 + 38 * 60; s <= 13 * 3600 + 46 * 60; s += 5) {
    char hms[16];
    std::snprintf(hms, sizeof hms, "%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
    log += qtv2(hms, "A0000001", 1, "51.20,215,120,14,5,0");
  }
  write_file("fast.csv", log);
  EXPECT_EQ(run({"-act", "2", path("fast.csv")}), 0);
  const std::string report = read_file("fast.text");
  const std::string rows = report.substr(report.find("_SW,\n") + 5);
  EXPECT_EQ(rows, day(356, 13, 8) + ",2014/12/22,13:40,21.500,120.00,51.200,0.00,0.00\n" +
                      day(356, 13, 9) + ",2014/12/22,13:45,21.500,120.00,51.200,0.00,0.00\n" +
                      "# end\n");
}

// A first sensor heard only once has no typical interval: the report runs in
// the fast regime, so only readings near a mark open a step, however slowly
// the other sensors report.
TEST_F(Report, AFirstSensorHeardOnceSelectsTheFastRegime) {
  std::string log = qtv2("13:00:05", "A0000001", 1, "51.20,215,120,14,5,0");
  for (int m = 1; m <= 11; ++m) {
    char hms[16];
    std::snprintf(hms, sizeof hms, "13:%02d:00", m);
    log += qtv2(hms, "B0000002", 1, ("40.00," + std::to_string(200 + m) + ",100,3,0,1").c_str());
  }
  write_file("once.csv", log);
  EXPECT_EQ(run({"-act", "2", path("once.csv")}), 0);
  const std::string report = read_file("once.text");
  const std::string x = "21.500,120.00,51.200,0.00,0.00,";
  EXPECT_EQ(report.substr(report.find("_SW,\n") + 5),
            day(356, 13, 0) + ",2014/12/22,13:00," + x + "0.00,0.00,0.00,0.00,0.00\n" +
                day(356, 13, 1) + ",2014/12/22,13:05," + x + "20.500,100.00,40.000,0.00,1.0000\n" +
                day(356, 13, 2) + ",2014/12/22,13:10," + x + "21.000,100.00,40.000,0.00,1.0000\n" +
                "# end\n");
}

TEST_F(Report, FastRegimeWithoutReadingsNearAMarkWritesNoRow) {
  std::string log;
  for (int s = 13 * 3600 + 61; s <= 13 * 3600 + 239; s += 5) {
    char hms[16];
    std::snprintf(hms, sizeof hms, "%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
    log += qtv2(hms, "A0000001", 1, "51.20,215,120,14,5,0");
  }
  write_file("quiet.csv", log);
  EXPECT_EQ(run({"-act", "2", "-file", path("quiet.csv")}), 0);
  const std::string report = read_file("quiet.text");
  EXPECT_EQ(report.substr(report.find("JulianTime")),
            "JulianTime,yyyy-mm-dd,hh:mm,A0000001_degC,A0000001_Lux,A0000001_RH,A0000001_PIR,"
            "A0000001_SW,\n# end\n");
}

TEST_F(Report, MolvaRestrictedByIndex) {
  write_file("site.log", molva("20:24:53", 7, 0) + molva("20:25:10", 3, 0) +
                             molva("20:29:53", 7, 0) + molva("20:30:10", 7, 1, 30) +
                             molva("20:31:10", 8, 1));
  EXPECT_EQ(run({"-act", "b", "-sen", "7", path("site.log")}), 0);
  // The first packet, sequence 0, is used; its repeat is not; the corrupt one
  // is reported.
  EXPECT_EQ(read_file("site.log-007.text"),
            "Vantrel summary from standard log\n"
            "number of sensors  1\n"
            "include,degC\ninclude,Lux\ninclude,RH\ninclude,PIR\ninclude,SW\n"
            "sensor list 007\n"
            "JulianTime,yyyy-mm-dd,hh:mm, s007_degC,s007_Lux,s007_RH,s007_PIR,s007_dbA \n" +
                day(172, 20, 4) + ",2013-06-21 20:20,22.756,195.47,25.263,4.0000,56.500\n" +
                "# end\n");
  EXPECT_NE(shown().find("\n Corrupt pir packets  30 for  7 @ 2013-06-21 20:30:10.000\n"),
            std::string::npos);

  // Unrestricted, every sensor has its five columns, in index order.
  write_file("two.log", molva("20:24:53", 7, 0) + molva("20:25:10", 3, 0) +
                            molva("20:29:53", 7, 1) + molva("20:30:10", 3, 1));
  EXPECT_EQ(run({"-act", "-", path("two.log")}), 0);
  const std::string report = read_file("two.logtext");
  EXPECT_NE(
      report.find("\nsensor list 3,7\nJulianTime,yyyy-mm-dd,hh:mm,s003_degC,s003_Lux,"
                  "s003_RH,s003_PIR,s003_dbA,s007_degC,s007_Lux,s007_RH,s007_PIR,s007_dbA,\n"),
      std::string::npos);
}

TEST_F(Report, FourDigitIndicesKeepAllTheirDigits) {
  write_file("big.log", molva("20:24:53", 1115, 0) + molva("20:25:10", 1115, 1));
  EXPECT_EQ(run({"-act", "b", "-sen", "1115", path("big.log")}), 0);
  const std::string report = read_file("big.log-1115.text");
  EXPECT_NE(report.find("\nsensor list 1115\nJulianTime,yyyy-mm-dd,hh:mm, s1115_degC,s1115_Lux,"
                        "s1115_RH,s1115_PIR,s1115_dbA \n"),
            std::string::npos);
}

TEST_F(Report, ColumnHeaderLongerThanItsFieldIsWrittenWhole) {
  RunState r;
  r.fileformat = kFormatQtv2;
  r.st.howmany = 70;
  std::string expected = "JulianTime,yyyy-mm-dd,hh:mm,";
  for (int n = 1; n <= 70; ++n) {
    char b[16];
    std::snprintf(b, sizeof b, "S%07d", n);
    r.st.envsorted(n) = b;
    for (const char* m : {"_degC,", "_Lux,", "_RH,", "_PIR,", "_SW,"})
      expected += b + std::string(m);
  }
  EXPECT_EQ(column_header_line(r), expected);
  EXPECT_EQ(expected.size(), 28U + 70U * 64U);

  // Names shorter than 8 characters lose their padding; excluded columns vanish.
  r.st.howmany = 1;
  r.st.envsorted(1) = "AB";
  r.rs.incrh = 0;
  EXPECT_EQ(column_header_line(r), "JulianTime,yyyy-mm-dd,hh:mm,AB_degC,AB_Lux,AB_PIR,AB_SW,");
  r.rs.restrictreport = true;
  r.rs.repsen = "AB";
  EXPECT_EQ(column_header_line(r),
            "JulianTime,yyyy-mm-dd,hh:mm, AB      _degC,AB      _Lux, AB      _PIR,AB      _SW, ");
}

TEST_F(Report, Stblanks) {
  struct Case {
    std::string_view in, out;
  };
  const Case cases[] = {{"a b\tc", "abc"},
                        {"x&y z", "x_y"},
                        {"  ", ""},
                        {"ab\x01"
                         "cd",
                         "ab"},
                        {std::string_view("a\0b", 3), "ab"}};
  for (const Case& c : cases) {
    Text<3> name("zzz");
    stblanks(c.in, name);
    EXPECT_EQ(name.view(), Text<3>(c.out).view()) << c.in;
  }
}

TEST_F(Report, RowDecisions) {
  struct Case {
    bool fast, restricted, qtv2;
    std::int32_t iver, howmanynow;
    bool due;
  };
  // Three sensors.
  const Case cases[] = {
      {true, false, false, 4, 6, false},  {true, false, false, 4, 7, true},
      {true, false, false, 5, 3, false},  {true, false, false, 5, 4, true},
      {true, false, true, 0, 1, true},    {true, true, false, 4, 1, true},
      {false, false, false, 5, 2, false}, {false, false, false, 5, 3, true},
      {false, false, true, 0, 1, true},   {false, true, false, 5, 1, true},
  };
  for (const Case& c : cases) {
    RunState r;
    r.st.howmany = 3;
    r.st.deltas(1) = c.fast ? 5.0F : 60.0F;
    r.rs.restrictreport = c.restricted;
    r.fileformat = c.qtv2 ? kFormatQtv2 : kFormatMolva;
    r.v.iver = c.iver;
    r.howmanynow = c.howmanynow;
    EXPECT_EQ(row_due(r), c.due) << c.fast << c.restricted << c.qtv2 << " " << c.iver << " "
                                 << c.howmanynow;
  }
}

TEST_F(Report, AFailedRowWriteEndsTheRun) {
  RunState r;
  set_day_fractions(r.df, 30);
  r.fileformat = kFormatQtv2;
  r.st.howmany = 1;
  r.st.deltas(1) = 60.0F;
  r.step.curnowis = 356.5F;
  r.step.thejulianis = 356.5F;
  std::ostringstream full;
  full.setstate(std::ios::badbit);
  channel_bind_output(r.rs.iuf, &full);
  EXPECT_EQ(write_row_if_due(r), kExitFailed);
  EXPECT_EQ(shown(), " could not write tabular data... 356.5\n");
}

TEST_F(Report, ARowLongerThanItsFieldGoesOnInContinuationLines) {
  RunState r;
  r.fileformat = kFormatMolva;
  r.st.howmany = 70;
  r.st.deltas(1) = 60.0F;
  for (std::int32_t n = 1; n <= 70; ++n) {
    r.rd.pvudtmp(n) = 1234567.0F;  // 12 characters each
    r.rd.pvudlight(n) = 2345678.0F;
    r.rd.pvudhumidity(n) = 3456789.0F;
    r.rd.pvudpirc(n) = 4567891.0F;
    r.rd.pvudaudio(n) = 5678912.0F;
  }
  r.step.curnowis = 172.5F;
  r.v.datea = "2013-06-21 12:03:10.000";
  r.step.ithehouris = 12;
  r.step.icurfive = 0;
  r.howmanynow = 69;
  std::ostringstream file;
  channel_bind_output(r.rs.iuf, &file);
  EXPECT_EQ(write_row_if_due(r), kRunGoesOn);
  const std::string text = file.str();
  std::size_t values = 0;
  for (char ch : text) values += ch == 'E' ? 1 : 0;
  EXPECT_EQ(values, 350U);
  EXPECT_EQ(text.substr(0, 28), "172.500000,2013-06-21 12:00,");
  const std::size_t cut = text.find('\n');
  ASSERT_LT(cut, text.size() - 1);
  EXPECT_EQ(text[cut + 1], ' ');
  EXPECT_LE(cut, 28U + 4000U);
}

// Rows are joined from remembered value texts when they fit the value field
// in one piece; each must read as arlist packs it, piece by piece, on both
// sides of the point where a row needs a continuation line.
TEST_F(Report, RowsReadAsArlistPacksThem) {
  const float kLast[] = {0.0F, 22.5F, 0.5F, -0.5F, -0.01F, 1.0e-2F};
  bool one_piece = false, continued = false;
  for (int k = 225; k <= 250; ++k) {
    for (float last : kLast) {
      RunState r;
      r.fileformat = kFormatMolva;
      r.st.howmany = 70;
      r.st.deltas(1) = 60.0F;
      Table<float, kSensors>* columns[5] = {&r.rd.pvudtmp, &r.rd.pvudlight, &r.rd.pvudhumidity,
                                            &r.rd.pvudpirc, &r.rd.pvudaudio};
      for (int i = 0; i < kRowValues; ++i) {
        const float x = i == kRowValues - 1 ? last : i < k ? 1234567.0F : 0.5F;
        (*columns[i % 5])(i / 5 + 1) = x;  // 12 characters, 7 characters, or the last one
      }
      r.step.curnowis = 172.5F;
      r.v.datea = "2013-06-21 12:03:10.000";
      r.step.ithehouris = 12;
      r.howmanynow = 69;
      std::ostringstream file;
      channel_bind_output(r.rs.iuf, &file);
      ASSERT_EQ(write_row_if_due(r), kRunGoesOn);

      std::string expected;
      Text<4000> pckstr;
      std::int32_t ipos = 1, itrunc = 1, length = 0;
      while (itrunc != 0) {
        arlist(ipos, kRowValues, std::span<const float>(r.tabular), kRowValues, 'C', pckstr, length,
               itrunc);
        expected += (ipos == 1 ? "172.500000,2013-06-21 12:00," : " ") +
                    std::string(sub1(pckstr, 1, length)) + "\n";
        ipos = itrunc + 1;
      }
      EXPECT_EQ(file.str(), expected) << "k=" << k << " last=" << last;
      (std::count(expected.begin(), expected.end(), '\n') == 1 ? one_piece : continued) = true;
    }
  }
  EXPECT_TRUE(one_piece);
  EXPECT_TRUE(continued);
}

// A plain QTV 2 line is read in one walk; every other line is left to the word
// readers. Whatever the walk reads must be what the word readers read, with
// nothing shown.
TEST_F(Report, PlainQtvTwoLinesReadAsTheWordReadersReadThem) {
  struct Case {
    std::string_view line;
    bool plain;
  };
  const Case cases[] = {
      {"2014/12/22,13:41:05,4A3F21B0,-61,1,17,3,2950,51.20,215,120,14,5,0", true},
      {"2014/12/22,13:41:05,4A3F21B0,-61,1,17,3,2950,51.20,215,120,14,5,0,99,extra", true},
      {"2014/12/22,13:41:05,4A3F21B0,-200,0,0,0,0,0,0,0,0,0,0", true},
      {"2014/12/22,13:41:05,4A3F21B0,0,2,-1,-2,-3,100,40000,-4,-5,-6,-7", true},
      {"2014/12/22,13:41:05 | AB\t-61 , 1,,17|3,2950,51.,215,120,14,5,0", true},
      {"2014/12/22,13:41:05,LONGNAME1234,-061,01,17,3,2950,.5,0215,120,14,5,0", true},
      {"2014/12/22,13:41:05,N2345678901234567890123456789012,-61,1,1,3,2950,5,215,1,1,5,0", true},
      {"2014/12/22,13:41:05,N23456789012345678901234567890123,-61,1,1,3,2950,5,215,1,1,5,0",
       false},  // a name longer than its field goes on as the next word
      {"2014/12/22,13:41:05,4A3F21B0,-201,1,17,3,2950,51.20,215,120,14,5,0", false},
      {"2014/12/22,13:41:05,4A3F21B0,1,1,17,3,2950,51.20,215,120,14,5,0", false},
      {"2014/12/22,13:41:05,4A3F21B0,-61,3,17,3,2950,51.20,215,120,14,5,0", false},
      {"2014/12/22,13:41:05,4A3F21B0,-61,1,17,3,2950,100.01,215,120,14,5,0", false},
      {"2014/12/22,13:41:05,4A3F21B0,-61,1,17,3,2950,51.20,40001,120,14,5,0", false},
      {"2014/12/22,13:41:05,4A3F21B0,-61,1,+17,3,2950,51.20,215,120,14,5,0", false},
      {"2014/12/22,13:41:05,4A3F21B0,-61,1,17,3,2950,5e1,215,120,14,5,0", false},
      {"2014/12/22,13:41:05,4A3F21B0,-61,1,17,3,2950,-5,215,120,14,5,0", false},
      {"2014/12/22,13:41:05,4A3F21B0,-61,1,17,3,2950,nan,215,120,14,5,0", false},
      {"2014/12/22,13:41:05,4A3F21B0,-61,1,17,3,2950,51.20,215,120,14,5", false},
      {"2014/12/22,13:41:05,4A3F21B0,-61,1,1234567890,3,2950,51.20,215,120,14,5,0", false},
      {"2014/12/22,13:41:05,4A3F21B0,-61,1,17x,3,2950,51.20,215,120,14,5,0", false},
      {"2014/12/22,13:41:05,4A3F21B0,-61,1,-,3,2950,51.20,215,120,14,5,0", false},
      {"", false},
  };
  for (const Case& c : cases) {
    LineValues preset;
    preset.word = "before";
    preset.name = "BEFORE";
    preset.iradio = preset.ipacket = preset.iseq = preset.itxpwr = preset.ibat = 77;
    preset.irdbt = preset.irlight = preset.irpircount = preset.irpvalue = preset.iswcount = 77;
    preset.rrh = 7.5F;
    const LogLine line(c.line);
    LineValues plain = preset;
    ASSERT_EQ(read_qtv2_plain(line, plain), c.plain) << c.line;
    LineValues read = preset;
    read_qtv2_report(line, read);
    const LineValues& expected = c.plain ? read : preset;
    const std::string messages = shown();
    if (c.plain) {
      EXPECT_EQ(messages, "") << c.line;
    }
    EXPECT_EQ(plain.word.view(), expected.word.view()) << c.line;
    EXPECT_EQ(plain.name.view(), expected.name.view()) << c.line;
    const std::int32_t got[] = {plain.iradio,   plain.ipacket, plain.iseq,    plain.itxpwr,
                                plain.ibat,     plain.irdbt,   plain.irlight, plain.irpircount,
                                plain.irpvalue, plain.iswcount};
    const std::int32_t want[] = {expected.iradio,  expected.ipacket,    expected.iseq,
                                 expected.itxpwr,  expected.ibat,       expected.irdbt,
                                 expected.irlight, expected.irpircount, expected.irpvalue,
                                 expected.iswcount};
    for (std::size_t f = 0; f < std::size(got); ++f) EXPECT_EQ(got[f], want[f]) << c.line << f;
    EXPECT_EQ(plain.rrh, expected.rrh) << c.line;
  }
}

// The same on random lines, most of them damaged by a changed character or a
// cut: the fast reader takes a line only when the word readers read it
// silently, and then to the same values; otherwise it leaves the values alone.
TEST_F(Report, RandomAndDamagedQtvTwoLinesReadAsTheWordReadersReadThem) {
  seeded::Rng rng{603};
  constexpr std::string_view kAlphabet = "0123456789-.,, |\t+eE";
  const char* const kHumidity[] = {"%d.%02d", "%d", "%d.", "0%d.%d", "%d.%07d", "00000%d.%d"};
  int taken = 0;
  for (int i = 0; i < 20000; ++i) {
    char b[200];
    std::snprintf(b, sizeof b, "2015/06/03,00:00:10,%08X,%d,%d,%d,%d,%d,",
                  static_cast<unsigned>(rng.Next() & 0xFFFFFFFFU), rng.Between(-210, 5),
                  rng.Between(-1, 3), rng.Between(-5, 999999999), rng.Between(-20, 20),
                  rng.Between(2500, 3400));
    std::string line(b);
    std::snprintf(b, sizeof b, kHumidity[rng.Below(6)], rng.Between(0, 101),
                  rng.Between(0, 9999999));
    line += b;
    std::snprintf(b, sizeof b, ",%d,%d,%d,%d,%d", rng.Between(-10, 40010), rng.Between(0, 300),
                  rng.Between(0, 99999), rng.Between(0, 100), rng.Between(0, 40));
    line += b;
    if (rng.Below(2) == 0) {
      const std::size_t at = 20 + rng.Below(static_cast<std::uint32_t>(line.size() - 20));
      if (rng.Below(4) == 0) {
        line.resize(at);
      } else {
        line[at] = kAlphabet[rng.Below(static_cast<std::uint32_t>(kAlphabet.size()))];
      }
    }
    LineValues preset;
    preset.iradio = preset.ipacket = preset.iseq = preset.iswcount = 77;
    preset.rrh = 7.5F;
    const LogLine log_line(line);
    LineValues fast = preset;
    const bool plain = read_qtv2_plain(log_line, fast);
    LineValues read = preset;
    read_qtv2_report(log_line, read);
    const std::string messages = shown();
    const LineValues& expected = plain ? read : preset;
    if (plain) {
      ++taken;
      ASSERT_EQ(messages, "") << line;
    }
    ASSERT_EQ(fast.name.view(), expected.name.view()) << line;
    const std::int32_t got[] = {fast.iradio,   fast.ipacket, fast.iseq,    fast.itxpwr,
                                fast.ibat,     fast.irdbt,   fast.irlight, fast.irpircount,
                                fast.irpvalue, fast.iswcount};
    const std::int32_t want[] = {expected.iradio,  expected.ipacket,    expected.iseq,
                                 expected.itxpwr,  expected.ibat,       expected.irdbt,
                                 expected.irlight, expected.irpircount, expected.irpvalue,
                                 expected.iswcount};
    for (std::size_t f = 0; f < std::size(got); ++f) ASSERT_EQ(got[f], want[f]) << line << f;
    ASSERT_EQ(fast.rrh, expected.rrh) << line;
  }
  EXPECT_GT(taken, 2000);  // the fast reader is exercised, not only refused
}

}  // namespace
}  // namespace vud
