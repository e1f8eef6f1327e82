// In-place sorts of integers, reals and fixed-width texts, optionally carrying
// a companion array along. All four use one quicksort with a fixed stack of
// pending segments: nothing is allocated and nothing recurses. The sorts are
// not stable; the final order of equal keys (and so of their companions) is
// the one the partition steps below produce, and callers may rely on it.
//
// Arrays are handed over as a pointer to their first element (entry 1) and a
// count; positions inside the routines count from 1.
#ifndef SORT_SORT_H_
#define SORT_SORT_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

#include "vud_support/text/fixed_text.h"

namespace vud {

// kflag: 1 ascending, 2 ascending with the companion carried along, -1
// descending, -2 descending with the companion; any other value does nothing.
// A count below 2 does nothing. iy is only touched for kflag 2 and -2 (it may
// be null otherwise). Descending order sorts the negated keys ascending, so
// the integer -2147483648, which negates to itself, comes out first.
void sorti(std::int32_t* ix, std::int32_t* iy, std::int32_t n, std::int32_t kflag);
void sortr(float* x, float* y, std::int32_t n, std::int32_t kflag);

// Sorts nar texts ascending by character code, as if padded with blanks (no
// case folding: a leading blank sorts first, upper before lower case).
template <std::size_t N>
void sortstra(Text<N>* six, std::int32_t nar);

// As sortstra, always carrying the nar integers of iy along with their texts.
template <std::size_t N>
void sortstraic(Text<N>* six, std::int32_t* iy, std::int32_t nar);

namespace sort_detail {

// Pending segments: the larger part of each partition waits here while the
// smaller is sorted first, so the depth never passes log2 of the count; 32
// entries cover every 32-bit count.
inline constexpr std::int32_t kStackDepth = 32;

// Trial-pivot ratio: 0.375 adjusted once (+0.0390625), used for every partition.
inline constexpr float kRatio = 0.375f + 0.0390625f;

// The partition loop over an Ops object that holds the keys, the companion and
// the pivot T (with its companion TY). Ops provides, for 1-based positions:
//   load(p)        T = X(p), TY = Y(p)
//   above(p)       X(p) > T        below(p)  X(p) < T
//   move(from, to) X(to) = X(from), Y likewise
//   store(p)       X(p) = T, Y(p) = TY
//   exchange(a, b) X(a) <-> X(b), Y likewise
template <typename Ops>
void singleton_sort(Ops& ops, std::int32_t n) {
  if (n < 2) return;
  std::int32_t il[kStackDepth];
  std::int32_t iu[kStackDepth];
  std::int32_t m = 1;
  std::int32_t i = 1;
  std::int32_t j = n;
  for (;;) {
    if (j - i >= 1) {
      std::int32_t k = i;
      const std::int32_t ij = i + static_cast<std::int32_t>(static_cast<float>(j - i) * kRatio);
      ops.load(ij);
      if (ops.above(i)) {
        ops.move(i, ij);
        ops.store(i);
        ops.load(ij);
      }
      std::int32_t l = j;
      if (ops.below(j)) {
        ops.move(j, ij);
        ops.store(j);
        ops.load(ij);
        if (ops.above(i)) {
          ops.move(i, ij);
          ops.store(i);
          ops.load(ij);
        }
      }
      // X(i) <= T <= X(j) now, and neither end is exchanged below, so both
      // scans stop inside the segment.
      for (;;) {
        do {
          --l;
        } while (ops.above(l));
        do {
          ++k;
        } while (ops.below(k));
        if (k > l) break;
        ops.exchange(k, l);
      }
      if (l - i > j - k) {
        il[m - 1] = i;
        iu[m - 1] = l;
        i = k;
      } else {
        il[m - 1] = k;
        iu[m - 1] = j;
        j = l;
      }
      ++m;
      continue;
    }
    --m;
    if (m == 0) return;
    i = il[m - 1];
    j = iu[m - 1];
  }
}

// Texts of width N with an optional integer companion; the pivot is a work
// field of at least 96 characters (wider for wider elements, so no element is
// ever cut when it passes through it).
template <std::size_t N>
class TextOps {
 public:
  static constexpr std::size_t kWork = std::max<std::size_t>(96, N);

  TextOps(Text<N>* x, std::int32_t* y) : x_(x), y_(y) {}

  void load(std::int32_t p) {
    t_.assign(at(p).view());
    if (y_ != nullptr) ty_ = y_[p - 1];
  }
  bool above(std::int32_t p) const { return compare(p) > 0; }
  bool below(std::int32_t p) const { return compare(p) < 0; }
  void move(std::int32_t from, std::int32_t to) {
    at(to) = at(from);
    if (y_ != nullptr) y_[to - 1] = y_[from - 1];
  }
  void store(std::int32_t p) {
    at(p).assign(std::string_view(t_).substr(0, N));
    if (y_ != nullptr) y_[p - 1] = ty_;
  }
  void exchange(std::int32_t a, std::int32_t b) {
    std::swap(at(a), at(b));
    if (y_ != nullptr) std::swap(y_[a - 1], y_[b - 1]);
  }

 private:
  Text<N>& at(std::int32_t p) const { return x_[p - 1]; }
  // The pivot came from an element of width N, so past N it is blank: the
  // first N characters decide, compared by unsigned character code.
  int compare(std::int32_t p) const { return std::memcmp(at(p).data(), t_.data(), N); }

  Text<N>* x_;
  std::int32_t* y_;
  Text<kWork> t_;
  std::int32_t ty_ = 0;
};

}  // namespace sort_detail

template <std::size_t N>
void sortstra(Text<N>* six, std::int32_t nar) {
  if (nar < 2) return;
  sort_detail::TextOps<N> ops(six, nullptr);
  sort_detail::singleton_sort(ops, nar);
}

template <std::size_t N>
void sortstraic(Text<N>* six, std::int32_t* iy, std::int32_t nar) {
  if (nar < 2) return;
  sort_detail::TextOps<N> ops(six, iy);
  sort_detail::singleton_sort(ops, nar);
}

}  // namespace vud

#endif  // SORT_SORT_H_
