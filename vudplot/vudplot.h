// vudplot/vudplot.h: the stages of vudplot, which reads a report written by
// vudstats or vudstats64 and writes one self-contained HTML page of charts.
#ifndef VUDPLOT_VUDPLOT_H_
#define VUDPLOT_VUDPLOT_H_

#include <cstdint>
#include <string>
#include <vector>

#include "vudplot/page.h"
#include "vudplot/report.h"

namespace vudplot {

// What the command line asks for.
struct Options {
  std::string report;       // the report to read
  std::string page;         // the page to write; "-" for the standard output
  bool page_named = false;  // the user named the page (-o): it may replace a file
};

// Reads the command line. Returns false when the run ends here, with its
// status in `status` (0 after -h, 1 after a usage error, shown on standard error).
bool parse_options(int argc, char** argv, Options& opt, int& status);

// The page beside a report: "site.text" gives "site.html", "site.logtext"
// gives "site.html", a name without an extension gets ".html".
std::string default_page_name(const std::string& report);

// What the first pass over the rows finds.
struct RowSurvey {
  std::int64_t rows = 0;             // rows to draw
  std::int64_t first = 0, last = 0;  // earliest and latest row time
  std::int64_t gap = 0;              // rows further apart than this break the lines
  bool closed = false;               // the report ends with "# end"
  std::int64_t dropped_line = 0;     // line of an incomplete last row left out (0: none)
  std::int64_t stray_lines = 0;      // lines that are neither rows nor comments
  std::int64_t first_stray = 0;
};

// Rows further apart than this break a line, at the least.
inline constexpr std::int64_t kLeastGap = 15 * 60;

// The gap from the usual interval between rows (the median of the intervals
// that are not 0, in minutes, counted in `minutes`; the last entry counts the
// intervals of that many minutes or more): three usual intervals, at least kLeastGap.
std::int64_t gap_of(const std::vector<std::int64_t>& minutes);

// First pass: reads the rows after the head for their times, finds the time
// span, the usual interval between rows and how the report ends. Returns false
// with a message in `why` when no row can be drawn.
bool survey_rows(LineReader& in, const ReportHead& head, RowSurvey& sv, std::string& why);

// Second pass: reads the rows after the head again and feeds every value into
// the line of its column, breaking lines at gaps. A sensor's values count from
// its first row with a value other than 0 (a sensor not heard yet shows 0 in
// every column). Adds to `plot.notes` what could not be drawn.
bool draw_rows(LineReader& in, const RowSurvey& sv, Plot& plot, std::string& why);

// Writes the page: to a temporary file beside `opt.page`, renamed to it when
// complete. Refuses to replace an existing file the user did not name.
bool save_page(const Options& opt, const std::string& page, std::string& why);

// The whole run: options, report head, both passes, page. Returns the exit status.
int run_vudplot(int argc, char** argv);

}  // namespace vudplot

#endif  // VUDPLOT_VUDPLOT_H_
