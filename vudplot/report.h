// vudplot/report.h: the layout of a report written by vudstats or vudstats64:
// the header block, the column-name line and the rows, one per five-minute
// step, each holding a day number, the step's date and time and the values.
#ifndef VUDPLOT_REPORT_H_
#define VUDPLOT_REPORT_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "vudplot/lines.h"

namespace vudplot {

// One value column: "02AAF6EC_degC" is sensor "02AAF6EC", measurement "degC";
// "s023_dbA" is sensor "s023", measurement "dbA".
struct Column {
  std::string sensor;
  std::string measurement;
};

// Everything above the first row.
struct ReportHead {
  std::string title;                 // "Vantrel summary from QTV"; empty when the report has none
  std::vector<std::string> block;    // the header-block lines between title and column names
  std::vector<Column> columns;       // the value columns, in row order
  std::vector<std::string> sensors;  // sensor names in order of their first column
  std::vector<int> sensor_of;        // for each column, its entry in `sensors`
};

// The column-name line opens with these three names.
inline constexpr std::string_view kColumnLineStart = "JulianTime,yyyy-mm-dd,hh:mm,";
// The header block is at most this many lines: the column-name line must come by then.
inline constexpr int kMostHeadLines = 16;

// Reads the title, the header block and the column-name line. Returns false
// with a message in `why` when the file is not a report (no column-name line
// in the first kMostHeadLines lines, or a line that cannot be read).
bool read_head(LineReader& in, ReportHead& head, std::string& why);

// Splits a column-name line into value columns (the first three names are
// passed over). Blanks around names are dropped and empty names skipped: a
// restricted report writes a blank after "hh:mm," and one in place of each
// excluded measurement. A name without "_" is a sensor with an empty measurement.
void split_column_line(std::string_view line, ReportHead& head);

// Seconds since 1970-01-01 00:00 of a calendar date and time of day, every
// day 86400 seconds (the report's clock carries no zone).
std::int64_t civil_seconds(int year, int month, int day, int hour, int minute);
// The calendar date and time of day of `civil_seconds`.
void civil_of(std::int64_t seconds, int& year, int& month, int& day, int& hour, int& minute);

// The leading fields of a row: the day number, then the step's date and time,
// as "2014/12/22,13:00" (QTV 2 reports) or "2014-06-17 20:00" (MOLVA reports).
// On success `t` holds the step's time (civil_seconds) and `values` the rest of
// the line after the comma that ends the time. The day number must be a number
// (it may pass 365 in a report across a year end); the time is taken from the
// date column.
bool parse_row_start(std::string_view line, std::int64_t& t, std::string_view& values);

// Reads one value text of a row: "22.500", "0.00", "12346.", "0.12346E+06",
// "1.234567E+06", "NaN", "Infinity", "-Infinity". Returns false for a text that
// is no number; a true result may hold a value that is not finite.
bool parse_value(std::string_view text, float& v);

// Takes the next comma-separated field off the front of `rest`, blanks around it
// dropped. Returns false when `rest` holds no more fields.
bool next_field(std::string_view& rest, std::string_view& field);

// Reads one whole row: a row too long for one line of the report continues on
// lines that begin with a blank, which are joined to it here. (A row whose day
// number is below 100 also begins with blanks; it is a row of its own.) `row` is reused.
// Returns the status of the first line read; `ended` tells whether the row's
// last line ended with a line end.
LineStatus read_row(LineReader& in, std::string& row, bool& ended);

}  // namespace vudplot

#endif  // VUDPLOT_REPORT_H_
