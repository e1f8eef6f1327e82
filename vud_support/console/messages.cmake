# Channels, message sink, terminal modes and page control.
target_sources(vud_console PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/channels.cc
  ${CMAKE_CURRENT_LIST_DIR}/messages.cc
)
vud_add_test(channels_test SOURCES channels_test.cc LIBS vud_console)
vud_add_test(messages_test SOURCES messages_test.cc LIBS vud_console)
