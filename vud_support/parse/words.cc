// Word, phrase and number extraction: the cursor walk over a fixed-width line,
// free-form integer and real reading, and the messages these routines show.
#include "vud_support/parse/words.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "vud_support/console/messages.h"
#include "vud_support/console/records.h"
#include "vud_support/parse/numtext.h"

namespace vud {
namespace {

constexpr std::int32_t kMessageWidth = 248;  // composition buffer of every message
constexpr std::int32_t kWrapWidth = 100;     // width given to edisp248
constexpr std::int32_t kLongLine = 123;      // longer echoed lines are wrapped
constexpr std::int32_t kIntegerEcho = 105;
constexpr std::int32_t kRealEcho = 230;

// Character classes of the walk, as types so that the walk is compiled for each.
struct WordSeparator {
  bool operator()(char c) const { return is_word_separator(c); }
};
struct PhraseSkip {
  bool operator()(char c) const { return c == ' ' || c == ',' || c == '\t'; }
};
struct PhraseEnd {
  bool operator()(char c) const { return c == ',' || c == '\t'; }
};

// Builds one message in the 248-character buffer; text beyond it is cut.
class Composer {
 public:
  Composer() = default;
  Composer& operator<<(std::string_view s) {
    buf_.put(next_, s);
    next_ += static_cast<std::int32_t>(std::min<std::size_t>(s.size(), kMessageWidth));
    if (next_ > kMessageWidth + 1) next_ = kMessageWidth + 1;
    return *this;
  }
  // Shows the whole buffer (its padding included) wrapped at the message width.
  void show() const { edisp248(outin.iuout, buf_, kWrapWidth); }

 private:
  Text<kMessageWidth> buf_;
  std::int32_t next_ = 1;
};

bool has_current_file() { return !curfile.currentfile.is_blank(); }
std::string_view current_file() { return curfile.currentfile.trimmed(); }

// Outcome of the walk: the item ended normally, or the line ended first (the
// cursor then rests past the line).
enum class Scan { kDone, kPastEnd };

// The shared walk of egetw and egetp. Skips characters for which skip() holds,
// then collects into out until stop() holds, out is full or the line ends.
// A cursor the caller set below 0 counts as 0.
template <typename Skip, typename Stop>
Scan scan_item(std::string_view string, std::int32_t& k, Field out, Skip skip, Stop stop) {
  out.blank();
  const std::int32_t width = static_cast<std::int32_t>(string.size());
  // The walk keeps the cursor in a local: the stores into out could otherwise
  // alias it and force a reload on every character.
  std::int32_t pos = k < 0 ? 0 : k;
  for (;;) {
    if (pos >= width) {
      k = pos < std::numeric_limits<std::int32_t>::max() ? pos + 1 : pos;
      return Scan::kPastEnd;
    }
    ++pos;
    if (!skip(at1(string, pos))) break;
  }
  char* dst = out.data();
  const std::int32_t room = out.width();
  for (std::int32_t n = 0;; ++n) {
    // A full result leaves the cursor on the character that did not fit.
    if (n == room) break;
    dst[n] = at1(string, pos);
    ++pos;
    if (pos > width) {
      k = pos;
      return Scan::kPastEnd;
    }
    if (stop(at1(string, pos))) break;
  }
  k = pos;
  return Scan::kDone;
}

// The second line of the past-the-end message: the whole input line, its
// control bytes shown as "?" like every echo of a line or word.
void show_line(std::string_view string) {
  const std::string shown = terminal_safe(string);
  if (trimmed_length(shown) > kLongLine) {
    edisp248(outin.iuout, shown, kWrapWidth);
  } else {
    edisp(outin.iuout, shown);
  }
}

void past_end_message(std::string_view string, char act, std::string_view msg, bool phrase) {
  const bool failure = act == 'F';
  Composer line;
  if (has_current_file()) {
    line << (failure ? "FAILURE: in " : "WARNING: in ") << current_file()
         << " past end of line for " << trimmed_or_blank(msg)
         << (phrase ? " (phrase) in..." : " in...");
  } else {
    line << (failure ? "FAILURE: Past end of line for " : "WARNING: Past end of line for ")
         << trimmed_or_blank(msg) << (phrase ? " (phrase) in..." : " (word) in...");
  }
  line.show();
  show_line(string);
}

void conversion_message(std::string_view msg, std::string_view word) {
  Composer line;
  if (has_current_file()) {
    line << "Failed in " << current_file() << ": conversion of ";
  } else {
    line << " Failed: conversion of ";
  }
  line << trimmed_or_blank(msg) << " value in " << terminal_safe(word);
  line.show();
}

// Limit phrases of the range message: under "W" and "F", below and above.
struct LimitPhrases {
  std::string_view warn_below, warn_above, fail_below, fail_above;
};
constexpr LimitPhrases kIntegerPhrases{") < normal minimum ", ") > normal maximum ",
                                       ") < allowable minimum ", ") > allowable maximum "};
// The real form words its phrases differently: two blanks before "maximum"
// under "W", "minumum" under "F".
constexpr LimitPhrases kRealPhrases{") < normal minimum ", ") > normal  maximum ",
                                    ") < allowable minumum ", ") > allowable maximum "};

// The three-line range message: blank line, location with the echoed line
// (at most echo_max characters of it), then value, limit phrase and limit.
// act is "W" or "F"; under "F" the flag becomes kIerOutOfRange.
void range_message(std::string_view string, std::int32_t echo_max, char act, std::string_view msg,
                   bool below, std::string_view value, std::string_view limit,
                   const LimitPhrases& phrases, std::int32_t& ier) {
  edisp(outin.iuout, " ");
  const bool failure = act == 'F';
  const std::int32_t echo = std::min(trimmed_length(string), echo_max);
  Composer where;
  if (has_current_file()) {
    where << (failure ? "FAILURE: in " : "WARNING: in ") << current_file() << ": ";
  } else {
    where << (failure ? " FAILURE in: " : " WARNING in: ");
  }
  where << terminal_safe(sub1(string, 1, echo));
  where.show();
  std::string_view phrase;
  if (failure) {
    phrase = below ? phrases.fail_below : phrases.fail_above;
  } else {
    phrase = below ? phrases.warn_below : phrases.warn_above;
  }
  Composer what;
  what << " the " << trimmed_or_blank(msg) << " value (" << value << phrase << limit << "!";
  what.show();
  if (failure) ier = kIerOutOfRange;
}

// Free-form integer: optional sign and decimal digits, then only blanks.
bool read_integer(std::string_view word, std::int32_t& value) {
  std::size_t i = 0;
  const std::size_t n = word.size();
  while (i < n && word[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (word[i] == '+' || word[i] == '-')) negative = word[i++] == '-';
  const std::size_t first_digit = i;
  std::int64_t v = 0;
  for (; i < n && word[i] >= '0' && word[i] <= '9'; ++i) {
    v = v * 10 + (word[i] - '0');
    if (v > std::int64_t{1} << 32) return false;  // well outside the 32-bit range already
  }
  if (i == first_digit) return false;
  for (; i < n; ++i) {
    if (word[i] != ' ') return false;
  }
  if (negative) v = -v;
  if (v < std::numeric_limits<std::int32_t>::min() ||
      v > std::numeric_limits<std::int32_t>::max()) {
    return false;
  }
  value = static_cast<std::int32_t>(v);
  return true;
}

// Free-form 4-byte real: optional sign, digits with an optional point (at
// least one digit), optional exponent letter E, e, D or d with optional sign
// and digits; then only blanks. Words such as "nan", "inf" or "Infinity" hold
// no digit and are not numbers. A value beyond the 4-byte range is refused;
// one too small for it becomes zero or the nearest tiny value.
bool read_real(std::string_view word, float& value) {
  std::size_t b = 0, e = word.size();
  while (b < e && word[b] == ' ') ++b;
  while (e > b && word[e - 1] == ' ') --e;
  std::string_view w = word.substr(b, e - b);
  if (w.empty()) return false;

  bool negative = false;
  std::string_view body = w;
  if (body[0] == '+' || body[0] == '-') {
    negative = body[0] == '-';
    body.remove_prefix(1);
  }

  // Copy the number into a small buffer in the one form from_chars reads:
  // no leading plus, exponent letter "e". The word is at most 20 characters.
  char buf[32];
  std::size_t n = 0;
  if (negative) buf[n++] = '-';
  std::size_t i = 0, digits = 0;
  auto take_digits = [&]() {
    std::size_t count = 0;
    while (i < body.size() && body[i] >= '0' && body[i] <= '9' && n < sizeof buf - 1) {
      buf[n++] = body[i++];
      ++count;
    }
    return count;
  };
  digits += take_digits();
  if (i < body.size() && body[i] == '.') {
    buf[n++] = body[i++];
    digits += take_digits();
  }
  if (digits == 0) return false;
  if (i < body.size() && (body[i] == 'e' || body[i] == 'E' || body[i] == 'd' || body[i] == 'D')) {
    ++i;
    buf[n++] = 'e';
    if (i < body.size() && (body[i] == '+' || body[i] == '-')) buf[n++] = body[i++];
    if (take_digits() == 0) return false;
  }
  if (i != body.size()) return false;

  float v = 0.0F;
  const auto [end, ec] = std::from_chars(buf, buf + n, v, std::chars_format::general);
  if (end != buf + n) return false;
  if (ec == std::errc::result_out_of_range) {
    // Out of range in either direction: decide by the double reading.
    double d = 0.0;
    const auto rd = std::from_chars(buf, buf + n, d, std::chars_format::general);
    if (rd.ec != std::errc() ||
        std::fabs(d) > static_cast<double>(std::numeric_limits<float>::max())) {
      return false;
    }
    v = static_cast<float>(d);
  } else if (ec != std::errc()) {
    return false;
  }
  value = v;
  return true;
}

}  // namespace

void egetw(std::string_view string, std::int32_t& k, Field word, char act, std::string_view msg,
           std::int32_t& ier) {
  if (scan_item(string, k, word, WordSeparator{}, WordSeparator{}) == Scan::kDone) return;
  ier = kIerPastEnd;
  if (act == '-') return;
  past_end_message(string, act, msg, false);
}

void egetp(std::string_view string, std::int32_t& k, Field phrase, char act, std::string_view msg,
           std::int32_t& ier) {
  ier = kIerOk;
  if (scan_item(string, k, phrase, PhraseSkip{}, PhraseEnd{}) == Scan::kDone) return;
  if (act == '-') return;
  ier = kIerPastEnd;
  past_end_message(string, act, msg, true);
}

void egetwi(std::string_view string, std::int32_t& k, std::int32_t& iv, std::int32_t mn,
            std::int32_t mx, char act, std::string_view msg, std::int32_t& ier) {
  ier = kIerOk;
  Text<kNumberWordWidth> word;
  egetw(string, k, word, '-', "integer", ier);
  if (ier != kIerOk) return;
  if (!read_integer(word, iv)) {
    conversion_message(msg, word);
    ier = kIerNotNumber;
    return;
  }
  if (act == '-') return;
  if (act != 'W' && act != 'F') return;  // other letters make no range check
  const bool below = iv < mn;
  if (!below && iv <= mx) return;

  Text<10> value, limit;
  std::int32_t lv = 0, ll = 0, iflag = 0;
  intstr(iv, value, lv, iflag);
  intstr(below ? mn : mx, limit, ll, iflag);
  range_message(string, kIntegerEcho, act, msg, below, sub1(value, 1, lv), sub1(limit, 1, ll),
                kIntegerPhrases, ier);
}

void egetwr(std::string_view string, std::int32_t& k, float& rv, float rmn, float rmx, char ract,
            std::string_view msg, std::int32_t& ier) {
  ier = kIerOk;
  Text<kNumberWordWidth> word;
  egetw(string, k, word, '-', "real", ier);
  if (ier != kIerOk || !read_real(word, rv)) {
    conversion_message(msg, word);
    ier = kIerNotNumber;
    return;
  }
  if (ract != 'W' && ract != 'F') return;  // "-" and other letters make no range check
  const bool below = rv < rmn;
  if (!below && !(rv > rmx)) return;

  Text<16> value, limit;
  std::int32_t lv = 0, ll = 0, iflag = 0;
  rel16str(rv, value, lv, iflag);
  rel16str(below ? rmn : rmx, limit, ll, iflag);
  range_message(string, kRealEcho, ract, msg, below, sub1(value, 1, lv), sub1(limit, 1, ll),
                kRealPhrases, ier);
}

void intstr(std::int32_t intin, Text<10>& fstr, std::int32_t& iswd, std::int32_t& iflag) {
  iflag = 0;
  iswd = 0;
  fstr.blank();
  char work[16];
  const int n = std::snprintf(work, sizeof work, "%10d", static_cast<int>(intin));
  std::string_view text(work, n > 0 ? static_cast<std::size_t>(n) : 0);
  if (text.size() > 10) text = "**********";
  std::size_t b = 0;
  while (b < text.size() && text[b] == ' ') ++b;
  std::size_t e = b;
  while (e < text.size() && static_cast<unsigned char>(text[e]) >= 32) ++e;
  fstr.assign(text.substr(b, e - b));
  iswd = fstr.trimmed_length();
}

}  // namespace vud
