# Record, packet and time routines; the converter entry, CSV writer and listing.
add_library(jex_utils STATIC ${CMAKE_CURRENT_SOURCE_DIR}/JexUtils.cc)
target_include_directories(jex_utils PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(jex_utils PRIVATE vud_warnings)

find_package(Threads REQUIRED)
add_library(jex_converter STATIC
  ${CMAKE_CURRENT_SOURCE_DIR}/JexCsv.cc
  ${CMAKE_CURRENT_SOURCE_DIR}/jex2csv.cc)
target_link_libraries(jex_converter PUBLIC jex_utils Threads::Threads PRIVATE vud_warnings)

add_executable(jex2csv ${CMAKE_CURRENT_SOURCE_DIR}/main.cc)
target_link_libraries(jex2csv PRIVATE jex_converter vud_warnings)
install(TARGETS jex2csv)

vud_add_test(jex_utils_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/JexUtils_test.cc
  LIBS jex_utils)
vud_add_test(jex2csv_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/jex2csv_test.cc
  LIBS jex_converter)
vud_add_test(jex_csv_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/JexCsv_test.cc
  LIBS jex_converter)
# Seeded random inputs for the date-time reader, the command line and decoding,
# compared with the plain rendering the end-to-end tests also use.
vud_add_test(jex2csv_fuzz_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/jex2csv_fuzz_test.cc
  LIBS jex_converter)

# libFuzzer harness over the date-time reader, the command line and decoding.
if(VUD_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  add_executable(jex2csv_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_jex2csv.cc)
  target_compile_options(jex2csv_fuzz PRIVATE -fsanitize=fuzzer)
  target_link_options(jex2csv_fuzz PRIVATE -fsanitize=fuzzer)
  target_link_libraries(jex2csv_fuzz PRIVATE jex_converter vud_warnings)
endif()
