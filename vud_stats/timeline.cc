// Reading the log one line ahead and judging each line by its stamp.
#include "vud_stats/timeline.h"

#include <algorithm>
#include <cstring>

#include "vud_stats/freeform.h"
#include "vud_stats/timestamps.h"
#include "vud_support/console/records.h"
#include "vud_support/parse/lines.h"
#include "vud_support/parse/words.h"

namespace vud {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Whether s begins with a digit wherever form holds "9" and the very
// character of form everywhere else. The form is known when the program is
// built, so the test becomes one comparison per position.
template <std::size_t N>
bool fits(std::string_view s, const char (&form)[N]) {
  constexpr std::size_t n = N - 1;  // without the closing zero
  if (s.size() < n) return false;
  const char* c = s.data();
  bool ok = true;
  for (std::size_t i = 0; i < n; ++i) ok &= form[i] == '9' ? is_digit(c[i]) : c[i] == form[i];
  return ok;
}

std::int32_t number(std::string_view s, std::size_t at, std::size_t n) {
  std::int32_t v = 0;
  for (std::size_t i = at; i < at + n; ++i) v = v * 10 + (s[i] - '0');
  return v;
}

// The stamps as jex2csv and the receivers write them, with every digit in its
// place, read straight from their places: the fields come out as the word
// readers find them. Any other line takes the general way.
bool fixed_stamp(std::string_view s, StampFields& f) {
  static constexpr char kQtv2[] = "9999/99/99,99:99:99,";
  static constexpr char kMolva[] = "9999-99-99 99:99:99.999";
  std::size_t at = 0;  // where the stamp begins
  float fraction = 0.0F;
  if (is_qtv2_word(s.substr(0, 5))) {
    if (!fits(s, kQtv2)) return false;
  } else {
    // MOLVA: two plain words of at most 32 characters, each ended by a comma.
    std::size_t c1 = 0;
    while (c1 < s.size() && !is_word_separator(s[c1])) ++c1;
    if (c1 == 0 || c1 > 32 || c1 >= s.size() || s[c1] != ',') return false;
    std::size_t c2 = c1 + 1;
    while (c2 < s.size() && !is_word_separator(s[c2])) ++c2;
    if (c2 == c1 + 1 || c2 - c1 - 1 > 32 || c2 >= s.size() || s[c2] != ',') return false;
    at = c2 + 1;
    const std::string_view stamp = s.substr(at);
    constexpr std::size_t kMolvaSize = sizeof kMolva - 1;
    if (!fits(stamp, kMolva) || stamp.size() == kMolvaSize ||
        (stamp[kMolvaSize] != ',' && stamp[kMolvaSize] != '\t')) {
      return false;
    }
    fraction = static_cast<float>(number(s, at + 20, 3)) / 1000.0F;
  }
  f.year = number(s, at, 4);
  f.month = number(s, at + 5, 2);
  f.day = number(s, at + 8, 2);
  f.hour = number(s, at + 11, 2);
  f.minute = number(s, at + 14, 2);
  f.second = static_cast<float>(number(s, at + 17, 2)) + fraction;
  return true;
}

}  // namespace

LineTime line_time(const LogLine& line) {
  StampFields f;
  if (fixed_stamp(line.view(), f)) {
    if (!stamp_can_exist(f)) return {StampKind::kImpossible, 0.0};
    return {StampKind::kTime, stamp_seconds(f)};
  }
  // The same words, in fields of the same widths, as the passes read.
  std::int32_t k = 0;
  std::int32_t ier = 0;
  Text<32> word;
  egetw(line, k, word, '-', "", ier);
  if (ier != 0) return {};
  Text<24> datea;
  char act = '2';
  if (is_qtv2_word(word)) {
    datea = sub1(line, 1, 20);
  } else {
    act = 'B';
    egetw(line, k, word, '-', "", ier);
    if (ier != 0) return {};
    egetp(line, k, datea, '-', "", ier);
  }
  if (!read_stamp_fields(datea, act, f)) return {};
  if (!stamp_can_exist(f)) return {StampKind::kImpossible, 0.0};
  return {StampKind::kTime, stamp_seconds(f)};
}

Verdict TimeGuard::judge(const LineTime& line, const LineTime& next) {
  if (line.kind == StampKind::kImpossible) return Verdict::kImpossible;
  if (line.kind != StampKind::kTime) return Verdict::kUse;
  const double t = line.seconds;
  const bool has_next = next.kind == StampKind::kTime;
  const bool ahead =
      has_next && t > next.seconds + kFarOffSeconds && (!has_used_ || t > used_ + kFarOffSeconds);
  const bool behind =
      has_next && t < next.seconds - kFarOffSeconds && has_used_ && t < used_ - kFarOffSeconds;
  if (ahead || behind) return Verdict::kFarOff;
  has_used_ = true;
  used_ = t;
  return Verdict::kUse;
}

void LogWindow::read_ahead() {
  std::int32_t items = 0;
  std::int32_t ier = 0;
  // Silent: the end of the log is shown when the pass reaches it (next).
  stripc1k(channel_, ahead_, kItemsZero, items, 0, "log line", ier, ahead_used_);
  has_ahead_ = ier == 0;
  ahead_time_ = LineTime{};
  if (!has_ahead_) return;
  if (!started_) {
    started_ = true;
    if (ahead_.view().substr(0, kByteOrderMark.size()) == kByteOrderMark) {
      ahead_.assign(ahead_.view().substr(kByteOrderMark.size()));
    }
  }
  ahead_time_ = line_time(ahead_);
}

bool LogWindow::next(LogLine& line, Verdict& verdict, std::int32_t& ier) {
  if (!started_ && !has_ahead_) read_ahead();
  LineTime time;
  // A field other than the one filled last may hold text anywhere.
  if (&line != last_line_) line_used_ = kLineWidth;
  last_line_ = &line;
  if (has_ahead_) {
    const std::size_t n = std::max(ahead_used_, line_used_);
    std::memcpy(line.data(), ahead_.data(), n);
    line_used_ = ahead_used_;
    time = ahead_time_;
  } else {
    // The end of the log, read once more with its message shown, so that the
    // message follows all that was shown for the last line.
    std::int32_t items = 0;
    stripc1k(channel_, line, kItemsZero, items, 1, "log line", ier, line_used_);
    if (ier != 0) return false;
    time = line_time(line);  // a read that failed once and then went on
  }
  ier = 0;
  read_ahead();
  verdict = guard_.judge(time, ahead_time_);
  return true;
}

void warn_passed_over(Verdict verdict, const LogLine& line) {
  FreeLine()
      .text(verdict == Verdict::kImpossible
                ? "warning: impossible date or time, line passed over: "
                : "warning: time far from the lines around it, line passed over: ")
      .text(line.trimmed())
      .write(outin.iuout);
}

}  // namespace vud
