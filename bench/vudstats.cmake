# Benchmark of vudstats: 'cmake --build <dir> --target bench_vudstats' generates
# a 1,000,000-line and an 80,000-line QTV 2 log and prints lines per second
# of wall-clock and of processor time.
# Not part of ctest; build the tree in Release for a meaningful figure.
if(TARGET vudstats AND TARGET vudloggen)
  add_custom_target(bench_vudstats
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/vudstats_bench.sh
            $<TARGET_FILE:vudloggen> $<TARGET_FILE:vudstats>
            ${CMAKE_CURRENT_BINARY_DIR}/vudstats_bench
    DEPENDS vudloggen vudstats
    USES_TERMINAL
    COMMENT "vudstats throughput on generated QTV 2 logs")
endif()
