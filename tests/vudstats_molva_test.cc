// Whole-program tests of vudstats on MOLVA logs: standard, short and user-unit
// layouts, the conversions to physical units, the skipped lines, restricted
// reports by index, and the variant's header block.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/vudstats_e2e.h"

namespace vud_e2e {
namespace {

// A standard MOLVA line: the leading fields as given, then 24 raw PIR and 24
// raw audio words (the ones given, then zeros).
std::string molva(std::string_view head, std::vector<int> pir, std::vector<int> audio) {
  std::string l(head);
  pir.resize(24, 0);
  audio.resize(24, 0);
  for (int v : pir) l += "," + std::to_string(v);
  for (int v : audio) l += "," + std::to_string(v);
  return l + "\n";
}

// Sensor 12 is heard first, sensor 7 second; the report sorts them 7, 12.
// Sensor 7's first packet has sequence number 0 and is used. Sensor 12's line
// at 13:05:10 repeats sequence 2 and is skipped; the one at 13:05:20 has 11
// packets left and is skipped in both passes. A row is written each time as
// many readings as sensors have arrived.
std::string standard_log() {
  return molva("MOLVA,1419253210,2014-12-22 13:00:10.250,12,5,2,1,0,39000,850,3000,5000", {3, 1},
               {10, 60, 20}) +
         molva("MOLVA,1419253240,2014-12-22 13:00:40.500,7,4,1,0,0,38500,851,3000,6000", {2},
               {80, 15}) +
         molva("MOLVA,1419253270,2014-12-22 13:01:10.750,12,5,0,2,0,38700,500,3000,6500", {},
               {100}) +
         molva("MOLVA,1419253300,2014-12-22 13:01:40.000,7,4,1,1,0,38800,600,3000,7000", {5},
               {120, 30}) +
         molva("MOLVA,1419253510,2014-12-22 13:05:10.000,12,5,0,2,0,30000,300,3000,4000", {9},
               {200}) +
         molva("MOLVA,1419253520,2014-12-22 13:05:20.000,12,5,0,3,11,30000,300,3000,4000", {9},
               {200}) +
         molva("MOLVA,1419253540,2014-12-22 13:05:40.000,7,4,0,2,0,39100,700,3000,8000", {}, {45}) +
         molva("MOLVA,1419253570,2014-12-22 13:06:10.000,12,5,0,4,0,38000,400,3000,5500", {},
               {150});
}

std::string zeros(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += " 0";
  return s;
}

std::string molva_terminal(std::string_view report, std::string_view end_word,
                           std::initializer_list<std::string_view> survey) {
  std::vector<std::string> t = {" ", " the input file is: molva.log"};
  if (!report.empty()) t.push_back("  reporting to > " + std::string(report));
  t.push_back("  processing...molva.log");
  t.push_back(" ");
  t.push_back(" In molva.log error reading (log line) EOF sensed.");
  for (std::string_view s : survey) t.emplace_back(s);
  if (!end_word.empty()) {
    t.emplace_back(" ");
    t.emplace_back(" In molva.log error reading (log line) EOF sensed.");
    t.emplace_back(" " + std::string(end_word) + " end of file  2");
  }
  return lines(t);
}

constexpr const char* kSurveyHead = " Sensor number-of-hits typical-interval (sec)";

class MolvaReport : public E2eTest {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    write_file("molva.log", standard_log());
  }
};

TEST_F(MolvaReport, StandardLayoutConvertsRawValues) {
  for (const char* bin : {vudstats_bin(), vudstats64_bin()}) {
    SCOPED_TRACE(bin);
    std::remove(path("molva.logtext").c_str());
    const RunResult r = run(bin, {"-act", "b", "molva.log"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, molva_terminal("molva.logtext", bin == vudstats_bin() ? "at" : "stripc",
                                    {kSurveyHead, "  12 4 90.30762", "  7 3 99.31641",
                                     " how many sensors found  2 12 7" + zeros(68)}));
    EXPECT_EQ(read_file("molva.logtext"),
              lines({"Vantrel summary from standard log", "number of sensors  2", "include,degC",
                     "include,Lux", "include,RH", "include,PIR", "include,SW", "sensor list 7,12",
                     "JulianTime,yyyy-mm-dd,hh:mm,s007_degC,s007_Lux,s007_RH,s007_PIR,s007_dbA,"
                     "s012_degC,s012_Lux,s012_RH,s012_PIR,s012_dbA,",
                     "356.541656,2014-12-22 13:00,17.721,285.00,34.306,2.0000,58.819,22.756,"
                     "195.47,25.263,3.0000,56.500",
                     "356.541656,2014-12-22 13:00,20.742,25.898,41.952,5.0000,62.087,19.735,"
                     "11.538,38.276,0.00,60.618",
                     "356.545135,2014-12-22 13:05,23.763,58.129,48.575,0.00,54.182,12.685,"
                     "5.1407,29.990,0.00,63.886",
                     "# end"}));
  }
}

// With '-act -' the layout comes from the second line; the title follows it.
TEST_F(MolvaReport, DetectedLayoutGivesTheSameReport) {
  const RunResult r = run(vudstats_bin(), {"-act", "-", "molva.log"});
  EXPECT_EQ(r.status, 0);
  const std::string report = read_file("molva.logtext");
  EXPECT_EQ(report.substr(0, report.find('\n') + 1), "Vantrel summary from standard log\n");
  EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 13) << report;
}

// Lines that hold no word (blank, comment only, empty fields) carry no packet:
// the layout is still told by the second packet line, and no sensor takes the
// values of the line before them.
TEST_F(MolvaReport, LinesWithoutWordsCarryNoPacket) {
  const std::string log = standard_log();
  const std::size_t first_end = log.find('\n') + 1;
  const std::size_t second_end = log.find('\n', first_end) + 1;
  write_file("gaps.log", "\n" + log.substr(0, first_end) + "   # a note\n" +
                             log.substr(first_end, second_end - first_end) + ",,,\n\t\n" +
                             log.substr(second_end) + "\n");
  const RunResult plain = run(vudstats_bin(), {"-act", "-", "molva.log"});
  const RunResult gaps = run(vudstats_bin(), {"-act", "-", "gaps.log"});
  EXPECT_EQ(gaps.status, 0);
  EXPECT_EQ(read_file("gaps.logtext"), read_file("molva.logtext"));
  std::string shown = gaps.out;
  for (std::size_t p; (p = shown.find("gaps.log")) != std::string::npos;)
    shown.replace(p, 8, "molva.log");
  EXPECT_EQ(shown, plain.out);
}

TEST_F(MolvaReport, RestrictedByIndex) {
  const RunResult r = run(vudstats_bin(), {"-act", "b", "-sen", "7", "molva.log"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, molva_terminal("molva.log-007.text", "at",
                                  {kSurveyHead, "  12 4 90.30762", "  7 3 99.31641",
                                   " how many sensors found  2 12 7" + zeros(68)}));
  EXPECT_EQ(read_file("molva.log-007.text"),
            lines({"Vantrel summary from standard log", "number of sensors  1", "include,degC",
                   "include,Lux", "include,RH", "include,PIR", "include,SW", "sensor list 007",
                   "JulianTime,yyyy-mm-dd,hh:mm, s007_degC,s007_Lux,s007_RH,s007_PIR,s007_dbA ",
                   "356.541656,2014-12-22 13:00,17.721,285.00,34.306,2.0000,58.819",
                   "356.545135,2014-12-22 13:05,23.763,58.129,48.575,0.00,54.182", "# end"}));
}

TEST_F(MolvaReport, VariantRestrictedHeader) {
  const RunResult r = run(vudstats64_bin(), {"-act", "b", "-sen", "7", "-norh", "molva.log"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(read_file("molva.log-007.text"),
            lines({"Vantrel summary from standard log", "for sensor 007", "include,temperature",
                   "include,Lux", "ignore,RH", "include,PIR", "include,switch count",
                   "JulianTime,yyyy-mm-dd,hh:mm, s007_degC,s007_Lux,s007_RH,s007_PIR,s007_dbA ",
                   "356.541656,2014-12-22 13:00,17.721,285.00,34.306,2.0000,58.819",
                   "356.545135,2014-12-22 13:05,23.763,58.129,48.575,0.00,54.182", "# end"}));
}

TEST_F(MolvaReport, RequestedSensorNotFound) {
  const RunResult r = run(vudstats_bin(), {"-act", "b", "-sen", "99", "molva.log"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, molva_terminal("molva.log-099.text", "",
                                  {kSurveyHead, "  12 4 90.30762", "  7 3 99.31641",
                                   "ERROR: requested sensor not found"}));
  EXPECT_TRUE(exists("molva.log-099.text"));
  EXPECT_EQ(read_file("molva.log-099.text"), "");
}

TEST_F(MolvaReport, ListingOfActionL) {
  const RunResult r = run(vudstats_bin(), {"-act", "L", "molva.log"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            molva_terminal("", "",
                           {kSurveyHead, "  12 4 90.30762", "  7 3 99.31641", " sensors found:  2",
                            "Vantrel summary from MOLVA log", "# number of sensors  2",
                            "include,degC", "include,Lux", ",include,RH", ",include,PIR",
                            "include,SW", "# sensor list 7,12", "Survey of sensors completed."}));
  EXPECT_EQ(files(), std::vector<std::string>{"molva.log"});
}

// Short layout, detected: PIR and audio come as minimum, maximum, average and
// the maximum is the peak. One sensor, so every reading writes a row.
TEST_F(E2eTest, ShortLayoutDetected) {
  write_file("short.csv",
             "MOLVA_SHORT,1419253210,2014-12-22 13:00:10.000,3,5,0,1,0,39000,850,3000,5000,0,4,2,"
             "30,60,45\n"
             "MOLVA_SHORT,1419253240,2014-12-22 13:00:40.000,3,5,0,2,0,38500,851,3000,6000,0,6,3,"
             "30,80,50\n");
  const RunResult r = run(vudstats_bin(), {"-act", "-", "short.csv"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(read_file("short.text"),
            lines({"Vantrel summary from MOLVA_SHORT", "number of sensors  1", "include,degC",
                   "include,Lux", "include,RH", "include,PIR", "include,SW", "sensor list 3",
                   "JulianTime,yyyy-mm-dd,hh:mm,s003_degC,s003_Lux,s003_RH,s003_PIR,s003_dbA,",
                   "356.541656,2014-12-22 13:00,22.756,195.47,25.263,4.0000,56.500",
                   "356.541656,2014-12-22 13:00,17.721,285.00,34.306,6.0000,58.819", "# end"}));
  EXPECT_NE(r.out.find("\n  3 2 15.8203125\n"), std::string::npos) << r.out;
}

// User units: values are taken as read; a line ending in "-inf" has audio 0.
TEST_F(E2eTest, UnitsLayoutDetected) {
  write_file("units.csv",
             "MOLVA_UNITS,1419253210,2014-12-22 13:00:10.000,4,5,0,1,0,21.5,120.0,3000,51.20,0,4,2,"
             "40.0,55.5,50.0\n"
             "MOLVA_UNITS,1419253240,2014-12-22 13:00:40.000,4,5,0,2,0,22.5,130.0,3000,52.00,0,6,3,"
             "35.0,-inf\n");
  const RunResult r = run(vudstats_bin(), {"-act", "-", "units.csv"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(read_file("units.text"),
            lines({"Vantrel summary from MOLVA_UNITS", "number of sensors  1", "include,degC",
                   "include,Lux", "include,RH", "include,PIR", "include,SW", "sensor list 4",
                   "JulianTime,yyyy-mm-dd,hh:mm,s004_degC,s004_Lux,s004_RH,s004_PIR,s004_dbA,",
                   "356.541656,2014-12-22 13:00,21.500,120.00,51.200,4.0000,55.500",
                   "356.541656,2014-12-22 13:00,22.500,130.00,52.000,6.0000,0.00", "# end"}));
}

// Indices from 1000 on keep all their digits in the file name, the column
// names and the lists, and stay apart from their neighbours.
TEST_F(E2eTest, FourDigitSensorIndices) {
  write_file(
      "big.log",
      molva("MOLVA,1419253210,2014-12-22 13:00:10.000,1115,5,0,1,0,39000,850,3000,5000", {}, {60}) +
          molva("MOLVA,1419253240,2014-12-22 13:00:40.000,7,5,0,1,0,39000,850,3000,5000", {},
                {60}) +
          molva("MOLVA,1419253270,2014-12-22 13:01:10.000,1115,5,0,2,0,39000,850,3000,5000", {},
                {60}));
  const RunResult all = run(vudstats_bin(), {"-act", "b", "big.log"});
  EXPECT_EQ(all.status, 0);
  const std::string report = read_file("big.logtext");
  EXPECT_NE(report.find("\nsensor list 7,1115\n"
                        "JulianTime,yyyy-mm-dd,hh:mm,s007_degC,s007_Lux,s007_RH,s007_PIR,s007_dbA,"
                        "s1115_degC,s1115_Lux,s1115_RH,s1115_PIR,s1115_dbA,\n"),
            std::string::npos)
      << report;
  EXPECT_NE(all.out.find(" how many sensors found  2 1115 7 0 0"), std::string::npos) << all.out;

  const RunResult one = run(vudstats_bin(), {"-act", "b", "-sen", "1115", "big.log"});
  EXPECT_EQ(one.status, 0);
  EXPECT_NE(one.out.find("  reporting to > big.log-1115.text\n"), std::string::npos) << one.out;
  EXPECT_EQ(
      read_file("big.log-1115.text"),
      lines({"Vantrel summary from standard log", "number of sensors  1", "include,degC",
             "include,Lux", "include,RH", "include,PIR", "include,SW", "sensor list 1115",
             "JulianTime,yyyy-mm-dd,hh:mm, s1115_degC,s1115_Lux,s1115_RH,s1115_PIR,s1115_dbA ",
             "356.541656,2014-12-22 13:00,22.756,195.47,25.263,0.00,56.500", "# end"}));
}

// Lines the report pass skips with a message: an index the survey did not
// register (index 0 only adds hits to unused entries) and more than 24 PIR
// packets. Index 0 also leaves sensor 12, registered in such an entry, with
// two hits and a typical interval of 0.
TEST_F(E2eTest, SkippedLinesAreAnnounced) {
  write_file(
      "skip.log",
      "MOLVA_SHORT,1,2014-12-22 13:00:10.000,7,5,0,1,0,39000,850,3000,5000,0,4,2,30,60,45\n"
      "MOLVA_SHORT,2,2014-12-22 13:00:20.000,0,5,0,1,0,39000,850,3000,5000,0,4,2,30,60,45\n"
      "MOLVA_SHORT,3,2014-12-22 13:00:40.000,12,5,0,1,0,38500,851,3000,6000,0,6,3,30,80,50\n"
      "MOLVA_SHORT,4,2014-12-22 13:01:10.000,7,5,30,2,0,38700,500,3000,6500,0,9,3,30,100,50\n"
      "MOLVA_SHORT,5,2014-12-22 13:06:10.000,7,5,0,3,0,38800,600,3000,7000,0,5,3,30,120,50\n");
  const RunResult r = run(vudstats_bin(), {"-act", "s", "skip.log"});
  EXPECT_EQ(r.status, 0);
  const std::size_t table =
      r.out.find(std::string(kSurveyHead) +
                 "\n  7 3 120.41016\n  12 2 0\n how many sensors found  2 7 12" + zeros(68) + "\n");
  const std::size_t unknown = r.out.find("\n unknown sensor index  0 @ 2014-12-22 13:00:20.000\n");
  const std::size_t corrupt =
      r.out.find("\n Corrupt pir packets  30 for  7 @ 2014-12-22 13:01:10.000\n");
  EXPECT_NE(table, std::string::npos) << r.out;
  EXPECT_NE(unknown, std::string::npos) << r.out;
  EXPECT_NE(corrupt, std::string::npos) << r.out;
  EXPECT_LT(table, unknown);
  EXPECT_LT(unknown, corrupt);
  EXPECT_EQ(read_file("skip.logtext"),
            lines({"Vantrel summary from MOLVA_SHORT", "number of sensors  2", "include,degC",
                   "include,Lux", "include,RH", "include,PIR", "include,SW", "sensor list 7,12",
                   "JulianTime,yyyy-mm-dd,hh:mm,s007_degC,s007_Lux,s007_RH,s007_PIR,s007_dbA,"
                   "s012_degC,s012_Lux,s012_RH,s012_PIR,s012_dbA,",
                   "356.541656,2014-12-22 13:00,22.756,195.47,25.263,4.0000,56.500,17.721,285.00,"
                   "34.306,6.0000,58.819",
                   "# end"}));
}

// The bundled sample is what the generator makes with its documented options,
// and it makes a report.
TEST_F(E2eTest, BundledMolvaSampleIsReproducible) {
  const RunResult gen = run(
      vudloggen_bin(), {"-layout", "molva", "-sensors", "4", "-interval", "60", "-span", "3600",
                        "-seed", "42", "-start", "2014/06/17,20:00:00", "-o", "sample_molva.log"});
  ASSERT_EQ(gen.status, 0) << gen.err;
  const std::string made = read_file("sample_molva.log");
  std::ifstream bundled(std::string(VUD_SOURCE_DIR) + "/examples/sample_molva.log",
                        std::ios::binary);
  const std::string shipped((std::istreambuf_iterator<char>(bundled)),
                            std::istreambuf_iterator<char>());
  EXPECT_EQ(made, shipped);

  const RunResult r = run(vudstats_bin(), {"-act", "b", "sample_molva.log"});
  EXPECT_EQ(r.status, 0);
  const std::string report = read_file("sample_molva.logtext");
  EXPECT_EQ(report.substr(0, report.find('\n')), "Vantrel summary from standard log");
  EXPECT_GT(std::count(report.begin(), report.end(), '\n'), 50);
  EXPECT_EQ(report.substr(report.size() - 6), "# end\n");
}

// Fast regime on a MOLVA log (the first sensor is heard once): a row waits for
// more readings near a mark than there are sensors from version 5 lines, and
// for more than twice as many from version 4 lines.
TEST_F(E2eTest, FastRegimeRowsWaitByVersion) {
  auto line = [](int t, std::string_view time, int index, int version, int seq, int temp) {
    char b[160];
    std::snprintf(
        b, sizeof b,
        "MOLVA_UNITS,%d,2014-12-22 %.*s,%d,%d,0,%d,0,%d.0,100.0,3000,50.0,0,0,0,40.0,60.0,"
        "50.0\n",
        t, static_cast<int>(time.size()), time.data(), index, version, seq, temp);
    return std::string(b);
  };
  write_file("fast.log",
             line(1, "13:44:00.000", 9, 5, 1, 30) + line(2, "13:44:40.000", 3, 5, 1, 21) +
                 line(3, "13:44:50.000", 3, 5, 2, 22) + line(4, "13:45:10.000", 3, 5, 3, 23) +
                 line(5, "13:45:20.000", 3, 5, 4, 24) + line(6, "13:49:50.000", 3, 4, 5, 25) +
                 line(7, "13:50:00.000", 3, 4, 6, 26) + line(8, "13:50:10.000", 3, 4, 7, 27) +
                 line(9, "13:50:20.000", 3, 4, 8, 28) + line(10, "13:50:25.000", 3, 4, 9, 29));
  const RunResult r = run(vudstats_bin(), {"-act", "u", "fast.log"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(read_file("fast.logtext"),
            lines({"Vantrel summary from MOLVA_UNITS", "number of sensors  2", "include,degC",
                   "include,Lux", "include,RH", "include,PIR", "include,SW", "sensor list 3,9",
                   "JulianTime,yyyy-mm-dd,hh:mm,s003_degC,s003_Lux,s003_RH,s003_PIR,s003_dbA,"
                   "s009_degC,s009_Lux,s009_RH,s009_PIR,s009_dbA,",
                   "356.572906,2014-12-22 13:45,23.000,100.00,50.000,0.00,60.000,30.000,100.00,"
                   "50.000,0.00,60.000",
                   "356.576385,2014-12-22 13:50,29.000,100.00,50.000,0.00,60.000,30.000,100.00,"
                   "50.000,0.00,60.000",
                   "# end"}));
}

// MOLVA side of the table limit: index 71 is refused once, and the list of 70
// indices (longer than its usual 248-character field) is written whole.
TEST_F(E2eTest, SeventyFirstIndexRefusedAndLongListWhole) {
  std::string log;
  char b[160];
  auto put = [&](int index, int t, int seq) {
    std::snprintf(
        b, sizeof b,
        "MOLVA_SHORT,%d,2014-12-22 13:%02d:%02d.000,%d,5,0,%d,0,39000,850,3000,5000,0,4,2,"
        "30,60,45\n",
        t, t / 60, t % 60, index, seq);
    log += b;
  };
  for (int n = 1; n <= 71; ++n) put(n, 9 + n, 1);
  put(71, 90, 2);
  put(1, 600, 2);
  write_file("many.log", log);
  const RunResult r = run(vudstats_bin(), {"-act", "s", "many.log"});
  EXPECT_EQ(r.status, 0);
  std::string counts = " how many sensors found  70";
  std::string list = "sensor list ";
  std::string columns = "JulianTime,yyyy-mm-dd,hh:mm,";
  std::string row = "356.541656,2014-12-22 13:00";
  for (int n = 1; n <= 70; ++n) {
    std::snprintf(b, sizeof b, "s%03d", n);
    const std::string s = b;
    counts += " " + std::to_string(n);
    list += std::to_string(n) + (n < 70 ? "," : "");
    columns += s + "_degC," + s + "_Lux," + s + "_RH," + s + "_PIR," + s + "_dbA,";
    row += ",22.756,195.47,25.263,4.0000,56.500";
  }
  EXPECT_EQ(r.out,
            lines({" ", " the input file is: many.log", "  reporting to > many.logtext",
                   "  processing...many.log",
                   " warning: sensor table full (70 sensors), ignoring sensor index 71", " ",
                   " In many.log error reading (log line) EOF sensed.", kSurveyHead,
                   "  1 2 295.3125", counts, " ",
                   " In many.log error reading (log line) EOF sensed.", " at end of file  2"}));
  EXPECT_EQ(read_file("many.logtext"),
            lines({"Vantrel summary from MOLVA_SHORT", "number of sensors 70", "include,degC",
                   "include,Lux", "include,RH", "include,PIR", "include,SW", list, columns, row,
                   "# end"}));
}

}  // namespace
}  // namespace vud_e2e
