# Prompts, help pages and the journal.
target_sources(vud_console PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/prompts.cc
  ${CMAKE_CURRENT_LIST_DIR}/help.cc
  ${CMAKE_CURRENT_LIST_DIR}/journal.cc
)
vud_add_test(prompts_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/prompts_test.cc LIBS vud_console)
vud_add_test(help_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/help_test.cc LIBS vud_console)
vud_add_test(journal_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/journal_test.cc LIBS vud_console)
