// Serial line of a receiver: opening the device (or standard input), asking
// how many bytes are waiting, reading with a time-out, closing.
#ifndef JEX2CSV_SERIAL_H_
#define JEX2CSV_SERIAL_H_

#include <cstdint>

namespace jex {

// Opens the serial device named infile for reading and writing (an existing
// device only, asked for exclusive use; writeable makes no difference),
// sets 8 data bits, 1 stop bit, no parity and raw bytes while keeping the
// device's speed, and a read time-out of timeout milliseconds. Returns the
// descriptor, or -1 after "ERROR: CreateFile problem '<name>'" and
// "ERROR: Problem opening input: '<name>'" when it cannot be opened. When a
// setting cannot be read or applied it writes "ERROR: GetCommState()
// failed.", "ERROR: SetCommState() failed." or "ERROR: SetCommTimeouts()
// failed." and returns the descriptor all the same. A missing or empty name,
// or "-", gives standard input's descriptor (0) with nothing set up.
int openport(const char* infile, int writeable, std::uint32_t timeout);

// Number of received bytes waiting to be read; -1 when the device cannot
// tell.
int availableport(int fd);

// Reads into buffer until len bytes have arrived or timeout milliseconds
// have passed since the call began, or the device has hung up; returns the
// number of bytes read. With timeout 0 it makes exactly one read attempt and
// returns what it gave (-1 when it failed). Returns 0 at once for a negative
// descriptor, a null buffer or a len that is not positive.
int readport(int fd, void* buffer, int len, std::uint32_t timeout);

// Closes the device unless fd is -1 or standard input; always returns 1.
int closeport(int fd);

}  // namespace jex

#endif  // JEX2CSV_SERIAL_H_
