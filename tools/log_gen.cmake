# Seeded receiver-log generator: QTV 2 and MOLVA logs for tests, samples and
# the benchmark.
add_executable(vudloggen ${CMAKE_CURRENT_SOURCE_DIR}/log_gen.cc)
target_link_libraries(vudloggen PRIVATE vud_warnings)
