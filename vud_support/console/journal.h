// Time stamps and the journal: the current date and time as a 24-character
// text, a line stamped with it shown on the terminal, or appended to the
// journal file that records what the user did.
#ifndef VUD_SUPPORT_CONSOLE_JOURNAL_H_
#define VUD_SUPPORT_CONSOLE_JOURNAL_H_

#include <cstdint>
#include <string_view>

#include "vud_support/text/fixed_text.h"

namespace vud {

// The date used whenever the clock cannot be read.
inline constexpr std::string_view kFixedDate = "Mon Feb 11 16:42:00 2013";

// Stamps msg with the current date and time, by act:
//   '-'  shows " Current time is : " and the date on the terminal;
//   'm'  shows trimmed msg, " @ " and the date on the terminal;
//   '>'  appends trimmed msg, " @ " and the date to the journal file as one
//        line, and shows nothing;
//   any other letter does nothing.
// The journal is written only while journopt.journio is 1 and journopt.jfile
// names a file (its first two characters not blank, its first four not
// "UNKN") that already exists: the journal file is never created here. It is
// opened on journopt.iuj for appending and closed again after the line, so the
// file is complete whenever the program stops. Failures show one line ending
// in "continuing." and give up only this line. Lines are composed in 124
// characters: msg is cut to 97 so that the stamp always fits.
void tstamp(char act, std::string_view msg);
// The same, with the action given as a one-character text.
inline void tstamp(std::string_view act, std::string_view msg) {
  tstamp(act.empty() ? ' ' : act.front(), msg);
}

// The current local date and time in date_str. When the clock cannot be read
// it shows "dstamp: error getting time, using fixed date" and uses the fixed
// date; a date text of 20 characters or fewer is replaced by the fixed date
// without a message.
void dstamp(Text<24>& date_str);

// The 24-character local date text of ictime, seconds since the start of 1970
// in universal time: day name, month name, day of month right-aligned in 2,
// hh:mm:ss and the year, as in "Mon Feb 11 16:42:00 2013". English names
// whatever the locale. All blanks when the time cannot be converted.
Text<24> ectime(std::int32_t ictime);

// Replaces the clock that dstamp reads (seconds since 1970, -1 when it cannot
// be read); nullptr puts the system clock back. For tests of the fallbacks.
using JournalClock = std::int64_t (*)();
void set_journal_clock(JournalClock clock);

}  // namespace vud

#endif  // VUD_SUPPORT_CONSOLE_JOURNAL_H_
