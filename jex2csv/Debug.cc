// Diagnostics of the receiver library and its byte and line readers.
#include "jex2csv/Debug.h"

#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "jex2csv/JexUtils.h"

namespace jex {

Status_t gStatus;
std::uint16_t mallocCtr = 0;

namespace {

constexpr std::size_t kWriteMax = 65535;
constexpr std::size_t kDumpMax = 24;
constexpr const char* kLogFileName = "ERRORS.TXT";

const char* OrEmpty(const char* s) { return s != nullptr ? s : ""; }

unsigned Low32(const void* p) {
  return static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(p) & 0xFFFFFFFFu);
}

}  // namespace

void DBG_printf(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  std::vfprintf(stderr, fmt, ap);
  va_end(ap);
}

void DBG_write(const void* data, std::size_t len) {
  if (data == nullptr) return;
  std::fwrite(data, 1, len < kWriteMax ? len : kWriteMax, stderr);
}

void DBG_error(const char* file, const char* fmt, ...) {
  std::fprintf(stderr, "\r\nERROR:%s:", OrEmpty(file));
  va_list ap;
  va_start(ap, fmt);
  std::vfprintf(stderr, fmt, ap);
  va_end(ap);
}

void DBG_assert(bool condition, const char* file, unsigned line) {
  if (condition) return;
  std::fprintf(stderr, "\r\nASSERT:%s, line:%u", OrEmpty(file), line);
}

void DBG_dump(const void* data, std::size_t len) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  const std::size_t shown = (bytes == nullptr) ? 0 : (len < kDumpMax ? len : kDumpMax);
  for (std::size_t i = 0; i < shown; ++i) std::fprintf(stderr, "%02X ", bytes[i]);
  std::fputs(len > kDumpMax ? "..\r\n" : "\r\n", stderr);
}

void* DBG_malloc(std::size_t size, const char* file, unsigned line) {
  void* p = std::malloc(size);
  if (p == nullptr) {
    DBG_error("debug", "Malloc Failure at %s:%u", OrEmpty(file), line);
    return nullptr;
  }
  ++mallocCtr;
  std::fprintf(stderr, " malloc  addr 0x%04X, count %02u, in %s:%u (%ub)\r\n", Low32(p),
               static_cast<unsigned>(mallocCtr), OrEmpty(file), line, static_cast<unsigned>(size));
  return p;
}

void DBG_free(void* ptr, const char* file, unsigned line) {
  if (ptr != nullptr) {
    std::free(ptr);
    --mallocCtr;
  }
  std::fprintf(stderr, " free    addr 0x%04X, count %02u, in %s:%u\r\n", Low32(ptr),
               static_cast<unsigned>(mallocCtr), OrEmpty(file), line);
}

void DBG_log_write(const char* file, const char* fmt, ...) {
  // The line is built whole before the file is touched; snprintf cuts it to
  // the buffer, so a long file name or text can never overrun it.
  char line[kLogLineMax + 1];
  int n = std::snprintf(line, sizeof line, "\r\n%s,%s,", RtcToString(RtcNow()), OrEmpty(file));
  if (n < 0) return;
  std::size_t used = static_cast<std::size_t>(n);
  if (used < kLogLineMax) {
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(line + used, sizeof line - used, fmt, ap);
    va_end(ap);
  }
  std::FILE* log = std::fopen(kLogFileName, "ab");
  if (log == nullptr) return;
  std::fwrite(line, 1, std::strlen(line), log);
  std::fclose(log);
}

int getcFile(Settings_t* settings) {
  if (settings == nullptr || settings->inputFile == nullptr) return -1;
  const int c = std::fgetc(settings->inputFile);
  if (c == EOF) {
    gStatus.app_state = ERROR_STATE;
    return -1;
  }
  return c;
}

int putcFile(Settings_t* /*settings*/, std::uint8_t /*b*/) {
  DBG_error("util", "Write invoked on read only input");
  return -1;
}

long FSFileSize(std::FILE* file) {
  if (file == nullptr) return 0;
  const long here = std::ftell(file);
  if (here < 0) return 0;
  if (std::fseek(file, 0, SEEK_END) != 0) return 0;
  const long size = std::ftell(file);
  std::fseek(file, here, SEEK_SET);
  return size < 0 ? 0 : size;
}

char* FSfgets(char* str, int num, std::FILE* stream) {
  if (str == nullptr || num <= 0) return nullptr;
  str[0] = '\0';
  if (stream == nullptr) return nullptr;
  const int room = num - 1;  // bytes of text that fit before the terminator
  int c = std::fgetc(stream);
  if (c == EOF) return nullptr;
  int n = 0;
  while (c != EOF && c != '\n' && c != '\r') {
    if (n == room) {
      // No room left: the byte stays in the stream and starts the next piece.
      std::ungetc(c, stream);
      break;
    }
    str[n++] = static_cast<char>(c);
    c = std::fgetc(stream);
  }
  str[n] = '\0';
  return str;
}

}  // namespace jex
