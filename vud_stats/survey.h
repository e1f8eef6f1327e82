// The sensor survey: a first pass over the log that registers each sensor on
// its first line, counts its hits and measures its typical interval, then the
// survey table, the counts and the ordering of the sensors on the terminal,
// and the listing of the scan-and-list action.
#ifndef VUD_STATS_SURVEY_H_
#define VUD_STATS_SURVEY_H_

#include <cstdint>
#include <span>
#include <string>

#include "vud_stats/vudstats.h"

namespace vud {

// Reads the log on channel rs.iunit from its current position to its end (or
// for listloop lines; a longer log gets a warning line and is surveyed as if
// it ended there), computes the typical intervals and writes the survey table.
// sv is made anew: the action letter starts as rs asks. Lines whose stamp
// cannot exist or lies far off (TimeGuard) are passed over with a warning
// naming each; sv.lines_surveyed is the number of lines read. cur is left
// with the last line surveyed and its values.
void survey_pass(const RunSettings& rs, const DayFractions& df, LineState& cur, SurveyResult& sv);

// Surveys the line cur.loutstr, the lineno-th line of the log that holds a
// word and is used (blank and passed-over lines are left out before it is
// called): layout detection and the first hour mark on the first (QTV 2) or
// second (MOLVA) line, then the registration or counting of its sensor.
void survey_line(const RunSettings& rs, const DayFractions& df, std::int32_t lineno, LineState& cur,
                 SurveyResult& sv);

// The typical interval of every sensor with more than one hit: the span from
// its first to its last hit, in seconds, divided by its hits.
void typical_intervals(SensorTables& st);

// The survey table: typical intervals of every sensor with more than one hit,
// one free-format line each.
void write_survey_table(const SurveyResult& sv);

// After the pass: "ERROR: requested sensor not found" (returns 1) when a
// restricted report's sensor never appeared; otherwise the counts on the
// terminal and the ordering of the sensor table (returns kRunGoesOn).
std::int32_t show_survey(const RunSettings& rs, SurveyResult& sv);

// The listing of the scan-and-list action; returns 0.
std::int32_t list_sensors(const RunSettings& rs, const SurveyResult& sv);

// Lists as written into the header block and the listing: each name as 8
// characters and a blank, or each number right-aligned in 4 columns (with a
// blank before it when it needs all 4), rewritten with commas and trimmed.
// An empty list gives an empty text.
std::string name_list(std::span<const Text<8>> names);
std::string number_list(std::span<const std::int32_t> numbers);

}  // namespace vud

#endif  // VUD_STATS_SURVEY_H_
