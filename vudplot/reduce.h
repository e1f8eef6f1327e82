// vudplot/reduce.h: reduces one sensor's values in one chart to what the
// pixel columns of the chart can show: for each column (bucket) the smallest
// and the largest value, in the order they came, with the gaps kept.
#ifndef VUDPLOT_REDUCE_H_
#define VUDPLOT_REDUCE_H_

#include <cstdint>
#include <vector>

namespace vudplot {

// One bucket of a line: the line passes through `first` and then `second` (the
// bucket's minimum and maximum, in the order they came; equal when the bucket
// holds one value). `starts` marks the first bucket after a gap (or the first
// of all): no line leads into it.
struct Bucket {
  std::int32_t column = 0;
  float first = 0, second = 0;
  bool starts = false;
};

// Maps a time onto one of `columns` pixel columns spread evenly from t0 to t1
// (both included): t0 falls into column 0 and t1 into the last one.
std::int32_t column_of(std::int64_t t, std::int64_t t0, std::int64_t t1, std::int32_t columns);

// Collects the values of one line in the order of the rows.
class Reducer {
 public:
  // A value (finite) in pixel column `column`.
  void add(std::int32_t column, float v);
  // The line is broken here: the next value starts a new piece.
  void gap() { broken_ = true; }
  // Closes the bucket still open. Call once after the last value.
  void finish();

  const std::vector<Bucket>& buckets() const { return buckets_; }
  bool empty() const { return !any_; }
  float lowest() const { return lo_; }
  float highest() const { return hi_; }

 private:
  void close();

  std::vector<Bucket> buckets_;
  bool open_ = false, broken_ = true, any_ = false;
  std::int32_t column_ = 0;
  float min_ = 0, max_ = 0;
  bool min_first_ = true;  // the minimum came before the maximum
  bool starts_ = true;
  float lo_ = 0, hi_ = 0;
};

}  // namespace vudplot

#endif  // VUDPLOT_REDUCE_H_
