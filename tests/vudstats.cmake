# End-to-end tests of vudstats: they run the built programs (both builds of
# vudstats, jex2csv and the log generator) in scratch directories on small logs
# and compare whole report files, terminal text and exit statuses. With
# -DVUDSTATS_M32=ON the same expectations are checked against the 32-bit build,
# and BothBuildsWriteTheSameDigits compares it with the native 64-bit variant.
if(TARGET vudstats AND TARGET vudstats64 AND TARGET jex2csv AND TARGET vudloggen AND TARGET jexcapgen)
  vud_add_test(vudstats_e2e_test
    SOURCES
      ${CMAKE_CURRENT_SOURCE_DIR}/vudstats_e2e.cc
      ${CMAKE_CURRENT_SOURCE_DIR}/vudstats_qtv2_test.cc
      ${CMAKE_CURRENT_SOURCE_DIR}/vudstats_molva_test.cc
      ${CMAKE_CURRENT_SOURCE_DIR}/vudstats_cli_test.cc
      ${CMAKE_CURRENT_SOURCE_DIR}/vudstats_builds_test.cc
      ${CMAKE_CURRENT_SOURCE_DIR}/vudstats_field_data_test.cc
      ${CMAKE_CURRENT_SOURCE_DIR}/vudstats_files_test.cc)
  if(TARGET vudstats_e2e_test)
    target_compile_definitions(vudstats_e2e_test PRIVATE
      VUDSTATS_BIN="$<TARGET_FILE:vudstats>"
      VUDSTATS64_BIN="$<TARGET_FILE:vudstats64>"
      JEX2CSV_BIN="$<TARGET_FILE:jex2csv>"
      VUDLOGGEN_BIN="$<TARGET_FILE:vudloggen>"
      JEXCAPGEN_BIN="$<TARGET_FILE:jexcapgen>"
      VUD_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    add_dependencies(vudstats_e2e_test vudstats vudstats64 jex2csv vudloggen jexcapgen)
  endif()
endif()
