#include "sort/sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace vud {
namespace {

using Ints = std::vector<std::int32_t>;

// Keys match when equal, and a NaN matches a NaN.
template <typename Key>
bool same_key(const Key& a, const Key& b) {
  if constexpr (std::is_floating_point_v<Key>) {
    if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  }
  return a == b;
}

// Checks what every sort promises whatever the keys: the companions, which
// were the positions 0, 1, ... before the sort, are still each position once,
// and each key stands beside the position it came from, so the keys are the
// input's, only moved.
template <typename Key, typename Companion>
void expect_carried_along(const std::vector<Key>& sorted, const std::vector<Companion>& from,
                          const std::vector<Key>& input) {
  ASSERT_EQ(sorted.size(), input.size());
  ASSERT_EQ(from.size(), input.size());
  std::vector<bool> seen(input.size(), false);
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    const auto p = static_cast<std::size_t>(from[i]);
    ASSERT_LT(p, input.size()) << "companion " << i;
    ASSERT_FALSE(seen[p]) << "position " << p << " twice";
    seen[p] = true;
    ASSERT_TRUE(same_key(sorted[i], input[p])) << "key " << i;
  }
}

// The positions 0 to n-1 in the companion's type.
template <typename Companion>
std::vector<Companion> positions(std::size_t n) {
  std::vector<Companion> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<Companion>(i);
  return v;
}

TEST(Sorti, ControlFlagChoosesOrderAndCompanion) {
  struct Case {
    std::int32_t kflag;
    Ints keys;
    Ints companion;
  };
  const Case cases[] = {
      {1, {1, 2, 3}, {30, 10, 20}},  {2, {1, 2, 3}, {10, 20, 30}}, {-1, {3, 2, 1}, {30, 10, 20}},
      {-2, {3, 2, 1}, {30, 20, 10}}, {0, {3, 1, 2}, {30, 10, 20}}, {3, {3, 1, 2}, {30, 10, 20}},
      {-3, {3, 1, 2}, {30, 10, 20}},
  };
  for (const Case& c : cases) {
    Ints ix = {3, 1, 2};
    Ints iy = {30, 10, 20};
    sorti(ix.data(), iy.data(), 3, c.kflag);
    EXPECT_EQ(ix, c.keys) << "kflag " << c.kflag;
    EXPECT_EQ(iy, c.companion) << "kflag " << c.kflag;
  }
}

TEST(Sorti, CountsBelowTwoChangeNothing) {
  for (std::int32_t n : {0, 1, -5}) {
    Ints ix = {5, 4};
    Ints iy = {1, 2};
    sorti(ix.data(), iy.data(), n, 2);
    EXPECT_EQ(ix, (Ints{5, 4}));
    EXPECT_EQ(iy, (Ints{1, 2}));
  }
  sorti(nullptr, nullptr, 0, 2);  // an empty array may be null
}

TEST(Sorti, TwoElementsComeOutAscending) {
  for (const Ints& in : {Ints{1, 2}, Ints{2, 1}, Ints{7, 7}}) {
    Ints ix = in;
    Ints iy = positions<std::int32_t>(2);
    sorti(ix.data(), iy.data(), 2, 2);
    EXPECT_LE(ix[0], ix[1]);
    expect_carried_along(ix, iy, in);
  }
}

TEST(Sorti, SmallestIntegerComesFirstInDescendingOrder) {
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  Ints ix = {0, kMin, kMax, -1};
  sorti(ix.data(), nullptr, 4, -1);
  EXPECT_EQ(ix, (Ints{kMin, kMax, 0, -1}));
}

// Equal keys end in the order the partition steps leave them; traced by hand:
// the first partition (trial position 2) moves the two 2s so that the one
// carrying 3 ends before the one carrying 1.
TEST(Sorti, EqualKeysFollowThePartitionSteps) {
  Ints ix = {2, 1, 2, 1};
  Ints iy = {1, 2, 3, 4};
  sorti(ix.data(), iy.data(), 4, 2);
  EXPECT_EQ(ix, (Ints{1, 1, 2, 2}));
  EXPECT_EQ(iy, (Ints{2, 4, 3, 1}));

  // Descending sorts the negated keys by the same steps.
  Ints dx = {-2, -1, -2, -1};
  Ints dy = {1, 2, 3, 4};
  sorti(dx.data(), dy.data(), 4, -2);
  EXPECT_EQ(dx, (Ints{-1, -1, -2, -2}));
  EXPECT_EQ(dy, (Ints{2, 4, 3, 1}));
}

TEST(Sortr, SortsRealsWithTheirCompanion) {
  const std::vector<float> input = {2.5f, -1.0f, 0.0f, 2.5f, -7.25f};
  std::vector<float> x = input;
  std::vector<float> y = positions<float>(5);
  sortr(x.data(), y.data(), 5, 2);
  EXPECT_EQ(x, (std::vector<float>{-7.25f, -1.0f, 0.0f, 2.5f, 2.5f}));
  EXPECT_EQ(y[0], 4);
  EXPECT_EQ(y[1], 1);
  EXPECT_EQ(y[2], 2);
  expect_carried_along(x, y, input);  // the two 2.5s carry 0 and 3

  const std::vector<float> before = y;
  sortr(x.data(), y.data(), 5, -1);
  EXPECT_EQ(x, (std::vector<float>{2.5f, 2.5f, 0.0f, -1.0f, -7.25f}));
  EXPECT_EQ(y, before);  // untouched by kflag -1
}

TEST(Sortstra, OrdersByCharacterCodeWithBlanksFirst) {
  Text<2> six[] = {"b", "B", " B", "A"};
  sortstra(six, 4);
  EXPECT_EQ(six[0].view(), " B");
  EXPECT_EQ(six[1].view(), "A ");
  EXPECT_EQ(six[2].view(), "B ");
  EXPECT_EQ(six[3].view(), "b ");
}

TEST(Sortstraic, CarriesTheCompanionAndKeepsTheSameStepsAsNumbers) {
  Text<8> six[] = {"b", "a", "b", "a"};
  std::int32_t iy[] = {1, 2, 3, 4};
  sortstraic(six, iy, 4);
  EXPECT_EQ(six[0].view(), "a       ");
  EXPECT_EQ(six[3].view(), "b       ");
  EXPECT_EQ(std::vector<std::int32_t>(iy, iy + 4), (Ints{2, 4, 3, 1}));

  Text<8> names[] = {"0A1B2C3D", "00FF0011", "0A1B2C3C", "FFFFFFFF", "00000001"};
  std::int32_t map[] = {1, 2, 3, 4, 5};
  sortstraic(names, map, 5);
  const char* order[] = {"00000001", "00FF0011", "0A1B2C3C", "0A1B2C3D", "FFFFFFFF"};
  const std::int32_t carried[] = {5, 2, 3, 1, 4};
  for (int p = 0; p < 5; ++p) {
    EXPECT_EQ(names[p].view(), order[p]);
    EXPECT_EQ(map[p], carried[p]);
  }
  sortstraic(names, map, 1);
  sortstraic(names, map, 0);
  EXPECT_EQ(names[0].view(), "00000001");
}

TEST(Sortstra, WideElementsPassThroughWhole) {
  const std::string a(120, 'a');
  const std::string b = std::string(119, 'a') + "b";
  Text<120> six[] = {Text<120>(b), Text<120>(a)};
  sortstra(six, 2);
  EXPECT_EQ(six[0].view(), a);
  EXPECT_EQ(six[1].view(), b);
}

TEST(Sort, RandomArraysEndOrderedWithCompanionsAttached) {
  std::mt19937 rng(5150);
  for (int round = 0; round < 300; ++round) {
    const std::int32_t n = static_cast<std::int32_t>(rng() % (round < 200 ? 40 : 3000));
    const std::int32_t spread = 1 + static_cast<std::int32_t>(rng() % 50);
    Ints ix(static_cast<std::size_t>(n));
    Ints iy(static_cast<std::size_t>(n));
    std::vector<float> x(static_cast<std::size_t>(n));
    std::vector<float> y(static_cast<std::size_t>(n));
    std::vector<Text<4>> six(static_cast<std::size_t>(n));
    for (std::int32_t p = 0; p < n; ++p) {
      const auto i = static_cast<std::size_t>(p);
      ix[i] = static_cast<std::int32_t>(rng() % static_cast<unsigned>(spread)) - spread / 2;
      iy[i] = p;
      x[i] = static_cast<float>(ix[i]) * 0.5f;
      y[i] = static_cast<float>(p);
      six[i] = Text<4>(std::string(1, static_cast<char>('0' + ix[i] % 10 + 10)) +
                       std::to_string(ix[i] & 3));
    }
    const Ints keys = ix;
    const std::vector<float> reals = x;
    const std::vector<Text<4>> texts = six;
    const std::int32_t kflag = (round % 2 == 0) ? 2 : -2;
    sorti(ix.data(), iy.data(), n, kflag);
    sortr(x.data(), y.data(), n, kflag);
    Ints ty = positions<std::int32_t>(six.size());
    sortstraic(six.data(), ty.data(), n);
    expect_carried_along(ix, iy, keys);
    expect_carried_along(x, y, reals);
    expect_carried_along(six, ty, texts);
    if (kflag > 0) {
      ASSERT_TRUE(std::is_sorted(ix.begin(), ix.end()));
      ASSERT_TRUE(std::is_sorted(x.begin(), x.end()));
    } else {
      ASSERT_TRUE(std::is_sorted(ix.rbegin(), ix.rend()));
      ASSERT_TRUE(std::is_sorted(x.rbegin(), x.rend()));
    }
    ASSERT_TRUE(std::is_sorted(six.begin(), six.end(), [](const Text<4>& a, const Text<4>& b) {
      return a.view() < b.view();
    }));
  }
}

// A NaN compares neither above nor below any key, so where keys end up around
// it is not defined; but the scans must stay inside the array (the sanitizer
// build watches that) and every key, NaN or not, must still be there once.
TEST(Sortr, NotANumberNeverLeadsOutsideTheArrayNorLosesKeys) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  std::mt19937 rng(9);
  for (int round = 0; round < 500; ++round) {
    std::vector<float> x(2 + rng() % 30);
    for (float& v : x) v = (rng() % 4 == 0) ? nan : static_cast<float>(rng() % 7);
    const std::vector<float> input = x;
    std::vector<float> y = positions<float>(x.size());
    sortr(x.data(), y.data(), static_cast<std::int32_t>(x.size()), 2);
    expect_carried_along(x, y, input);
  }
}

}  // namespace
}  // namespace vud
