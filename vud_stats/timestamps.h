// Log time stamps and the five-minute step grid: a date-time text becomes a
// day number (day of the year plus the fraction of the day, every year a
// common year, running on past the end of the log's first year), and a reading
// is assigned to a five-minute step of its hour in one of two regimes. All day
// numbers and fractions are 4-byte reals.
#ifndef VUD_STATS_TIMESTAMPS_H_
#define VUD_STATS_TIMESTAMPS_H_

#include <array>
#include <cstdint>
#include <string_view>

#include "vud_support/text/fixed_text.h"

namespace vud {

inline constexpr float secondsinday = 86400.0F;
inline constexpr float secondsinhour = 3600.0F;
inline constexpr float secondsin5min = 300.0F;

// Day fraction of minute 5 f of hour h (f may reach 12, the next hour),
// made from whole seconds with one rounding: (3600 h + 300 f) / 86400. Marks
// built this way fall exactly where a time stamp of that second falls.
float five_minute_mark(std::int32_t h, std::int32_t f);

// The day-fraction constants and the tolerance of a run.
struct DayFractions {
  std::array<float, 25> hourdayfrac{};  // entry h is h/24, h = 0 to 24
  float fiveminfrac = 0, oneminfrac = 0, tensecfrac = 0, twentysecfrac = 0;
  float thirtysecfrac = 0, fourtysecfrac = 0, fiftysecfrac = 0;
  float closeenough = 0;  // tolerance used to match readings to marks
};

// Fills the table and the constants and chooses closeenough from itol: 10, 20
// and 30 give that many seconds, 40 gives 45 seconds, 50 gives 55 seconds,
// anything else 30 seconds.
void set_day_fractions(DayFractions& df, std::int32_t itol);

// Day number of a step: ijday + thehouris + icurfive x fiveminfrac, summed in
// that order in 4-byte reals.
float step_day_number(const DayFractions& df, std::int32_t ijday, float thehouris,
                      std::int32_t icurfive);

// The step state that the passes carry from line to line.
struct StepState {
  float thehouris = 0;          // day fraction of the current hour mark
  std::int32_t ithehouris = 0;  // the current hour, 0 to 23
  std::int32_t icurfive = 0;    // five-minute index within the hour, 0 to 12
  float nowis = 0;              // working mark
  float curnowis = 0;           // day number of the current step
  float thejulianis = 0;        // day number of the reading that opened the step
  float printedat = 0;          // thejulianis of the last row written
  bool closetohour = false;
  bool closetofive = false;
  bool nearstartofhour = false;
};

// Converts the date-time text datea (24 characters; act 'B' for MOLVA stamps
// 'YYYY-MM-DD hh:mm:ss.fff', '2' for QTV 2 stamps 'YYYY/MM/DD,hh:mm:ss') to
// the day number juliand, the day fraction julianfrac, the day of the year
// ijday and the seconds since midnight totalsecs.
//
// The first conversion whose year was read (after reset_datestamp_memory)
// fixes the base year Y0; ijday then counts 365 days for each year after Y0
// (ijday = day of the year + 365 (year - Y0), every year a common year), so a
// log that runs past New Year goes on with day 366, 367, ... and the stamps
// of one calendar year keep their day of the year.
//
// A field that is not a number ends the conversion with "comparedate: error
// extracting hour." (year, hour) or "comparedate: error extracting minute."
// (month, day, minute, seconds), and the outputs keep their values. A blank
// field keeps the value that field had in the previous call (0 at first).
// Returns true when nothing was shown (no message of its own and no
// past-the-end warning of the word reader), so that a caller converting the
// same text again can skip the second call without changing what is shown.
bool datestamptojulian(std::string_view datea, char act, float& juliand, float& julianfrac,
                       std::int32_t& ijday, float& totalsecs);
// The same, with the layout letter given as a one-character text ("B", "2").
inline bool datestamptojulian(std::string_view datea, std::string_view act, float& juliand,
                              float& julianfrac, std::int32_t& ijday, float& totalsecs) {
  return datestamptojulian(datea, act.empty() ? ' ' : act.front(), juliand, julianfrac, ijday,
                           totalsecs);
}

// The same by the word readers alone, for any text. datestamptojulian reads a
// stamp of the regular forms ('YYYY/MM/DD,hh:mm:ss', 'YYYY-MM-DD hh:mm:ss.fff'
// with a separator after it) straight from its digits, with the same results.
bool datestamptojulian_general(std::string_view datea, char act, float& juliand, float& julianfrac,
                               std::int32_t& ijday, float& totalsecs);

// Forgets the field values datestamptojulian keeps for blank fields, and its
// base year (the shared record datemem).
void reset_datestamp_memory();

// The fields of a date-time text as datestamptojulian reads them.
struct StampFields {
  std::int32_t year = 0, month = 0, day = 0, hour = 0, minute = 0;
  float second = 0.0F;
};

// datestamptojulian of a stamp of the regular QTV 2 form
// 'YYYY/MM/DD,hh:mm:ss,' whose fields were already read from its digits
// (line_time): the same results and memory, without reading the text again.
// Such a stamp shows nothing.
void datestamptojulian_qtv2(const StampFields& f, float& juliand, float& julianfrac,
                            std::int32_t& ijday, float& totalsecs);

// Reads the fields of datea (act as for datestamptojulian) silently, without
// the memory of blank fields. Returns true when every field was read as a
// number; a blank or unreadable field gives false.
bool read_stamp_fields(std::string_view datea, char act, StampFields& f);

// Whether the fields name a date and time that can exist: month 1 to 12, day
// 1 to the month's last (29 February in leap years), hour 0 to 23, minute 0
// to 59 and second from 0 to below 60.
bool stamp_can_exist(const StampFields& f);

// Seconds of the fields since 2000-01-01 00:00:00, every year counted as a
// common year as day numbers are: a measure for comparing two stamps.
double stamp_seconds(const StampFields& f);

// Day of the year iydn of day idayn of month imthn (February has 28 days).
// A month below 2 gives the day of the month; a month above 12 counts as 12.
void eday(std::int32_t idayn, std::int32_t imthn, std::int32_t& iydn);

// Day of the month and month of day of the year iydn; the inverse of eday.
void edayr(std::int32_t iydn, std::int32_t& idayn, std::int32_t& imthn);

// On the first data line of the log: the hour mark within a minute of
// julianfrac (or else the hour that contains it) becomes thehouris, with its
// hour in ithehouris; thejulianis takes juliand.
void find_first_hour_mark(const DayFractions& df, float juliand, float julianfrac, StepState& st);

// The hour whose mark thehouris is (0 when it is none).
std::int32_t hour_of_mark(const DayFractions& df, float thehouris);

// Fast regime: the reading opens the step of the hour mark or of the
// five-minute mark that julianfrac lies within closeenough of, provided more
// than a minute has passed since printedat; otherwise it is dropped. When
// sets_hour is true (restricted report, or a reading of sensor 1 or 2) an
// hour mark within a minute first becomes the current hour. Returns whether
// the reading was assigned to a step.
bool assign_step_fast(const DayFractions& df, bool sets_hour, float juliand, float julianfrac,
                      std::int32_t ijday, StepState& st);

// Slow regime: the reading is assigned to the five-minute step that contains
// it; an exact mark belongs to the step before it, 00:00:00 to the first step.
void assign_step_slow(const DayFractions& df, float juliand, float julianfrac, std::int32_t ijday,
                      StepState& st);

// Step label: the first 11 characters of datea, the hour ithehouris and the
// minute 5 icurfive, each as two digits ('2014/12/22,13:40').
void step_label(std::string_view datea, std::int32_t ithehouris, std::int32_t icurfive,
                Text<24>& dateafive);

}  // namespace vud

#endif  // VUD_STATS_TIMESTAMPS_H_
