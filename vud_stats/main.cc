// Entry of the log statistics tool (both builds).
#include "vud_stats/vudstats.h"
#include "vud_support/console/channels.h"

int main(int argc, char** argv) { vud::end_program(vud::run_vudstats(argc, argv)); }
