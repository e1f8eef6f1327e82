// Whole-program tests of vudstats: the command line, the help text, every end
// of a run with its terminal text and exit status, the scan-and-list action,
// and the limits of the survey (80000 lines, 70 sensors, long lists).
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/vudstats_e2e.h"
#include "vud_stats/help_text_test_util.h"

namespace vud_e2e {
namespace {

constexpr const char* kLog =
    "2014/12/22,13:00:10,B0000001,-61,1,1,0,2950,51.20,215,120,14,5,0\n"
    "2014/12/22,13:00:40,A0000002,-70,1,1,0,3000,40.00,200,300,3,7,1\n"
    "2014/12/22,13:01:10,B0000001,-61,1,2,0,2950,51.40,216,121,14,6,0\n";

class Cli : public E2eTest {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    write_file("site.csv", kLog);
  }
};

// -help ends the run at once, wherever it stands, before any file is touched.
TEST_F(Cli, HelpTextAndStatusZero) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"-help"},
        std::vector<std::string>{"-act", "2", "site.csv", "-help"}}) {
    const RunResult r = run(vudstats_bin(), args);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, vud::kHelpText);
    EXPECT_EQ(files(), std::vector<std::string>{"site.csv"});
  }
}

TEST_F(Cli, VariantHelpLacksJexAndNameLines) {
  const RunResult r = run(vudstats64_bin(), {"-help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, vud::variant_help_text());
}

TEST_F(Cli, FailedEndsShowTheirMessageAndExitOne) {
  struct Case {
    std::vector<std::string> args;
    std::string out;
    std::vector<std::string> files;
  };
  const Case cases[] = {
      {{}, lines({" ", "ERROR: no input file specified"}), {"site.csv"}},
      {{"-act", "2"}, lines({" ", "ERROR: no input file specified"}), {"site.csv"}},
      {{"-act", "2", "-file"}, lines({" ", "ERROR: no input file specified"}), {"site.csv"}},
      {{"-act", "2", "UNKNOWN.csv"}, lines({" ", "ERROR: no input file specified"}), {"site.csv"}},
      {{"-act", "2", "nosuch.csv"},
       lines({" ", " the input file is: nosuch.csv", " Warning: Could not find", "nosuch.csv",
              " Warning:  Problem opening...", "nosuch.csv"}),
       {"site.csv"}},
      // No action: the report is made, stays empty, and the log is not read.
      {{"site.csv"},
       lines({" ", " the input file is: site.csv", "  reporting to > site.text",
              "  processing...site.csv", " no direction provided in command line. site.csv"}),
       {"site.csv", "site.text"}},
      {{"-act", "x", "site.csv"},
       lines({" ", " the input file is: site.csv", "  reporting to > site.text",
              "  processing...site.csv", " no direction provided in command line. site.csv"}),
       {"site.csv", "site.text"}},
  };
  for (const Case& c : cases) {
    std::string argline;
    for (const std::string& a : c.args) argline += a + " ";
    SCOPED_TRACE(argline);
    for (const std::string& f : files())
      if (f != "site.csv") std::remove(path(f).c_str());
    const RunResult r = run(vudstats_bin(), c.args);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(files(), c.files);
    if (exists("site.text")) {
      EXPECT_EQ(read_file("site.text"), "");
    }
  }
}

// An unreadable value stops the reading of the command line; what came before
// stands and the run goes on.
TEST_F(Cli, BadValueStopsTheCommandLine) {
  const RunResult r = run(vudstats_bin(), {"-act", "2", "site.csv", "-tol", "x", "-nopir"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.substr(0, r.out.find(" the input")),
            lines({"Problem with command line parameter.", " "}));
  EXPECT_NE(read_file("site.text").find("\ninclude,PIR\n"), std::string::npos);
}

// The listing of a QTV 2 log, with its quirky include lines.
// An empty log still gives a whole report: no sensors, an empty list kept as
// one blank like any blank field, no columns, no rows.
TEST_F(Cli, EmptyLogGivesHeaderOnlyReport) {
  write_file("empty.csv", "");
  const RunResult r = run(vudstats_bin(), {"-act", "2", "empty.csv"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(read_file("empty.text"),
            lines({"Vantrel summary from QTV", "number of sensors  0", "include,degC",
                   "include,Lux", "include,RH", "include,PIR", "include,SW", "sensor list  ",
                   "JulianTime,yyyy-mm-dd,hh:mm,", "# end"}));
}

TEST_F(Cli, ListingOfQtv2Log) {
  const RunResult r = run(vudstats_bin(), {"-act", "L", "-norh", "-nopir", "site.csv"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, lines({" ",
                          " the input file is: site.csv",
                          "  processing...site.csv",
                          " ",
                          " In site.csv error reading (log line) EOF sensed.",
                          " Sensor number-of-hits typical-interval (sec)",
                          " B0000001 2 30.322266",
                          " sensors found:  2",
                          "Vantrel summary from MOLVA log",
                          "# number of sensors  2",
                          "include,degC",
                          "include,Lux",
                          ",ignore,RH",
                          "ignore,PIR",
                          "include,SW",
                          "#  sorted sensor list 2,1",
                          "# orig sensor list   B0000001,A0000002",
                          "# sorted sensor list A0000002,B0000001",
                          "# sorted sensor list 2,1",
                          "Survey of sensors completed."}));
  EXPECT_EQ(files(), std::vector<std::string>{"site.csv"});
}

// A log of more than 80000 lines: the survey stops at line 80000, says so, and
// still writes the survey table, so the report keeps the slow regime (one row
// per five-minute step, all lines of the log read in the report pass).
TEST_F(E2eTest, SurveyCapKeepsTheSurveyTable) {
  constexpr int kLines = 80100;  // one sensor, every 20 seconds from 1 January
  std::string log;
  log.reserve(kLines * 66);
  char buf[96];
  for (int i = 0; i < kLines; ++i) {
    const int t = i * 20;
    std::snprintf(buf, sizeof buf,
                  "2014/01/%02d,%02d:%02d:%02d,A0000001,-60,1,1,0,3000,50.00,200,100,0,0,0\n",
                  1 + t / 86400, t % 86400 / 3600, t % 3600 / 60, t % 60);
    log += buf;
  }
  write_file("cap.csv", log);
  const RunResult r = run(vudstats_bin(), {"-act", "2", "cap.csv"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            lines({" ", " the input file is: cap.csv", "  reporting to > cap.text",
                   "  processing...cap.csv", " warning: only the first 80000 lines were surveyed",
                   " Sensor number-of-hits typical-interval (sec)", " A0000001 80000 19.99975",
                   "how many sensors found:   1", "A0000001 ", " ",
                   " In cap.csv error reading (log line) EOF sensed.", " at end of file  2"}));
  const std::string report = read_file("cap.text");
  // 18 whole days of 288 steps and 156 steps of the 19th (to 12:59:40).
  EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 9 + 18 * 288 + 156 + 1);
  EXPECT_EQ(report.substr(0, report.find("  1.003472")),
            lines({"Vantrel summary from QTV", "number of sensors  1", "include,degC",
                   "include,Lux", "include,RH", "include,PIR", "include,SW", "sensor list A0000001",
                   "JulianTime,yyyy-mm-dd,hh:mm,A0000001_degC,A0000001_Lux,A0000001_RH,"
                   "A0000001_PIR,A0000001_SW,",
                   "  1.000000,2014/01/01,00:00,20.000,100.00,50.000,0.00,0.00"}));
  const std::string tail = " 19.538195,2014/01/19,12:55,20.000,100.00,50.000,0.00,0.00\n# end\n";
  ASSERT_GE(report.size(), tail.size());
  EXPECT_EQ(report.substr(report.size() - tail.size()), tail);
}

// A 71st sensor is refused once with a warning and its lines are skipped; the
// 70 sensors' list and column-header line are longer than their usual fields
// and are written whole.
TEST_F(E2eTest, SeventyFirstSensorRefused) {
  auto name = [](int n) {
    char b[16];
    std::snprintf(b, sizeof b, "S%07d", n);
    return std::string(b);
  };
  std::string log;
  char buf[96];
  for (int n = 1; n <= 71; ++n) {
    const int t = 10 + n - 1;
    std::snprintf(buf, sizeof buf,
                  "2014/12/22,13:%02d:%02d,%s,-60,1,1,0,3000,50.00,200,100,0,0,0\n", t / 60, t % 60,
                  name(n).c_str());
    log += buf;
  }
  log += "2014/12/22,13:01:30,S0000071,-60,1,2,0,3000,50.00,300,100,0,0,0\n";
  log += "2014/12/22,13:10:00,S0000001,-60,1,2,0,3000,50.00,200,100,0,0,0\n";
  write_file("many.csv", log);
  const RunResult r = run(vudstats_bin(), {"-act", "2", "many.csv"});
  EXPECT_EQ(r.status, 0);
  std::string names_line;
  for (int n = 1; n <= 70; ++n) names_line += name(n) + " ";
  EXPECT_EQ(r.out,
            lines({" ", " the input file is: many.csv", "  reporting to > many.text",
                   "  processing...many.csv",
                   " warning: sensor table full (70 sensors), ignoring sensor S0000071", " ",
                   " In many.csv error reading (log line) EOF sensed.",
                   " Sensor number-of-hits typical-interval (sec)", " S0000001 2 295.3125",
                   "how many sensors found:  70", names_line, " ",
                   " In many.csv error reading (log line) EOF sensed.", " at end of file  2"}));

  std::string list = "sensor list ";
  std::string columns = "JulianTime,yyyy-mm-dd,hh:mm,";
  std::string first_row = "356.541656,2014/12/22,13:00,20.000,100.00,50.000,0.00,0.00";
  std::string second_row = "356.545135,2014/12/22,13:05";
  for (int n = 1; n <= 70; ++n) {
    const std::string s = name(n);
    list += s + (n < 70 ? "," : "");
    columns += s + "_degC," + s + "_Lux," + s + "_RH," + s + "_PIR," + s + "_SW,";
    if (n > 1) first_row += ",0.00,0.00,0.00,0.00,0.00";
    second_row += ",20.000,100.00,50.000,0.00,0.00";
  }
  ASSERT_GT(columns.size(), 4000u);
  EXPECT_EQ(read_file("many.text"),
            lines({"Vantrel summary from QTV", "number of sensors 70", "include,degC",
                   "include,Lux", "include,RH", "include,PIR", "include,SW", list, columns,
                   first_row, second_row, "# end"}));
}

}  // namespace
}  // namespace vud_e2e
