# Seeded capture generator.
add_executable(jexcapgen ${CMAKE_CURRENT_SOURCE_DIR}/capture_gen.cc)
target_link_libraries(jexcapgen PRIVATE vud_warnings)
# Enciphered captures (-k) use the receiver library's cipher.
target_link_libraries(jexcapgen PRIVATE jex_receiver)
