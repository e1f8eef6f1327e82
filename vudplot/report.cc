// Reading the header block, column names and rows of a vudstats report.
#include "vudplot/report.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace vudplot {
namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool starts_with_ci(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char a = s[i], b = prefix[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
    if (a != b) return false;
  }
  return true;
}

// Reads exactly `n` digits at `p` of `s` into `v`.
bool digits(std::string_view s, std::size_t p, std::size_t n, int& v) {
  if (p + n > s.size()) return false;
  v = 0;
  for (std::size_t i = p; i < p + n; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    v = v * 10 + (s[i] - '0');
  }
  return true;
}

int days_in_month(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return m == 2 && leap ? 29 : kDays[m - 1];
}

}  // namespace

void split_column_line(std::string_view line, ReportHead& head) {
  head.columns.clear();
  head.sensors.clear();
  head.sensor_of.clear();
  std::string_view rest = line.substr(kColumnLineStart.size());
  std::string_view name;
  while (next_field(rest, name)) {
    if (name.empty()) continue;
    const std::size_t us = name.rfind('_');
    Column c;
    c.sensor = std::string(us == std::string_view::npos ? name : name.substr(0, us));
    c.measurement = us == std::string_view::npos ? std::string() : std::string(name.substr(us + 1));
    int s = 0;
    while (s < static_cast<int>(head.sensors.size()) && head.sensors[s] != c.sensor) ++s;
    if (s == static_cast<int>(head.sensors.size())) head.sensors.push_back(c.sensor);
    head.sensor_of.push_back(s);
    head.columns.push_back(std::move(c));
  }
}

bool read_head(LineReader& in, ReportHead& head, std::string& why) {
  head = ReportHead{};
  std::string_view line;
  for (int n = 1; n <= kMostHeadLines; ++n) {
    const LineStatus st = in.next(line);
    if (st == LineStatus::kError) {
      why = "cannot be read";
      return false;
    }
    if (st == LineStatus::kTooLong) {
      why = "is not a vudstats report (line " + std::to_string(n) + " is far too long)";
      return false;
    }
    if (st == LineStatus::kEnd) break;
    if (line.substr(0, kColumnLineStart.size()) == kColumnLineStart) {
      split_column_line(line, head);
      return true;
    }
    if (n == 1 && starts_with_ci(line, "Vantrel summary")) {
      head.title = std::string(trim(line));
    } else {
      head.block.emplace_back(trim(line));
    }
  }
  why = "is not a vudstats report (no column-name line '" + std::string(kColumnLineStart) +
        "...' in its first " + std::to_string(kMostHeadLines) + " lines)";
  return false;
}

std::int64_t civil_seconds(int year, int month, int day, int hour, int minute) {
  // Days since 1970-01-01 in the proleptic Gregorian calendar.
  std::int64_t y = year - (month <= 2 ? 1 : 0);
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const std::int64_t days = era * 146097 + doe - 719468;
  return days * 86400 + hour * 3600 + minute * 60;
}

void civil_of(std::int64_t seconds, int& year, int& month, int& day, int& hour, int& minute) {
  std::int64_t z = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
  const std::int64_t secs = seconds - z * 86400;
  hour = static_cast<int>(secs / 3600);
  minute = static_cast<int>(secs / 60 % 60);
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(era * 400 + yoe + (month <= 2 ? 1 : 0));
}

bool next_field(std::string_view& rest, std::string_view& field) {
  if (rest.empty()) return false;
  const std::size_t comma = rest.find(',');
  field = trim(rest.substr(0, comma));
  rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
  return true;
}

bool parse_row_start(std::string_view line, std::int64_t& t, std::string_view& values) {
  std::string_view rest = line, day_text;
  if (!next_field(rest, day_text) || day_text.empty()) return false;
  double day = 0;
  const auto [end, ec] = std::from_chars(day_text.data(), day_text.data() + day_text.size(), day);
  if (ec != std::errc() || end != day_text.data() + day_text.size() || !std::isfinite(day) ||
      day < 0)
    return false;
  // "YYYY/MM/DD,hh:mm," or "YYYY-MM-DD hh:mm,".
  const std::string_view s = rest;
  int y, mo, d, h, mi;
  if (!digits(s, 0, 4, y) || s.size() < 16 || (s[4] != '/' && s[4] != '-') || s[7] != s[4] ||
      !digits(s, 5, 2, mo) || !digits(s, 8, 2, d) || (s[10] != ',' && s[10] != ' ') ||
      !digits(s, 11, 2, h) || s[13] != ':' || !digits(s, 14, 2, mi))
    return false;
  if (mo < 1 || mo > 12 || d < 1 || d > days_in_month(y, mo) || h > 23 || mi > 59) return false;
  if (s.size() > 16 && s[16] != ',') return false;
  t = civil_seconds(y, mo, d, h, mi);
  values = s.size() > 17 ? s.substr(17) : std::string_view();
  return true;
}

bool parse_value(std::string_view text, float& v) {
  if (text.empty()) return false;
  // The number texts of a report spell the values that are not numbers in full.
  const bool neg = text.front() == '-';
  const std::string_view body = neg || text.front() == '+' ? text.substr(1) : text;
  if (starts_with_ci(body, "nan") && (body.size() == 3)) {
    v = std::numeric_limits<float>::quiet_NaN();
    return true;
  }
  if ((starts_with_ci(body, "inf") && body.size() == 3) ||
      (starts_with_ci(body, "infinity") && body.size() == 8)) {
    v = neg ? -std::numeric_limits<float>::infinity() : std::numeric_limits<float>::infinity();
    return true;
  }
  if (body.empty() || !((body.front() >= '0' && body.front() <= '9') || body.front() == '.'))
    return false;
  const auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), v);
  if (end != body.data() + body.size()) return false;
  if (ec == std::errc::result_out_of_range) {
    // Past the range of a 4-byte real: too large is infinite, too small is 0.
    const std::size_t e = body.find_first_of("eE");
    const bool tiny = e != std::string_view::npos && e + 1 < body.size() && body[e + 1] == '-';
    v = tiny ? 0.0f : std::numeric_limits<float>::infinity();
  } else if (ec != std::errc()) {
    return false;
  }
  if (neg) v = -v;
  return true;
}

LineStatus read_row(LineReader& in, std::string& row, bool& ended) {
  std::string_view line;
  const LineStatus st = in.next(line);
  row.assign(line);
  ended = in.ended();
  if (st != LineStatus::kLine) return st;
  // A continuation begins with a blank, but so does a row whose day number is
  // below 100: only a line that is no row continues one.
  std::string_view more, values;
  std::int64_t t;
  while (in.peek(more) == LineStatus::kLine && !more.empty() && more.front() == ' ' &&
         !parse_row_start(more, t, values) && row.size() < LineReader::kDefaultCap) {
    in.next(more);
    if (!row.empty() && row.back() != ',') row += ',';
    row.append(more.substr(1));
    ended = in.ended();
  }
  return st;
}

}  // namespace vudplot
