# Tests of the overwrite and rename dialogue.
vud_add_test(overwrite_test SOURCES overwrite_test.cc LIBS vud_parse vud_console)
