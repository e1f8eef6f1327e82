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
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/resource.h>
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
  struct stat sa;
  struct stat sb;
  return ::fstat(a, &sa) == 0 && ::fstat(b, &sb) == 0 && S_ISREG(sa.st_mode) &&
         sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// True when the file called name exists and is the regular file open on fd;
// symbolic links are followed.
inline bool IsOpenRegularFile(const char* name, int fd) {
  struct stat sn;
  struct stat sf;
  return ::stat(name, &sn) == 0 && ::fstat(fd, &sf) == 0 && S_ISREG(sf.st_mode) &&
         sn.st_dev == sf.st_dev && sn.st_ino == sf.st_ino;
}

// True when fd is open on a regular file (one that positioned reads serve).
inline bool IsRegularFile(int fd) {
  struct stat st {};
  return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

// Reads up to len bytes at offset `at` of fd, or from its current position
// when `at` is negative, going on after short reads until len bytes came or
// the end was met. Returns the bytes read; *failed tells whether a read
// error ended it (the bytes before the error still count).
inline std::size_t ReadFull(int fd, void* buffer, std::size_t len, std::int64_t at, bool* failed) {
  auto* p = static_cast<char*>(buffer);
  std::size_t got = 0;
  *failed = false;
  while (got < len) {
    const ssize_t r =
        at < 0 ? ::read(fd, p + got, len - got)
               : ::pread(fd, p + got, len - got, static_cast<off_t>(at) + static_cast<off_t>(got));
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) *failed = true;
    if (r <= 0) break;
    got += static_cast<std::size_t>(r);
  }
  return got;
}

// Writes all len bytes to fd, going on after short writes; false on an error
// (some bytes may have been written).
inline bool WriteAll(int fd, const void* buffer, std::size_t len) {
  const auto* p = static_cast<const char*>(buffer);
  while (len > 0) {
    const ssize_t w = ::write(fd, p, len);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    p += w;
    len -= static_cast<std::size_t>(w);
  }
  return true;
}

// The read and write position of fd; -1 when it has none (a pipe).
inline std::int64_t CurrentOffset(int fd) {
  return static_cast<std::int64_t>(::lseek(fd, 0, SEEK_CUR));
}

// Size of the file open on fd; -1 when it cannot tell.
inline std::int64_t FileSize(int fd) {
  struct stat st {};
  return ::fstat(fd, &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -1;
}

// Sets aside the len bytes of disk from offset on for the regular file on fd
// without changing its size or content, so that later writes find their
// blocks ready. A file system that cannot does nothing.
inline void ReserveSpaceFrom(int fd, std::int64_t offset, std::int64_t len) {
#ifdef FALLOC_FL_KEEP_SIZE
  // Never past the file size limit, where a file system could raise its signal.
  rlimit limit{};
  if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
    const auto cap = static_cast<std::uint64_t>(limit.rlim_cur);
    if (static_cast<std::uint64_t>(offset) >= cap) return;
    if (static_cast<std::uint64_t>(offset + len) > cap) {
      len = static_cast<std::int64_t>(cap - static_cast<std::uint64_t>(offset));
    }
  }
  (void)::fallocate(fd, FALLOC_FL_KEEP_SIZE, static_cast<off_t>(offset), static_cast<off_t>(len));
#else
  (void)fd;
  (void)offset;
  (void)len;
#endif
}

// The same from the start of the file.
inline void ReserveSpace(int fd, std::int64_t len) { ReserveSpaceFrom(fd, 0, len); }

// Working memory of bytes, zero-filled, laid out on the processor's large
// pages where the system gives them on request: a block buffer then costs
// the system one page fault instead of hundreds (on virtual machines a fault
// takes microseconds). Elsewhere it is made of ordinary pages. Null when no
// memory can be had; FreeWorkMemory gives it back.
inline constexpr std::size_t kLargePage = std::size_t{1} << 21;

inline void* MapWorkMemory(std::size_t bytes) {
  const std::size_t whole = (bytes + kLargePage - 1) / kLargePage * kLargePage;
  // Room to start on a large-page boundary; the ends left over are unmapped.
  void* raw = ::mmap(nullptr, whole + kLargePage, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) {
    // No room for the slop (a tight address-space limit): ordinary pages.
    raw = ::mmap(nullptr, whole, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return raw == MAP_FAILED ? nullptr : raw;
  }
  char* const base = static_cast<char*>(raw);
  const std::size_t skip =
      (kLargePage - reinterpret_cast<std::uintptr_t>(raw) % kLargePage) % kLargePage;
  char* const memory = base + skip;
  if (skip > 0) (void)::munmap(base, skip);
  const std::size_t tail = kLargePage - skip;
  if (tail > 0) (void)::munmap(memory + whole, tail);
#ifdef MADV_HUGEPAGE
  (void)::madvise(memory, whole, MADV_HUGEPAGE);
#endif
  return memory;
}

inline void FreeWorkMemory(void* memory, std::size_t bytes) {
  if (memory == nullptr) return;
  const std::size_t whole = (bytes + kLargePage - 1) / kLargePage * kLargePage;
  (void)::munmap(memory, whole);
}

// Gives back the space set aside past the end of the regular file on fd.
inline void ReleaseSpace(int fd) {
  const std::int64_t size = FileSize(fd);
  if (size >= 0) (void)::ftruncate(fd, static_cast<off_t>(size));
}

// True when fd is a pipe (or FIFO).
inline bool IsPipe(int fd) {
  struct stat st {};
  return ::fstat(fd, &st) == 0 && S_ISFIFO(st.st_mode);
}

// Asks for a pipe that holds `bytes` at once, so that the program at the
// other end and this one take turns less often. A system that refuses keeps
// the pipe as it is.
inline void EnlargePipe(int fd, int bytes) {
#ifdef F_SETPIPE_SZ
  (void)::fcntl(fd, F_SETPIPE_SZ, bytes);
#else
  (void)fd;
  (void)bytes;
#endif
}

// The number of processors this process may run on (at least 1).
inline int UsableProcessors() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (::sched_getaffinity(0, sizeof set, &set) != 0) return 1;
  const int n = CPU_COUNT(&set);
  return n > 0 ? n : 1;
}

// Opens each of the standard descriptors 0, 1 and 2 that is closed on
// /dev/null, so that no file the program opens later lands on one of them
// (messages written to standard error would otherwise go into that file).
inline void OpenClosedStandardStreams() {
  // In order: each open takes the lowest free descriptor, the closed one.
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    const int got = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (got >= 0 && got != fd) {
      ::dup2(got, fd);
      ::close(got);
    }
  }
}

}  // namespace jex::platform

#endif  // JEX2CSV_PLATFORM_H_
