# Line reader and delimiters (lines), file opening and paths (files).
target_sources(vud_parse PRIVATE lines.cc files.cc)

vud_add_test(lines_test SOURCES lines_test.cc LIBS vud_parse vud_console)
vud_add_test(lines_fuzz_test SOURCES lines_fuzz_test.cc LIBS vud_parse vud_console)
vud_add_test(files_test SOURCES files_test.cc LIBS vud_parse vud_console)
