#include "vud_support/parse/lines.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "vud_support/console/channels.h"
#include "vud_support/console/console_fixture.h"
#include "vud_support/console/records.h"

namespace vud {
namespace {

constexpr std::int32_t kLog = 10;

// The log is read from channel 10, here bound to the fixture's input stream.
class LinesTest : public ConsoleTest {
 protected:
  void feed(const std::string& text) {
    give_input(text);
    channel_bind_input(kLog, &in_);
  }
};

std::string padded(std::string_view s, std::size_t width = kLineWidth) {
  std::string r(s);
  r.resize(width, ' ');
  return r;
}

TEST_F(LinesTest, StripsCommentsAndDeliversBlankLines) {
  feed("# header\na b c\n\n   # x\n");
  Text<kLineWidth> line;
  std::int32_t items = -7;
  std::int32_t ier = -1;
  const char* expected[] = {"a b c", "", ""};
  for (const char* e : expected) {
    stripc1k(kLog, line, 99, items, 0, "log line", ier);
    ASSERT_EQ(ier, 0) << e;
    EXPECT_EQ(line.view(), padded(e));
  }
  EXPECT_EQ(items, 0);  // the last line delivered was blank

  line = "kept";
  items = 42;
  stripc1k(kLog, line, 99, items, 0, "log line", ier);
  EXPECT_EQ(ier, kStripEndOfFile);
  EXPECT_EQ(line.view(), padded("kept"));
  EXPECT_EQ(items, 42);
  EXPECT_EQ(out_.str(), "");  // silent unless ir is 1
}

TEST_F(LinesTest, CutsInLineCommentsAndLongRecords) {
  struct Case {
    std::string record;
    std::string delivered;
  };
  const std::string thousand(1000, 'a');
  const Case cases[] = {
      {"x = 5  # note", "x = 5"},
      {"abc#", "abc"},
      {"a#b#c", "a"},
      {"  lead\tand tab", "  lead\tand tab"},
      {thousand + "tail", thousand},
      {thousand + "#", thousand},  // the "#" lies past the field
      {"line with cr\r", "line with cr"},
  };
  for (const Case& c : cases) {
    feed(c.record + "\n");
    Text<kLineWidth> line("stale text");
    std::int32_t items = 0;
    std::int32_t ier = -1;
    stripc1k(kLog, line, -1, items, 1, "log line", ier);
    EXPECT_EQ(ier, 0) << c.record;
    EXPECT_EQ(line.view(), padded(c.delivered)) << c.record;
  }
  EXPECT_EQ(out_.str(), "");
}

TEST_F(LinesTest, SetsItemsAsIexpSays) {
  struct Case {
    std::int32_t iexp;
    std::int32_t items_out;
  };
  const Case cases[] = {{99, 4}, {0, 0}, {-1, 123}, {-99, 123}, {4, 4}};
  for (const Case& c : cases) {
    feed("one, two,,three\tfour # five six\n");
    Text<kLineWidth> line;
    std::int32_t items = 123;
    std::int32_t ier = -1;
    stripc1k(kLog, line, c.iexp, items, 0, "log line", ier);
    EXPECT_EQ(ier, 0) << c.iexp;
    EXPECT_EQ(items, c.items_out) << c.iexp;
  }
}

TEST_F(LinesTest, ReportsEndOfFileWhenAsked) {
  struct Case {
    const char* file;
    const char* shown;
  };
  const Case cases[] = {
      {"", " \n Error reading log line EOF sensed.\n"},
      {"site.csv", " \n In site.csv error reading (log line) EOF sensed.\n"},
  };
  for (const Case& c : cases) {
    out_.str("");
    curfile.currentfile = c.file;
    feed("# only a comment\n");
    Text<kLineWidth> line;
    std::int32_t items = 0;
    std::int32_t ier = 0;
    stripc1k(kLog, line, 99, items, 1, "log line   ", ier);
    EXPECT_EQ(ier, kStripEndOfFile);
    EXPECT_EQ(out_.str(), c.shown) << c.file;
  }
}

TEST_F(LinesTest, ReportsReadFailureWhenAsked) {
  struct Case {
    const char* file;
    const char* shown;
  };
  const Case cases[] = {
      {"", " Warning:  Error reading: log line) in...\n"},
      {"site.csv", " Warning:  In site.csv error reading (log line) in...\n"},
  };
  for (const Case& c : cases) {
    out_.str("");
    curfile.currentfile = c.file;
    Text<kLineWidth> line("kept");
    std::int32_t items = 5;
    std::int32_t ier = 0;
    stripc1k(33, line, 99, items, 1, "log line", ier);  // nothing open on 33
    EXPECT_EQ(ier, kStripReadFailed);
    EXPECT_EQ(line.view(), padded("kept"));
    EXPECT_EQ(items, 5);
    EXPECT_EQ(out_.str(), c.shown) << c.file;
  }
  out_.str("");
  std::int32_t items = 0;
  std::int32_t ier = 0;
  Text<kLineWidth> line;
  stripc1k(33, line, 99, items, 0, "log line", ier);
  EXPECT_EQ(ier, kStripReadFailed);
  EXPECT_EQ(out_.str(), "");
}

TEST_F(LinesTest, WrongItemCountIsFatal) {
  // The death test's child shows its messages on the error stream.
  channel_bind_output(kOutputChannel, &std::cerr);
  feed("a b c d  # comment\n");
  Text<kLineWidth> line;
  std::int32_t items = 0;
  std::int32_t ier = 0;
  EXPECT_EXIT(stripc1k(kLog, line, 5, items, 0, "log line", ier), ::testing::ExitedWithCode(1),
              "^ Fatal error:  Expecting  5 items \\(log line\\) in\\.\\.\\.\na b c d\n$");
  curfile.currentfile = "site.csv";
  feed("a b c d\n");
  EXPECT_EXIT(
      stripc1k(kLog, line, 3, items, 0, "log line", ier), ::testing::ExitedWithCode(1),
      "^ Fatal error:  In site.csv expecting  3 items \\(log line\\) in\\.\\.\\.\na b c d\n$");
}

TEST(Icountwords, CountsWordsBetweenBlanksCommasAndTabs) {
  struct Case {
    std::string_view text;
    std::int32_t words;
  };
  const Case cases[] = {
      {"a, b,,c", 3}, {"a|b", 1},       {"", 0},         {"      ", 0}, {",,\t, ", 0},
      {"a", 1},       {"\tab cd\t", 2}, {" x  y   ", 2}, {"a;b c", 2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(icountwords(c.text), c.words) << "'" << c.text << "'";
  }
}

TEST(Sdelim, RewritesSeparatorRunsAsOneDelimiter) {
  struct Case {
    std::string_view a;
    char delm;
    std::string_view b;
  };
  const Case cases[] = {
      {"  12  , 7 ,x", 'C', "12,7,x"},
      {"  12  , 7 ,x", 'T', "12\t7\tx"},
      {"  12  , 7 ,x", 'N', "127x"},
      {"  12  , 7 ,x", 'S', "12 7 x"},
      {"  12  , 7 ,x", 'Q', "12 7 x"},
      {"a,b,,", 'C', "a,b"},  // no trailing delimiter
      {"a\t\tb\t", 'T', "a\tb"},
      {"ab,cd", 'C', "ab,cd"},   // text up to the last column
      {"ab,cd,", 'C', "ab,cd"},  // trailing delimiter in the last column
      {",,,", 'C', ""},
      {"", 'C', ""},
      {"x", 'c', "x"},  // the letters are case-sensitive
      {"a ,b", 'c', "a b"},
  };
  for (const Case& c : cases) {
    Text<24> a(c.a);
    Text<24> b("old content");
    sdelim(std::string_view(a).substr(0, std::max<std::size_t>(c.a.size(), 2)), b, c.delm, 0);
    EXPECT_EQ(b.view(), Text<24>(c.b).view()) << "'" << c.a << "' " << c.delm;
  }
}

TEST(Sdelim, CutsResultToANarrowerField) {
  char storage[6] = {'x', 'x', 'x', 'x', '#', '#'};
  sdelim("alpha beta", Field(storage, 4), 'C', 0);
  EXPECT_EQ(std::string(storage, 6), "alph##");
}

TEST(LeftJustify, DropsLeadingBlanksAndStopsAtControlCharacters) {
  struct Case {
    std::string src;
    std::string_view out;
  };
  const Case cases[] = {
      {std::string("  abc\0more", 10), "abc"},
      {"   hello world", "hello world"},
      {"no lead", "no lead"},
      {"\tafter tab", ""},
      {"  a\nb", "a"},
      {"", ""},
      {"      ", ""},
      {"  \xe9t\xe9", "\xe9t\xe9"},  // bytes above 127 are text
  };
  for (const Case& c : cases) {
    Text<16> f("previous");
    c2fstr(c.src, f);
    EXPECT_EQ(f.view(), Text<16>(c.out).view()) << c.src;

    Text<16> line(c.src);
    strip_leading_space(line);
    EXPECT_EQ(line.view(), Text<16>(c.out).view()) << c.src;
  }
}

TEST(LeftJustify, C2fstrStopsWhenTheFieldIsFull) {
  Text<3> f;
  c2fstr("   abcdef", f);
  EXPECT_EQ(f.view(), "abc");
}

TEST(LeftJustify, StripLeadingSpaceWorksOnTheWholeWidth) {
  const std::string text = std::string(4, ' ') + std::string(120, 'z');
  Text<124> line(text);
  strip_leading_space(line);
  EXPECT_EQ(line.view(), std::string(120, 'z') + "    ");
}

}  // namespace
}  // namespace vud
