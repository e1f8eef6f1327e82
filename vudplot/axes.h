// vudplot/axes.h: the ticks of a chart's axes. Time ticks fall on calendar
// marks a person reads (minutes, hours, days of the month, months, years),
// spaced by the span; value ticks fall on round numbers.
#ifndef VUDPLOT_AXES_H_
#define VUDPLOT_AXES_H_

#include <cstdint>
#include <string>
#include <vector>

namespace vudplot {

struct TimeTick {
  std::int64_t t = 0;  // civil seconds (report.h)
  std::string label;   // "13:05", "3 Jun", "Jun", "2015"
  std::string sub;     // a second line where the context changes: the date under
                       // a time of day, the year under a day or month; often empty
};

// Ticks from t0 to t1 (both included), at most `most` of them, on the finest
// calendar step that keeps within `most`: 1, 2, 5, 10, 15 or 30 minutes; 1, 2,
// 3, 6 or 12 hours; 1, 2, 5 or 10 days of the month (day 31 left out for steps
// above one day, so no two ticks crowd at a month's end); 1, 2, 3 or 6 months;
// 1, 2, 5, 10... years. The first tick and every tick where the date (for steps
// under a day) or the year changes carry `sub`.
std::vector<TimeTick> time_ticks(std::int64_t t0, std::int64_t t1, int most);

// Moves t0 back and t1 on to the nearest time tick beyond each (the ticks of
// time_ticks over the widened span) when it lies within a fiftieth of the span:
// a year of rows from 1 Jan 00:05 to 31 Dec 23:55 gets an axis from 1 Jan to
// 1 Jan, whose end ticks are drawn.
void widen_to_ticks(std::int64_t& t0, std::int64_t& t1, int most);

struct ValueAxis {
  double lo = 0, hi = 1;      // the axis range, both on ticks
  double step = 1;            // distance between ticks
  std::vector<double> ticks;  // lo, lo + step, ... hi
  int decimals = 0;           // decimals that tell the ticks apart
};

// A value axis over the values from vmin to vmax: round ticks (1, 2 or 5 times
// a power of ten), at most `most` + 1 of them, the range widened to the ticks
// around the values. Equal values get a range of one unit each side (or a
// tenth of the value, when that is larger). Both values must be finite.
ValueAxis value_axis(double vmin, double vmax, int most);

// Text of a tick value with the axis's decimals ("-5", "22.5", "0.02").
std::string value_label(double v, int decimals);

}  // namespace vudplot

#endif  // VUDPLOT_AXES_H_
