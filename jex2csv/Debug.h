// Diagnostics of the receiver library: error, trace and hexadecimal dump
// output on standard error, a time-stamped error log "ERRORS.TXT", counted
// allocation, the application status record, and byte and line readers over
// the converter's streams.
#ifndef JEX2CSV_DEBUG_H_
#define JEX2CSV_DEBUG_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace jex {

struct Settings_t;  // the converter's run settings (jex2csv/JexUtils.h)

enum state_t {
  NOT_PRESENT = -2,
  ERROR_STATE = -1,
  OFF_STATE = 0,
  STATE_OFF = 0,
  PRESENT = 1,
  STATE_ON = 1,
  INITIALISED = 2,
  ACTIVE_STATE = 3,
};

// State of the application and of the radio.
struct Status_t {
  state_t app_state = OFF_STATE;
  state_t radio_state = OFF_STATE;
};
extern Status_t gStatus;

// Allocations made through DBG_malloc and not yet released through DBG_free.
extern std::uint16_t mallocCtr;

// Longest line DBG_log_write writes, its leading "\r\n" included.
inline constexpr std::size_t kLogLineMax = 127;

// Writes the formatted text to standard error.
void DBG_printf(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// Writes len raw bytes of data to standard error; at most 65535 of them.
void DBG_write(const void* data, std::size_t len);

// Writes "\r\nERROR:<file>:" and then the formatted text to standard error.
void DBG_error(const char* file, const char* fmt, ...) __attribute__((format(printf, 2, 3)));

// Writes "\r\nASSERT:<file>, line:<line>" to standard error when condition
// does not hold; the program goes on either way.
void DBG_assert(bool condition, const char* file, unsigned line);

// Writes the first bytes of data, at most 24, as "%02X " each, then "\r\n"
// when every byte was shown or "..\r\n" when len is more than 24.
void DBG_dump(const void* data, std::size_t len);

// Allocates size bytes. On success counts the allocation in mallocCtr and
// traces " malloc  addr 0x%04X, count %02u, in %s:%u (%ub)\r\n"; on failure
// reports "Malloc Failure at <file>:<line>" through DBG_error with the
// source "debug" and returns null.
void* DBG_malloc(std::size_t size, const char* file, unsigned line);

// Releases ptr, takes it off mallocCtr and traces
// " free    addr 0x%04X, count %02u, in %s:%u\r\n". A null ptr releases
// nothing and leaves the count alone (the trace is still written).
void DBG_free(void* ptr, const char* file, unsigned line);

// Appends one line to "ERRORS.TXT" in the working directory: "\r\n", the
// local time as RtcToString gives it, ",", file, ",", the formatted text.
// The line is cut to kLogLineMax characters. Writes nothing when the file
// cannot be opened.
void DBG_log_write(const char* file, const char* fmt, ...) __attribute__((format(printf, 2, 3)));

// The next byte (0 to 255) of settings->inputFile. -1 when there is no
// input stream; -1 with gStatus.app_state set to ERROR_STATE when no byte
// could be read.
int getcFile(Settings_t* settings);

// The input is read-only: reports "Write invoked on read only input" through
// DBG_error with the source "util" and returns -1.
int putcFile(Settings_t* settings, std::uint8_t b);

// Size in bytes of an open file, its position left where it was; 0 for no
// file (or one whose size cannot be told).
long FSFileSize(std::FILE* file);

// Reads one line of stream into str, which has room for num bytes with the
// terminator. A line feed or a carriage return ends the line and is not
// stored, so "\r\n" yields the text and then an empty line. A line longer
// than num - 1 bytes is delivered in pieces: the rest stays in the stream
// for the next call. str is always terminated. Returns str, or null when
// num is not positive, there is no stream, or the stream is already at its
// end (str is then emptied).
char* FSfgets(char* str, int num, std::FILE* stream);

}  // namespace jex

#endif  // JEX2CSV_DEBUG_H_
