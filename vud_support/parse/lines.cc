// Line reader and delimiters. stripc1k is on the statistics tool's hot path
// (every log line passes through it twice), so a line is read into one reused
// buffer and copied once into the caller's field.
#include "vud_support/parse/lines.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "vud_support/console/channels.h"
#include "vud_support/console/messages.h"
#include "vud_support/console/records.h"

namespace vud {

namespace {

// Messages of stripc1k are composed in a field of this width.
constexpr std::size_t kMessageWidth = 248;
// The echo of the line and of a failed read shown under a message.
constexpr std::size_t kEchoWidth = 247;

inline bool is_separator(char c) { return c == ' ' || c == ',' || c == '\t'; }

// Words of s counted as icountwords does; trailing blanks add nothing, so s
// need not be trimmed.
std::int32_t count_words(std::string_view s) {
  std::int32_t n = 0;
  bool after_separator = true;
  for (const char c : s) {
    const bool sep = is_separator(c);
    if (!sep && after_separator) ++n;
    after_separator = sep;
  }
  return n;
}

// Appends s to a message being composed, never past its width.
void append(std::string& out, std::string_view s) {
  if (out.size() >= kMessageWidth) return;
  out.append(s.substr(0, kMessageWidth - out.size()));
}

// Integer right-aligned in width characters, or asterisks when it does not fit.
void append_int(std::string& out, std::int32_t v, int width) {
  char buf[16];
  const int n = std::snprintf(buf, sizeof buf, "%*d", width, static_cast<int>(v));
  if (n > width) {
    append(out, std::string(static_cast<std::size_t>(width), '*'));
  } else {
    append(out, std::string_view(buf, static_cast<std::size_t>(n)));
  }
}

// The first 247 characters of the trimmed text of s, as the terminal may
// show them.
std::string echo_of(std::string_view s) { return terminal_safe(trimmed(s).substr(0, kEchoWidth)); }

// Starts a report: " In <file>" followed by with_file when a current file is
// set (its first two characters not blank), else without_file.
void open_report(std::string& text, std::string_view with_file, std::string_view without_file) {
  if (curfile.currentfile.is_blank()) {
    append(text, without_file);
    return;
  }
  append(text, " In ");
  append(text, curfile.currentfile.trimmed());
  append(text, with_file);
}

void report_end_of_file(std::string_view msg) {
  std::string text;
  const bool named = !curfile.currentfile.is_blank();
  open_report(text, " error reading (", " Error reading ");
  append(text, trimmed(msg));
  append(text, named ? ") EOF sensed." : " EOF sensed.");
  lusrmsg(" ", text, '-');
}

void report_read_failure(std::string_view msg, std::string_view left_in_buffer) {
  std::string text;
  open_report(text, " error reading (", " Error reading: ");
  append(text, trimmed(msg));
  append(text, ") in...");
  lusrmsg(text, echo_of(left_in_buffer.substr(0, static_cast<std::size_t>(kLineWidth))), 'W');
}

[[noreturn]] void report_item_count(std::string_view msg, std::int32_t iexp,
                                    std::string_view line) {
  std::string text;
  open_report(text, " expecting", " Expecting");
  append_int(text, iexp, 3);
  append(text, " items (");
  append(text, trimmed(msg));
  append(text, ") in...");
  lusrmsg(text, echo_of(line), 'F');
  // A fatal message ends the program inside lusrmsg; should it ever come
  // back, the run still cannot go on with a line of the wrong shape.
  end_program(1);
}

}  // namespace

void stripc1k(std::int32_t inpch, Text<kLineWidth>& outstr, std::int32_t iexp, std::int32_t& items,
              std::int32_t ir, std::string_view msg, std::int32_t& ier) {
  std::size_t used = kLineWidth;
  stripc1k(inpch, outstr, iexp, items, ir, msg, ier, used);
}

void stripc1k(std::int32_t inpch, Text<kLineWidth>& outstr, std::int32_t iexp, std::int32_t& items,
              std::int32_t ir, std::string_view msg, std::int32_t& ier, std::size_t& used) {
  ier = 0;
  std::string_view record;
  std::size_t len = 0;
  for (;;) {
    const std::int32_t rc = channel_read_line(inpch, record);
    if (rc == kReadEnd) {
      ier = kStripEndOfFile;
      if (ir == 1) report_end_of_file(msg);
      return;
    }
    if (rc != kReadLine) {
      ier = kStripReadFailed;
      if (ir == 1) report_read_failure(msg, record);
      return;
    }
    len = std::min(record.size(), static_cast<std::size_t>(kLineWidth));
    if (len > 0 && record[0] == '#') continue;  // a comment line
    const void* hash = len > 0 ? std::memchr(record.data(), '#', len) : nullptr;
    if (hash != nullptr)
      len = static_cast<std::size_t>(static_cast<const char*>(hash) - record.data());
    break;
  }
  char* out = outstr.data();
  if (len > 0) std::memcpy(out, record.data(), len);
  const std::size_t dirty = std::min(used, static_cast<std::size_t>(kLineWidth));
  if (dirty > len) std::memset(out + len, ' ', dirty - len);
  used = len;

  if (iexp < 0) return;
  if (iexp == kItemsZero) {
    items = 0;
    return;
  }
  items = count_words(std::string_view(out, len));
  if (iexp != kItemsCount && items != iexp) report_item_count(msg, iexp, outstr.view());
}

std::int32_t icountwords(std::string_view cstring) { return count_words(trimmed(cstring)); }

void sdelim(std::string_view a, Field b, char delm, std::int32_t /*iw*/) {
  b.blank();
  const std::int32_t wa = static_cast<std::int32_t>(a.size());
  const std::int32_t wb = b.width();
  // One position past the text, so a trailing separator closes the last word.
  const std::int32_t last = std::min(trimmed_length(a) + 1, wa);
  const char delimiter = delm == 'T' ? '\t' : delm == 'C' ? ',' : ' ';
  std::int32_t ib = 0;  // characters placed in b
  bool seen_word = false;
  bool in_run = false;
  for (std::int32_t p = 1; p <= last; ++p) {
    const char c = at1(a, p);
    if (is_separator(c)) {
      if (!seen_word || in_run) continue;
      in_run = true;
      if (delm == 'N') continue;
      if (ib < wb) b(++ib) = delimiter;
    } else {
      seen_word = true;
      in_run = false;
      if (ib < wb) b(++ib) = c;
    }
  }
  // No trailing delimiter: the last visible one is turned back to a blank.
  if (delm == 'T' || delm == 'C') {
    std::int32_t p = ib;
    while (p > 0 && b(p) == ' ') --p;
    if (p > 0 && b(p) == delimiter) b(p) = ' ';
  }
}

void strip_leading_space(Field line) { c2fstr(line.view(), line); }

}  // namespace vud
