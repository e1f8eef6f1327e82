// The report file: title, header block and column-header line, then a second
// pass over the log that decodes every line, stores the converted readings
// per sensor, assigns each reading to a five-minute step and writes one
// comma-separated row when a step is due, and finally "# end".
#ifndef VUD_STATS_REPORT_H_
#define VUD_STATS_REPORT_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "vud_stats/vudstats.h"
#include "vud_support/text/fixed_text.h"

namespace vud {

// Copies string (up to its trimmed length) into name without blanks, tabs and
// zero bytes, stopping at any other control character or when name is full;
// every "&" becomes "_". name is blanked first.
void stblanks(std::string_view string, Field name);

// The report title of an action letter ("" for an undetected layout "-").
std::string_view report_title(char letter);

// The column-header line as written to the report.
std::string column_header_line(const RunSettings& rs, const SurveyResult& sv);

// Writes the title, the header block and the column-header line to channel
// rs.iuf. Returns kRunGoesOn, or 1 after a failed write.
std::int32_t write_report_header(const RunSettings& rs, const SurveyResult& sv);

// The second pass: reopens the log and works through it to its end, then
// writes "# end" and releases both files. It passes over the same lines as
// the survey (TimeGuard), naming those past the lines the survey read. The
// step starts from the survey's first hour mark; cur goes on from the line
// the survey left. Returns 0, or 1 when the log cannot be reopened or a write
// fails.
std::int32_t report_pass(const RunSettings& rs, const DayFractions& df, const SurveyResult& sv,
                         LineState& cur);

// Decodes cur.loutstr in the report pass into cur and stores its readings in
// r. Returns false for a skipped line (excluded, unknown, restricted away,
// repeated, corrupt, too many packets left), which changes no stored reading.
bool decode_line(const RunSettings& rs, const SurveyResult& sv, LineState& cur, ReportState& r);

// Converts the line's stamp again (where needed) and assigns the reading to a
// step of r in the regime of the run. Returns false for a dropped reading.
// The step label is made by write_row_if_due, for the rows it writes.
bool assign_step(const RunSettings& rs, const DayFractions& df, const SurveyResult& sv,
                 LineState& cur, ReportState& r);

// Counts the reading and writes a row when one is due and its step was not
// already written; the row's step label (dateafive) is made from the stamp of
// the reading (cur.v.datea) and the step it was assigned to. Returns
// kRunGoesOn, or 1 after a failed write.
std::int32_t write_row_if_due(const RunSettings& rs, const DayFractions& df, const SurveyResult& sv,
                              const LineValues& v, ReportState& r);

// Whether a row is due after howmanynow readings, the last of a line of
// version iver (before the same-step check).
bool row_due(const RunSettings& rs, const SurveyResult& sv, std::int32_t iver,
             std::int32_t howmanynow);

// Fills r.tabular with the values of one row and sets r.itotcolumns.
void fill_row_values(const RunSettings& rs, const SurveyResult& sv, ReportState& r);

}  // namespace vud

#endif  // VUD_STATS_REPORT_H_
