// The log as a time line, read the same way by both passes: each line comes
// with the time of its stamp and the time of the line after it, both read
// silently, so that a line whose date or time cannot exist, or whose time
// lies far from the lines around it, is passed over before it counts for
// anything. A UTF-8 byte-order mark at the start of the log is skipped.
#ifndef VUD_STATS_TIMELINE_H_
#define VUD_STATS_TIMELINE_H_

#include <cstdint>

#include "vud_stats/layouts.h"
#include "vud_stats/timestamps.h"

namespace vud {

// What the stamp of a line holds.
enum class StampKind {
  kNone,        // no stamp read whole (a blank line, a header, a blank or bad field)
  kImpossible,  // every field a number, but no such date or time exists
  kTime,        // a date and time that exist
};

struct LineTime {
  LineTime() = default;
  LineTime(StampKind k, double s) : kind(k), seconds(s) {}

  StampKind kind = StampKind::kNone;
  double seconds = 0.0;  // stamp_seconds of a kTime stamp
  // A kTime stamp of the regular QTV 2 form 'YYYY/MM/DD,hh:mm:ss,' (every
  // digit in its place, a comma after it), with its fields: the passes turn
  // them into the day number without reading the text again.
  bool qtv2_regular = false;
  StampFields fields;
};

// The stamp of a log line, read without any message: a line whose first word
// has the QTV 2 form carries it in characters 1 to 20 ('YYYY/MM/DD,hh:mm:ss'),
// any other line (MOLVA) in its third field ('YYYY-MM-DD hh:mm:ss.fff').
LineTime line_time(const LogLine& line);

// The same by the word readers alone, for any line: the slow twin of
// line_time, which reads the regular stamps straight from their digits.
LineTime line_time_general(const LogLine& line);

// How far (seconds) a line's time must lie beyond the lines around it to be
// passed over. Lines a few seconds or minutes out of order are used as they
// stand; a single line an hour or more off is taken for a clock fault.
inline constexpr double kFarOffSeconds = 3600.0;

// What a pass does with a line.
enum class Verdict { kUse, kImpossible, kFarOff };

// Judges each line by its stamp, in log order. A line is passed over when its
// stamp cannot exist, or when it lies more than kFarOffSeconds ahead of both
// the last line kept and the next line (before any line is kept: ahead of the
// next line), or behind both of them. A line with no stamp is kept; so is a
// line that lies between its neighbours however far apart they are (a gap in
// the log, or a receiver clock set once forward or back), and a line with no
// next line to compare (the last line, or one before a line without a stamp
// that exists, which is no neighbour).
class TimeGuard {
 public:
  Verdict judge(const LineTime& line, const LineTime& next);

 private:
  bool has_used_ = false;
  double used_ = 0.0;  // time of the last line used
};

// The log on a channel, read one line ahead (through stripc1k, comment lines
// left out) and judged by a TimeGuard.
class LogWindow {
 public:
  explicit LogWindow(std::int32_t channel) : channel_(channel) {}

  // Moves to the next line: line receives it and verdict the guard's verdict
  // on it. At the end of the log (or a failed read) returns false with ier as
  // stripc1k sets it, once stripc1k has shown its message for it; the message
  // comes after everything shown for the last line. A line is given the same
  // field on every call and finds it as the last call left it; only the part
  // that held text is written again.
  bool next(LogLine& line, Verdict& verdict, std::int32_t& ier);

  // The stamp of the line next() gave last, as line_time read it.
  const LineTime& time() const { return time_; }

 private:
  void read_ahead();

  std::int32_t channel_;
  bool started_ = false;
  bool has_ahead_ = false;
  LogLine ahead_;
  // Leading characters of ahead_, and of the caller's field last filled, that
  // may be other than blank; every character after them is blank.
  std::size_t ahead_used_ = kLineWidth;
  const LogLine* last_line_ = nullptr;
  std::size_t line_used_ = kLineWidth;
  LineTime ahead_time_;
  LineTime time_;
  TimeGuard guard_;
};

// Shows on the terminal that line is passed over, and why (verdict
// kImpossible or kFarOff), quoting the line.
void warn_passed_over(Verdict verdict, const LogLine& line);

}  // namespace vud

#endif  // VUD_STATS_TIMELINE_H_
