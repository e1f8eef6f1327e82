#include "vud_support/console/messages.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "vud_support/console/channels.h"
#include "vud_support/console/console_fixture.h"
#include "vud_support/console/records.h"

namespace vud {
namespace {

class MessagesTest : public ConsoleTest {
 protected:
  // Starts a case of a table afresh: records, bindings, output and input.
  void fresh() {
    answers("");
    SetUp();
  }
};

std::string blanks(std::size_t n) { return std::string(n, ' '); }

// ---------------------------------------------------------------- edisp

TEST_F(MessagesTest, EdispShowsTrimmedLineAndBuffersIt) {
  struct Case {
    std::string msg;
    std::string shown;
    std::string kept;  // start of the buffered entry
    std::int32_t len;
  };
  const std::string long200 = std::string(150, 'a') + std::string(50, 'b');
  const Case cases[] = {
      {"abc      ", "abc\n", "abc", 3},
      {"   ", " \n", " ", 1},
      {"", " \n", " ", 1},
      {"  lead  trail  ", "  lead  trail\n", "  lead  trail", 13},
      // The channel gets the whole text; the buffer keeps 144 characters.
      {long200 + "    ", long200 + "\n", long200.substr(0, 144), 144},
  };
  for (const Case& c : cases) {
    fresh();
    edisp(6, c.msg);
    EXPECT_EQ(shown(), c.shown) << c.msg;
    EXPECT_EQ(textbufl.indexbuf, 1) << c.msg;
    EXPECT_EQ(textbufl.lnbuf(1), c.len) << c.msg;
    EXPECT_EQ(textbuf.dispbuf(1), Text<144>(c.kept)) << c.msg;
  }
}

TEST_F(MessagesTest, EdispWritesToTheChannelGiven) {
  std::ostringstream err;
  channel_bind_output(kErrorChannel, &err);
  edisp(0, Text<20>("to the error stream"));
  EXPECT_EQ(err.str(), "to the error stream\n");
  EXPECT_EQ(shown(), "");
}

TEST_F(MessagesTest, EdispRollsTheBufferAfter500Lines) {
  for (int i = 1; i <= 501; ++i) edisp(6, "line " + std::to_string(i));
  EXPECT_EQ(textbufl.indexbuf, 500);
  EXPECT_EQ(textbuf.dispbuf(1), Text<144>("line 2"));
  EXPECT_EQ(textbufl.lnbuf(1), 6);
  EXPECT_EQ(textbuf.dispbuf(499), Text<144>("line 500"));
  EXPECT_EQ(textbuf.dispbuf(500), Text<144>("line 501"));
  EXPECT_EQ(textbufl.lnbuf(500), 8);
  edisp(6, "x");
  EXPECT_EQ(textbuf.dispbuf(1), Text<144>("line 3"));
  EXPECT_EQ(textbuf.dispbuf(500), Text<144>("x"));
}

TEST_F(MessagesTest, EdispReportsAFailedWriteOnStandardOutput) {
  // Channel 17 holds no file, so the write fails; the report goes to channel 6.
  edisp(17, Text<12>("lost text"));
  edisp(17, "x");
  EXPECT_EQ(shown(),
            " edisp: error writing text: lost text   \n"
            " edisp: error writing blank/null \n");
  EXPECT_EQ(textbufl.indexbuf, 2);  // the buffer holds the lines all the same
}

TEST_F(MessagesTest, EdispInGraphModeGoesToTheTextArea) {
  spad.mmod = 8;
  spad.limtty = 24;
  spad.limit = 2;
  edisp(6, "hello");
  EXPECT_EQ(shown(), " hello" + blanks(139) + "\n");
  EXPECT_EQ(spad.limit, 1);
  edisp(6, "again");  // limit stays at 1 once the area is full
  EXPECT_EQ(spad.limit, 1);
  // A channel other than the terminal gets a plain line.
  std::ostringstream err;
  channel_bind_output(kErrorChannel, &err);
  edisp(0, "plain");
  EXPECT_EQ(err.str(), "plain\n");
  EXPECT_EQ(spad.limit, 1);
}

// ---------------------------------------------------- iprevblnk, inextblnk

TEST(BlankSearch, FindsTheEdgesOfBlankRuns) {
  struct Case {
    std::string_view text;
    std::int32_t ipos, prev, next;
  };
  static constexpr Case kCases[] = {
      {"hello   world", 11, 6, 13},
      {"hello   world", 2, 1, 8},
      {"hello   world", 10, 6, 13},
      {"hello   world", 7, 6, 8},
      {"abcdef", 4, 1, 6},
      {"a b", 3, 2, 3},
      {"a\t\tb", 4, 2, 4},
      // Past the trimmed length: the trimmed length; past the width: the width.
      {"ab cd    ", 7, 5, 5},
      {"ab cd    ", 12, 9, 9},
      // Another control character stops the search where it started.
      {"ab\001cd\002ef", 5, 5, 5},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(iprevblnk(c.text, c.ipos), c.prev) << c.text << " at " << c.ipos;
    EXPECT_EQ(inextblnk(c.text, c.ipos), c.next) << c.text << " at " << c.ipos;
  }
}

TEST(BlankSearch, CharactersAbove127AreNotBlanks) {
  const std::string text = "ab \xe9\xe9\xe9 cd";
  EXPECT_EQ(iprevblnk(text, 7), 3);
  EXPECT_EQ(inextblnk(text, 4), 7);
}

// ------------------------------------------------------------- edisp248

std::string words(int from, int to) {
  std::string s;
  for (int i = from; i <= to; ++i) {
    char w[16];
    std::snprintf(w, sizeof w, "w%02dxxxxxxx ", i);
    s += w;
  }
  return s;
}

TEST_F(MessagesTest, Edisp248WrapsAtWordBoundaries) {
  struct Case {
    std::string name;
    std::string text;
    std::int32_t iwid;
    std::string shown;
  };
  const Case cases[] = {
      {"one short line", std::string(59, 'z') + ".", 100, std::string(59, 'z') + ".\n"},
      {"two lines", "aaaa bbbb cccc dddd eeee ffff gggg hhhh", 24,
       "aaaa bbbb cccc dddd\neeee ffff gggg hhhh\n"},
      {"exactly the width still breaks", "aaaa bbbb cccc dddd eeee", 24,
       "aaaa bbbb cccc dddd\neeee\n"},
      {"six lines at most", words(1, 14), 24,
       "w01xxxxxxx w02xxxxxxx\nw03xxxxxxx w04xxxxxxx\nw05xxxxxxx w06xxxxxxx\n"
       "w07xxxxxxx w08xxxxxxx\nw09xxxxxxx w10xxxxxxx\nw11xxxxxxx w12xxxxxxx\n"},
      {"no blank at all", std::string(200, 'a'), 100, "a\n" + std::string(143, 'a') + "\n"},
      {"blank run carries over", "aaaa bbbb cccc dddd   eeee", 24, "aaaa bbbb cccc dddd\n  eeee\n"},
      // The search for the second break runs past the end of the 248-character
      // field; the blank padding it lands in is not a line of its own.
      {"short text at the widest width", words(1, 10), 144, words(1, 10).substr(0, 109) + "\n"},
  };
  for (const Case& c : cases) {
    fresh();
    Text<248> msg(c.text);
    edisp248(6, msg, c.iwid);
    EXPECT_EQ(shown(), c.shown) << c.name;
  }
  // The same in a field narrower than twice the width.
  fresh();
  edisp248(6, Text<100>(std::string(55, 'z') + " end"), 100);
  EXPECT_EQ(shown(), std::string(55, 'z') + " end\n");
}

TEST_F(MessagesTest, Edisp248RefusesWidthsOutside24To144) {
  std::ostringstream err;
  channel_bind_output(kErrorChannel, &err);
  for (std::int32_t iwid : {23, 145, 0}) {
    out_.str("");
    edisp248(0, Text<248>("some text"), iwid);
    EXPECT_EQ(shown(), "edisp248 width is overly short or long\n") << iwid;
  }
  EXPECT_EQ(err.str(), "");
  for (std::int32_t iwid : {24, 144}) {
    edisp248(0, Text<248>("some text"), iwid);
  }
  EXPECT_EQ(err.str(), "some text\nsome text\n");
}

TEST_F(MessagesTest, Edisp248KeepsWithinSixLinesOf144OnArbitraryText) {
  // Seeded random texts of blanks, tabs, letters, control and high bytes.
  static constexpr char kAlphabet[] = {' ', ' ', ' ',    '\t',   'a',   'b',
                                       'c', 'd', '\001', '\x7f', '\xe9'};
  std::uint32_t seed = 12345;
  auto next = [&seed](std::uint32_t n) {
    seed = seed * 1664525U + 1013904223U;
    return (seed >> 8) % n;
  };
  for (int round = 0; round < 3000; ++round) {
    std::string text(1 + next(300), ' ');
    for (char& ch : text) ch = kAlphabet[next(sizeof kAlphabet)];
    const std::int32_t iwid = 24 + static_cast<std::int32_t>(next(121));
    fresh();
    edisp248(6, text, iwid);
    std::istringstream lines(shown());
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
      ++count;
      ASSERT_LE(line.size(), 144U) << "round " << round;
    }
    ASSERT_GE(count, 1) << "round " << round;
    ASSERT_LE(count, 6) << "round " << round;
    ASSERT_EQ(textbufl.indexbuf, count) << "round " << round;
  }
}

// ---------------------------------------------------- usrmsg and lusrmsg

TEST(TerminalSafe, ShowsControlBytesAsQuestionMarks) {
  struct Case {
    std::string_view text, shown;
  };
  static constexpr Case kCases[] = {
      {"plain text, 20.5", "plain text, 20.5"},
      {"\x1b[2J\x1b]0;title\x07", "?[2J?]0;title?"},
      {"a\tb", "a\tb"},  // the tab is a separator of log fields, not a control
      {std::string_view("\0\r\n\x1f\x7f", 5), "?????"},
      {"\xc3\xa9\x9b", "\xc3\xa9\x9b"},  // bytes from 0x80 on are left alone
  };
  for (const Case& c : kCases) EXPECT_EQ(terminal_safe(c.text), c.shown) << c.shown;
}

TEST_F(MessagesTest, UsrmsgShowsEachKind) {
  struct Case {
    std::string_view msg1, msg2;
    char level;
    std::string shown;
    std::int32_t buffered;
  };
  static const Case kCases[] = {
      {"First part", "second part", '-', "First part\nsecond part\n", 2},
      {"First part", "second part", 'P', "First part\nsecond part\n", 2},
      {"First part", "second part", 'p', "First part\nsecond part\n", 2},
      {"First part   ", "          ", '-', "First part\n", 1},
      {"disk full", "-", 'W', " Warning: disk full\n", 1},
      {"disk full", "-ignored", 'w', " Warning: disk full\n", 1},
      {"disk full", "try another", 'W', " Warning: disk full\ntry another\n", 2},
      {"Name?", " ", '?', "Name? ", 0},
      {"Give the name", "Name:", '?', "Give the name\nName: ", 1},
      {"first", "second", 'x', " Incorrect syntax in USRMSG\nsecond\n", 2},
      {"first", "  ", 'Q', " Incorrect syntax in USRMSG\n", 1},
  };
  for (const Case& c : kCases) {
    fresh();
    usrmsg(c.msg1, c.msg2, c.level);
    EXPECT_EQ(shown(), c.shown) << c.msg1 << "/" << c.msg2 << "/" << c.level;
    EXPECT_EQ(textbufl.indexbuf, c.buffered) << c.msg1 << "/" << c.msg2 << "/" << c.level;
  }
}

TEST_F(MessagesTest, UsrmsgTakesTheKindAsAOneCharacterText) {
  Text<10> second("-x");
  usrmsg("disk full", second, "W");
  EXPECT_EQ(second, Text<10>(""));
  lusrmsg(Text<12>("Name?"), " ", "?");
  usrmsg("first", "second", "");
  EXPECT_EQ(shown(), " Warning: disk full\nName?  Incorrect syntax in USRMSG\nsecond\n");
}

TEST_F(MessagesTest, UsrmsgBlanksTheCallersDashedSecondPart) {
  Text<10> second("-x");
  usrmsg("message", second, '-');
  EXPECT_EQ(second, Text<10>(""));
  EXPECT_EQ(shown(), "message\n");

  fresh();
  Text<10> kept("kept");
  lusrmsg("message", kept, '-');
  EXPECT_EQ(kept, Text<10>("kept"));
  EXPECT_EQ(shown(), "message\nkept\n");
}

TEST_F(MessagesTest, LongPartsAreCutToTheirLine) {
  const std::string a(200, 'a');
  const std::string b(200, 'b');
  struct Case {
    bool long_form;
    char level;
    std::string_view msg2;
    std::string shown;
  };
  const Case cases[] = {
      {false, '-', "-", std::string(124, 'a') + "\n"},
      {true, '-', "-", std::string(124, 'a') + "\n"},
      {false, 'W', "-", " Warning: " + std::string(114, 'a') + "\n"},
      {true, 'W', b, " Warning: " + std::string(114, 'a') + "\n" + std::string(124, 'b') + "\n"},
      // A prompt goes straight to the channel: only lusrmsg cuts its first part.
      {false, '?', "-", a + " "},
      {true, '?', "-", std::string(124, 'a') + " "},
      {true, '?', b, std::string(124, 'a') + "\n" + b + " "},
  };
  for (const Case& c : cases) {
    fresh();
    if (c.long_form) {
      lusrmsg(a, c.msg2, c.level);
    } else {
      usrmsg(a, c.msg2, c.level);
    }
    EXPECT_EQ(shown(), c.shown) << c.long_form << c.level << c.msg2.size();
  }
}

TEST_F(MessagesTest, UsrmsgInGraphModeShowsNothing) {
  spad.mmod = 8;
  for (char level : {'-', '?', 'W', 'w', 'P', 'p', 'x'}) usrmsg("first", "second", level);
  EXPECT_EQ(shown(), "");
  EXPECT_EQ(textbufl.indexbuf, 0);
}

using MessagesDeathTest = MessagesTest;

TEST_F(MessagesDeathTest, FatalMessageEndsTheProgramWithStatus1) {
  // The terminal is pointed at the error stream so the death test can see it.
  outin.iuout = 0;
  channel_reset_all();
  EXPECT_EXIT(usrmsg("cannot go on", "the reason", 'F'), ::testing::ExitedWithCode(1),
              "^ Fatal error: cannot go on\nthe reason\n$");
  EXPECT_EXIT(lusrmsg(std::string(200, 'c'), "-", 'f'), ::testing::ExitedWithCode(1),
              "^ Fatal error: c{110}\n$");
  spad.mmod = 8;
  EXPECT_EXIT(usrmsg("in graph mode", "still shown", 'F'), ::testing::ExitedWithCode(1),
              "^ Fatal error: in graph mode\nstill shown\n$");
}

TEST(Isunix, AlwaysTrue) {
  bool yes = false;
  isunix(yes);
  EXPECT_TRUE(yes);
  EXPECT_TRUE(isunix());
}

// ---------------------------------------------------------------- epages

void call_epages(std::int32_t& model) {
  epages(model, 5, 6, 748, 570, 80, 100, 24, Text<42>("Vantrel statistics"));
}

TEST_F(MessagesTest, EpagesSettlesAGivenTextModeWithoutAsking) {
  for (std::int32_t code : {-6, -2, -1}) {
    fresh();
    spad.limit = 3;
    spad.limtty = 40;
    std::int32_t model = code;
    call_epages(model);
    EXPECT_EQ(spad.mmod, code);
    EXPECT_EQ(spad.limtty, 24);
    EXPECT_EQ(spad.limit, 24);
    EXPECT_EQ(shown(), "");
  }
}

TEST_F(MessagesTest, EpagesGraphModeOpensTheWindowLine) {
  spad.limit = 10;
  std::int32_t model = 8;
  call_epages(model);
  EXPECT_EQ(spad.mmod, 8);
  EXPECT_EQ(spad.limit, 10);
  EXPECT_EQ(shown(), "Vantrel statistics" + blanks(255 - 18) + "\n");
}

TEST_F(MessagesTest, EpagesAsksUntilItUnderstands) {
  give_input("x\n?\n-2\n");
  std::int32_t model = 0;
  call_epages(model);
  EXPECT_EQ(spad.mmod, -2);
  EXPECT_EQ(shown(),
            " Terminal mode (? gives options): \n"
            "Did not understand your response: x    .  Please try again.\n"
            " Terminal mode (? gives options): \n"
            "\n"
            " This program can be run in either a text mode or a\n"
            " mixed text and graphic mode on a workstation.\n"
            " The following choices are available: \n"
            "\n"
            " -6 workstation shell mode (to redirect output)\n"
            " -2 text based display & user dialogue with page control\n"
            " -1 text based display & user dialogue\n"
            "  8 graphic display & user dialogue\n"
            "\n"
            " Terminal mode (? gives options): \n");
}

TEST_F(MessagesTest, EpagesAtEndOfInputSettlesOnText) {
  give_input("nonsense\n");
  std::int32_t model = 3;
  call_epages(model);
  EXPECT_EQ(spad.mmod, -1);
  EXPECT_EQ(shown(),
            " Terminal mode (? gives options): \n"
            "Did not understand your response: nonse.  Please try again.\n"
            " Terminal mode (? gives options): \n");
}

TEST_F(MessagesTest, EpagesGivesUpAfterRepeatedReadFailures) {
  outin.iuin = 44;  // no file there: every read fails
  std::int32_t model = 3;
  epages(model, 44, 6, 748, 570, 80, 100, 24, "t");
  EXPECT_EQ(spad.mmod, -1);
  const std::string ask =
      " Terminal mode (? gives options): \nError reading terminal type. Try again.\n";
  EXPECT_EQ(shown(), ask + ask + ask);
}

// --------------------------------------------------------- page control

TEST_F(MessagesTest, PageControlByMode) {
  const std::string separator = "\n -------------------------------------------------->>";
  struct Case {
    std::int32_t mmod;
    void (*call)();
    const char* name;
    std::string shown;
    std::string input_left;
  };
  const Case cases[] = {
      {-1, epage, "epage", "  \n", "answer\nnext\n"},
      {-1, epagew, "epagew", "  \n", "answer\nnext\n"},
      {-1, epwait, "epwait", "", "answer\nnext\n"},
      {-1, epagend, "epagend", "", "answer\nnext\n"},
      {-2, epage, "epage", separator, "next\n"},
      {-2, epagew, "epagew", separator, "next\n"},
      {-2, epwait, "epwait", "", "answer\nnext\n"},
      {-2, epagend, "epagend", "", "answer\nnext\n"},
      {-6, epage, "epage", "", "answer\nnext\n"},
      {8, epagew, "epagew", "", "answer\nnext\n"},
      {8, epagend, "epagend", "", "answer\nnext\n"},
  };
  for (const Case& c : cases) {
    fresh();
    give_input("answer\nnext\n");
    spad.mmod = c.mmod;
    c.call();
    EXPECT_EQ(shown(), c.shown) << c.mmod << " " << c.name;
    EXPECT_EQ(unread(), c.input_left) << c.mmod << " " << c.name;
  }
}

TEST_F(MessagesTest, PageBreakRestoresThePageCounter) {
  for (std::int32_t mode : {-6, -2, -1, 8}) {
    fresh();
    spad.mmod = mode;
    spad.limtty = 30;
    spad.limit = 4;
    epage();
    EXPECT_EQ(spad.limit, 30) << mode;
  }
  fresh();
  spad.limit = 4;
  epagend();
  EXPECT_EQ(spad.limit, 4);
}

TEST_F(MessagesTest, PageWaitAtEndOfInputGoesOn) {
  spad.mmod = -2;
  epagew();
  epagew();
  EXPECT_EQ(shown(),
            "\n -------------------------------------------------->>"
            "\n -------------------------------------------------->>");
}

// ------------------------------------------------------------ clrtextbuf

TEST_F(MessagesTest, ClearingEmptiesTheBuffer) {
  edisp(6, "one");
  edisp(6, "two");
  clrtextbuf();
  EXPECT_EQ(textbufl.indexbuf, 0);
  for (std::int32_t i = 1; i <= kTextBufLines; ++i) {
    ASSERT_EQ(textbuf.dispbuf(i), Text<144>()) << i;
    ASSERT_EQ(textbufl.lnbuf(i), 1) << i;
  }
}

}  // namespace
}  // namespace vud
