# The receiver front end jexrx: the receiver library over capture records.
add_library(jex_rxfilter STATIC ${CMAKE_CURRENT_SOURCE_DIR}/JexRxFilter.cc)
target_link_libraries(jex_rxfilter PUBLIC jex_receiver PRIVATE vud_warnings)

add_executable(jexrx ${CMAKE_CURRENT_SOURCE_DIR}/jexrx_main.cc)
target_link_libraries(jexrx PRIVATE jex_rxfilter vud_warnings)
install(TARGETS jexrx)

vud_add_test(jexrx_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/JexRxFilter_test.cc
  LIBS jex_rxfilter)
