// The seeded random numbers of the capture and log generators and of the
// random-input tests: splitmix64, small, fast and the same on every
// platform, so that a seed always gives the same bytes.
#ifndef TOOLS_SEEDED_RNG_H_
#define TOOLS_SEEDED_RNG_H_

#include <cstdint>

namespace seeded {

struct Rng {
  std::uint64_t state;
  std::uint64_t operator()() { return Next(); }
  std::uint64_t Next() {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // A value in [0, n).
  std::uint32_t Below(std::uint32_t n) { return static_cast<std::uint32_t>(Next() % n); }
  // A value in [lo, hi].
  int Between(int lo, int hi) {
    return lo + static_cast<int>(Below(static_cast<std::uint32_t>(hi - lo + 1)));
  }
};

}  // namespace seeded

#endif  // TOOLS_SEEDED_RNG_H_
