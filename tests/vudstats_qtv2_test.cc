// Whole-program tests of vudstats on QTV 2 logs: the report file and the
// terminal text of both builds, in the slow and the fast step regime, with
// restricted reports, excluded sensors and measurement flags.
#include <string>

#include "tests/vudstats_e2e.h"

namespace vud_e2e {
namespace {

// Two sensors, one packet a minute each; B0000001 is heard first, so the report
// columns (sorted by name) put A0000002 first. A0000002 sends two packets of
// kind 2 (lines 4 and 6), whose PIR count differences go into its PIR column.
// The reading at 13:14:30 writes the row of step 13:10 less than a minute
// before 13:15, so step 13:15 gets no row; 13:30:00 and 14:00:00 lie exactly
// on marks and belong to the steps before them.
constexpr const char* kSlowLog =
    "2014/12/22,13:00:10,B0000001,-61,1,1,0,2950,51.20,215,120,14,5,0\n"
    "2014/12/22,13:00:40,A0000002,-70,1,1,0,3000,40.00,200,300,3,7,1\n"
    "2014/12/22,13:01:10,B0000001,-61,1,2,0,2950,51.40,216,121,14,6,0\n"
    "2014/12/22,13:01:40,A0000002,-70,2,2,0,3000,40.50,201,301,5,11,1\n"
    "2014/12/22,13:05:10,B0000001,-61,1,3,0,2950,51.60,217,122,15,8,0\n"
    "2014/12/22,13:05:40,A0000002,-70,2,3,0,3000,41.00,202,302,9,12,2\n"
    "2014/12/22,13:14:30,B0000001,-61,1,4,0,2950,51.80,218,123,15,10,0\n"
    "2014/12/22,13:15:10,A0000002,-70,1,4,0,3000,41.50,203,303,9,13,2\n"
    "2014/12/22,13:15:40,B0000001,-61,1,5,0,2950,52.00,219,124,15,12,0\n"
    "2014/12/22,13:20:10,A0000002,-70,1,5,0,3000,42.00,204,304,9,14,2\n"
    "2014/12/22,13:30:00,B0000001,-61,1,6,0,2950,52.20,220,125,15,14,0\n"
    "2014/12/22,14:00:00,A0000002,-70,1,6,0,3000,42.50,205,305,9,15,3\n";

constexpr const char* kIncludeAll[] = {"include,degC", "include,Lux", "include,RH", "include,PIR",
                                       "include,SW"};

std::string terminal(std::string_view report, std::string_view end_word,
                     std::initializer_list<std::string_view> survey) {
  std::vector<std::string> t = {" ",
                                " the input file is: site.csv",
                                "  reporting to > " + std::string(report),
                                "  processing...site.csv",
                                " ",
                                " In site.csv error reading (log line) EOF sensed."};
  for (std::string_view s : survey) t.emplace_back(s);
  t.emplace_back(" ");
  t.emplace_back(" In site.csv error reading (log line) EOF sensed.");
  t.emplace_back(" " + std::string(end_word) + " end of file  2");
  return lines(t);
}

// What both builds show on the terminal for the slow log: the start-up lines,
// its survey and the end of the log ("at" or, in the variant, "stripc").
std::string slow_terminal(std::string_view report, std::string_view end_word) {
  return terminal(report, end_word,
                  {" Sensor number-of-hits typical-interval (sec)", " B0000001 6 298.38867",
                   " A0000002 4 889.8926", "how many sensors found:   2", "B0000001 A0000002 "});
}

// The unrestricted report of the slow log with every measurement included:
// title, header block and column names, then the rows given (ending "# end").
std::string slow_report(std::initializer_list<std::string_view> rows) {
  std::vector<std::string> t = {
      "Vantrel summary from QTV",
      "number of sensors  2",
      kIncludeAll[0],
      kIncludeAll[1],
      kIncludeAll[2],
      kIncludeAll[3],
      kIncludeAll[4],
      "sensor list A0000002,B0000001",
      "JulianTime,yyyy-mm-dd,hh:mm,A0000002_degC,A0000002_Lux,A0000002_RH,A0000002_PIR,"
      "A0000002_SW,B0000001_degC,B0000001_Lux,B0000001_RH,B0000001_PIR,B0000001_SW,"};
  for (std::string_view row : rows) t.emplace_back(row);
  return lines(t);
}

class Qtv2Report : public E2eTest {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    write_file("site.csv", kSlowLog);
  }
};

TEST_F(Qtv2Report, SlowRegimeOneRowPerStepWithPirDifferences) {
  const RunResult r = run(vudstats_bin(), {"-act", "2", "site.csv"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, slow_terminal("site.text", "at"));
  EXPECT_EQ(
      read_file("site.text"),
      slow_report(
          {"356.541656,2014/12/22,13:00,0.00,0.00,0.00,0.00,0.00,21.500,120.00,51.200,0.00,0.00",
           "356.545135,2014/12/"
           "22,13:05,20.100,301.00,40.500,2.0000,1.0000,21.700,122.00,51.600,0.00,0.00",
           "356.548615,2014/12/"
           "22,13:10,20.200,302.00,41.000,4.0000,2.0000,21.800,123.00,51.800,0.00,0.00",
           "356.555542,2014/12/"
           "22,13:20,20.400,304.00,42.000,0.00,2.0000,21.900,124.00,52.000,0.00,0.00",
           "356.559021,2014/12/"
           "22,13:25,20.400,304.00,42.000,0.00,2.0000,22.000,125.00,52.200,0.00,0.00",
           "356.579865,2014/12/"
           "22,13:55,20.500,305.00,42.500,0.00,3.0000,22.000,125.00,52.200,0.00,0.00",
           "# end"}));
}

// The variant writes the last PIR value in the PIR column and names the end of
// the log differently; everything else of an unrestricted report is the same.
TEST_F(Qtv2Report, VariantShowsLastPirValue) {
  const RunResult r = run(vudstats64_bin(), {"-act", "2", "site.csv"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, slow_terminal("site.text", "stripc"));
  EXPECT_EQ(
      read_file("site.text"),
      slow_report(
          {"356.541656,2014/12/22,13:00,0.00,0.00,0.00,0.00,0.00,21.500,120.00,51.200,5.0000,0.00",
           "356.545135,2014/12/"
           "22,13:05,20.100,301.00,40.500,11.000,1.0000,21.700,122.00,51.600,8.0000,0.00",
           "356.548615,2014/12/"
           "22,13:10,20.200,302.00,41.000,12.000,2.0000,21.800,123.00,51.800,10.000,0.00",
           "356.555542,2014/12/"
           "22,13:20,20.400,304.00,42.000,14.000,2.0000,21.900,124.00,52.000,12.000,0.00",
           "356.559021,2014/12/"
           "22,13:25,20.400,304.00,42.000,14.000,2.0000,22.000,125.00,52.200,14.000,0.00",
           "356.579865,2014/12/"
           "22,13:55,20.500,305.00,42.500,15.000,3.0000,22.000,125.00,52.200,14.000,0.00",
           "# end"}));
}

TEST_F(Qtv2Report, NoPirDropsPirColumnsAndValues) {
  const RunResult r = run(vudstats_bin(), {"site.csv", "-nopir", "-act", "2"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(
      read_file("site.text"),
      lines({"Vantrel summary from QTV", "number of sensors  2", "include,degC", "include,Lux",
             "include,RH", "ignore,PIR", "include,SW", "sensor list A0000002,B0000001",
             "JulianTime,yyyy-mm-dd,hh:mm,A0000002_degC,A0000002_Lux,A0000002_RH,"
             "A0000002_SW,B0000001_degC,B0000001_Lux,B0000001_RH,B0000001_SW,",
             "356.541656,2014/12/22,13:00,0.00,0.00,0.00,0.00,21.500,120.00,51.200,0.00",
             "356.545135,2014/12/22,13:05,20.100,301.00,40.500,1.0000,21.700,122.00,51.600,0.00",
             "356.548615,2014/12/22,13:10,20.200,302.00,41.000,2.0000,21.800,123.00,51.800,0.00",
             "356.555542,2014/12/22,13:20,20.400,304.00,42.000,2.0000,21.900,124.00,52.000,0.00",
             "356.559021,2014/12/22,13:25,20.400,304.00,42.000,2.0000,22.000,125.00,52.200,0.00",
             "356.579865,2014/12/22,13:55,20.500,305.00,42.500,3.0000,22.000,125.00,52.200,0.00",
             "# end"}));
}

// Several flags at once: only temperature and humidity stay.
TEST_F(Qtv2Report, IncludeFlagsCombine) {
  const RunResult r =
      run(vudstats_bin(), {"-act", "2", "-nolux", "-nopir", "-nosw", "-nodbtx", "site.csv"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(
      read_file("site.text"),
      lines({"Vantrel summary from QTV", "number of sensors  2", "ignore,degC", "ignore,Lux",
             "include,RH", "ignore,PIR", "ignore,SW", "sensor list A0000002,B0000001",
             "JulianTime,yyyy-mm-dd,hh:mm,A0000002_RH,B0000001_RH,",
             "356.541656,2014/12/22,13:00,0.00,51.200", "356.545135,2014/12/22,13:05,40.500,51.600",
             "356.548615,2014/12/22,13:10,41.000,51.800",
             "356.555542,2014/12/22,13:20,42.000,52.000",
             "356.559021,2014/12/22,13:25,42.000,52.200",
             "356.579865,2014/12/22,13:55,42.500,52.200", "# end"}));
}

// A report restricted by name keeps the blank after "hh:mm," and a trailing
// blank, and its PIR column holds the last PIR count. Readings of the other
// sensor still open steps.
TEST_F(Qtv2Report, RestrictedByName) {
  const RunResult r = run(vudstats_bin(), {"-act", "2", "-name", "A0000002", "site.csv"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, slow_terminal("site-A0000002.text", "at"));
  EXPECT_FALSE(exists("site.text"));
  EXPECT_EQ(
      read_file("site-A0000002.text"),
      lines({"Vantrel summary from QTV", "number of sensors  1", kIncludeAll[0], kIncludeAll[1],
             kIncludeAll[2], kIncludeAll[3], kIncludeAll[4], "sensor list A0000002",
             "JulianTime,yyyy-mm-dd,hh:mm, A0000002_degC,A0000002_Lux,A0000002_RH,"
             "A0000002_PIR,A0000002_SW, ",
             "356.541656,2014/12/22,13:00,0.00,0.00,0.00,0.00,0.00",
             "356.545135,2014/12/22,13:05,20.100,301.00,40.500,5.0000,1.0000",
             "356.548615,2014/12/22,13:10,20.200,302.00,41.000,9.0000,2.0000",
             "356.555542,2014/12/22,13:20,20.400,304.00,42.000,9.0000,2.0000",
             "356.559021,2014/12/22,13:25,20.400,304.00,42.000,9.0000,2.0000",
             "356.579865,2014/12/22,13:55,20.500,305.00,42.500,9.0000,3.0000", "# end"}));
}

TEST_F(Qtv2Report, VariantRestrictedHeaderAndPirValue) {
  const RunResult r = run(vudstats64_bin(), {"-act", "2", "-name", "A0000002", "site.csv"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(read_file("site-A0000002.text"),
            lines({"Vantrel summary from QTV", "for sensor A0000002", "include,temperature",
                   "include,Lux", "include,RH", "include,PIR", "include,switch count",
                   "JulianTime,yyyy-mm-dd,hh:mm, A0000002_degC,A0000002_Lux,A0000002_RH,"
                   "A0000002_PIR,A0000002_SW, ",
                   "356.541656,2014/12/22,13:00,0.00,0.00,0.00,0.00,0.00",
                   "356.545135,2014/12/22,13:05,20.100,301.00,40.500,11.000,1.0000",
                   "356.548615,2014/12/22,13:10,20.200,302.00,41.000,12.000,2.0000",
                   "356.555542,2014/12/22,13:20,20.400,304.00,42.000,14.000,2.0000",
                   "356.559021,2014/12/22,13:25,20.400,304.00,42.000,14.000,2.0000",
                   "356.579865,2014/12/22,13:55,20.500,305.00,42.500,15.000,3.0000", "# end"}));
}

TEST_F(Qtv2Report, VariantRestrictedIgnoreLines) {
  const RunResult r =
      run(vudstats64_bin(), {"-act", "2", "-name", "A0000002", "-nodbt", "-nosw", "site.csv"});
  EXPECT_EQ(r.status, 0);
  const std::string report = read_file("site-A0000002.text");
  EXPECT_EQ(report.substr(0, report.find("JulianTime")),
            lines({"Vantrel summary from QTV", "for sensor A0000002", "ignore,temperature",
                   "include,Lux", "include,RH", "include,PIR", "ignore,switch count"}));
}

// An excluded sensor is announced on every one of its lines and never enters
// the table; the report is laid out for the remaining sensor alone.
TEST_F(Qtv2Report, ExcludedSensor) {
  const RunResult r = run(vudstats_bin(), {"-act", "2", "-ex", "A0000002", "site.csv"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            lines({" ", " the input file is: site.csv", "  reporting to > site.text",
                   "  processing...site.csv", " excluding A0000002", " excluding A0000002",
                   " excluding A0000002", " excluding A0000002", " excluding A0000002",
                   " excluding A0000002", " ", " In site.csv error reading (log line) EOF sensed.",
                   " Sensor number-of-hits typical-interval (sec)", " B0000001 6 298.38867",
                   "how many sensors found:   1", "B0000001 ", " ",
                   " In site.csv error reading (log line) EOF sensed.", " at end of file  2"}));
  EXPECT_EQ(
      read_file("site.text"),
      lines({"Vantrel summary from QTV", "number of sensors  1", kIncludeAll[0], kIncludeAll[1],
             kIncludeAll[2], kIncludeAll[3], kIncludeAll[4], "sensor list B0000001",
             "JulianTime,yyyy-mm-dd,hh:mm,B0000001_degC,B0000001_Lux,B0000001_RH,"
             "B0000001_PIR,B0000001_SW,",
             "356.541656,2014/12/22,13:00,21.500,120.00,51.200,0.00,0.00",
             "356.545135,2014/12/22,13:05,21.700,122.00,51.600,0.00,0.00",
             "356.548615,2014/12/22,13:10,21.800,123.00,51.800,0.00,0.00",
             "356.559021,2014/12/22,13:25,22.000,125.00,52.200,0.00,0.00", "# end"}));
}

// The first sensor is heard once, so its typical interval is 0 and the report
// runs in the fast regime: only readings within the tolerance of a mark open
// a step, and only A0000001 and A0000002 (entries 1 and 2 of the sorted table)
// move the hour. C0000003 near 15:00 while the hour is still 14 gives '14:60'.
// The first row carries hour 13 from the first pass, not hour 00.
constexpr const char* kFastLog =
    "2014/12/22,13:44:00,D0000004,-60,1,1,0,3000,50.00,200,100,0,0,0\n"
    "2014/12/22,13:44:40,A0000001,-60,1,1,0,3000,41.00,210,110,1,1,0\n"
    "2014/12/22,13:49:45,A0000002,-60,1,1,0,3000,42.00,220,120,2,2,0\n"
    "2014/12/22,13:52:00,A0000001,-60,1,2,0,3000,43.00,230,130,3,3,0\n"
    "2014/12/22,13:59:50,A0000002,-60,1,2,0,3000,44.00,240,140,4,4,0\n"
    "2014/12/22,14:19:16,A0000001,-60,1,3,0,3000,45.00,250,150,5,5,0\n"
    "2014/12/22,14:24:14,A0000002,-60,1,3,0,3000,46.00,260,160,6,6,0\n"
    "2014/12/22,14:59:50,C0000003,-60,1,1,0,3000,47.00,270,170,7,7,1\n";

std::string fast_report(bool with_1420) {
  std::vector<std::string> l = {
      "Vantrel summary from QTV",
      "number of sensors  4",
      kIncludeAll[0],
      kIncludeAll[1],
      kIncludeAll[2],
      kIncludeAll[3],
      kIncludeAll[4],
      "sensor list A0000001,A0000002,C0000003,D0000004",
      "JulianTime,yyyy-mm-dd,hh:mm,"
      "A0000001_degC,A0000001_Lux,A0000001_RH,A0000001_PIR,A0000001_SW,"
      "A0000002_degC,A0000002_Lux,A0000002_RH,A0000002_PIR,A0000002_SW,"
      "C0000003_degC,C0000003_Lux,C0000003_RH,C0000003_PIR,C0000003_SW,"
      "D0000004_degC,D0000004_Lux,D0000004_RH,D0000004_PIR,D0000004_SW,",
      "356.572906,2014/12/22,13:45,21.000,110.00,41.000,0.00,0.00,0.00,0.00,0.00,0.00,0.00,"
      "0.00,0.00,0.00,0.00,0.00,20.000,100.00,50.000,0.00,0.00",
      "356.576385,2014/12/22,13:50,21.000,110.00,41.000,0.00,0.00,22.000,120.00,42.000,0.00,0.00,"
      "0.00,0.00,0.00,0.00,0.00,20.000,100.00,50.000,0.00,0.00",
      "356.583344,2014/12/22,14:00,23.000,130.00,43.000,0.00,0.00,24.000,140.00,44.000,0.00,0.00,"
      "0.00,0.00,0.00,0.00,0.00,20.000,100.00,50.000,0.00,0.00"};
  if (with_1420)
    l.push_back(
        "356.597229,2014/12/22,14:20,25.000,150.00,45.000,0.00,0.00,24.000,140.00,44.000,0.00,"
        "0.00,0.00,0.00,0.00,0.00,0.00,20.000,100.00,50.000,0.00,0.00");
  l.push_back(
      "356.625000,2014/12/22,14:60,25.000,150.00,45.000,0.00,0.00,26.000,160.00,46.000,0.00,0.00,"
      "27.000,170.00,47.000,0.00,1.0000,20.000,100.00,50.000,0.00,0.00");
  l.push_back("# end");
  return lines(l);
}

class Qtv2Fast : public E2eTest {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    write_file("site.csv", kFastLog);
  }
};

TEST_F(Qtv2Fast, ReadingsNearMarksOpenSteps) {
  const RunResult r = run(vudstats_bin(), {"-act", "2", "site.csv"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            terminal("site.text", "at",
                     {" Sensor number-of-hits typical-interval (sec)", " A0000001 3 691.6992",
                      " A0000002 3 689.9414", "how many sensors found:   4",
                      "D0000004 A0000001 A0000002 C0000003 "}));
  EXPECT_EQ(read_file("site.text"), fast_report(false));
}

// '-tol 40' stands for 45 seconds: 14:19:16 (44 s before 14:20) now opens a
// step, 14:24:14 (46 s before 14:25) still does not.
TEST_F(Qtv2Fast, Tolerance40MeansFortyFiveSeconds) {
  const RunResult r = run(vudstats_bin(), {"-act", "2", "-tol", "40", "site.csv"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(read_file("site.text"), fast_report(true));
}

// The step grid's marks are exact: 13:00:00 belongs to 12:55, 13:07:30 to
// 13:05 and 14:10:00 to 14:05.
TEST_F(E2eTest, ReadingsOnMarksBelongToTheStepBefore) {
  write_file("marks.csv",
             "2014/12/22,13:00:00,A0000001,-60,1,1,0,3000,50.00,200,100,0,0,0\n"
             "2014/12/22,13:07:30,A0000001,-60,1,2,0,3000,50.00,210,100,0,0,0\n"
             "2014/12/22,14:10:00,A0000001,-60,1,3,0,3000,50.00,220,100,0,0,0\n");
  const RunResult r = run(vudstats_bin(), {"-act", "2", "marks.csv"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(
      read_file("marks.text"),
      lines({"Vantrel summary from QTV", "number of sensors  1", kIncludeAll[0], kIncludeAll[1],
             kIncludeAll[2], kIncludeAll[3], kIncludeAll[4], "sensor list A0000001",
             "JulianTime,yyyy-mm-dd,hh:mm,A0000001_degC,A0000001_Lux,A0000001_RH,"
             "A0000001_PIR,A0000001_SW,",
             "356.538208,2014/12/22,12:55,20.000,100.00,50.000,0.00,0.00",
             "356.545135,2014/12/22,13:05,21.000,100.00,50.000,0.00,0.00",
             "356.586823,2014/12/22,14:05,22.000,100.00,50.000,0.00,0.00", "# end"}));
}

}  // namespace
}  // namespace vud_e2e
