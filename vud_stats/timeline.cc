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

// Whether s begins with form f.
bool fits(std::string_view s, const TextForm& f) { return fits_form(s.data(), s.size(), f); }

std::int32_t two_digits(const char* c) { return (c[0] - '0') * 10 + (c[1] - '0'); }

// The stamps as jex2csv and the receivers write them, with every digit in its
// place, read straight from their places: the fields come out as the word
// readers find them. Any other line takes the general way.
bool fixed_stamp(std::string_view s, StampFields& f, bool& qtv2) {
  std::size_t at = 0;            // where the stamp begins
  std::int32_t thousandths = 0;  // of the second, after the whole seconds
  qtv2 = is_qtv2_word(s.substr(0, 5));
  if (qtv2) {
    if (!fits(s, kQtv2StampForm)) return false;
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
    if (!fits(stamp, kMolvaStampForm) || stamp.size() == kMolvaStampForm.size ||
        (stamp[kMolvaStampForm.size] != ',' && stamp[kMolvaStampForm.size] != '\t')) {
      return false;
    }
    const char* c = stamp.data();
    thousandths = (c[20] - '0') * 100 + two_digits(c + 21);
  }
  const char* c = s.data() + at;
  f.year = two_digits(c) * 100 + two_digits(c + 2);
  f.month = two_digits(c + 5);
  f.day = two_digits(c + 8);
  f.hour = two_digits(c + 11);
  f.minute = two_digits(c + 14);
  // The nearest 4-byte real to the decimal text, as the real reader gives it:
  // whole thousandths divided by 1000 (both exact, one rounding).
  f.second = static_cast<float>(two_digits(c + 17) * 1000 + thousandths) / 1000.0F;
  return true;
}

}  // namespace

LineTime line_time(const LogLine& line) {
  StampFields f;
  bool qtv2 = false;
  if (!fixed_stamp(line.view(), f, qtv2)) return line_time_general(line);
  if (!stamp_can_exist(f)) return {StampKind::kImpossible, 0.0};
  LineTime t{StampKind::kTime, stamp_seconds(f)};
  t.qtv2_regular = qtv2;
  t.fields = f;
  return t;
}

LineTime line_time_general(const LogLine& line) {
  StampFields f;
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
  // A field other than the one filled last may hold text anywhere.
  if (&line != last_line_) line_used_ = kLineWidth;
  last_line_ = &line;
  if (has_ahead_) {
    const std::size_t n = std::max(ahead_used_, line_used_);
    std::memcpy(line.data(), ahead_.data(), n);
    line_used_ = ahead_used_;
    time_ = ahead_time_;
  } else {
    // The end of the log, read once more with its message shown, so that the
    // message follows all that was shown for the last line.
    std::int32_t items = 0;
    stripc1k(channel_, line, kItemsZero, items, 1, "log line", ier, line_used_);
    if (ier != 0) return false;
    time_ = line_time(line);  // a read that failed once and then went on
  }
  ier = 0;
  read_ahead();
  verdict = guard_.judge(time_, ahead_time_);
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
