# Benchmark of vudplot: 'cmake --build <dir> --target bench_vudplot' generates
# a one-year QTV 2 log of 12 sensors, makes its report with vudstats and prints
# the time vudplot takes to draw it and the page's size.
# Not part of ctest; build the tree in Release for a meaningful figure.
if(TARGET vudplot AND TARGET vudstats AND TARGET vudloggen)
  add_custom_target(bench_vudplot
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/vudplot_bench.sh
            $<TARGET_FILE:vudloggen> $<TARGET_FILE:vudstats> $<TARGET_FILE:vudplot>
            ${CMAKE_CURRENT_BINARY_DIR}/vudplot_bench
    DEPENDS vudloggen vudstats vudplot
    USES_TERMINAL
    COMMENT "vudplot on a one-year report of 12 sensors")
endif()
