// The pipeline of the statistics tool: start-up, files, survey, listing or
// report, in that order over one run state.
#include "vud_stats/vudstats.h"

#include <memory>
#include <span>

#include "vud_stats/report.h"
#include "vud_stats/survey.h"

namespace vud {

int run_vudstats(int argc, const char* const* argv) {
  const std::span<const char* const> args(argv + 1,
                                          argc > 1 ? static_cast<std::size_t>(argc - 1) : 0);
  // The run state holds every table of the run; it lives on the heap only
  // because it is large.
  auto r = std::make_unique<RunState>();
  reset_datestamp_memory();

  std::int32_t status = start_up(r->rs, args);  // ezero, channels, partfa, epages, first lines
  if (status != kRunGoesOn) return status;
  set_day_fractions(r->df, r->rs.itol);  // day fractions and tolerance
  status = open_files(r->rs);            // log on 10; report on 11 unless scan-and-list
  if (status != kRunGoesOn) return status;

  survey_pass(*r);           // layout, day numbers, hits, typical intervals
  status = show_survey(*r);  // requested sensor, counts, ordering
  if (status != kRunGoesOn) return status;
  if (is_scan_and_list(act_letter(*r))) return list_sensors(*r);

  status = write_report_header(*r);  // title, header block, column names
  if (status != kRunGoesOn) return status;
  return report_pass(*r);  // one row per five-minute step, "# end"
}

}  // namespace vud
