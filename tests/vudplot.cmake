# The browser test of vudplot: headless Chromium opens pages made from
# generated reports and takes screenshots. Without Chromium it reports itself
# skipped (status 77), never passed.
if(VUD_BUILD_TESTS AND TARGET vudplot AND TARGET vudstats AND TARGET vudstats64 AND TARGET vudloggen)
  add_executable(vudplot_browser_test
    ${CMAKE_CURRENT_SOURCE_DIR}/vudplot_browser_test.cc
    ${CMAKE_CURRENT_SOURCE_DIR}/png_image.cc)
  target_include_directories(vudplot_browser_test PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(vudplot_browser_test PRIVATE vud_warnings)
  add_dependencies(vudplot_browser_test vudplot vudstats vudstats64 vudloggen)
  add_test(NAME vudplot_browser_test
    COMMAND vudplot_browser_test ${CMAKE_CURRENT_BINARY_DIR}/vudplot_browser
            $<TARGET_FILE:vudloggen> $<TARGET_FILE:vudstats> $<TARGET_FILE:vudstats64>
            $<TARGET_FILE:vudplot>)
  set_tests_properties(vudplot_browser_test PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 900)
  # The test looks for Chromium when it runs; say now already when it is missing.
  find_program(VUDPLOT_CHROMIUM_FOUND NAMES chromium chromium-browser)
  if(NOT VUDPLOT_CHROMIUM_FOUND)
    message(STATUS "chromium not found: vudplot_browser_test will be skipped "
                   "(install Debian's chromium package)")
  endif()
endif()

# Whole-program tests of vudplot on reports of the built vudstats and vudstats64.
if(TARGET vudplot AND TARGET vudstats AND TARGET vudstats64 AND TARGET jex2csv AND TARGET vudloggen)
  vud_add_test(vudplot_e2e_test
    SOURCES
      ${CMAKE_CURRENT_SOURCE_DIR}/vudstats_e2e.cc
      ${CMAKE_CURRENT_SOURCE_DIR}/vudplot_e2e_test.cc)
  if(TARGET vudplot_e2e_test)
    target_compile_definitions(vudplot_e2e_test PRIVATE
      VUDSTATS_BIN="$<TARGET_FILE:vudstats>"
      VUDSTATS64_BIN="$<TARGET_FILE:vudstats64>"
      JEX2CSV_BIN="$<TARGET_FILE:jex2csv>"
      VUDLOGGEN_BIN="$<TARGET_FILE:vudloggen>"
      JEXCAPGEN_BIN=""
      VUDPLOT_BIN="$<TARGET_FILE:vudplot>")
    add_dependencies(vudplot_e2e_test vudplot vudstats vudstats64 jex2csv vudloggen)
  endif()
endif()
