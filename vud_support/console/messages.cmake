# Channels, message sink, terminal modes and page control.
target_sources(vud_console PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/channels.cc
  ${CMAKE_CURRENT_LIST_DIR}/messages.cc
)
