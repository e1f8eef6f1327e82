// The capture converter: command line, read loop over 32-byte capture records,
// CSV writer and sensor listing. One run reads the capture once and writes
// one CSV line per packet, or counts packets per sensor and lists them.
#ifndef JEX2CSV_JEX2CSV_H_
#define JEX2CSV_JEX2CSV_H_

#include <cstdint>
#include <cstdio>
#include <string>

#include "jex2csv/JexUtils.h"

namespace jex {

// The run's streams and the encrypted-packets flag (Settings_t, JexUtils.h).
extern Settings_t gSettings;

// Exit status of the run: 0 success, 1 failure (always after a message).
extern int gExitStatus;

// Mode variables set by the command line.
extern int ilist;              // 0 convert to CSV, 1 list sensors
extern int focus;              // 0 all sensors, 1 one sensor (-n), 2 tuple output (-N)
extern std::string focusname;  // the -n / -N value
extern int topic;              // 0 all fields, 1 dbt, 2 rh, 3 lux, 4 pirc, 5 sw, 6 bat

// Sensor listing: names in first-heard order with their hit counts.
inline constexpr int kMaxSensors = 70;
extern char envname[kMaxSensors][8];  // exactly 8 characters, no terminator
extern std::int32_t mapsenhits[kMaxSensors];
extern std::int32_t howmany;  // index of the last filled entry; -1 when empty

// Where messages, the usage text and the listing go; stderr unless a test
// points it elsewhere.
extern std::FILE* gMessages;
// Opens the files named on the command line; std::fopen unless a test
// replaces it.
using OpenFileFn = std::FILE* (*)(const char* name, const char* mode);
extern OpenFileFn gOpenFile;

// Reads the capture: up to len bytes at offset `at`, or from the current
// position when `at` is negative, until len bytes came or the end was met;
// returns the bytes read and sets *failed when a read error ended it. Writes
// the CSV: all len bytes, false on an error. Positioned reads and plain
// writes unless a test replaces them.
using ReadCaptureFn = std::size_t (*)(int fd, void* buffer, std::size_t len, std::int64_t at,
                                      bool* failed);
using WriteOutputFn = bool (*)(int fd, const void* buffer, std::size_t len);
extern ReadCaptureFn gReadCapture;
extern WriteOutputFn gWriteOutput;
// Threads that convert a capture: 0 takes as many as the processors the
// process may use, at most two; 1 reads it in blocks, one after the other,
// on the calling thread. Listing always reads that way.
extern int gWorkers;

// Returned by JexParseCommandLine when the run goes on to the read loop.
inline constexpr int kGoOn = -1;

// Puts every setting, table and stream back to its start value (streams are
// forgotten, not closed).
void JexResetState();

// Writes the 35-line usage text to gMessages.
void PrintHelp();

// Reads argv[1..argc-1] into gSettings and the mode variables, opening the
// files as they are met. Returns kGoOn when the conversion is to run (the
// output then defaults to stdout), else the exit status: 0 after -h, 1 after
// an unknown letter, a value-taking letter with nothing left to take, a file
// that cannot be opened, no capture, or an output that is the capture itself
// (the same regular file by any name or link: it is not opened, so it is not
// emptied). Letters after n, N or f in one group
// are still processed; each value-taking letter takes the next unused
// argument in turn.
int JexParseCommandLine(int argc, const char* const* argv);

// Reads the whole capture in 32-byte records and writes their CSV lines, or
// in listing mode counts each with JexCountEntry and then writes the
// listing. The capture is converted in ordered chunks that gWorkers threads
// format: a capture opened by name on a regular file read by position,
// standard input and other streams one chunk after the other (a pipe is
// enlarged to 1 MiB first). With one thread it is read in blocks, one after
// the other. All give the same bytes and messages. A trailing fragment shorter than a record is
// dropped silently. A read error or a failed write sets gExitStatus to 1 after a message; so does,
// without one, a listing that gMessages refused.
void JexDataRead();

// Writes the CSV line of one record (at most one line) to gSettings.outputFile,
// or stdout when none is set, and flushes it. The plain, record-at-a-time
// rendering of what JexDataRead writes in blocks. A refused write sets
// gExitStatus to 1 after a message, and later lines are dropped.
void JexNewEntry(const binUnit_t& unit);

// Counts one record in the sensor listing when its packet type is 1, 2 or 3.
// A new sensor beyond the 70th is refused; known sensors keep being counted.
void JexCountEntry(const binUnit_t& unit);
// Writes the sensor listing to gMessages.
void PrintList();

// Closes the capture (unless stdin) and the output (unless stdout, which is
// flushed), and returns gExitStatus; a failed flush or close makes it 1.
int JexFinish();

// The whole program: parse, read, finish. Returns the exit status.
int JexMain(int argc, const char* const* argv);

}  // namespace jex

#endif  // JEX2CSV_JEX2CSV_H_
