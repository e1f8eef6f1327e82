// Day numbers of log time stamps and the assignment of readings to
// five-minute steps.
#include "vud_stats/timestamps.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "vud_stats/freeform.h"
#include "vud_support/console/messages.h"
#include "vud_support/console/records.h"
#include "vud_support/parse/numtext.h"
#include "vud_support/parse/words.h"

namespace vud {

namespace {

constexpr std::array<std::int32_t, 12> kMonthDays = {31, 28, 31, 30, 31, 30,
                                                     31, 31, 30, 31, 30, 31};
constexpr std::array<std::int32_t, 11> kCumulativeDays = {31,  59,  90,  120, 151, 181,
                                                          212, 243, 273, 304, 334};

constexpr std::int32_t kDaysInYear = 365;

void hour_message() { edisp(outin.iuout, "comparedate: error extracting hour."); }
void minute_message() { edisp(outin.iuout, "comparedate: error extracting minute."); }

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_word_separator(char c) { return c == ' ' || c == ',' || c == '\t' || c == '|'; }

// The value of the n digits of s from 0-based index at.
std::int32_t digits(std::string_view s, std::size_t at, std::size_t n) {
  std::int32_t v = 0;
  for (std::size_t i = at; i < at + n; ++i) v = v * 10 + (s[i] - '0');
  return v;
}

// Which of the regular forms the 24 characters c hold: 'YYYY/MM/DD hh:mm:ss'
// or 'YYYY-MM-DD hh:mm:ss' (returns 1), 'YYYY-MM-DD hh:mm:ss.fff' (returns 2),
// each with a word separator between date and time and after the stamp;
// 0 for any other text.
int regular_form(const char* c) {
  auto d = [c](std::size_t i) { return is_digit(c[i]); };
  if (!(d(0) && d(1) && d(2) && d(3) && d(5) && d(6) && d(8) && d(9) && is_word_separator(c[10]) &&
        d(11) && d(12) && c[13] == ':' && d(14) && d(15) && c[16] == ':' && d(17) && d(18))) {
    return 0;
  }
  const bool slashes = c[4] == '/' && c[7] == '/';
  const bool dashes = c[4] == '-' && c[7] == '-';
  if (!slashes && !dashes) return 0;
  if (is_word_separator(c[19])) return 1;
  if (dashes && c[19] == '.' && d(20) && d(21) && d(22) && is_word_separator(c[23])) return 2;
  return 0;
}

// Reads a stamp of one of the two regular forms, every digit in its place and
// a word separator after the date and after the time, straight from the
// places of its digits. The word readers find the same two words in such a
// stamp and the same numbers in them, without a message: seconds with three
// decimals make whole thousandths divided by 1000 in a 4-byte real, which is
// the nearest 4-byte real to the decimal text as the real reader gives it.
// Returns false, leaving the memory alone, for any other text.
bool read_regular_stamp(std::string_view datea, bool molva, Datemem& m) {
  // The text as the 24-character field the word readers see.
  char padded[24];
  const char* c = datea.data();
  if (datea.size() < sizeof padded) {
    std::memset(padded, ' ', sizeof padded);
    if (!datea.empty()) std::memcpy(padded, datea.data(), datea.size());
    c = padded;
  }
  const int form = regular_form(c);
  if (form == 0) return false;
  // The time word "hh:mm:ss.fff" fills the word of 12 characters; only the
  // MOLVA letter reads its seconds with the decimals.
  const bool thousandths = form == 2 && molva;
  datea = std::string_view(c, sizeof padded);
  m.iyear = digits(datea, 0, 4);
  m.imonth = digits(datea, 5, 2);
  m.iday = digits(datea, 8, 2);
  m.ihour = digits(datea, 11, 2);
  m.imin = digits(datea, 14, 2);
  if (thousandths) {
    m.sec = static_cast<float>(digits(datea, 17, 2) * 1000 + digits(datea, 20, 3)) / 1000.0F;
  } else {
    m.sec = static_cast<float>(digits(datea, 17, 2));
  }
  return true;
}

}  // namespace

namespace {

constexpr float mark_of(std::int32_t h, std::int32_t f) {
  return static_cast<float>(3600 * h + 300 * f) / secondsinday;
}

// The marks of every hour of the day, minute 0 to 60 by five, made once
// (when the program is built) rather than at each reading.
struct MarkTable {
  std::array<std::array<float, 13>, 24> at{};
  constexpr MarkTable() {
    for (std::int32_t h = 0; h < 24; ++h) {
      for (std::int32_t f = 0; f <= 12; ++f) {
        at[static_cast<std::size_t>(h)][static_cast<std::size_t>(f)] = mark_of(h, f);
      }
    }
  }
};
constexpr MarkTable kMarks;

float mark(std::int32_t h, std::int32_t f) {
  if (h < 0 || h > 23) return mark_of(h, f);
  return kMarks.at[static_cast<std::size_t>(h)][static_cast<std::size_t>(f)];
}

}  // namespace

float five_minute_mark(std::int32_t h, std::int32_t f) { return mark_of(h, f); }

float step_day_number(const DayFractions& df, std::int32_t ijday, float thehouris,
                      std::int32_t icurfive) {
  // Summed in this order, in 4-byte reals: the day, the hour mark, then the
  // five-minute steps into the hour. Only the marks that readings are matched
  // against are built from whole seconds.
  const float day_and_hour = static_cast<float>(ijday) + thehouris;
  const float into_hour = static_cast<float>(icurfive) * df.fiveminfrac;
  return day_and_hour + into_hour;
}

void set_day_fractions(DayFractions& df, std::int32_t itol) {
  for (std::int32_t h = 0; h <= 24; ++h) {
    df.hourdayfrac[static_cast<std::size_t>(h)] = five_minute_mark(h, 0);
  }
  df.fiveminfrac = secondsin5min / secondsinday;
  df.oneminfrac = 60.0F / secondsinday;
  df.tensecfrac = 10.0F / secondsinday;
  df.twentysecfrac = 20.0F / secondsinday;
  df.thirtysecfrac = 30.0F / secondsinday;
  df.fourtysecfrac = 45.0F / secondsinday;  // 45 seconds, not 40
  df.fiftysecfrac = 55.0F / secondsinday;   // 55 seconds, not 50
  switch (itol) {
    case 10:
      df.closeenough = df.tensecfrac;
      break;
    case 20:
      df.closeenough = df.twentysecfrac;
      break;
    case 40:
      df.closeenough = df.fourtysecfrac;
      break;
    case 50:
      df.closeenough = df.fiftysecfrac;
      break;
    default:
      df.closeenough = df.thirtysecfrac;
      break;
  }
}

void reset_datestamp_memory() { datemem = {}; }

bool read_stamp_fields(std::string_view datea, char act, StampFields& f) {
  const Text<24> work(datea);
  const bool molva = act == 'B';
  std::int32_t k = 0;
  std::int32_t ier = 0;
  Text<12> word;
  egetw(work, k, word, '-', "", ier);
  bool read = read_free_int(sub1(word, 1, 4), f.year) == kFreeRead &&
              read_free_int(sub1(word, 6, 7), f.month) == kFreeRead &&
              read_free_int(sub1(word, 9, 10), f.day) == kFreeRead;
  egetw(work, k, word, '-', "", ier);
  read = read && read_free_int(sub1(word, 1, 2), f.hour) == kFreeRead &&
         read_free_int(sub1(word, 4, 5), f.minute) == kFreeRead &&
         read_free_real(sub1(word, 7, molva ? 12 : 8), f.second) == kFreeRead;
  return read;
}

bool stamp_can_exist(const StampFields& f) {
  if (f.month < 1 || f.month > 12 || f.day < 1) return false;
  const bool leap = f.year % 4 == 0 && (f.year % 100 != 0 || f.year % 400 == 0);
  const std::int32_t last =
      kMonthDays[static_cast<std::size_t>(f.month - 1)] + (f.month == 2 && leap ? 1 : 0);
  // Seconds carry a fraction: 59.999 is second 59.
  return f.day <= last && f.hour >= 0 && f.hour <= 23 && f.minute >= 0 && f.minute <= 59 &&
         f.second >= 0.0F && f.second < 60.0F;
}

double stamp_seconds(const StampFields& f) {
  std::int32_t doy = 0;
  eday(f.day, f.month, doy);
  const double days = static_cast<double>(kDaysInYear) * (f.year - 2000) + doy;
  return days * 86400.0 + f.hour * 3600.0 + f.minute * 60.0 + static_cast<double>(f.second);
}

namespace {

// The day number of the fields in the date memory, once a stamp was read.
void day_number_of(Datemem& m, bool year_read, float& juliand, float& julianfrac,
                   std::int32_t& ijday, float& totalsecs) {
  if (!m.has_base && year_read) {
    m.has_base = true;
    m.base_year = m.iyear;
  }
  eday(m.iday, m.imonth, ijday);
  // Day numbers run on past the end of the base year, 365 days a year.
  if (m.has_base) ijday += kDaysInYear * (m.iyear - m.base_year);
  totalsecs = (static_cast<float>(m.imin * 60) + m.sec) + static_cast<float>(m.ihour * 3600);
  julianfrac = totalsecs / secondsinday;
  juliand = static_cast<float>(ijday) + julianfrac;
}

}  // namespace

bool datestamptojulian(std::string_view datea, char act, float& juliand, float& julianfrac,
                       std::int32_t& ijday, float& totalsecs) {
  if (!read_regular_stamp(datea.substr(0, std::min<std::size_t>(datea.size(), 24)), act == 'B',
                          datemem)) {
    return datestamptojulian_general(datea, act, juliand, julianfrac, ijday, totalsecs);
  }
  day_number_of(datemem, true, juliand, julianfrac, ijday, totalsecs);
  return true;
}

void datestamptojulian_qtv2(const StampFields& f, float& juliand, float& julianfrac,
                            std::int32_t& ijday, float& totalsecs) {
  Datemem& m = datemem;
  m.iyear = f.year;
  m.imonth = f.month;
  m.iday = f.day;
  m.ihour = f.hour;
  m.imin = f.minute;
  m.sec = f.second;
  day_number_of(m, true, juliand, julianfrac, ijday, totalsecs);
}

bool datestamptojulian_general(std::string_view datea, char act, float& juliand, float& julianfrac,
                               std::int32_t& ijday, float& totalsecs) {
  const Text<24> work(datea);
  const bool molva = act == 'B';
  Datemem& m = datemem;
  std::int32_t k = 0;
  std::int32_t ier = 0;
  Text<12> word;

  egetw(work, k, word, 'W', molva ? "yyyy-mm-dd" : "yyyy/mm/dd", ier);
  bool clean = ier == 0;
  const std::int32_t year_read = read_free_int(sub1(word, 1, 4), m.iyear);
  if (year_read == kFreeBad) {
    hour_message();
    return false;
  }
  if (read_free_int(sub1(word, 6, 7), m.imonth) == kFreeBad ||
      read_free_int(sub1(word, 9, 10), m.iday) == kFreeBad) {
    minute_message();
    return false;
  }

  ier = 0;
  egetw(work, k, word, 'W', "hh:mm:ss.fff", ier);
  clean = clean && ier == 0;
  if (read_free_int(sub1(word, 1, 2), m.ihour) == kFreeBad) {
    hour_message();
    return false;
  }
  if (read_free_int(sub1(word, 4, 5), m.imin) == kFreeBad ||
      read_free_real(sub1(word, 7, molva ? 12 : 8), m.sec) == kFreeBad) {
    minute_message();
    return false;
  }

  day_number_of(m, year_read == kFreeRead, juliand, julianfrac, ijday, totalsecs);
  return clean;
}

void eday(std::int32_t idayn, std::int32_t imthn, std::int32_t& iydn) {
  // The table holds twelve months; a later month counts as December.
  const std::int32_t last = std::min<std::int32_t>(imthn, 12);
  // The days of the months before it, from the running sums.
  iydn = idayn + (last >= 2 ? kCumulativeDays[static_cast<std::size_t>(last - 2)] : 0);
}

void edayr(std::int32_t iydn, std::int32_t& idayn, std::int32_t& imthn) {
  std::int32_t before = 0;
  for (std::int32_t c : kCumulativeDays) {
    if (c < iydn) ++before;
  }
  imthn = 1 + before;
  idayn = imthn == 1 ? iydn : iydn - kCumulativeDays[static_cast<std::size_t>(imthn - 2)];
}

void find_first_hour_mark(const DayFractions& df, float juliand, float julianfrac, StepState& st) {
  st.thejulianis = juliand;
  bool found = false;
  for (std::int32_t h = 0; h <= 23; ++h) {
    if (eclose(julianfrac, df.hourdayfrac[static_cast<std::size_t>(h)], df.oneminfrac)) {
      st.thehouris = df.hourdayfrac[static_cast<std::size_t>(h)];
      st.ithehouris = h;
      st.thejulianis = juliand;
      st.nearstartofhour = true;
      found = true;
    }
  }
  if (found) return;
  for (std::int32_t h = 0; h <= 23; ++h) {
    const float lo = df.hourdayfrac[static_cast<std::size_t>(h)];
    const float hi = df.hourdayfrac[static_cast<std::size_t>(h + 1)];
    if (lo < julianfrac && julianfrac < hi) {
      st.thehouris = lo;
      st.ithehouris = h;
    }
  }
}

std::int32_t hour_of_mark(const DayFractions& df, float thehouris) {
  for (std::int32_t h = 0; h <= 23; ++h) {
    if (df.hourdayfrac[static_cast<std::size_t>(h)] == thehouris) return h;
  }
  return 0;
}

bool assign_step_fast(const DayFractions& df, bool sets_hour, float juliand, float julianfrac,
                      std::int32_t ijday, StepState& st) {
  if (sets_hour) {
    for (std::int32_t h = 0; h <= 23; ++h) {
      if (eclose(julianfrac, df.hourdayfrac[static_cast<std::size_t>(h)], df.oneminfrac)) {
        st.thehouris = df.hourdayfrac[static_cast<std::size_t>(h)];
        st.ithehouris = h;
      }
    }
  }
  st.closetohour = false;
  st.closetofive = false;
  st.nowis = st.thehouris;
  st.curnowis = juliand;
  const bool due = juliand > st.printedat + df.oneminfrac;

  if (eclose(julianfrac, st.thehouris, df.closeenough)) {
    if (!due) return false;
    st.closetohour = true;
    st.thejulianis = juliand;
    st.icurfive = 0;
    st.curnowis = static_cast<float>(ijday) + st.thehouris;
    return true;
  }
  for (std::int32_t f = 1; f <= 12; ++f) {
    st.nowis = mark(st.ithehouris, f);
    if (eclose(julianfrac, st.nowis, df.closeenough)) {
      if (!due) return false;
      st.closetofive = true;
      st.thejulianis = juliand;
      st.icurfive = f;
      st.curnowis = step_day_number(df, ijday, st.thehouris, f);
      return true;
    }
  }
  return false;
}

void assign_step_slow(const DayFractions& df, float juliand, float julianfrac, std::int32_t ijday,
                      StepState& st) {
  std::int32_t h = 0;
  while (h <= 24 && !(df.hourdayfrac[static_cast<std::size_t>(h)] >= julianfrac)) ++h;
  // An exact hour mark belongs to the hour before it; 00:00:00 to hour 0.
  // A fraction past the end of the day stays in the last hour.
  const std::int32_t hour = std::clamp<std::int32_t>(h - 1, 0, 23);
  st.thehouris = df.hourdayfrac[static_cast<std::size_t>(hour)];
  st.ithehouris = hour;
  st.nowis = st.thehouris;
  st.curnowis = static_cast<float>(ijday) + st.thehouris;
  st.icurfive = 0;
  for (std::int32_t f = 1; f <= 12; ++f) {
    st.nowis = mark(hour, f);
    if (julianfrac <= st.nowis) {
      st.thejulianis = juliand;
      st.icurfive = f - 1;
      st.curnowis = step_day_number(df, ijday, st.thehouris, st.icurfive);
      return;
    }
  }
}

void step_label(std::string_view datea, std::int32_t ithehouris, std::int32_t icurfive,
                Text<24>& dateafive) {
  dateafive.assign(sub1(datea, 1, 11));
  char b[32];
  const int n = std::snprintf(b, sizeof b, "%02d:%02d", static_cast<int>(ithehouris),
                              static_cast<int>(5 * icurfive));
  dateafive.put(12, std::string_view(b, static_cast<std::size_t>(n)));
}

}  // namespace vud
