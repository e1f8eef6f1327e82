// The variant build (vudstats64): its help text, its QTV 2 PIR column, its
// header block of restricted reports and its end-of-log line.
#include "vud_stats/variant.h"

#include <gtest/gtest.h>

#include <string>

#include "vud_stats/settings.h"
#include "vud_stats/stats_test_util.h"

namespace vud {
namespace {

static_assert(kVariant64, "these tests run against the variant's stages");

class Variant : public StatsTest {};

const std::string kLog =
    "2014/12/22,13:00:05,B0000001,-61,1,1,3,2950,51.20,215,120,14,5,0\n"
    "2014/12/22,13:00:10,A0000002,-61,1,1,3,2950,40.00,200,100,3,0,1\n"
    "2014/12/22,13:03:05,B0000001,-61,2,1,3,2950,51.20,216,120,17,9,0\n"
    "2014/12/22,13:05:02,A0000002,-61,1,1,3,2950,41.00,201,100,3,0,1\n"
    "2014/12/22,13:10:00,B0000001,-61,1,1,3,2950,52.00,220,130,20,9,2\n";

TEST_F(Variant, HelpTextLeavesOutJexAndName) {
  EXPECT_EQ(run({"-help"}), 0);
  EXPECT_EQ(shown(), variant_help_text());
}

TEST_F(Variant, QtvTwoPirColumnHoldsThePirValue) {
  write_file("site.csv", kLog);
  EXPECT_EQ(run({"-act", "2", path("site.csv")}), 0);
  const std::string report = read_file("site.text");
  EXPECT_NE(report.find("_SW,\n"
                        "356.541656,2014/12/22,13:00,0.00,0.00,0.00,0.00,0.00,"
                        "21.500,120.00,51.200,5.0000,0.00\n"
                        "356.545135,2014/12/22,13:05,20.100,100.00,41.000,0.00,1.0000,"
                        "21.600,120.00,51.200,9.0000,0.00\n# end\n"),
            std::string::npos);
  const std::string text = shown();
  EXPECT_EQ(text.substr(text.size() - 23), " stripc end of file  2\n");
}

TEST_F(Variant, RestrictedHeaderBlock) {
  write_file("site.csv", kLog);
  EXPECT_EQ(run({"-act", "2", "-name", "B0000001", "-nosw", path("site.csv")}), 0);
  EXPECT_EQ(read_file("site-B0000001.text"),
            "Vantrel summary from QTV\n"
            "for sensor B0000001\n"
            "include,temperature\ninclude,Lux\ninclude,RH\ninclude,PIR\n"
            "ignore,switch count\n"
            "JulianTime,yyyy-mm-dd,hh:mm, B0000001_degC,B0000001_Lux,B0000001_RH,B0000001_PIR, \n"
            "356.541656,2014/12/22,13:00,21.500,120.00,51.200,5.0000\n"
            "356.545135,2014/12/22,13:05,21.600,120.00,51.200,9.0000\n"
            "# end\n");

  write_file("site.log",
             "MOLVA,1,2013-06-21 20:24:53.000,7,5,3,1,0,39000,850,3010,5000\n"
             "MOLVA,1,2013-06-21 20:29:53.000,7,5,3,2,0,39000,850,3010,5000\n");
  EXPECT_EQ(run({"-act", "b", "-sen", "7", "-nodbt", path("site.log")}), 0);
  const std::string report = read_file("site.log-007.text");
  EXPECT_EQ(report.substr(0, report.find("JulianTime")),
            "Vantrel summary from standard log\n"
            "for sensor 007\n"
            "ignore,temperature\ninclude,Lux\ninclude,RH\ninclude,PIR\n"
            "include,switch count\n");
}

}  // namespace
}  // namespace vud
