// Time stamps and the journal file.
#include "vud_support/console/journal.h"

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "vud_support/console/channels.h"
#include "vud_support/console/messages.h"
#include "vud_support/console/records.h"

namespace vud {
namespace {

JournalClock g_clock = nullptr;

std::int64_t system_clock_seconds() {
  const std::time_t t = std::time(nullptr);
  return t == static_cast<std::time_t>(-1) ? -1 : static_cast<std::int64_t>(t);
}

// Formats seconds since 1970 as the 24-character local date text; all blanks
// when the time has no local calendar date.
Text<24> format_date(std::int64_t seconds) {
  static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  Text<24> out;
  const std::time_t t = static_cast<std::time_t>(seconds);
  if (static_cast<std::int64_t>(t) != seconds) return out;
  std::tm tm{};
  if (localtime_r(&t, &tm) == nullptr) return out;
  const long year = static_cast<long>(tm.tm_year) + 1900L;
  if (tm.tm_wday < 0 || tm.tm_wday > 6 || tm.tm_mon < 0 || tm.tm_mon > 11 || year < 0 ||
      year > 9999) {
    return out;
  }
  char buf[32];
  const int n =
      std::snprintf(buf, sizeof buf, "%s %s %2d %02d:%02d:%02d %04ld", kDays[tm.tm_wday],
                    kMonths[tm.tm_mon], tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, year);
  if (n != 24) return out;
  out.assign(std::string_view(buf, 24));
  return out;
}

bool is_permission_error(std::int32_t code) { return code == EACCES || code == EPERM; }

// Appends line to the journal file when the journal is active and its file
// exists; every failure is told in one line and only this line is lost.
void journal_line(std::string_view line) {
  if (journopt.journio != 1) return;
  const std::string_view jfile = journopt.jfile.view();
  if (is_blank(jfile) || jfile.substr(0, 4) == "UNKN") return;
  const std::string_view name = trimmed(jfile);
  if (!file_exists(name)) return;
  channel_close(journopt.iuj);
  const std::int32_t code = channel_open(journopt.iuj, name, FileAccess::kAppend);
  if (code != 0) {
    edisp(outin.iuout, is_permission_error(code)
                           ? "Permission issue while opening journal file, continuing."
                           : "Error opening journal file, continuing.");
    return;
  }
  const std::int32_t st = channel_write(journopt.iuj, trimmed(line));
  if (st != kIoOk) {
    edisp(outin.iuout, st == kIoPermission
                           ? "Permission issue while updating journal file, continuing."
                           : "Error updating journal file, continuing.");
  }
  if (channel_close(journopt.iuj) != kIoOk && st == kIoOk) {
    edisp(outin.iuout, "Error updating journal file, continuing.");
  }
}

}  // namespace

void set_journal_clock(JournalClock clock) { g_clock = clock; }

Text<24> ectime(std::int32_t ictime) { return format_date(ictime); }

void dstamp(Text<24>& date_str) {
  const std::int64_t seconds = g_clock != nullptr ? g_clock() : system_clock_seconds();
  if (seconds == -1) {
    edisp(outin.iuout, "dstamp: error getting time, using fixed date");
    date_str = kFixedDate;
    return;
  }
  // The full clock value is formatted here (not through ectime's 32-bit
  // argument), so dates after 2038 still come out right.
  date_str = format_date(seconds);
  if (date_str.trimmed_length() <= 20) date_str = kFixedDate;
}

void tstamp(char act, std::string_view msg) {
  Text<24> date;
  dstamp(date);
  // The stamp " @ " + date takes 27 of the 124 characters of the line.
  constexpr std::int32_t kMsgRoom = 124 - 27;
  Text<124> line;
  switch (act) {
    case '-':
      line = " Current time is : ";
      line.put(20, date.view());
      edisp(outin.iuout, line.view());
      return;
    case 'm':
    case '>': {
      // An empty message stands as one blank, like any other blank text.
      const std::string_view text = sub1(trimmed_or_blank(msg), 1, kMsgRoom);
      line = text;
      const std::int32_t at = static_cast<std::int32_t>(text.size()) + 1;
      line.put(at, " @ ");
      line.put(at + 3, date.view());
      if (act == 'm') {
        edisp(outin.iuout, line.view());
      } else {
        journal_line(line.view());
      }
      return;
    }
    default:
      return;
  }
}

}  // namespace vud
