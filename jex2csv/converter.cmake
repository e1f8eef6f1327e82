# Record, packet and time routines; the converter entry, CSV writer and listing.
add_library(jex_utils STATIC ${CMAKE_CURRENT_SOURCE_DIR}/JexUtils.cc)
target_include_directories(jex_utils PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(jex_utils PRIVATE vud_warnings)
