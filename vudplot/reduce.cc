// Minimum and maximum per pixel column of a line, with its gaps.
#include "vudplot/reduce.h"

namespace vudplot {

std::int32_t column_of(std::int64_t t, std::int64_t t0, std::int64_t t1, std::int32_t columns) {
  if (columns <= 1 || t1 <= t0 || t <= t0) return 0;
  if (t >= t1) return columns - 1;
  // The span is cut into `columns` equal parts; t1 closes the last one.
  const long double f = static_cast<long double>(t - t0) / static_cast<long double>(t1 - t0);
  const auto c = static_cast<std::int32_t>(f * columns);
  return c >= columns ? columns - 1 : c;
}

void Reducer::close() {
  if (!open_) return;
  Bucket b;
  b.column = column_;
  b.first = min_first_ ? min_ : max_;
  b.second = min_first_ ? max_ : min_;
  b.starts = starts_;
  buckets_.push_back(b);
  open_ = false;
}

void Reducer::add(std::int32_t column, float v) {
  if (open_ && (broken_ || column != column_)) close();
  if (!any_) {
    lo_ = hi_ = v;
    any_ = true;
  } else {
    if (v < lo_) lo_ = v;
    if (v > hi_) hi_ = v;
  }
  if (!open_) {
    open_ = true;
    column_ = column;
    min_ = max_ = v;
    min_first_ = true;
    starts_ = broken_;
    broken_ = false;
    return;
  }
  if (v < min_) {
    min_ = v;
    min_first_ = false;  // the maximum (if any other) came first
  } else if (v > max_) {
    max_ = v;
    min_first_ = true;
  }
}

void Reducer::finish() { close(); }

}  // namespace vudplot
