// Reading the log one line ahead and judging each line by its stamp.
#include "vud_stats/timeline.h"

#include "vud_stats/settings.h"
#include "vud_stats/timestamps.h"
#include "vud_support/console/records.h"
#include "vud_support/parse/lines.h"
#include "vud_support/parse/words.h"

namespace vud {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

LineTime line_time(const LogLine& line) {
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
  StampFields f;
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
  stripc1k(channel_, ahead_, kItemsZero, items, 0, "log line", ier);
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
  if (has_ahead_) {
    line = ahead_;
    time = ahead_time_;
  } else {
    // The end of the log, read once more with its message shown, so that the
    // message follows all that was shown for the last line.
    std::int32_t items = 0;
    stripc1k(channel_, line, kItemsZero, items, 1, "log line", ier);
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
