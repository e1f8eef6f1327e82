// vudplot/page.h: the charts of a report and the HTML page that shows them:
// one inline SVG chart per measurement, one line per sensor, a legend, and a
// few lines of script for a read-out of the time and value under the pointer.
#ifndef VUDPLOT_PAGE_H_
#define VUDPLOT_PAGE_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "vudplot/reduce.h"
#include "vudplot/report.h"

namespace vudplot {

// Chart geometry, in pixels of the page: the plotting area starts kLeft from the
// chart's left edge and holds kColumns pixel columns.
inline constexpr int kChartWidth = 1000;
inline constexpr int kChartHeight = 300;
inline constexpr int kLeft = 70, kRight = 20, kTop = 12, kBottom = 44;
inline constexpr int kColumns = kChartWidth - kLeft - kRight;
inline constexpr int kPlotHeight = kChartHeight - kTop - kBottom;
// At most this many time ticks: labels need about 70 pixels each.
inline constexpr int kMostTimeTicks = kColumns / 70 + 1;

// One line of a chart: a sensor's values of one measurement.
struct Line {
  int sensor = 0;  // entry in ReportHead::sensors
  int column = 0;  // value column of the report
  Reducer values;
};

// One chart: the columns of one measurement ("degC", "Lux", "RH", "PIR", "SW",
// "dbA" or whatever the column names end in).
struct Chart {
  std::string measurement;
  std::vector<Line> lines;
};

// What the page shows.
struct Plot {
  std::string name;  // the report's file name, as the title
  ReportHead head;
  std::int64_t t0 = 0, t1 = 0;       // the time axis (civil seconds)
  std::int64_t first = 0, last = 0;  // the times of the first and last rows
  std::int64_t rows = 0;
  std::vector<Chart> charts;
  std::vector<std::string> notes;  // what could not be drawn, in plain words
};

// Groups the value columns of `head` into charts, in the order their
// measurements first appear; each chart has one line per column.
std::vector<Chart> charts_of(const ReportHead& head);

// Heading of a measurement's chart: "Temperature (°C)", "Light (lux)"...
std::string heading_of(std::string_view measurement);

// Colour of the n-th sensor (0-based) as "#rrggbb": twelve distinct colours,
// then further hues.
std::string colour_of(int n);

// Writes the whole page into `out` (replacing what it held).
void write_page(const Plot& plot, std::string& out);

// Appends `s` with the characters that have a meaning in HTML written as entities.
void append_escaped(std::string& out, std::string_view s);

// "3 Jun 2015 13:05".
std::string time_text(std::int64_t t);

}  // namespace vudplot

#endif  // VUDPLOT_PAGE_H_
