# Word and number extraction (words), number texts (numtext).
target_sources(vud_parse PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/words.cc
  ${CMAKE_CURRENT_SOURCE_DIR}/numtext.cc)

vud_add_test(words_test SOURCES words_test.cc LIBS vud_parse)
vud_add_test(numtext_test SOURCES numtext_test.cc LIBS vud_parse)
vud_add_test(words_fuzz_test SOURCES words_fuzz_test.cc LIBS vud_parse)
