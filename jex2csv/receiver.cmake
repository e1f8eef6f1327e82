# Receiver library: device store, AES-128, transports, diagnostics.
# Built with the converter; the converter's entry does not call it.
add_library(jex_receiver STATIC
  ${CMAKE_CURRENT_SOURCE_DIR}/JexRx.cc
  ${CMAKE_CURRENT_SOURCE_DIR}/aes.cc
  ${CMAKE_CURRENT_SOURCE_DIR}/Debug.cc
  ${CMAKE_CURRENT_SOURCE_DIR}/Serial.cc
  ${CMAKE_CURRENT_SOURCE_DIR}/UDP.cc
)
target_include_directories(jex_receiver PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(jex_receiver PUBLIC jex_utils PRIVATE vud_warnings)

vud_add_test(jex_aes_test SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/aes_test.cc LIBS jex_receiver)
vud_add_test(jex_debug_test SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/Debug_test.cc LIBS jex_receiver)
vud_add_test(jex_serial_test SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/Serial_test.cc LIBS jex_receiver)
vud_add_test(jex_udp_test SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/UDP_test.cc LIBS jex_receiver)
vud_add_test(jex_rx_test SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/JexRx_test.cc LIBS jex_receiver)
