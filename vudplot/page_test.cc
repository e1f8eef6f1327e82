// Tests of the page: charts grouped by measurement, one path per sensor, gaps
// as separate pieces of a path, distinct colours, and text made safe for HTML.
#include "vudplot/page.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace vudplot {
namespace {

std::size_t count(const std::string& s, std::string_view what) {
  std::size_t n = 0;
  for (std::size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + 1)) ++n;
  return n;
}

// The d attribute of the path of `sensor` in chart `number`.
std::string path_of(const std::string& page, int number, std::string_view sensor) {
  const std::size_t chart = page.find("id=\"chart" + std::to_string(number) + "\"");
  const std::size_t p = page.find("data-sensor=\"" + std::string(sensor) + "\"", chart);
  const std::size_t d = page.find(" d=\"", p) + 4;
  return page.substr(d, page.find('"', d) - d);
}

ReportHead two_sensor_head() {
  ReportHead h;
  h.title = "Vantrel summary from QTV";
  split_column_line(
      "JulianTime,yyyy-mm-dd,hh:mm,A0000002_degC,A0000002_RH,B0000001_degC,B0000001_RH,", h);
  return h;
}

TEST(ChartsOf, GroupsTheColumnsByMeasurement) {
  const ReportHead h = two_sensor_head();
  const std::vector<Chart> charts = charts_of(h);
  ASSERT_EQ(charts.size(), 2u);
  EXPECT_EQ(charts[0].measurement, "degC");
  EXPECT_EQ(charts[1].measurement, "RH");
  ASSERT_EQ(charts[1].lines.size(), 2u);
  EXPECT_EQ(charts[1].lines[0].column, 1);
  EXPECT_EQ(charts[1].lines[1].column, 3);
  EXPECT_EQ(charts[1].lines[1].sensor, 1);
  EXPECT_EQ(heading_of("degC"),
            "Temperature (\xC2\xB0"
            "C)");
  EXPECT_EQ(heading_of("dbA"), "Audio (dBA)");
  EXPECT_EQ(heading_of("volts"), "volts");
}

TEST(WritePage, DrawsOnePathPerSensorWithItsGaps) {
  Plot plot;
  plot.name = "site.text";
  plot.head = two_sensor_head();
  plot.charts = charts_of(plot.head);
  plot.t0 = plot.first = 0;
  plot.t1 = plot.last = 3600;
  plot.rows = 4;
  // A0000002: two pieces, the second a single value; B0000001: never heard.
  Reducer& a = plot.charts[0].lines[0].values;
  a.add(0, 20);
  a.add(1, 22);
  a.gap();
  a.add(500, 21);
  a.finish();
  plot.charts[1].lines[0].values.add(0, 50);
  plot.charts[1].lines[0].values.add(909, 60);
  for (Chart& c : plot.charts)
    for (Line& l : c.lines) l.values.finish();
  plot.notes.push_back("3 values are 'NaN' <here>");

  std::string page;
  write_page(plot, page);
  EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_EQ(page.substr(page.size() - 8), "</html>\n");
  EXPECT_EQ(count(page, "<svg class=\"chart\""), 2u);
  EXPECT_EQ(count(page, "<path class=\"line\""), 4u);
  EXPECT_NE(page.find("3 values are &#39;NaN&#39; &lt;here&gt;"), std::string::npos);
  // No network, nothing outside the page.
  EXPECT_EQ(page.find("http"), std::string::npos);
  EXPECT_EQ(page.find("src="), std::string::npos);

  // Temperature axis 20..22: one piece of two buckets, then a dash for the
  // lone value (x = 70 + column + 0.5; y = 12 + (hi - v) / (hi - lo) * 244).
  const std::string pa = path_of(page, 1, "A0000002");
  EXPECT_EQ(count(pa, "M"), 2u) << pa;
  EXPECT_EQ(pa.rfind("M70.5 ", 0), 0u) << pa;
  EXPECT_NE(pa.find("L71.5 "), std::string::npos) << pa;
  EXPECT_NE(pa.find("M569 "), std::string::npos) << pa;  // 570.5 less half the dash
  EXPECT_EQ(pa.substr(pa.size() - 2), "h3") << pa;
  EXPECT_EQ(path_of(page, 1, "B0000001"), "");
  EXPECT_EQ(path_of(page, 2, "A0000002"), "M70.5 256L979.5 12");
  EXPECT_NE(page.find("B0000001 (no values)"), std::string::npos);
}

TEST(WritePage, SaysWhenAChartHasNothingToDraw) {
  Plot plot;
  plot.name = "a&b.text";
  split_column_line("JulianTime,yyyy-mm-dd,hh:mm,s007_dbA", plot.head);
  plot.charts = charts_of(plot.head);
  plot.t1 = plot.last = 600;
  plot.charts[0].lines[0].values.finish();
  std::string page;
  write_page(plot, page);
  EXPECT_NE(page.find("no values to draw"), std::string::npos);
  EXPECT_NE(page.find("<h1>a&amp;b.text</h1>"), std::string::npos);
  EXPECT_EQ(count(page, "<path class=\"line\""), 1u);
}

TEST(ColourOf, GivesSeventySensorsDistinctColours) {
  std::set<std::string> seen;
  for (int n = 0; n < 70; ++n) {
    const std::string c = colour_of(n);
    ASSERT_EQ(c.size(), 7u) << n;
    EXPECT_EQ(c[0], '#') << n;
    EXPECT_TRUE(seen.insert(c).second) << n << " repeats " << c;
  }
}

}  // namespace
}  // namespace vudplot
