// Tests of the stages of vudplot on small reports in a scratch directory: the
// two passes (time span, gaps, sensors not heard yet, values that cannot be
// drawn, a report cut short) and the run as a whole (status, messages, the
// page written whole or not at all, no file replaced unasked).
#include "vudplot/vudplot.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "vudplot/reduce_shape.h"

namespace vudplot {
namespace {

constexpr const char* kHead =
    "Vantrel summary from QTV\nnumber of sensors  2\ninclude,degC\nignore,Lux\ninclude,RH\n"
    "ignore,PIR\nignore,SW\nsensor list A0000002,B0000001\n"
    "JulianTime,yyyy-mm-dd,hh:mm,A0000002_degC,A0000002_RH,B0000001_degC,B0000001_RH,\n";

class VudplotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string templ = (std::filesystem::temp_directory_path() / "vudplot-test.XXXXXX").string();
    ASSERT_NE(mkdtemp(templ.data()), nullptr);
    dir_ = templ;
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  void write(const std::string& name, const std::string& text) const {
    std::ofstream(path(name), std::ios::binary) << text;
  }
  std::string read(const std::string& name) const {
    std::ifstream f(path(name), std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
  }
  std::vector<std::string> files() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir_))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  // Both passes over the report `text`, as run_vudplot makes them.
  bool passes(const std::string& text, Plot& plot, RowSurvey& sv, std::string& why) {
    write("r.text", text);
    std::FILE* f = std::fopen(path("r.text").c_str(), "rb");
    bool ok;
    {
      LineReader in(f);
      ok = read_head(in, plot.head, why) && survey_rows(in, plot.head, sv, why);
    }
    if (ok) {
      std::fseek(f, 0, SEEK_SET);
      LineReader again(f);
      ReportHead head;
      read_head(again, head, why);
      plot.charts = charts_of(plot.head);
      plot.t0 = sv.first;
      plot.t1 = sv.last;
      ok = draw_rows(again, sv, plot, why);
    }
    std::fclose(f);
    return ok;
  }

  // Runs vudplot with `args` (the scratch directory as working directory).
  int run(std::vector<std::string> args) {
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
    args.insert(args.begin(), "vudplot");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::testing::internal::CaptureStderr();
    const int status = run_vudplot(static_cast<int>(args.size()), argv.data());
    err_ = ::testing::internal::GetCapturedStderr();
    std::filesystem::current_path(here);
    return status;
  }

  std::string dir_, err_;
};

TEST_F(VudplotTest, SurveyFindsTheSpanAndTheUsualInterval) {
  Plot plot;
  RowSurvey sv;
  std::string why;
  ASSERT_TRUE(passes(std::string(kHead) + "356.541656,2014/12/22,13:00,1,2,3,4\n"
                                          "356.545135,2014/12/22,13:05,1,2,3,4\n"
                                          "356.548615,2014/12/22,13:10,1,2,3,4\n"
                                          "356.552094,2014/12/22,13:15,1,2,3,4\n"
                                          "356.555573,2014/12/22,13:20,1,2,3,4\n"
                                          "# end\n",
                     plot, sv, why))
      << why;
  EXPECT_EQ(sv.rows, 5);
  EXPECT_EQ(sv.last - sv.first, 20 * 60);
  EXPECT_EQ(sv.gap, kLeastGap);
  EXPECT_TRUE(sv.closed);
  EXPECT_EQ(sv.dropped_line, 0);
  EXPECT_TRUE(plot.notes.empty());
  // Usual interval an hour: lines break after three hours without a row.
  std::vector<std::int64_t> minutes(24 * 60 + 1, 0);
  minutes[60] = 10;
  minutes[5] = 2;
  EXPECT_EQ(gap_of(minutes), 3 * 3600);
}

TEST_F(VudplotTest, LinesBreakAtTimeGapsAndStartWhenASensorIsHeard) {
  Plot plot;
  RowSurvey sv;
  std::string why;
  // B0000001 is not heard until 13:15 (0 in all its columns before, and no
  // values at 13:05); the rows jump from 13:15 to 16:00, and B0000001's RH is
  // 'NaN' at 16:05.
  ASSERT_TRUE(passes(std::string(kHead) +
                         "356.541656,2014/12/22,13:00,20.000,50.000,0.00,0.00\n"
                         "356.545135,2014/12/22,13:05,21.000,51.000\n"
                         "356.548615,2014/12/22,13:10,22.000,52.000,0.00,0.00\n"
                         "356.552094,2014/12/22,13:15,23.000,53.000,0.00,41.000\n"
                         "356.666656,2014/12/22,16:00,24.000,54.000,19.000,42.000\n"
                         "356.670135,2014/12/22,16:05,25.000,55.000,20.000,NaN\n"
                         "356.673615,2014/12/22,16:10,26.000,56.000,21.000,44.000\n"
                         "# end\n",
                     plot, sv, why))
      << why;
  // Columns: 190 minutes over 910 pixel columns.
  auto col = [&](int minutes_after) {
    return std::to_string(column_of(sv.first + minutes_after * 60, sv.first, sv.last, kColumns));
  };
  EXPECT_EQ(shape(plot.charts[0].lines[0].values),
            "|0:20/20 " + col(5) + ":21/21 " + col(10) + ":22/22 " + col(15) + ":23/23 |" +
                col(180) + ":24/24 " + col(185) + ":25/25 " + col(190) + ":26/26");
  // B0000001's temperature is 0.00 at 13:15 but counts: the sensor is heard then.
  EXPECT_EQ(shape(plot.charts[0].lines[1].values), "|" + col(15) + ":0/0 |" + col(180) + ":19/19 " +
                                                       col(185) + ":20/20 " + col(190) + ":21/21");
  EXPECT_EQ(shape(plot.charts[1].lines[1].values),
            "|" + col(15) + ":41/41 |" + col(180) + ":42/42 |" + col(190) + ":44/44");
  ASSERT_EQ(plot.notes.size(), 2u);
  EXPECT_EQ(plot.notes[0],
            "1 value is 'NaN' or 'Infinity' and not drawn; the lines have gaps there "
            "(B0000001_RH: 1).");
  EXPECT_EQ(plot.notes[1],
            "1 row has fewer values than the report has columns; the lines have gaps there.");
}

TEST_F(VudplotTest, AReportCutShortLosesOnlyItsIncompleteLastRow) {
  struct Case {
    const char* what;
    std::string tail;
    std::int64_t rows, dropped;
  };
  const Case kCases[] = {
      {"cut in the middle of a value", "356.545135,2014/12/22,13:05,21.000,51.000,18.000,4", 1, 11},
      {"cut after a comma", "356.545135,2014/12/22,13:05,21.000,51.000,\n", 1, 11},
      {"cut after a whole row", "356.545135,2014/12/22,13:05,21.000,51.000,18.000,40.000\n", 2, 0},
  };
  for (const Case& c : kCases) {
    Plot plot;
    RowSurvey sv;
    std::string why;
    ASSERT_TRUE(passes(
        std::string(kHead) + "356.541656,2014/12/22,13:00,20.000,50.000,17.0,39.0\n" + c.tail, plot,
        sv, why))
        << c.what << ": " << why;
    EXPECT_EQ(sv.rows, c.rows) << c.what;
    EXPECT_EQ(sv.dropped_line, c.dropped) << c.what;
    EXPECT_FALSE(sv.closed) << c.what;
    EXPECT_EQ(plot.charts[0].lines[0].values.buckets().size(), static_cast<std::size_t>(c.rows))
        << c.what;
    EXPECT_EQ(plot.notes[0].rfind("The report does not end with its closing line", 0), 0u)
        << c.what;
    if (c.dropped != 0) {
      ASSERT_EQ(plot.notes.size(), 2u) << c.what;
      EXPECT_EQ(plot.notes[1], "The last row (line 11) is incomplete and is not drawn.") << c.what;
    }
  }
}

TEST_F(VudplotTest, WritesThePageBesideTheReport) {
  write("site.text", std::string(kHead) + "356.541656,2014/12/22,13:00,20.0,50.0,17.0,39.0\n" +
                         "356.545135,2014/12/22,13:05,21.0,51.0,18.0,40.0\n# end\n");
  ASSERT_EQ(run({"site.text"}), 0) << err_;
  EXPECT_EQ(err_, "");
  EXPECT_EQ(files(), (std::vector<std::string>{"site.html", "site.text"}));
  const std::string page = read("site.html");
  EXPECT_NE(page.find("<h1>site.text</h1>"), std::string::npos);
  EXPECT_NE(page.find("22 Dec 2014 13:00 to 22 Dec 2014 13:05 (5 min), 2 rows, 2 sensors"),
            std::string::npos);

  // The page now exists: a second run does not replace it unless it is named.
  write("site.html", "mine");
  EXPECT_EQ(run({"site.text"}), 1);
  EXPECT_EQ(err_, "vudplot: site.html exists; name it with -o to replace it\n");
  EXPECT_EQ(read("site.html"), "mine");
  EXPECT_EQ(run({"-o", "site.html", "site.text"}), 0) << err_;
  EXPECT_EQ(read("site.html"), page);
  EXPECT_EQ(run({"-o", "site.text", "site.text"}), 1);
  EXPECT_EQ(err_, "vudplot: site.text is the report itself; name another page with -o\n");
  EXPECT_EQ(files(), (std::vector<std::string>{"site.html", "site.text"}));
}

TEST_F(VudplotTest, BadInputEndsWithAMessageAndNoPage) {
  struct Case {
    const char* what;
    std::string text;
    std::string message;
  };
  const Case kCases[] = {
      {"a log, not a report", "2014/12/22,13:00:10,B0000001,-61,1,1,0,2950,51.20,215,120,14,5,0\n",
       "vudplot: bad.text: is not a vudstats report (no column-name line "
       "'JulianTime,yyyy-mm-dd,hh:mm,...' in its first 16 lines)\n"},
      {"an empty file", "",
       "vudplot: bad.text: is not a vudstats report (no column-name line "
       "'JulianTime,yyyy-mm-dd,hh:mm,...' in its first 16 lines)\n"},
      {"no rows", std::string(kHead) + "# end\n",
       "vudplot: bad.text: the report holds no rows: nothing to draw\n"},
      {"only an incomplete row", std::string(kHead) + "356.541656,2014/12/22,13:00,20.0,5",
       "vudplot: bad.text: the report holds no complete row: nothing to draw\n"},
      {"no value columns", "JulianTime,yyyy-mm-dd,hh:mm,\n356.541656,2014/12/22,13:00\n",
       "vudplot: bad.text: the column-name line names no value columns: nothing to draw\n"},
  };
  for (const Case& c : kCases) {
    write("bad.text", c.text);
    EXPECT_EQ(run({"bad.text"}), 1) << c.what;
    EXPECT_EQ(err_, c.message) << c.what;
    EXPECT_EQ(files(), std::vector<std::string>{"bad.text"}) << c.what;
  }
  EXPECT_EQ(run({"missing.text"}), 1);
  EXPECT_EQ(err_, "vudplot: missing.text: cannot open: No such file or directory\n");
  EXPECT_EQ(run({"-x", "bad.text"}), 1);
  EXPECT_EQ(err_.rfind("vudplot: unknown option -x\nusage: vudplot", 0), 0u) << err_;
  EXPECT_EQ(run({}), 1);
  EXPECT_EQ(err_.rfind("vudplot: no report given\nusage: vudplot", 0), 0u) << err_;
}

TEST_F(VudplotTest, APageThatCannotBeWrittenLeavesNothingBehind) {
  write("site.text",
        std::string(kHead) + "356.541656,2014/12/22,13:00,20.0,50.0,17.0,39.0\n# end\n");
  EXPECT_EQ(run({"-o", "no/such/dir/site.html", "site.text"}), 1);
  EXPECT_EQ(err_, "vudplot: cannot write no/such/dir/site.html: No such file or directory\n");
  std::filesystem::create_directory(path("page.html"));
  EXPECT_EQ(run({"-o", "page.html", "site.text"}), 1);
  EXPECT_EQ(err_, "vudplot: cannot write page.html: Is a directory\n");
  EXPECT_EQ(files(), (std::vector<std::string>{"page.html", "site.text"}));
}

TEST(DefaultPageName, ReplacesTheExtension) {
  EXPECT_EQ(default_page_name("site.text"), "site.html");
  EXPECT_EQ(default_page_name("sample_molva.logtext"), "sample_molva.html");
  EXPECT_EQ(default_page_name("dir.d/site-007.text"), "dir.d/site-007.html");
  EXPECT_EQ(default_page_name("dir.d/report"), "dir.d/report.html");
  EXPECT_EQ(default_page_name(".hidden"), ".hidden.html");
}

}  // namespace
}  // namespace vudplot
