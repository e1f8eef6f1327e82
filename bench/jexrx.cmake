# Benchmark of jexrx: run by hand, prints records per second of jexrx alone
# and of the pipeline jexrx | jex2csv -s against jex2csv alone.
add_executable(jexrx_bench ${CMAKE_CURRENT_SOURCE_DIR}/jexrx_bench.cc)
target_link_libraries(jexrx_bench PRIVATE vud_warnings)
target_compile_definitions(jexrx_bench PRIVATE
  JEXRX_BIN="$<TARGET_FILE:jexrx>" JEX2CSV_BIN="$<TARGET_FILE:jex2csv>"
  JEXCAPGEN_BIN="$<TARGET_FILE:jexcapgen>")
add_dependencies(jexrx_bench jexrx jex2csv jexcapgen)
