// Tests of the reduction of a line to pixel columns: the minimum and maximum of
// every column survive in the order they came, and gaps break the line.
#include "vudplot/reduce.h"

#include <gtest/gtest.h>

#include <string>

#include "vudplot/reduce_shape.h"

namespace vudplot {
namespace {

TEST(ColumnOf, SpreadsTheSpanOverTheColumns) {
  struct Case {
    std::int64_t t;
    std::int32_t column;
  };
  // 1000 seconds over 10 columns: 100 seconds each, the end in the last one.
  const Case kCases[] = {{-5, 0},  {0, 0},   {99, 0},   {100, 1},
                         {950, 9}, {999, 9}, {1000, 9}, {5000, 9}};
  for (const Case& c : kCases) EXPECT_EQ(column_of(c.t, 0, 1000, 10), c.column) << c.t;
  EXPECT_EQ(column_of(50, 50, 50, 10), 0);  // no span
}

TEST(Reducer, KeepsTheMinimumAndMaximumOfEachColumnInOrder) {
  struct Case {
    const char* what;
    std::vector<std::pair<std::int32_t, float>> values;
    std::string shape;
    float lo, hi;
  };
  const Case kCases[] = {
      {"one value per column", {{0, 1}, {1, 2}, {2, 3}}, "|0:1/1 1:2/2 2:3/3", 1, 3},
      {"minimum before maximum", {{0, 5}, {0, 3}, {0, 8}, {0, 6}}, "|0:3/8", 3, 8},
      {"maximum before minimum", {{0, 5}, {0, 8}, {0, 3}, {0, 6}}, "|0:8/3", 3, 8},
      {"a spike in a crowd survives",
       {{4, 20}, {4, 20.1f}, {4, 95}, {4, 20}, {5, 20}, {5, -40}, {5, 20}},
       "|4:20/95 5:20/-40",
       -40,
       95},
      {"columns skipped keep their own place", {{0, 1}, {7, 2}}, "|0:1/1 7:2/2", 1, 2},
  };
  for (const Case& c : kCases) {
    Reducer r;
    for (const auto& [col, v] : c.values) r.add(col, v);
    r.finish();
    EXPECT_EQ(shape(r), c.shape) << c.what;
    EXPECT_EQ(r.lowest(), c.lo) << c.what;
    EXPECT_EQ(r.highest(), c.hi) << c.what;
  }
}

TEST(Reducer, AGapStartsANewPieceEvenInTheSameColumn) {
  Reducer r;
  r.add(0, 1);
  r.add(1, 2);
  r.gap();
  r.gap();  // two gaps in a row are one
  r.add(5, 3);
  r.add(5, 4);
  r.gap();
  r.add(5, 9);
  r.finish();
  EXPECT_EQ(shape(r), "|0:1/1 1:2/2 |5:3/4 |5:9/9");
}

TEST(Reducer, ALineWithNoValuesIsEmpty) {
  Reducer r;
  r.gap();
  r.finish();
  EXPECT_TRUE(r.empty());
  EXPECT_TRUE(r.buckets().empty());
}

TEST(Reducer, AYearOfStepsStaysWithinTwoPointsPerColumn) {
  // 105,120 five-minute steps of a year over 910 columns, with one high and one
  // low value hidden in the middle of a column.
  const std::int64_t t1 = 105119 * 300;
  Reducer r;
  for (std::int64_t i = 0; i < 105120; ++i) {
    float v = static_cast<float>(i % 288) / 10.0f;
    if (i == 50000) v = 1000;
    if (i == 50001) v = -1000;
    r.add(column_of(i * 300, 0, t1, 910), v);
  }
  r.finish();
  ASSERT_EQ(r.buckets().size(), 910u);
  const Bucket& b = r.buckets()[static_cast<std::size_t>(column_of(50000 * 300, 0, t1, 910))];
  EXPECT_EQ(b.first, 1000);
  EXPECT_EQ(b.second, -1000);
}

}  // namespace
}  // namespace vudplot
