#include "vud_support/text/fixed_text.h"

#include <gtest/gtest.h>

#include <string>

namespace vud {
namespace {

TEST(Text, AssignCutsAndPads) {
  struct Case {
    std::string_view in;
    std::string_view field;
    std::int32_t trimmed;
    bool blank;
  };
  static constexpr Case kCases[] = {
      {"", "    ", 1, true},    {"ab", "ab  ", 2, false}, {"abcdef", "abcd", 4, false},
      {" x", " x  ", 2, false}, {"  x", "  x ", 3, true},
  };
  for (const Case& c : kCases) {
    Text<4> t(c.in);
    EXPECT_EQ(t.view(), c.field) << c.in;
    EXPECT_EQ(t.trimmed_length(), c.trimmed) << c.in;
    EXPECT_EQ(t.is_blank(), c.blank) << c.in;
  }
}

// Trailing blanks are passed over eight at a time: every length of text and
// of blank tail, so that each block boundary and each remainder is met; a
// blank inside the text, or just before a full block of blanks, ends nothing.
TEST(Text, TrimmedLengthOverEveryTailLength) {
  for (std::size_t text = 0; text <= 20; ++text) {
    for (std::size_t tail = 0; tail <= 40; ++tail) {
      std::string s(text, 'x');
      if (text > 2) s[text - 2] = ' ';
      s.append(tail, ' ');
      const auto expected = static_cast<std::int32_t>(text == 0 ? 1 : text);
      EXPECT_EQ(trimmed_length(s), expected) << text << "+" << tail;
    }
  }
}

TEST(Text, TrimmedOrBlankIsNeverEmpty) {
  struct Case {
    std::string_view in, out;
  };
  static constexpr Case kCases[] = {{"", " "}, {"   ", " "}, {"ab  ", "ab"}, {" a b ", " a b"}};
  for (const Case& c : kCases) EXPECT_EQ(trimmed_or_blank(c.in), c.out) << '"' << c.in << '"';
}

TEST(Field, PutStopsAtTheWidth) {
  Text<6> t("abcdef");
  Field f(t);
  f.put(5, "XYZ");
  EXPECT_EQ(t.view(), "abcdXY");
  f.put(7, "Q");  // past the end: nothing written
  EXPECT_EQ(t.view(), "abcdXY");
  EXPECT_EQ(sub1(t, 2, 3), "bc");
  EXPECT_EQ(sub1(t, 5, 99), "XY");
}

TEST(Table, CountsFromOne) {
  Table<std::int32_t, 3> t;
  t(1) = 7;
  t(3) = 9;
  EXPECT_EQ(*t.begin(), 7);
  EXPECT_EQ(t.end()[-1], 9);
  EXPECT_DEATH(t(4) = 1, "table index 4 outside 1..3");
}

TEST(RingTable, KeepsTheLastEntriesOldestFirst) {
  // Adds 1..7 to a three-entry ring as a store of the last lines does: the
  // ring wraps twice over.
  RingTable<std::int32_t, 3> t;
  std::int32_t held = 0;
  for (std::int32_t x = 1; x <= 7; ++x) {
    if (held < 3) {
      ++held;
    } else {
      t.roll();
    }
    t(held) = x;
  }
  EXPECT_EQ(t(1), 5);
  EXPECT_EQ(t(2), 6);
  EXPECT_EQ(t(3), 7);
  t.fill(0);
  t(1) = 8;
  EXPECT_EQ(t(1), 8);
  EXPECT_EQ(t(3), 0);
  EXPECT_DEATH(t(0) = 1, "table index 0 outside 1..3");
  EXPECT_DEATH(t(4) = 1, "table index 4 outside 1..3");
}

}  // namespace
}  // namespace vud
