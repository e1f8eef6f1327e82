// A reducer's buckets as one line of text, for tests that compare what a line
// was reduced to: "column:first/second" per bucket, "|" before a bucket that
// starts a piece.
#ifndef VUDPLOT_REDUCE_SHAPE_H_
#define VUDPLOT_REDUCE_SHAPE_H_

#include <cstdio>
#include <string>

#include "vudplot/reduce.h"

namespace vudplot {

inline std::string shape(const Reducer& r) {
  std::string s;
  for (const Bucket& b : r.buckets()) {
    if (!s.empty()) s += ' ';
    if (b.starts) s += '|';
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d:%g/%g", b.column, b.first, b.second);
    s += buf;
  }
  return s;
}

}  // namespace vudplot

#endif  // VUDPLOT_REDUCE_SHAPE_H_
