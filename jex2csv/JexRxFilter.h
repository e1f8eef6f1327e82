// jexrx, the receiver front end: reads capture records from a file, standard
// input, a serial device or datagrams on a local UDP port, hands every packet
// to the receiver library (JexReadPacket) with its store of paired sensors
// kept in "JEX_INFO.BIN" of a store folder, and writes the capture again with
// the enciphered packets of paired sensors deciphered. Everything else passes
// unchanged, so the output is a capture that jex2csv reads as before.
#ifndef JEX2CSV_JEXRXFILTER_H_
#define JEX2CSV_JEXRXFILTER_H_

#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace jex {

// What the command line asks for.
struct RxSettings_t {
  std::string capture;         // capture file to read; "-" is standard input
  std::string device;          // -d: serial device
  std::string port;            // -u: "[host:]port" of the datagram endpoint
  std::string output;          // -o: capture to write; empty is standard output
  std::string storeDir = ".";  // -S: folder of "JEX_INFO.BIN"
  std::string snapshot;        // -L: "JEX_INFO.BIN" snapshot to install first
  bool list = false;           // -l: list the store on standard output
  std::uint32_t gapMs = 1000;  // -g: silence that ends a partial serial record; 0 never
};

// Returned by RxParseCommandLine when the run goes on.
inline constexpr int kRxGoOn = -1;

// Set by SIGINT and SIGTERM while a run reads: the run then writes what it
// has received and ends.
extern volatile std::sig_atomic_t gRxStop;

// Writes the usage text to out.
void RxPrintHelp(std::FILE* out);

// Reads argv[1..argc-1] into settings. Letters may be grouped ("-lS dir");
// a letter that takes a value takes the rest of its group or else the next
// argument. Returns kRxGoOn, or the exit status after -h (0, usage on
// standard error) or a bad command line (1, after a message and the usage):
// an unknown letter, a missing or bad value, a second capture name, two
// sources, -g without -d, or -l with a source read to standard output.
int RxParseCommandLine(int argc, const char* const* argv, RxSettings_t& settings);

// True when the settings ask for records to be read (a capture, standard
// input, a device or a port); false for -l alone.
bool RxReadsRecords(const RxSettings_t& settings);

// Hands the packet of one 32-byte capture record to JexReadPacket and, when
// the library deciphered it, writes the clear packet back into the record
// with the type it returned (1 to 3). Every other record is left as it
// was; the record number, time, continuation flag and last byte never
// change. False when a pairing or name packet that the library took could
// not be added to "JEX_INFO.BIN" of the working directory (the store in
// memory has it all the same).
bool RxPassRecord(std::uint8_t* record);

// RxPassRecord over `count` consecutive records; the number of records
// whose pairing or name could not be written to the store file.
std::size_t RxPassRecords(std::uint8_t* records, std::size_t count);

// Writes the store as a table: a header line, then one line per paired
// sensor in slot order: the address as 8 uppercase hexadecimal digits, the
// name (empty before a name packet), and "yes" or "no" for whether a last
// packet is held, separated by tabs.
void RxListStore(std::FILE* out);

// The whole program; returns the exit status: 0 done, 1 any failure.
int RxMain(int argc, const char* const* argv);

}  // namespace jex

#endif  // JEX2CSV_JEXRXFILTER_H_
