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

# vudstats beside the analyst's Python script (the shared bench folder, see
# jex2csv.cmake): 'cmake --build <dir> --target bench_vudstats_ratio' prints
# both times on the same 1,000,000-line QTV 2 log in one interleaved run, their
# ratio against the target of 10x, and the lines per second on a MOLVA log.
set(VUD_SHARED_BENCH "${PROJECT_SOURCE_DIR}/../shared/bench" CACHE PATH
    "Folder of the reference contestants for the benchmarks")
if(TARGET vudstats AND TARGET vudloggen AND EXISTS ${VUD_SHARED_BENCH}/py_fivemin.py)
  add_custom_target(bench_vudstats_ratio
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/vudstats_ratio.sh
            $<TARGET_FILE:vudstats> $<TARGET_FILE:vudloggen> ${VUD_SHARED_BENCH}
            ${CMAKE_CURRENT_BINARY_DIR}/vudstats_ratio
    DEPENDS vudloggen vudstats
    USES_TERMINAL
    COMMENT "vudstats against the Python script on a 1,000,000-line QTV 2 log")
endif()
