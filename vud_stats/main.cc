// Entry of the log statistics tool (both builds).
#include "vud_stats/vudstats.h"
#include "vud_support/console/channels.h"

int main(int argc, char** argv) {
  // Before any file is opened: a closed standard stream must not hand its
  // descriptor to the log.
  vud::open_closed_standard_streams();
  vud::end_program(vud::run_vudstats(argc, argv));
}
