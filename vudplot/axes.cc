// Calendar time ticks and round value ticks.
#include "vudplot/axes.h"

#include <cmath>
#include <cstdio>

#include "vudplot/report.h"

namespace vudplot {
namespace {

constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

enum class Unit { kSecond, kDay, kMonth, kYear };

struct Step {
  Unit unit;
  int n;  // seconds for kSecond, days of the month, months or years
};

constexpr Step kSteps[] = {
    {Unit::kSecond, 60},    {Unit::kSecond, 120},   {Unit::kSecond, 300},   {Unit::kSecond, 600},
    {Unit::kSecond, 900},   {Unit::kSecond, 1800},  {Unit::kSecond, 3600},  {Unit::kSecond, 7200},
    {Unit::kSecond, 10800}, {Unit::kSecond, 21600}, {Unit::kSecond, 43200}, {Unit::kDay, 1},
    {Unit::kDay, 2},        {Unit::kDay, 5},        {Unit::kDay, 10},       {Unit::kMonth, 1},
    {Unit::kMonth, 2},      {Unit::kMonth, 3},      {Unit::kMonth, 6},      {Unit::kYear, 1},
    {Unit::kYear, 2},       {Unit::kYear, 5},       {Unit::kYear, 10},      {Unit::kYear, 20},
    {Unit::kYear, 50},      {Unit::kYear, 100},     {Unit::kYear, 1000},
};

std::int64_t floor_div(std::int64_t a, std::int64_t b) {
  return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// Calls `each(t)` for every tick of `step` from t0 to t1, stopping (and
// returning false) after `most` + 1 ticks.
template <typename F>
bool walk(const Step& step, std::int64_t t0, std::int64_t t1, int most, F each) {
  int count = 0;
  auto take = [&](std::int64_t t) {
    if (t < t0 || t > t1) return true;
    if (++count > most) return false;
    each(t);
    return true;
  };
  int y, mo, d, h, mi;
  civil_of(t0, y, mo, d, h, mi);
  switch (step.unit) {
    case Unit::kSecond:
      for (std::int64_t t = floor_div(t0, step.n) * step.n; t <= t1; t += step.n)
        if (!take(t)) return false;
      return true;
    case Unit::kDay:
      for (std::int64_t day = floor_div(t0, 86400); day * 86400 <= t1; ++day) {
        civil_of(day * 86400, y, mo, d, h, mi);
        if ((d - 1) % step.n != 0 || (step.n > 1 && d == 31)) continue;
        if (!take(day * 86400)) return false;
      }
      return true;
    case Unit::kMonth:
      for (int m = (mo - 1) / step.n * step.n;; m += step.n) {
        const std::int64_t t = civil_seconds(y + m / 12, m % 12 + 1, 1, 0, 0);
        if (t > t1) return true;
        if (!take(t)) return false;
      }
    case Unit::kYear:
      for (int yy = static_cast<int>(floor_div(y, step.n) * step.n);; yy += step.n) {
        const std::int64_t t = civil_seconds(yy, 1, 1, 0, 0);
        if (t > t1) return true;
        if (!take(t)) return false;
      }
  }
  return true;
}

std::string date_text(int d, int mo) { return std::to_string(d) + " " + kMonths[mo - 1]; }

}  // namespace

std::vector<TimeTick> time_ticks(std::int64_t t0, std::int64_t t1, int most) {
  std::vector<TimeTick> ticks;
  if (t1 < t0 || most < 1) return ticks;
  const Step* chosen = &kSteps[std::size(kSteps) - 1];
  for (const Step& s : kSteps) {
    if (walk(s, t0, t1, most, [](std::int64_t) {})) {
      chosen = &s;
      break;
    }
  }
  int prev_y = 0, prev_mo = 0, prev_d = 0;
  walk(*chosen, t0, t1, most, [&](std::int64_t t) {
    int y, mo, d, h, mi;
    civil_of(t, y, mo, d, h, mi);
    TimeTick k;
    k.t = t;
    const bool first = ticks.empty();
    char buf[16];
    switch (chosen->unit) {
      case Unit::kSecond:
        std::snprintf(buf, sizeof buf, "%02d:%02d", h, mi);
        k.label = buf;
        if (first || d != prev_d || mo != prev_mo || y != prev_y) k.sub = date_text(d, mo);
        if (first || y != prev_y) k.sub.append(" ").append(std::to_string(y));
        break;
      case Unit::kDay:
        k.label = date_text(d, mo);
        if (first || y != prev_y) k.sub = std::to_string(y);
        break;
      case Unit::kMonth:
        k.label = kMonths[mo - 1];
        if (first || y != prev_y) k.sub = std::to_string(y);
        break;
      case Unit::kYear:
        k.label = std::to_string(y);
        break;
    }
    prev_y = y;
    prev_mo = mo;
    prev_d = d;
    ticks.push_back(std::move(k));
  });
  return ticks;
}

void widen_to_ticks(std::int64_t& t0, std::int64_t& t1, int most) {
  const std::int64_t margin = (t1 - t0) / 50;
  if (margin <= 0) return;
  const std::vector<TimeTick> ticks = time_ticks(t0 - margin, t1 + margin, most);
  std::int64_t lo = t0, hi = t1;
  for (const TimeTick& k : ticks) {
    if (k.t <= t0) lo = k.t;
    if (k.t >= t1 && hi == t1) hi = k.t;
  }
  t0 = lo;
  t1 = hi;
}

ValueAxis value_axis(double vmin, double vmax, int most) {
  ValueAxis a;
  if (most < 1) most = 1;
  if (vmax < vmin) std::swap(vmin, vmax);
  if (vmax == vmin) {
    const double pad = std::max(1.0, std::fabs(vmin) / 10);
    vmin -= pad;
    vmax += pad;
  }
  // The smallest round step that covers the range in at most `most` steps.
  double step = std::pow(10.0, std::floor(std::log10((vmax - vmin) / most)));
  int decimals = static_cast<int>(-std::floor(std::log10(step)));
  for (;;) {
    bool fits = false;
    for (double f : {1.0, 2.0, 5.0}) {
      const double s = step * f;
      if (std::ceil(vmax / s - 1e-9) - std::floor(vmin / s + 1e-9) <= most) {
        step = s;
        fits = true;
        break;
      }
    }
    if (fits) break;
    step *= 10;
    --decimals;
  }
  a.step = step;
  a.decimals = decimals > 0 ? decimals : 0;
  a.lo = std::floor(vmin / step + 1e-9) * step;
  a.hi = std::ceil(vmax / step - 1e-9) * step;
  const int n = static_cast<int>(std::lround((a.hi - a.lo) / step));
  for (int i = 0; i <= n; ++i) a.ticks.push_back(a.lo + i * step);
  return a;
}

std::string value_label(double v, int decimals) {
  char buf[40];
  if (std::fabs(v) >= 1e7 || decimals > 6) {
    std::snprintf(buf, sizeof buf, "%g", v);
  } else {
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    if (buf[0] == '-') {
      // "-0" and "-0.0" read as zero.
      bool zero = true;
      for (const char* p = buf + 1; *p; ++p)
        if (*p != '0' && *p != '.') zero = false;
      if (zero) return std::string(buf + 1);
    }
  }
  return buf;
}

}  // namespace vudplot
