// Channels: integer numbers for line-oriented text streams. 0 is the standard
// error stream, 5 standard input, 6 standard output; any other number is a file
// opened under that number. Tests bind string streams to channels so that what
// the library shows and reads can be compared exactly.
#ifndef VUD_SUPPORT_CONSOLE_CHANNELS_H_
#define VUD_SUPPORT_CONSOLE_CHANNELS_H_

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

namespace vud {

inline constexpr std::int32_t kErrorChannel = 0;
inline constexpr std::int32_t kInputChannel = 5;
inline constexpr std::int32_t kOutputChannel = 6;

// Outcome of a write: done, failed, or refused for want of permission.
inline constexpr std::int32_t kIoOk = 0;
inline constexpr std::int32_t kIoFailed = 1;
inline constexpr std::int32_t kIoPermission = 2;

// Outcome of a line read (the same values as the error flag of stripc1k).
inline constexpr std::int32_t kReadLine = 0;
inline constexpr std::int32_t kReadFailed = 1;
inline constexpr std::int32_t kReadEnd = 2;

enum class FileAccess {
  kRead,    // existing file, read from its start
  kOld,     // existing file, read and write, content kept
  kCreate,  // new file (an existing one is emptied), write
  kAppend,  // existing or new file, write at its end
};

// Writes text to channel ch, followed by a line end unless line_end is false
// (a prompt). Returns kIoOk, kIoFailed or kIoPermission.
std::int32_t channel_write(std::int32_t ch, std::string_view text, bool line_end = true);

// Reads the next line of channel ch into line, without its line end (a
// carriage return before the line feed is dropped too). Returns kReadLine,
// kReadEnd at the end of the stream, or kReadFailed (also for a channel that
// is not open).
std::int32_t channel_read_line(std::int32_t ch, std::string& line);
// The same without a copy: line views the channel's own buffer and stays
// valid until the next read on the channel or its close (empty after a
// failed read or the end).
std::int32_t channel_read_line(std::int32_t ch, std::string_view& line);

// Opens the named file on channel ch. Returns 0, or a positive error code of
// the platform when the open fails. Channels 0, 5 and 6 cannot be opened.
// kRead opens the file read-only. Files of 2 GiB and more open and read in
// every build.
std::int32_t channel_open(std::int32_t ch, std::string_view name, FileAccess access);

// True for 0, 5 and 6, and for a file channel that holds an open file.
bool channel_is_open(std::int32_t ch);

// Closes the file on channel ch (and deletes that file when remove_file is
// true). A channel that is not open, and the standard channels, are left alone.
// Returns kIoOk, or kIoFailed when buffered text could not be written out.
std::int32_t channel_close(std::int32_t ch, bool remove_file = false);

// Flushes every open channel; false when any flush failed.
bool channel_flush_all();

// Whether a file of that name exists (a directory does not count).
bool file_exists(std::string_view name);

// Whether the name is that of a regular file, which can be read again from
// its start; false for a pipe, a terminal or another device, a directory, and
// a name that does not exist.
bool file_is_regular(std::string_view name);

// Binds a stream to a channel in place of its file or standard stream (tests).
void channel_bind_output(std::int32_t ch, std::ostream* out);
void channel_bind_input(std::int32_t ch, std::istream* in);

// Closes every file channel and removes every binding.
void channel_reset_all();

// Opens /dev/null on each of the standard input, output and error descriptors
// that is closed, so that no file opened later lands on one of them and takes
// the terminal text in its place. Called first thing by a program.
void open_closed_standard_streams();

// Ends the program: flushes and releases every channel, then exits with status;
// a status of 0 becomes 1 when buffered output could not be written out.
[[noreturn]] void end_program(int status);

}  // namespace vud

#endif  // VUD_SUPPORT_CONSOLE_CHANNELS_H_
