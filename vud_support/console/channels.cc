// The channel table: channel number to stream. Channels 0, 5 and 6 are the
// standard C streams; any other number holds a file opened on it. A stream
// bound by a test takes precedence over both. Writes go through the C stdio
// buffers, so a channel write costs a table look-up and two buffered copies.
#include "vud_support/console/channels.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace vud {

// A log of 2 GiB and more must open and read in the 32-bit build too.
static_assert(sizeof(off_t) == 8, "64-bit file offsets needed (_FILE_OFFSET_BITS=64)");

namespace {

struct Channel {
  std::int32_t number = -1;
  std::FILE* fp = nullptr;  // file opened on the channel (not for 0, 5, 6)
  std::string name;         // its name, for deletion on close
  FileAccess access = FileAccess::kRead;
  std::ostream* bound_out = nullptr;
  std::istream* bound_in = nullptr;
  // getline() buffer, kept for the life of the file (for channel 5, of the
  // run: standard input reads into the record of its number).
  char* line_buf = nullptr;
  std::size_t line_cap = 0;
  std::string bound_line;  // the last line read from bound_in
  // A file opened read-only is read from its descriptor in blocks, and its
  // lines are handed out as views into the block: [begin, end) is what has
  // not been handed out yet. A line longer than the block makes it grow.
  std::unique_ptr<char[]> block;
  std::size_t block_size = 0, begin = 0, end = 0;
  bool at_end = false;      // the descriptor said end of file
  bool read_error = false;  // a read failed; said once, then reading goes on
};

// Bytes read from a log at once.
constexpr std::size_t kBlockBytes = std::size_t{1} << 18;

// Channels below kDirect sit in a plain array; the rare larger or negative
// numbers in a short list.
constexpr std::int32_t kDirect = 128;
Channel g_direct[kDirect];
std::vector<Channel> g_other;

Channel* find(std::int32_t ch) {
  if (ch >= 0 && ch < kDirect) return &g_direct[ch];
  for (Channel& c : g_other) {
    if (c.number == ch) return &c;
  }
  return nullptr;
}

Channel& find_or_add(std::int32_t ch) {
  if (Channel* c = find(ch)) return *c;
  g_other.push_back(Channel{});
  g_other.back().number = ch;
  return g_other.back();
}

bool is_standard(std::int32_t ch) {
  return ch == kErrorChannel || ch == kInputChannel || ch == kOutputChannel;
}

std::FILE* standard_stream(std::int32_t ch) {
  switch (ch) {
    case kErrorChannel:
      return stderr;
    case kInputChannel:
      return stdin;
    case kOutputChannel:
      return stdout;
    default:
      return nullptr;
  }
}

std::int32_t io_status_from_errno(int err) {
  return (err == EACCES || err == EPERM) ? kIoPermission : kIoFailed;
}

// File names arrive from fixed-width fields: trailing blanks are padding.
std::string file_name(std::string_view name) {
  std::size_t n = name.size();
  while (n > 0 && name[n - 1] == ' ') --n;
  return std::string(name.substr(0, n));
}

bool writable(const Channel& c) { return c.access != FileAccess::kRead; }

std::int32_t write_file(std::FILE* fp, std::string_view text, bool line_end) {
  errno = 0;
  bool ok = text.empty() || fwrite_unlocked(text.data(), 1, text.size(), fp) == text.size();
  if (ok && line_end) ok = fputc_unlocked('\n', fp) != EOF;
  if (ok && ferror_unlocked(fp) == 0) return kIoOk;
  return io_status_from_errno(errno);
}

std::int32_t write_stream(std::ostream& out, std::string_view text, bool line_end) {
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (line_end) out.put('\n');
  return out.fail() ? kIoFailed : kIoOk;
}

void drop_carriage_return(std::string_view& line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
}

void release(Channel& c) {
  std::free(c.line_buf);
  c.line_buf = nullptr;
  c.line_cap = 0;
  c.block.reset();
  c.block_size = c.begin = c.end = 0;
  c.at_end = c.read_error = false;
  c.bound_line = std::string();
  c.fp = nullptr;
  c.name.clear();
  c.access = FileAccess::kRead;
}

// Reads more of c's file into its block after what it holds, first moving the
// unread part to the front, or growing the block when that part fills it.
void fill_block(Channel& c) {
  if (c.begin > 0) {
    std::memmove(c.block.get(), c.block.get() + c.begin, c.end - c.begin);
    c.end -= c.begin;
    c.begin = 0;
  }
  if (c.end == c.block_size) {
    const std::size_t size = c.block_size == 0 ? kBlockBytes : 2 * c.block_size;
    auto bigger = std::make_unique<char[]>(size);
    if (c.end > 0) std::memcpy(bigger.get(), c.block.get(), c.end);
    c.block = std::move(bigger);
    c.block_size = size;
  }
  const int fd = fileno(c.fp);
  ssize_t got = 0;
  do {
    got = ::read(fd, c.block.get() + c.end, c.block_size - c.end);
  } while (got < 0 && errno == EINTR);
  if (got > 0) {
    c.end += static_cast<std::size_t>(got);
  } else if (got == 0) {
    c.at_end = true;
  } else {
    c.read_error = true;
  }
}

// The next line of a file read in blocks, as getline() would give it: the
// last line may lack its line end; a failed read first gives what came
// before it as a line, then kReadFailed once.
std::int32_t read_block_line(Channel& c, std::string_view& line) {
  for (;;) {
    const char* b = c.block.get() + c.begin;
    const std::size_t have = c.end - c.begin;
    if (have > 0) {
      if (const void* nl = std::memchr(b, '\n', have)) {
        const auto len = static_cast<std::size_t>(static_cast<const char*>(nl) - b);
        line = std::string_view(b, len);
        c.begin += len + 1;
        drop_carriage_return(line);
        return kReadLine;
      }
    }
    if (c.at_end || c.read_error) {
      if (have > 0) {
        line = std::string_view(b, have);
        c.begin = c.end;
        drop_carriage_return(line);
        return kReadLine;
      }
      if (c.read_error) {
        c.read_error = false;
        return kReadFailed;
      }
      return kReadEnd;
    }
    fill_block(c);
  }
}

}  // namespace

std::int32_t channel_write(std::int32_t ch, std::string_view text, bool line_end) {
  Channel* c = find(ch);
  if (c != nullptr && c->bound_out != nullptr) return write_stream(*c->bound_out, text, line_end);
  if (std::FILE* s = standard_stream(ch)) {
    if (ch == kInputChannel) return kIoFailed;
    // Keep the order of terminal lines when both standard streams share one place.
    if (ch == kErrorChannel) std::fflush(stdout);
    return write_file(s, text, line_end);
  }
  if (c == nullptr || c->fp == nullptr || !writable(*c)) return kIoFailed;
  return write_file(c->fp, text, line_end);
}

std::int32_t channel_read_line(std::int32_t ch, std::string& line) {
  std::string_view view;
  const std::int32_t rc = channel_read_line(ch, view);
  line.assign(view);
  return rc;
}

std::int32_t channel_read_line(std::int32_t ch, std::string_view& line) {
  line = {};
  Channel* c = find(ch);
  if (c != nullptr && c->bound_in != nullptr) {
    std::istream& in = *c->bound_in;
    if (!std::getline(in, c->bound_line)) {
      c->bound_line.clear();
      return in.bad() ? kReadFailed : kReadEnd;
    }
    line = c->bound_line;
    drop_carriage_return(line);
    return kReadLine;
  }
  if (c != nullptr && c->fp != nullptr && c->access == FileAccess::kRead) {
    return read_block_line(*c, line);
  }
  std::FILE* fp = nullptr;
  if (ch == kInputChannel) {
    // A prompt written without a line end must be seen before the answer is typed.
    std::fflush(stdout);
    fp = stdin;
  } else if (c != nullptr && c->fp != nullptr && c->access != FileAccess::kCreate &&
             c->access != FileAccess::kAppend) {
    fp = c->fp;
  } else {
    return kReadFailed;
  }
  // Channel 5 has a record of its own (its number is below kDirect), which
  // keeps the getline() buffer of standard input.
  const ssize_t n = getline(&c->line_buf, &c->line_cap, fp);
  if (n < 0) {
    if (std::ferror(fp) != 0) {
      std::clearerr(fp);
      return kReadFailed;
    }
    return kReadEnd;
  }
  std::size_t len = static_cast<std::size_t>(n);
  if (len > 0 && c->line_buf[len - 1] == '\n') --len;
  line = std::string_view(c->line_buf, len);
  drop_carriage_return(line);
  return kReadLine;
}

std::int32_t channel_open(std::int32_t ch, std::string_view name, FileAccess access) {
  if (is_standard(ch)) return EBADF;
  Channel& c = find_or_add(ch);
  if (c.fp != nullptr) channel_close(ch);
  const std::string fname = file_name(name);
  if (fname.empty()) return ENOENT;
  const char* how = "r";
  switch (access) {
    case FileAccess::kRead:
      how = "r";
      break;
    case FileAccess::kOld:
      how = "r+";
      break;
    case FileAccess::kCreate:
      how = "w";
      break;
    case FileAccess::kAppend:
      how = "a";
      break;
  }
  errno = 0;
  std::FILE* fp = std::fopen(fname.c_str(), how);
  if (fp == nullptr) return errno != 0 ? errno : EIO;
  // A directory opens for reading on this platform but cannot be read as lines.
  struct stat st {};
  if (fstat(fileno(fp), &st) == 0 && S_ISDIR(st.st_mode)) {
    std::fclose(fp);
    return EISDIR;
  }
  // Report files reach millions of lines: a large buffer keeps writes cheap.
  // A file opened read-only is read in blocks from its descriptor, past the
  // stream, which then holds nothing.
  std::setvbuf(fp, nullptr, access == FileAccess::kRead ? _IONBF : _IOFBF, 1 << 16);
  c.fp = fp;
  c.name = fname;
  c.access = access;
  return 0;
}

bool channel_is_open(std::int32_t ch) {
  if (is_standard(ch)) return true;
  const Channel* c = find(ch);
  return c != nullptr && (c->fp != nullptr || c->bound_out != nullptr || c->bound_in != nullptr);
}

std::int32_t channel_close(std::int32_t ch, bool remove_file) {
  if (is_standard(ch)) return kIoOk;
  Channel* c = find(ch);
  if (c == nullptr) return kIoOk;
  if (c->bound_out != nullptr) c->bound_out->flush();
  if (c->fp == nullptr) return kIoOk;
  errno = 0;
  const bool had_error = std::ferror(c->fp) != 0;
  const bool flushed = std::fflush(c->fp) == 0;
  const int flush_errno = errno;
  const bool closed = std::fclose(c->fp) == 0;
  const int close_errno = errno;
  std::int32_t result = kIoOk;
  if (had_error || !flushed || !closed) {
    result = io_status_from_errno(!flushed ? flush_errno : close_errno);
  }
  if (remove_file) std::remove(c->name.c_str());
  release(*c);
  return result;
}

bool channel_flush_all() {
  bool ok = true;
  auto flush_one = [&ok](Channel& c) {
    if (c.bound_out != nullptr && c.bound_out->flush().fail()) ok = false;
    if (c.fp != nullptr && writable(c) && (std::fflush(c.fp) != 0 || std::ferror(c.fp) != 0)) {
      ok = false;
    }
  };
  for (Channel& c : g_direct) flush_one(c);
  for (Channel& c : g_other) flush_one(c);
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) ok = false;
  if (std::fflush(stderr) != 0) ok = false;
  return ok;
}

bool file_exists(std::string_view name) {
  const std::string fname = file_name(name);
  if (fname.empty()) return false;
  struct stat st {};
  return stat(fname.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool file_is_regular(std::string_view name) {
  const std::string fname = file_name(name);
  struct stat st {};
  return !fname.empty() && stat(fname.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void channel_bind_output(std::int32_t ch, std::ostream* out) { find_or_add(ch).bound_out = out; }

void channel_bind_input(std::int32_t ch, std::istream* in) { find_or_add(ch).bound_in = in; }

void channel_reset_all() {
  auto reset_one = [](Channel& c) {
    c.bound_out = nullptr;
    c.bound_in = nullptr;
    if (c.fp != nullptr) std::fclose(c.fp);
    release(c);
  };
  for (Channel& c : g_direct) reset_one(c);
  for (Channel& c : g_other) reset_one(c);
  g_other.clear();
  std::clearerr(stdout);
}

void open_closed_standard_streams() {
  // In order: each open takes the lowest free descriptor, which is the closed
  // one, since those below it are open by then.
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    const int got = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (got >= 0 && got != fd) {
      ::dup2(got, fd);
      ::close(got);
    }
  }
}

void end_program(int status) {
  bool ok = channel_flush_all();
  auto close_one = [&ok](Channel& c) {
    if (c.fp != nullptr && channel_close(c.number) != kIoOk) ok = false;
  };
  for (std::int32_t ch = 0; ch < kDirect; ++ch) {
    g_direct[ch].number = ch;
    close_one(g_direct[ch]);
  }
  for (Channel& c : g_other) close_one(c);
  // Output that never reached its file makes an otherwise clean end a failure.
  if (!ok && status == 0) status = 1;
  std::exit(status);
}

}  // namespace vud
