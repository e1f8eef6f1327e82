# Channels, message sink, terminal modes and page control.
