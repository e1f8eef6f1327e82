// The pipeline of the statistics tool: start-up, files, survey, listing or
// report, in that order, each stage handed only what it uses.
#include "vud_stats/vudstats.h"

#include <memory>
#include <span>

#include "vud_stats/report.h"
#include "vud_stats/survey.h"

namespace vud {

int run_vudstats(int argc, const char* const* argv) {
  const std::span<const char* const> args(argv + 1,
                                          argc > 1 ? static_cast<std::size_t>(argc - 1) : 0);
  reset_datestamp_memory();

  RunSettings settings;
  std::int32_t status = start_up(settings, args);  // ezero, channels, partfa, epages, first lines
  if (status != kRunGoesOn) return status;
  DayFractions df;
  set_day_fractions(df, settings.itol);  // day fractions and tolerance
  status = open_files(settings);         // log on 10; report on 11 unless scan-and-list
  if (status != kRunGoesOn) return status;
  const RunSettings& rs = settings;  // read-only from here on

  // The line and survey tables live on the heap only because they are large.
  auto line = std::make_unique<LineState>();
  auto survey = std::make_unique<SurveyResult>();
  survey_pass(rs, df, *line, *survey);  // layout, day numbers, hits, typical intervals
  status = show_survey(rs, *survey);    // requested sensor, counts, ordering
  if (status != kRunGoesOn) return status;
  if (is_scan_and_list(survey->act)) return list_sensors(rs, *survey);

  status = write_report_header(rs, *survey);  // title, header block, column names
  if (status != kRunGoesOn) return status;
  return report_pass(rs, df, *survey, *line);  // one row per five-minute step, "# end"
}

}  // namespace vud
