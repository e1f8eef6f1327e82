#include "vud_stats/settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vud_stats/stats_test_util.h"

namespace vud {
namespace {

class Settings : public StatsTest {
 protected:
  // Parses args into rs_; returns the result of partfa.
  std::int32_t parse(const std::vector<const char*>& args) {
    return partfa(rs_.modl, rs_.inf, rs_.act, rs_.itol, rs_.irepsen, rs_.incdbt, rs_.incrh,
                  rs_.inclux, rs_.incpir, rs_.incsw, rs_.repsen, rs_.nbixsen, rs_.ixsen,
                  std::span<const char* const>(args.data(), args.size()));
  }
  RunSettings rs_;
};

TEST_F(Settings, PartfaReadsOptionsInOrder) {
  struct Case {
    std::vector<const char*> args;
    std::string_view inf, act;
    std::int32_t itol, irepsen;
    std::string_view repsen;
    std::int32_t incdbt, incpir, modl;
    std::string_view shown;
  };
  // A name fills the 144-character inf whole, bare or after -file.
  const std::string long_name = std::string(135, 'd') + "/site.csv";
  const Case cases[] = {
      {{}, "UNKNOWN", "NONE", 30, 0, "-", 1, 1, -1, ""},
      {{long_name.c_str()}, long_name, "NONE", 30, 0, "-", 1, 1, -1, ""},
      {{"-file", long_name.c_str()}, long_name, "NONE", 30, 0, "-", 1, 1, -1, ""},
      {{"site.csv  "}, "site.csv", "NONE", 30, 0, "-", 1, 1, -1, ""},
      // "-tol" and "-sen" stand alone: longer words are file names.
      {{"-sen", "3", "-tolx", "-senx"}, "-senx", "NONE", 30, 3, "-", 1, 1, -1, ""},
      {{"site.csv", "-act", "2"}, "site.csv", "2", 30, 0, "-", 1, 1, -1, ""},
      {{"-file", "site.csv", "-act", "b", "-sen", "12"},
       "site.csv",
       "b",
       30,
       12,
       "-",
       1,
       1,
       -1,
       ""},
      // Partial option words: "-nodbtx" is -nodbt, "-actx" is a file name.
      {{"-nodbtx", "-actx", "-nopir"}, "-actx", "NONE", 30, 0, "-", 0, 0, -1, ""},
      // The last bare name wins; later values replace earlier ones.
      {{"a.csv", "-tol", "40", "b.csv", "-tol", "10"}, "b.csv", "NONE", 10, 0, "-", 1, 1, -1, ""},
      // An unreadable value stops the parse; what was read stands.
      {{"-act", "u", "-tol", "x", "-sen", "5", "c.csv"},
       "UNKNOWN",
       "u",
       30,
       0,
       "-",
       1,
       1,
       -1,
       "Problem with command line parameter.\n"},
      {{"-sen", "4.5"},
       "UNKNOWN",
       "NONE",
       30,
       0,
       "-",
       1,
       1,
       -1,
       "Problem with command line parameter.\n"},
      // A value option at the end gets a blank value.
      {{"-tol", "20", "-tol"}, "UNKNOWN", "NONE", 20, 0, "-", 1, 1, -1, ""},
      {{"x.csv", "-act"}, "x.csv", "", 30, 0, "-", 1, 1, -1, ""},
      {{"x.csv", "-file"}, "", "NONE", 30, 0, "-", 1, 1, -1, ""},
      // -name takes one item, cut to 8 characters.
      {{"-name", "4A3F21B0EXTRA"}, "UNKNOWN", "NONE", 30, 0, "4A3F21B0", 1, 1, -1, ""},
      {{"-name", "AB,CD"}, "UNKNOWN", "NONE", 30, 0, "AB", 1, 1, -1, ""},
      {{"-mode", "page", "-mode", "bogus"}, "UNKNOWN", "NONE", 30, 0, "-", 1, 1, -2, ""},
      {{"-mode", "script"}, "UNKNOWN", "NONE", 30, 0, "-", 1, 1, -6, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.empty() ? "(none)" : c.args[0]);
    EXPECT_EQ(parse(c.args), kPartfaRead);
    EXPECT_EQ(rs_.inf.view(), Text<144>(c.inf).view());
    EXPECT_EQ(rs_.act.view(), Text<16>(c.act).view());
    EXPECT_EQ(rs_.itol, c.itol);
    EXPECT_EQ(rs_.irepsen, c.irepsen);
    EXPECT_EQ(rs_.repsen.view(), Text<8>(c.repsen).view());
    EXPECT_EQ(rs_.incdbt, c.incdbt);
    EXPECT_EQ(rs_.incpir, c.incpir);
    EXPECT_EQ(rs_.modl, c.modl);
    EXPECT_EQ(shown(), c.shown);
  }
}

TEST_F(Settings, ExcludedNamesFillFourEntriesAndRefuseAFifth) {
  EXPECT_EQ(parse({"-ex", "A1", "-exclude", "B2", "-ex", "C3"}), kPartfaRead);
  EXPECT_EQ(rs_.nbixsen, 3);
  EXPECT_EQ(rs_.ixsen(1).view(), "A1      ");
  EXPECT_EQ(rs_.ixsen(2).view(), "B2      ");
  EXPECT_EQ(rs_.ixsen(3).view(), "C3      ");
  EXPECT_EQ(rs_.ixsen(4).view(), "        ");

  EXPECT_EQ(parse({"-ex", "A", "-ex", "B", "-ex", "C", "-ex", "D", "-ex", "E", "f.csv"}),
            kPartfaRead);
  EXPECT_EQ(rs_.nbixsen, 4);
  EXPECT_EQ(rs_.ixsen(4).view(), "D       ");
  EXPECT_EQ(rs_.inf.view(), Text<144>("UNKNOWN").view());
  EXPECT_EQ(shown(), "Problem with command line parameter.\n");

  // -ex at the end still counts an entry, which stays blank.
  EXPECT_EQ(parse({"-ex"}), kPartfaRead);
  EXPECT_EQ(rs_.nbixsen, 1);
  EXPECT_TRUE(rs_.ixsen(1).is_blank());
}

// A name of 145 characters or more would not fit inf: it is refused, not cut
// into the name of another file, and the run ends.
TEST_F(Settings, AnInputNameLongerThanItsFieldIsRefused) {
  const std::string too_long = std::string(136, 'd') + "/site.csv";
  ASSERT_EQ(too_long.size(), 145u);
  for (const std::vector<const char*>& args :
       {std::vector<const char*>{"-act", "2", too_long.c_str(), "-nopir"},
        std::vector<const char*>{"ok.csv", "-file", too_long.c_str()}}) {
    EXPECT_EQ(parse(args), kPartfaNameTooLong);
    EXPECT_EQ(shown(), "ERROR: input file name longer than 144 characters: " + too_long + "\n");
    EXPECT_EQ(rs_.incpir, 1) << "the parse stops at the name";
  }
  EXPECT_EQ(run({"-act", "2", too_long}), 1);
  EXPECT_EQ(shown(), "ERROR: input file name longer than 144 characters: " + too_long + "\n");
}

TEST_F(Settings, HelpAnywhereShowsTheHelpTextAndStops) {
  EXPECT_EQ(parse({"-act", "2", "-help", "x.csv"}), kPartfaHelp);
  EXPECT_EQ(shown(), kHelpText);
  EXPECT_EQ(rs_.inf.view(), Text<144>("UNKNOWN").view());
  EXPECT_EQ(run({"site.csv", "-help"}), 0);
  EXPECT_EQ(shown(), kHelpText);
}

TEST_F(Settings, ReportNames) {
  struct Case {
    std::string_view inter;
    std::int32_t irepsen;
    std::string_view repsen, lfout;
  };
  const Case cases[] = {
      {"site.csv", 0, "-", "site.text"},
      {"site.csv", 7, "-", "site-007.text"},
      {"site.csv", 12, "B0000001", "site-012.text"},
      {"site.csv", 0, "B0000001", "site-B0000001.text"},
      // A name is put in without its padding blanks.
      {"site.csv", 0, "2613", "site-2613.text"},
      {"site.log", 0, "A B", "site.log-AB.text"},
      {"site.log", 0, "-", "site.logtext"},
      {"site.log", 7, "-", "site.log-007.text"},
      {"site.CSV", 0, "-", "site.CSVtext"},
      {"dir/a.csv", 0, "-", "dir/a.text"},
      // Indices from 1000 on keep all their digits.
      {"site.csv", 1115, "-", "site-1115.text"},
      {"site.log", 1200, "-", "site.log-1200.text"},
  };
  for (const Case& c : cases) {
    Text<144> lfout;
    EXPECT_TRUE(compose_report_name(Text<144>(c.inter), c.irepsen, Text<8>(c.repsen), lfout));
    EXPECT_EQ(lfout.view(), Text<144>(c.lfout).view()) << c.inter << " " << c.irepsen;
  }
  // A report name that would not fit is refused, not cut: "x.csv" of 144
  // characters would make "x.text" of 145, cut back to "x.tex".
  const std::string longest = std::string(139, 'd') + ".csv";
  Text<144> lfout("stale");
  EXPECT_TRUE(compose_report_name(Text<144>(longest), 0, Text<8>("-"), lfout));
  EXPECT_EQ(lfout.trimmed(), longest.substr(0, 140) + "text");
  EXPECT_FALSE(compose_report_name(Text<144>("d" + longest), 0, Text<8>("-"), lfout));
  EXPECT_TRUE(lfout.is_blank());
}

TEST_F(Settings, ActionLetters) {
  for (char c : std::string_view("bBsSuU-lL2")) EXPECT_TRUE(is_usable_action(c)) << c;
  for (char c : std::string_view("N 3xq")) EXPECT_FALSE(is_usable_action(c)) << c;
}

TEST_F(Settings, EndsOfTheStartUp) {
  // No input file at all.
  EXPECT_EQ(run({}), 1);
  EXPECT_EQ(shown(), " \nERROR: no input file specified\n");
  EXPECT_EQ(run({"-act", "2", "UNKNOWN.csv"}), 1);
  EXPECT_EQ(shown(), " \nERROR: no input file specified\n");

  // A log that cannot be opened.
  const std::string missing = path("missing.csv");
  EXPECT_EQ(run({"-act", "2", missing}), 1);
  EXPECT_EQ(shown(), " \n the input file is: " + missing + "\n Warning: Could not find\n" +
                         missing + "\n Warning:  Problem opening...\n" + missing + "\n");
  EXPECT_FALSE(exists("missing.text"));

  // No usable action: the log is not read and the report stays empty.
  write_file("site.csv", "2014/12/22,13:41:05,4A3F21B0,-61,1,17,3,2950,51.20,215,120,14,5,0\n");
  const std::string log = path("site.csv");
  EXPECT_EQ(run({log}), 1);
  EXPECT_EQ(shown(), " \n the input file is: " + log + "\n  reporting to > " + path("site.text") +
                         "\n  processing..." + log + "\n no direction provided in command line. " +
                         log + "\n");
  EXPECT_TRUE(exists("site.text"));
  EXPECT_EQ(read_file("site.text"), "");

  // Scan-and-list makes no report file.
  EXPECT_EQ(run({"-act", "L", path("site.csv")}), 0);
  EXPECT_EQ(shown().find("reporting to"), std::string::npos);
}

}  // namespace
}  // namespace vud
