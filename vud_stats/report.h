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
std::string column_header_line(const RunState& r);

// Writes the title, the header block and the column-header line to channel
// rs.iuf. Returns kRunGoesOn, or 1 after a failed write.
std::int32_t write_report_header(RunState& r);

// The second pass: reopens the log and works through it to its end, then
// writes "# end" and releases both files. It passes over the same lines as
// the survey (TimeGuard), naming those past the lines the survey read.
// Returns 0, or 1 when the log cannot be reopened or a write fails.
std::int32_t report_pass(RunState& r);

// Decodes r.loutstr in the report pass and stores its readings. Returns false
// for a skipped line (excluded, unknown, restricted away, repeated, corrupt,
// too many packets left), which changes no stored reading.
bool decode_line(RunState& r);

// Converts the line's stamp again (where needed) and assigns the reading to a
// step in the regime of the run. Returns false for a dropped reading. The
// step label is made by write_row_if_due, for the rows it writes.
bool assign_step(RunState& r);

// Counts the reading and writes a row when one is due and its step was not
// already written; the row's step label (dateafive) is made from the stamp of
// the reading (r.v.datea) and the step it was assigned to. Returns kRunGoesOn,
// or 1 after a failed write.
std::int32_t write_row_if_due(RunState& r);

// Whether a row is due after howmanynow readings (before the same-step check).
bool row_due(const RunState& r);

// Fills r.tabular with the values of one row and sets r.itotcolumns.
void fill_row_values(RunState& r);

// The text of one row (its continuation lines joined by line ends).
std::string row_text(RunState& r);

}  // namespace vud

#endif  // VUD_STATS_REPORT_H_
