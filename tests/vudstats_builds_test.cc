// Whole-program tests across programs and builds: a capture converted by
// jex2csv and reported by vudstats, and the two builds of vudstats printing
// the same digits on generated logs of every layout.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/vudstats_e2e.h"

namespace vud_e2e {
namespace {

// One 32-byte capture record of a clear sensor packet (kind 1).
std::string record(std::uint32_t time, std::uint32_t address, int minute) {
  std::string r(32, '\0');
  auto put16 = [&r](int at, unsigned v) {
    r[static_cast<std::size_t>(at)] = static_cast<char>(v & 0xFF);
    r[static_cast<std::size_t>(at + 1)] = static_cast<char>((v >> 8) & 0xFF);
  };
  auto put32 = [&put16](int at, std::uint32_t v) {
    put16(at, v & 0xFFFF);
    put16(at + 2, v >> 16);
  };
  put32(4, time);
  put32(9, address);
  r[13] = static_cast<char>(101);  // -78 dBm
  r[14] = 1;                       // clear sensor packet
  r[15] = static_cast<char>(minute);
  put16(17, 3012);                                 // battery mV
  put16(19, 0x3280);                               // 50.49 %
  put16(21, static_cast<unsigned>(200 + minute));  // tenths of a degree
  put16(23, static_cast<unsigned>(100 + minute));  // lux
  put16(25, static_cast<unsigned>(minute));        // PIR count
  put16(27, 5);
  return r;
}

std::uint32_t packed(int hour, int minute, int second) {
  return (14u << 26) | (12u << 22) | (22u << 17) | (static_cast<std::uint32_t>(hour) << 12) |
         (static_cast<std::uint32_t>(minute) << 6) | static_cast<std::uint32_t>(second);
}

// Two sensors, one packet a minute each from 13:00 to 13:11, through jex2csv
// into a QTV 2 log and through vudstats into a report.
TEST_F(E2eTest, CaptureToLogToReport) {
  std::string capture;
  for (int m = 0; m < 12; ++m) {
    capture += record(packed(13, m, 10), 0x42D89A75u, m);
    capture += record(packed(13, m, 40), 0x0000AB01u, m);
  }
  write_file("site.jex", capture);
  const RunResult conv = run(jex2csv_bin(), {"site.jex", "site.csv"});
  ASSERT_EQ(conv.status, 0) << conv.err;
  const std::string log = read_file("site.csv");
  EXPECT_EQ(log.substr(0, log.find('\n') + 1),
            "2014/12/22,13:00:10,42D89A75,-78,1,0,0,3012,50.49,200,100,0,5,0\n");

  const RunResult r = run(vudstats_bin(), {"-act", "2", "site.csv"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(
      r.out,
      lines({" ", " the input file is: site.csv", "  reporting to > site.text",
             "  processing...site.csv", " ", " In site.csv error reading (log line) EOF sensed.",
             " Sensor number-of-hits typical-interval (sec)", " 42D89A75 12 54.93164",
             " 0000AB01 12 54.93164", "how many sensors found:   2", "42D89A75 0000AB01 ", " ",
             " In site.csv error reading (log line) EOF sensed.", " at end of file  2"}));
  EXPECT_EQ(
      read_file("site.text"),
      lines({"Vantrel summary from QTV", "number of sensors  2", "include,degC", "include,Lux",
             "include,RH", "include,PIR", "include,SW", "sensor list 0000AB01,42D89A75",
             "JulianTime,yyyy-mm-dd,hh:mm,0000AB01_degC,0000AB01_Lux,0000AB01_RH,"
             "0000AB01_PIR,0000AB01_SW,42D89A75_degC,42D89A75_Lux,42D89A75_RH,"
             "42D89A75_PIR,42D89A75_SW,",
             "356.541656,2014/12/22,13:00,0.00,0.00,0.00,0.00,0.00,20.000,100.00,50.490,0.00,0.00",
             "356.545135,2014/12/"
             "22,13:05,20.400,104.00,50.490,0.00,0.00,20.500,105.00,50.490,0.00,0.00",
             "356.548615,2014/12/"
             "22,13:10,20.900,109.00,50.490,0.00,0.00,21.000,110.00,50.490,0.00,0.00",
             "# end"}));
}

// The two builds share every rule but the PIR column of QTV 2 reports, the
// restricted header block and the end-of-log line, so on MOLVA logs and on
// QTV 2 logs without PIR they must write identical reports and survey figures.
// When vudstats is configured as a 32-bit build this checks that its 4-byte
// arithmetic gives the digits of the native build.
TEST_F(E2eTest, BothBuildsWriteTheSameDigits) {
  struct Case {
    const char* layout;
    std::vector<std::string> options;
  };
  const Case cases[] = {
      {"qtv2", {"-act", "2", "-nopir"}},
      {"molva", {"-act", "b"}},
      {"molva_short", {"-act", "s"}},
      {"molva_units", {"-act", "-"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.layout);
    const std::string log = std::string(c.layout) + ".csv";
    const std::string report = std::string(c.layout) + ".text";
    const RunResult gen = run(
        vudloggen_bin(), {"-layout", c.layout, "-sensors", "6", "-interval", "45", "-lines", "4000",
                          "-seed", "5", "-kind2", "7", "-start", "2014/06/30,20:00:00", "-o", log});
    ASSERT_EQ(gen.status, 0) << gen.err;
    std::vector<std::string> args = c.options;
    args.push_back(log);

    const RunResult native = run(vudstats64_bin(), args);
    ASSERT_EQ(native.status, 0);
    const std::string native_report = read_file(report);
    std::remove(path(report).c_str());
    const RunResult delivered = run(vudstats_bin(), args);
    ASSERT_EQ(delivered.status, 0);
    const std::string delivered_report = read_file(report);
    std::remove(path(report).c_str());

    EXPECT_GT(std::count(delivered_report.begin(), delivered_report.end(), '\n'), 100);
    EXPECT_EQ(delivered_report, native_report);
    const std::string variant_end = " stripc end of file  2\n";
    const std::string end = " at end of file  2\n";
    ASSERT_GE(native.out.size(), variant_end.size());
    EXPECT_EQ(native.out.substr(native.out.size() - variant_end.size()), variant_end);
    EXPECT_EQ(delivered.out, native.out.substr(0, native.out.size() - variant_end.size()) + end);
  }
}

}  // namespace
}  // namespace vud_e2e
