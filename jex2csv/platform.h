// The few operating-system services the receiver transports and diagnostics
// rely on, over the POSIX calls: descriptors, terminal line settings, poll,
// datagram sockets and error texts, and the file services of the converter
// (file identity, positioned reads, space reservation). Serial, UDP and the
// converter take the system interfaces only from here.
#ifndef JEX2CSV_PLATFORM_H_
#define JEX2CSV_PLATFORM_H_

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace jex::platform {

inline constexpr int kInvalid = -1;  // no descriptor, no socket

// Opens an existing device for reading and writing without making it the
// controlling terminal, and asks for exclusive use where the device allows.
inline int OpenDevice(const char* name) {
  const int fd = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd >= 0) {
    // Only terminals know exclusive mode; other devices simply stay shared.
    (void)::ioctl(fd, TIOCEXCL);
  }
  return fd;
}

inline int CloseDescriptor(int fd) { return ::close(fd); }

// The line settings of a terminal device; false when fd is no terminal.
inline bool ReadLineSettings(int fd, termios* tio) { return ::tcgetattr(fd, tio) == 0; }

// 8 data bits, 1 stop bit, no parity, bytes passed through untouched (no
// echo, no line editing, no flow control), the configured speed kept.
inline bool SetLine8N1(int fd, termios* tio) {
  ::cfmakeraw(tio);  // leaves the speed alone
  tio->c_cflag &= static_cast<tcflag_t>(~(CSIZE | CSTOPB | PARENB | CRTSCTS));
  tio->c_cflag |= CS8 | CREAD | CLOCAL;
  return ::tcsetattr(fd, TCSANOW, tio) == 0;
}

// A read returns what has arrived as soon as anything has, or nothing after
// ms milliseconds (in tenths of a second, at most 25.5 s; 0 returns at once).
inline bool SetReadTimeout(int fd, termios* tio, std::uint32_t ms) {
  const std::uint32_t tenths = ms / 100 + (ms % 100 != 0 ? 1 : 0);
  tio->c_cc[VMIN] = 0;
  tio->c_cc[VTIME] = static_cast<cc_t>(tenths > 255 ? 255 : tenths);
  return ::tcsetattr(fd, TCSANOW, tio) == 0;
}

// Bytes waiting in a descriptor's input queue, or -1 when it cannot tell.
inline int BytesWaiting(int fd) {
  int n = 0;
  if (::ioctl(fd, FIONREAD, &n) != 0) return -1;
  return n;
}

// Waits up to ms milliseconds until fd has something to read (or has hung
// up). True when a read will not block.
inline bool WaitReadable(int fd, int ms) {
  pollfd p{};
  p.fd = fd;
  p.events = POLLIN;
  int r;
  do {
    r = ::poll(&p, 1, ms);
  } while (r < 0 && errno == EINTR);
  return r > 0;
}

// One read; -1 on failure, 0 at the end of the stream.
inline long ReadSome(int fd, void* buffer, std::size_t len) {
  long r;
  do {
    r = static_cast<long>(::read(fd, buffer, len));
  } while (r < 0 && errno == EINTR);
  return r;
}

inline bool SetNonBlocking(int fd) {
  const int flags = ::fcntl(fd, F_GETFL, 0);
  return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

// The last error of a system or socket call.
inline int LastError() { return errno; }
// True for the error of a non-blocking call that found nothing to do.
inline bool IsWouldBlock(int e) { return e == EAGAIN || e == EWOULDBLOCK; }

// The system's text for error e, or null when the system knows no text.
inline const char* ErrorText(int e) { return ::strerrordesc_np(e); }

// True when descriptors a and b are open on the same regular file (same
// device and inode, whichever names or links opened them).
inline bool SameRegularFile(int a, int b) {
  struct stat sa {}, sb {};
  return ::fstat(a, &sa) == 0 && ::fstat(b, &sb) == 0 && S_ISREG(sa.st_mode) &&
         sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// True when the file called name exists and is the regular file open on fd;
// symbolic links are followed.
inline bool IsOpenRegularFile(const char* name, int fd) {
  struct stat sn {}, sf {};
  return ::stat(name, &sn) == 0 && ::fstat(fd, &sf) == 0 && S_ISREG(sf.st_mode) &&
         sn.st_dev == sf.st_dev && sn.st_ino == sf.st_ino;
}

}  // namespace jex::platform

#endif  // JEX2CSV_PLATFORM_H_
