// The statistics tool as a pipeline of stages: start-up and files make the
// run settings (settings), the survey pass makes the survey result (survey),
// the report header and the report pass write the report (report). Each stage
// takes what it only reads as const& and what it writes by reference; this
// header holds the data handed between them. run_vudstats runs them in order.
#ifndef VUD_STATS_VUDSTATS_H_
#define VUD_STATS_VUDSTATS_H_

#include <array>
#include <cstdint>
#include <string>
#include <unordered_set>

#include "vud_stats/layouts.h"
#include "vud_stats/settings.h"
#include "vud_stats/timeline.h"
#include "vud_stats/timestamps.h"
#include "vud_stats/value_texts.h"
#include "vud_support/text/fixed_text.h"

namespace vud {

// The most lines the survey reads.
inline constexpr std::int32_t listloop = 80000;

// Values in one report row: five per sensor.
inline constexpr std::int32_t kRowValues = 5 * kSensors;

// The sensor table of the survey, 70 entries in order of first appearance
// (envsorted and mapsentoarray are put in order after the survey).
struct SensorTables {
  SensorTables() {
    envname.fill(Text<8>("UNKNOWN "));
    envsorted.fill(Text<8>("UNKNOWN "));
  }
  Table<Text<8>, kSensors> envname, envsorted;
  Table<std::int32_t, kSensors> mapsentoarray, mapsenhits, mapsent;
  Table<float, kSensors> sensecprev, senseccur, sendeltasec, deltas;
  std::int32_t howmany = 0;
};

// What the survey pass finds, read by every later stage: the layout, the
// action letter, the sensor table with hits and typical intervals, the step
// state at the first hour mark and the sensors refused. show_survey only puts
// the tables in order.
struct SurveyResult {
  std::int32_t fileformat = kFormatMolva;
  // The action letter every later stage looks at: the one asked for, or the
  // layout's letter when "-" was asked for.
  char act = '-';
  SensorTables st;
  StepState first_mark;  // thehouris, ithehouris and thejulianis of the first hour mark
  bool foundrestricsensor = false;
  std::int32_t lines_surveyed = 0;  // log lines the survey read (the report pass warns past them)
  // Sensors refused because the table was full (QTV 2 names, or MOLVA
  // indices); their lines are skipped in both passes. Sets, so that a log
  // with many sensors past the 70th costs one look-up per line.
  std::unordered_set<std::string> refused_names;
  std::unordered_set<std::int32_t> refused_indices;
};

// The log line being worked on and what was read from it. A field or a stamp
// that fails to convert keeps the value it had on the line before, so one
// LineState serves the whole run: the first line of the report pass starts
// from the values of the survey's last line.
struct LineState {
  LogLine loutstr;  // the current log line
  LineTime time;    // its stamp, as the time line read it
  LineValues v;
  float juliand = 0, julianfrac = 0, tsec = 0;
  std::int32_t ijday = 0;
};

// What the report pass carries from line to line: the step, the readings
// stored per sensor and the row being made.
struct ReportState {
  StepState step;
  Readings rd;
  bool stamp_clean = false;           // the line's stamp was converted without a message
  std::int32_t icurrentsenarray = 0;  // sorted-table entry of the current line's sensor
  std::int32_t howmanynow = 0;        // readings matched since the last row
  Text<24> dateafive;
  std::array<float, kRowValues> tabular{};
  std::int32_t itotcolumns = 0;
  // The text of the row being written and the value texts of the run's rows,
  // kept from row to row so that neither is made afresh for each row.
  std::string row_line;
  ValueTexts row_texts;
};

// Whether a sensor was refused because the table was full.
inline bool is_refused(const SurveyResult& sv, const Text<8>& name) {
  return sv.refused_names.count(std::string(name.view())) != 0;
}
inline bool is_refused(const SurveyResult& sv, std::int32_t isen) {
  return sv.refused_indices.count(isen) != 0;
}

// Whether the report pass runs in the fast regime: the first sensor seen
// reports at most every 10 seconds. A typical interval that cannot be
// compared selects the slow regime.
inline bool fast_regime(const SurveyResult& sv) { return sv.st.deltas(1) <= 10.0F; }

// Runs the tool on the command line (argv[1] to argv[argc-1]); returns the
// exit status: 0 after the help text, the listing of action L or a finished
// report, 1 after every failed end.
int run_vudstats(int argc, const char* const* argv);

}  // namespace vud

#endif  // VUD_STATS_VUDSTATS_H_
