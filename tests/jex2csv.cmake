# End-to-end tests of jex2csv.
vud_add_test(jex2csv_e2e_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/jex2csv_e2e_test.cc)
if(TARGET jex2csv_e2e_test)
  target_compile_definitions(jex2csv_e2e_test PRIVATE
    JEX2CSV_BIN="$<TARGET_FILE:jex2csv>" JEXCAPGEN_BIN="$<TARGET_FILE:jexcapgen>")
  add_dependencies(jex2csv_e2e_test jex2csv jexcapgen)
endif()
