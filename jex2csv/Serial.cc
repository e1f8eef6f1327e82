// Serial line of a receiver over a terminal device.
#include "jex2csv/Serial.h"

#include <cstdio>
#include <cstring>

#include "jex2csv/JexUtils.h"
#include "jex2csv/platform.h"

namespace jex {
namespace {

constexpr int kMaxWaitMs = 1 << 30;  // longest single wait; the loop checks the clock again

}  // namespace

int openport(const char* infile, int /*writeable*/, std::uint32_t timeout) {
  if (infile == nullptr || infile[0] == '\0' || std::strcmp(infile, "-") == 0) {
    return STDIN_FILENO;
  }
  const int fd = platform::OpenDevice(infile);
  if (fd < 0) {
    std::fprintf(stderr, "ERROR: CreateFile problem '%s'\n", infile);
    std::fprintf(stderr, "ERROR: Problem opening input: '%s'\n", infile);
    return -1;
  }
  termios tio{};
  if (!platform::ReadLineSettings(fd, &tio)) {
    std::fprintf(stderr, "ERROR: GetCommState() failed.\n");
    return fd;
  }
  if (!platform::SetLine8N1(fd, &tio)) {
    std::fprintf(stderr, "ERROR: SetCommState() failed.\n");
    return fd;
  }
  if (!platform::SetReadTimeout(fd, &tio, timeout)) {
    std::fprintf(stderr, "ERROR: SetCommTimeouts() failed.\n");
  }
  return fd;
}

int availableport(int fd) {
  if (fd < 0) return -1;
  return platform::BytesWaiting(fd);
}

int readport(int fd, void* buffer, int len, std::uint32_t timeout) {
  if (fd < 0 || buffer == nullptr || len <= 0) return 0;
  auto* bytes = static_cast<std::uint8_t*>(buffer);
  const auto want = static_cast<std::size_t>(len);
  if (timeout == 0) {
    const long r = platform::ReadSome(fd, bytes, want);
    return r < 0 ? -1 : static_cast<int>(r);
  }
  const std::uint64_t start = MillisecondsEpoch();
  std::size_t got = 0;
  while (got < want) {
    const std::uint64_t now = MillisecondsEpoch();
    const std::uint64_t elapsed = now > start ? now - start : 0;
    if (elapsed >= timeout) break;
    const std::uint64_t left = timeout - elapsed;
    if (!platform::WaitReadable(fd, left > kMaxWaitMs ? kMaxWaitMs : static_cast<int>(left))) {
      continue;
    }
    const long r = platform::ReadSome(fd, bytes + got, want - got);
    if (r < 0) {
      if (platform::IsWouldBlock(platform::LastError())) continue;
      break;  // the device failed or went away
    }
    if (r == 0) break;  // readable yet empty: the other end has hung up
    got += static_cast<std::size_t>(r);
  }
  return static_cast<int>(got);
}

int closeport(int fd) {
  // Standard input belongs to the process, not to this library.
  if (fd != -1 && fd != STDIN_FILENO) platform::CloseDescriptor(fd);
  return 1;
}

}  // namespace jex
