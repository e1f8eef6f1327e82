# Benchmark of jex2csv: run by hand, prints the capture throughput in MB/s.
add_executable(jex2csv_bench ${CMAKE_CURRENT_SOURCE_DIR}/jex2csv_bench.cc)
target_link_libraries(jex2csv_bench PRIVATE vud_warnings)
target_compile_definitions(jex2csv_bench PRIVATE
  JEX2CSV_BIN="$<TARGET_FILE:jex2csv>" JEXCAPGEN_BIN="$<TARGET_FILE:jexcapgen>")
add_dependencies(jex2csv_bench jex2csv jexcapgen)
