# Benchmark of jex2csv: 'cmake --build <dir> --target jex2csv_bench', then run
# <dir>/bench/jex2csv_bench [records] [rounds]. It times the conversion in one
# interleaved run beside the yardsticks of the shared bench folder (a sibling
# of the project: ../shared/bench), built here from their sources exactly as
# their README says, and prints the ratios. Not part of ctest; build the tree
# in Release for a meaningful figure.
set(VUD_SHARED_BENCH "${PROJECT_SOURCE_DIR}/../shared/bench" CACHE PATH
    "Folder of the reference contestants for the benchmarks")

if(NOT EXISTS ${VUD_SHARED_BENCH}/fast_jex2csv.cpp OR NOT EXISTS ${VUD_SHARED_BENCH}/floor_io.cpp)
  message(STATUS "jex2csv_bench not built: no reference contestants in ${VUD_SHARED_BENCH}")
  return()
endif()

set(_jex_fast ${CMAKE_CURRENT_BINARY_DIR}/fast_jex2csv)
set(_jex_floor ${CMAKE_CURRENT_BINARY_DIR}/floor_io)
add_custom_command(OUTPUT ${_jex_fast}
  COMMAND ${CMAKE_CXX_COMPILER} -O2 -std=c++17 -o ${_jex_fast} ${VUD_SHARED_BENCH}/fast_jex2csv.cpp
  DEPENDS ${VUD_SHARED_BENCH}/fast_jex2csv.cpp
  COMMENT "Building the hand-tuned converter from ${VUD_SHARED_BENCH}")
add_custom_command(OUTPUT ${_jex_floor}
  COMMAND ${CMAKE_CXX_COMPILER} -O2 -o ${_jex_floor} ${VUD_SHARED_BENCH}/floor_io.cpp
  DEPENDS ${VUD_SHARED_BENCH}/floor_io.cpp
  COMMENT "Building the bare-I/O floor from ${VUD_SHARED_BENCH}")
add_custom_target(jex2csv_yardsticks DEPENDS ${_jex_fast} ${_jex_floor})

add_executable(jex2csv_bench ${CMAKE_CURRENT_SOURCE_DIR}/jex2csv_bench.cc)
target_link_libraries(jex2csv_bench PRIVATE vud_warnings)
target_compile_definitions(jex2csv_bench PRIVATE
  JEX2CSV_BIN="$<TARGET_FILE:jex2csv>" JEX_SHARED_BENCH="${VUD_SHARED_BENCH}"
  FAST_JEX2CSV_BIN="${_jex_fast}" FLOOR_IO_BIN="${_jex_floor}")
add_dependencies(jex2csv_bench jex2csv jex2csv_yardsticks)
