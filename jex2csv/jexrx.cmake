# The receiver front end jexrx: the receiver library over capture records.
add_library(jex_rxfilter STATIC ${CMAKE_CURRENT_SOURCE_DIR}/JexRxFilter.cc)
target_link_libraries(jex_rxfilter PUBLIC jex_receiver PRIVATE vud_warnings)

add_executable(jexrx ${CMAKE_CURRENT_SOURCE_DIR}/jexrx_main.cc)
target_link_libraries(jexrx PRIVATE jex_rxfilter vud_warnings)
install(TARGETS jexrx)

vud_add_test(jexrx_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/JexRxFilter_test.cc
  LIBS jex_rxfilter)

# libFuzzer harness over the command line and the record pass.
if(VUD_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  add_executable(jexrx_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_jexrx.cc)
  target_compile_options(jexrx_fuzz PRIVATE -fsanitize=fuzzer)
  target_link_options(jexrx_fuzz PRIVATE -fsanitize=fuzzer)
  target_link_libraries(jexrx_fuzz PRIVATE jex_rxfilter vud_warnings)
endif()
