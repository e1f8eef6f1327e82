// Tests of reading a report: the head of both layouts (whole and restricted,
// from both builds of vudstats), the leading fields of rows, value texts and
// rows continued on further lines.
#include "vudplot/report.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace vudplot {
namespace {

// A report text in memory as a file.
class MemFile {
 public:
  explicit MemFile(const std::string& text) : text_(text) {
    f_ = fmemopen(text_.data(), text_.size(), "r");
  }
  ~MemFile() { std::fclose(f_); }
  std::FILE* get() { return f_; }

 private:
  std::string text_;
  std::FILE* f_;
};

std::string names(const ReportHead& h) {
  std::string s;
  for (const Column& c : h.columns) s += c.sensor + "|" + c.measurement + " ";
  return s;
}

TEST(ReadHead, ReadsBothLayoutsWholeAndRestricted) {
  struct Case {
    const char* what;
    std::string text;
    std::string title;
    std::size_t block;
    std::string columns;
    std::size_t sensors;
  };
  const Case kCases[] = {
      {"QTV 2, PIR excluded",
       "Vantrel summary from QTV\nnumber of sensors  2\ninclude,degC\ninclude,Lux\ninclude,RH\n"
       "ignore,PIR\ninclude,SW\nsensor list A0000002,B0000001\n"
       "JulianTime,yyyy-mm-dd,hh:mm,A0000002_degC,A0000002_Lux,A0000002_RH,A0000002_SW,"
       "B0000001_degC,B0000001_Lux,B0000001_RH,B0000001_SW,\n",
       "Vantrel summary from QTV", 7,
       "A0000002|degC A0000002|Lux A0000002|RH A0000002|SW B0000001|degC B0000001|Lux "
       "B0000001|RH B0000001|SW ",
       2},
      {"QTV 2 restricted, light excluded: blanks after hh:mm, and for the light column",
       "Vantrel summary from QTV\nnumber of sensors  1\ninclude,degC\nignore,Lux\ninclude,RH\n"
       "include,PIR\ninclude,SW\nsensor list 01564F61\n"
       "JulianTime,yyyy-mm-dd,hh:mm, 01564F61_degC, 01564F61_RH,01564F61_PIR,01564F61_SW, \n",
       "Vantrel summary from QTV", 7, "01564F61|degC 01564F61|RH 01564F61|PIR 01564F61|SW ", 1},
      {"MOLVA, whole",
       "Vantrel summary from standard log\nnumber of sensors  2\ninclude,degC\ninclude,Lux\n"
       "include,RH\ninclude,PIR\ninclude,SW\nsensor list 23,182\n"
       "JulianTime,yyyy-mm-dd,hh:mm,s023_degC,s023_Lux,s023_RH,s023_PIR,s023_dbA,s182_degC,"
       "s182_Lux,s182_RH,s182_PIR,s182_dbA,\n",
       "Vantrel summary from standard log", 7,
       "s023|degC s023|Lux s023|RH s023|PIR s023|dbA s182|degC s182|Lux s182|RH s182|PIR "
       "s182|dbA ",
       2},
      {"MOLVA restricted, 64-bit build's header block",
       "Vantrel summary from MOLVA_SHORT\nfor sensor 242\ninclude,temperature\ninclude,Lux\n"
       "include,RH\ninclude,PIR\ninclude,switch count\n"
       "JulianTime,yyyy-mm-dd,hh:mm, s242_degC,s242_Lux,s242_RH,s242_PIR,s242_dbA \n",
       "Vantrel summary from MOLVA_SHORT", 6, "s242|degC s242|Lux s242|RH s242|PIR s242|dbA ", 1},
      {"no title (layout not detected), Windows line ends",
       "number of sensors  1\r\nJulianTime,yyyy-mm-dd,hh:mm,s007_degC\r\n", "", 1, "s007|degC ", 1},
  };
  for (const Case& c : kCases) {
    MemFile f(c.text + "356.541656,2014/12/22,13:00,1\n# end\n");
    LineReader in(f.get());
    ReportHead h;
    std::string why;
    ASSERT_TRUE(read_head(in, h, why)) << c.what << ": " << why;
    EXPECT_EQ(h.title, c.title) << c.what;
    EXPECT_EQ(h.block.size(), c.block) << c.what;
    EXPECT_EQ(names(h), c.columns) << c.what;
    EXPECT_EQ(h.sensors.size(), c.sensors) << c.what;
    // The reader stands on the first row.
    std::string_view row;
    ASSERT_EQ(in.next(row), LineStatus::kLine);
    EXPECT_EQ(row, "356.541656,2014/12/22,13:00,1") << c.what;
  }
}

TEST(ReadHead, RefusesWhatIsNoReport) {
  const std::string kLog = "2014/12/22,13:00:10,B0000001,-61,1,1,0,2950,51.20,215,120,14,5,0\n";
  std::string many;
  for (int i = 0; i < 40; ++i) many += kLog;
  const std::string kCases[] = {"", kLog, many, std::string(3 * 1024 * 1024, 'x')};
  for (const std::string& text : kCases) {
    MemFile f(text);
    LineReader in(f.get());
    ReportHead h;
    std::string why;
    EXPECT_FALSE(read_head(in, h, why)) << text.substr(0, 40);
    EXPECT_NE(why.find("is not a vudstats report"), std::string::npos) << why;
  }
}

TEST(ParseRowStart, ReadsTheStepOfBothLayouts) {
  struct Case {
    std::string_view line;
    bool ok;
    std::int64_t t;
    std::string_view values;
  };
  const std::int64_t k1300 = civil_seconds(2014, 12, 22, 13, 0);
  const Case kCases[] = {
      {"356.541656,2014/12/22,13:00,21.500,0.00", true, k1300, "21.500,0.00"},
      {"356.541656,2014-12-22 13:00,21.500,0.00", true, k1300, "21.500,0.00"},
      // Day numbers below 100 begin with blanks; across a year end they pass 365.
      {" 99.000000,2014/04/09,00:00,1", true, civil_seconds(2014, 4, 9, 0, 0), "1"},
      {"366.041656,2015/01/01,01:00,1", true, civil_seconds(2015, 1, 1, 1, 0), "1"},
      {"356.541656,2014/12/22,13:00", true, k1300, ""},
      {"356.541656,2014/02/29,13:00,1", false, 0, ""},
      {"356.541656,2014/12/22,24:00,1", false, 0, ""},
      {"356.541656,2014/12-22,13:00,1", false, 0, ""},
      {"356.541656,2014/12/22,13:0", false, 0, ""},
      {"day,2014/12/22,13:00,1", false, 0, ""},
      {"JulianTime,yyyy-mm-dd,hh:mm,", false, 0, ""},
      {"# end", false, 0, ""},
      {"", false, 0, ""},
  };
  for (const Case& c : kCases) {
    std::int64_t t = 0;
    std::string_view values;
    EXPECT_EQ(parse_row_start(c.line, t, values), c.ok) << c.line;
    if (!c.ok) continue;
    EXPECT_EQ(t, c.t) << c.line;
    EXPECT_EQ(values, c.values) << c.line;
  }
}

TEST(ParseValue, ReadsEveryNumberTextOfAReport) {
  const float kInf = INFINITY;
  struct Case {
    std::string_view text;
    bool ok;
    float v;
  };
  const Case kCases[] = {
      {"0.00", true, 0.0f},
      {"22.500", true, 22.5f},
      {"-0.0000200", true, -2e-5f},
      {"12346.", true, 12346.0f},
      {"0.12346E+06", true, 123460.0f},
      {"-2.500000E+07", true, -2.5e7f},
      {"5.000000E-06", true, 5e-6f},
      {"Infinity", true, kInf},
      {"-Infinity", true, -kInf},
      {"1e999", true, kInf},
      {"1e-999", true, 0.0f},
      {"", false, 0},
      {"abc", false, 0},
      {"1.5x", false, 0},
      {"**********", false, 0},
      {"--1", false, 0},
  };
  for (const Case& c : kCases) {
    float v = 0;
    EXPECT_EQ(parse_value(c.text, v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.v) << c.text;
    }
  }
  float v = 0;
  EXPECT_TRUE(parse_value("NaN", v));
  EXPECT_TRUE(std::isnan(v));
}

TEST(ReadRow, JoinsTheContinuationLinesOfALongRow) {
  // Day numbers below 100 begin with blanks: those lines are rows of their own.
  MemFile f(
      "  1.000000,2014/12/22,13:00,1.5000,2.5000,\n 3.5000,4.5000,\n 5.5000\n"
      "  1.003472,2014/12/22,13:05,7.0000\n# end");
  LineReader in(f.get());
  std::string row;
  bool ended = false;
  ASSERT_EQ(read_row(in, row, ended), LineStatus::kLine);
  EXPECT_EQ(row, "  1.000000,2014/12/22,13:00,1.5000,2.5000,3.5000,4.5000,5.5000");
  EXPECT_TRUE(ended);
  EXPECT_EQ(in.number(), 3);
  ASSERT_EQ(read_row(in, row, ended), LineStatus::kLine);
  EXPECT_EQ(row, "  1.003472,2014/12/22,13:05,7.0000");
  ASSERT_EQ(read_row(in, row, ended), LineStatus::kLine);
  EXPECT_EQ(row, "# end");
  EXPECT_FALSE(ended);  // the file's last line has no line end
  EXPECT_EQ(read_row(in, row, ended), LineStatus::kEnd);
}

TEST(CivilSeconds, RoundTripsAcrossLeapDaysAndYearEnds) {
  for (std::int64_t day = -800; day < 20000; day += 7) {
    const std::int64_t t = day * 86400 + 13 * 3600 + 5 * 60;
    int y, mo, d, h, mi;
    civil_of(t, y, mo, d, h, mi);
    EXPECT_EQ(civil_seconds(y, mo, d, h, mi), t) << day;
  }
  EXPECT_EQ(civil_seconds(1970, 1, 1, 0, 0), 0);
  EXPECT_EQ(civil_seconds(2016, 3, 1, 0, 0) - civil_seconds(2016, 2, 28, 0, 0), 2 * 86400);
  EXPECT_EQ(civil_seconds(2015, 1, 1, 0, 0) - civil_seconds(2014, 12, 31, 23, 55), 300);
}

}  // namespace
}  // namespace vudplot
