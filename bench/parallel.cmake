# Speed-up of the README's many-files recipe (xargs -P over a folder of
# captures) against one file at a time: 'cmake --build <dir> --target
# bench_parallel', or bench/parallel_bench.sh BUILD_DIR on any build folder.
if(TARGET jexcapgen AND TARGET jex2csv AND TARGET vudstats)
  add_custom_target(bench_parallel
    COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/parallel_bench.sh ${PROJECT_BINARY_DIR}
    DEPENDS jexcapgen jex2csv vudstats
    USES_TERMINAL
    COMMENT "jex2csv and vudstats over many files: xargs -P against one at a time")
endif()
