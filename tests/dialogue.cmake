# End-to-end tests of the terminal dialogue of vudstats: its report file is
# already there, and the answers come from a script or a pseudo-terminal.
if(VUD_BUILD_TESTS AND TARGET vudstats)
  vud_add_test(vudstats_dialogue_test
    SOURCES vudstats_dialogue_test.cc vudstats_e2e.cc
    LIBS util)
  # The shared harness names every program; only vudstats is run here.
  target_compile_definitions(vudstats_dialogue_test PRIVATE
    VUDSTATS_BIN="$<TARGET_FILE:vudstats>"
    VUDSTATS64_BIN="" JEX2CSV_BIN="" VUDLOGGEN_BIN="" JEXCAPGEN_BIN="")
  add_dependencies(vudstats_dialogue_test vudstats)
endif()
