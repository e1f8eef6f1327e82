# End-to-end tests of jexrx, with jexcapgen's enciphered captures and jex2csv.
vud_add_test(jexrx_e2e_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/jexrx_e2e_test.cc)
if(TARGET jexrx_e2e_test)
  target_compile_definitions(jexrx_e2e_test PRIVATE
    JEXRX_BIN="$<TARGET_FILE:jexrx>" JEX2CSV_BIN="$<TARGET_FILE:jex2csv>"
    JEXCAPGEN_BIN="$<TARGET_FILE:jexcapgen>")
  add_dependencies(jexrx_e2e_test jexrx jex2csv jexcapgen)
endif()
