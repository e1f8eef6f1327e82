// Integer and real sorts: the shared partition loop over plain arrays, with
// descending order made by negating the keys around an ascending sort.
#include "sort/sort.h"

#include <cstdint>

namespace vud {

namespace {

// Keys and an optional companion of one numeric type.
template <typename T>
class NumberOps {
 public:
  NumberOps(T* x, T* y) : x_(x), y_(y) {}

  void load(std::int32_t p) {
    t_ = x_[p - 1];
    if (y_ != nullptr) ty_ = y_[p - 1];
  }
  bool above(std::int32_t p) const { return x_[p - 1] > t_; }
  bool below(std::int32_t p) const { return x_[p - 1] < t_; }
  void move(std::int32_t from, std::int32_t to) {
    x_[to - 1] = x_[from - 1];
    if (y_ != nullptr) y_[to - 1] = y_[from - 1];
  }
  void store(std::int32_t p) {
    x_[p - 1] = t_;
    if (y_ != nullptr) y_[p - 1] = ty_;
  }
  void exchange(std::int32_t a, std::int32_t b) {
    const T t = x_[a - 1];
    x_[a - 1] = x_[b - 1];
    x_[b - 1] = t;
    if (y_ != nullptr) {
      const T ty = y_[a - 1];
      y_[a - 1] = y_[b - 1];
      y_[b - 1] = ty;
    }
  }

 private:
  T* x_;
  T* y_;
  T t_{};
  T ty_{};
};

// Two's-complement negation: -2147483648 stays itself, without overflow.
inline std::int32_t negate(std::int32_t v) {
  return static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(v));
}
inline float negate(float v) { return -v; }

template <typename T>
void sort_numbers(T* x, T* y, std::int32_t n, std::int32_t kflag) {
  if (n < 2) return;
  if (kflag != 1 && kflag != 2 && kflag != -1 && kflag != -2) return;
  const bool descending = kflag < 0;
  if (descending) {
    for (std::int32_t p = 0; p < n; ++p) x[p] = negate(x[p]);
  }
  NumberOps<T> ops(x, (kflag == 2 || kflag == -2) ? y : nullptr);
  sort_detail::singleton_sort(ops, n);
  if (descending) {
    for (std::int32_t p = 0; p < n; ++p) x[p] = negate(x[p]);
  }
}

}  // namespace

void sorti(std::int32_t* ix, std::int32_t* iy, std::int32_t n, std::int32_t kflag) {
  sort_numbers(ix, iy, n, kflag);
}

void sortr(float* x, float* y, std::int32_t n, std::int32_t kflag) { sort_numbers(x, y, n, kflag); }

}  // namespace vud
