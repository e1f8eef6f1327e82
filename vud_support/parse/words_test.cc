// Tests of word, phrase and number extraction: cursor walk, flags, and the
// exact lines shown on the terminal channel.
#include "vud_support/parse/words.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "vud_support/console/channels.h"
#include "vud_support/console/console_fixture.h"
#include "vud_support/console/records.h"

namespace vud {
namespace {

using WordsTest = ConsoleTest;

// ---------------------------------------------------------------- egetw

using Egetw = WordsTest;

TEST_F(Egetw, WalksALineWordByWord) {
  struct Case {
    std::string_view line;
    std::vector<std::string_view> words;  // each followed by its cursor
    std::vector<std::int32_t> cursors;
  };
  const Case kCases[] = {
      {"  12|x", {"12", "x"}, {5, 7}},     {"a,,b", {"a", "b"}, {2, 5}},
      {"a , b", {"a", "b"}, {2, 6}},       {"\ta\t|\tb", {"a", "b"}, {3, 7}},
      {"\"a b\"", {"\"a", "b\""}, {3, 6}},  // quotes are ordinary characters
  };
  for (const Case& c : kCases) {
    const Text<12> line(c.line);
    std::int32_t k = 0, ier = 0;
    for (std::size_t i = 0; i < c.words.size(); ++i) {
      Text<8> word;
      egetw(line, k, word, 'W', "word", ier);
      EXPECT_EQ(word.view(), Text<8>(c.words[i]).view()) << c.line << " #" << i;
      EXPECT_EQ(k, c.cursors[i]) << c.line << " #" << i;
      EXPECT_EQ(ier, 0) << c.line << " #" << i;
    }
    // No further word: past the end, cursor past the width.
    Text<8> word("junk");
    egetw(line, k, word, '-', "word", ier);
    EXPECT_EQ(word.view(), Text<8>().view()) << c.line;
    EXPECT_EQ(k, 13) << c.line;
    EXPECT_EQ(ier, kIerPastEnd) << c.line;
  }
  EXPECT_EQ(shown(), "");
}

TEST_F(Egetw, LongWordLosesOneCharacter) {
  const Text<8> line("abcdefg");
  std::int32_t k = 0, ier = 0;
  Text<4> word;
  egetw(line, k, word, 'W', "word", ier);
  EXPECT_EQ(word.view(), "abcd");
  EXPECT_EQ(k, 5);  // on 'e', which the next call skips over
  EXPECT_EQ(ier, 0);
  egetw(line, k, word, 'W', "word", ier);
  EXPECT_EQ(word.view(), "fg  ");
  EXPECT_EQ(k, 8);
  EXPECT_EQ(ier, 0);
  EXPECT_EQ(shown(), "");
}

TEST_F(Egetw, WordOnLastCharacterIsPastTheEnd) {
  const Text<5> line("ab cd");
  std::int32_t k = 0, ier = 0;
  Text<8> word;
  egetw(line, k, word, '-', "word", ier);
  EXPECT_EQ(word.view(), "ab      ");
  EXPECT_EQ(ier, 0);
  egetw(line, k, word, '-', "word", ier);
  EXPECT_EQ(word.view(), "cd      ");  // kept although reported past the end
  EXPECT_EQ(k, 6);
  EXPECT_EQ(ier, kIerPastEnd);
  EXPECT_EQ(shown(), "");
}

TEST_F(Egetw, SuccessLeavesTheFlagAsTheCallerSetIt) {
  const Text<10> line("abc");
  std::int32_t k = 0, ier = 2;
  Text<8> word;
  egetw(line, k, word, 'W', "word", ier);
  EXPECT_EQ(word.view(), "abc     ");
  EXPECT_EQ(ier, 2);
}

TEST_F(Egetw, CursorSkipsAKnownPrefix) {
  const Text<12> line("xx=val next");
  std::int32_t k = 3, ier = 0;
  Text<8> word;
  egetw(line, k, word, 'W', "word", ier);
  EXPECT_EQ(word.view(), "val     ");
  EXPECT_EQ(k, 7);
}

TEST_F(Egetw, CursorOutsideTheLineIsPastTheEnd) {
  const Text<6> line("abc");
  for (std::int32_t k_in : {6, 100, std::numeric_limits<std::int32_t>::max()}) {
    std::int32_t k = k_in, ier = 0;
    Text<4> word("zz");
    egetw(line, k, word, '-', "word", ier);
    EXPECT_EQ(word.view(), "    ");
    EXPECT_GE(k, 7);
    EXPECT_EQ(ier, kIerPastEnd);
  }
  // A cursor below zero starts from the first character.
  std::int32_t k = -5, ier = 0;
  Text<4> word;
  egetw(line, k, word, '-', "word", ier);
  EXPECT_EQ(word.view(), "abc ");
  EXPECT_EQ(k, 4);
}

TEST_F(Egetw, PastTheEndMessages) {
  const Text<20> line("only");
  struct Case {
    char act;
    std::string_view file;
    std::string_view expected;
  };
  const Case kCases[] = {
      {'-', "", ""},
      {'W', "", "WARNING: Past end of line for sensor name (word) in...\nonly\n"},
      {'F', "", "FAILURE: Past end of line for sensor name (word) in...\nonly\n"},
      {'W', "site.csv", "WARNING: in site.csv past end of line for sensor name in...\nonly\n"},
      {'F', "site.csv", "FAILURE: in site.csv past end of line for sensor name in...\nonly\n"},
  };
  for (const Case& c : kCases) {
    clear_shown();
    curfile.currentfile = c.file;
    std::int32_t k = 4, ier = 0;
    Text<8> word;
    egetw(line, k, word, c.act, "sensor name   ", ier);
    EXPECT_EQ(ier, kIerPastEnd);
    EXPECT_EQ(shown(), c.expected) << c.act << " " << c.file;
  }
}

// A line or word quoted in a message shows its control bytes as "?", so that
// a damaged or hostile file cannot drive the terminal; tabs stay.
TEST_F(WordsTest, EchoedLinesAndWordsShowControlBytesAsQuestionMarks) {
  const Text<24> line("\x1b]0;x\x07\t7\x7f \x1b[2J");
  std::int32_t k = 0, ier = 0, iv = 0;
  egetwi(line, k, iv, 0, 10, 'W', "count", ier);  // the first word is no number
  EXPECT_EQ(ier, kIerNotNumber);
  k = 0;
  egetwi(Text<16>("99 \x1b[2J"), k, iv, 0, 10, 'W', "count", ier);  // out of range
  Text<8> word;
  k = 16;
  egetw(line, k, word, 'W', "name", ier);  // past the end
  EXPECT_EQ(shown(),
            " Failed: conversion of count value in ?]0;x?\n"
            " \n WARNING in: 99 ?[2J\n the count value (99) > normal maximum 10!\n"
            "WARNING: Past end of line for name (word) in...\n?]0;x?\t7? ?[2J\n");
}

TEST_F(Egetw, BlankLineAndBlankLabel) {
  const Text<30> line;
  std::int32_t k = 0, ier = 0;
  Text<8> word;
  egetw(line, k, word, 'W', "   ", ier);
  EXPECT_EQ(ier, kIerPastEnd);
  EXPECT_EQ(k, 31);
  EXPECT_EQ(shown(), "WARNING: Past end of line for   (word) in...\n \n");
}

TEST_F(Egetw, LongLineIsEchoedWrapped) {
  // 15 words of 8 letters: 134 characters, beyond the 123 shown on one line.
  std::string text;
  for (int i = 0; i < 15; ++i) text += std::string(8, static_cast<char>('a' + i)) + " ";
  const Text<1000> line(text);
  std::int32_t k = 134, ier = 0;
  Text<8> word;
  egetw(line, k, word, 'W', "x", ier);
  const std::vector<std::string> lines = shown_lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], text.substr(0, 98));
  EXPECT_EQ(lines[2], text.substr(99, 35));

  // 123 characters still go out as one line.
  clear_shown();
  const Text<1000> short_line(text.substr(0, 123));
  k = 123;
  egetw(short_line, k, word, 'W', "x", ier);
  ASSERT_EQ(shown_lines().size(), 2u);
  EXPECT_EQ(shown_lines()[1], text.substr(0, 123));
}

TEST_F(Egetw, MessageIsCutAtTheCompositionBuffer) {
  std::string label;
  for (int i = 0; i < 100; ++i) label += "w" + std::to_string(i % 10) + " ";
  const Text<10> line;
  std::int32_t k = 0, ier = 0;
  Text<8> word;
  egetw(line, k, word, 'W', label, ier);
  std::vector<std::string> lines = shown_lines();
  ASSERT_GE(lines.size(), 2u);
  lines.pop_back();  // the echoed line
  std::string joined;
  for (const std::string& l : lines) joined += (joined.empty() ? "" : " ") + l;
  const std::string composed = "WARNING: Past end of line for " + label;
  EXPECT_EQ(joined, std::string(trimmed(composed.substr(0, 248))));
}

// ---------------------------------------------------------------- egetp

using Egetp = WordsTest;

TEST_F(Egetp, PhraseEndsAtCommaOrTab) {
  const Text<40> line("2015-06-01 10:20:30.5,12");
  std::int32_t k = 0, ier = 2;
  Text<24> phrase;
  egetp(line, k, phrase, 'W', "YYYY-MM-DD hh:mm:ss.f", ier);
  EXPECT_EQ(phrase.view(), "2015-06-01 10:20:30.5   ");
  EXPECT_EQ(k, 22);
  EXPECT_EQ(ier, 0);

  const Text<20> piped(" |a b|c\td");
  k = 0;
  egetp(piped, k, phrase, 'W', "p", ier);
  EXPECT_EQ(phrase.view(), Text<24>("|a b|c").view());
  EXPECT_EQ(k, 8);
  EXPECT_EQ(shown(), "");
}

TEST_F(Egetp, LastPhraseCollectsPadding) {
  // Enough padding left: the phrase fills up and ends normally.
  const Text<30> line("x,ab");
  std::int32_t k = 1, ier = 0;
  Text<8> phrase;
  egetp(line, k, phrase, 'W', "p", ier);
  EXPECT_EQ(phrase.view(), "ab      ");
  EXPECT_EQ(k, 11);
  EXPECT_EQ(ier, 0);
  EXPECT_EQ(shown(), "");

  // Not enough: past the end, silent and successful under "-".
  const Text<6> tight("x,ab");
  k = 1;
  ier = 2;
  egetp(tight, k, phrase, '-', "p", ier);
  EXPECT_EQ(phrase.view(), "ab      ");
  EXPECT_EQ(k, 7);
  EXPECT_EQ(ier, 0);
  EXPECT_EQ(shown(), "");
}

TEST_F(Egetp, PastTheEndMessages) {
  const Text<6> line("x,ab");
  struct Case {
    char act;
    std::string_view file;
    std::string_view expected;
  };
  const Case kCases[] = {
      {'W', "", "WARNING: Past end of line for datea (phrase) in...\nx,ab\n"},
      {'F', "", "FAILURE: Past end of line for datea (phrase) in...\nx,ab\n"},
      {'W', "log.txt", "WARNING: in log.txt past end of line for datea (phrase) in...\nx,ab\n"},
      {'F', "log.txt", "FAILURE: in log.txt past end of line for datea (phrase) in...\nx,ab\n"},
  };
  for (const Case& c : kCases) {
    clear_shown();
    curfile.currentfile = c.file;
    std::int32_t k = 1, ier = 0;
    Text<8> phrase;
    egetp(line, k, phrase, c.act, "datea", ier);
    EXPECT_EQ(phrase.view(), "ab      ");
    EXPECT_EQ(ier, kIerPastEnd);
    EXPECT_EQ(shown(), c.expected) << c.act << " " << c.file;
  }
}

// ---------------------------------------------------------------- egetwi

using Egetwi = WordsTest;

TEST_F(Egetwi, ReadsFreeFormIntegers) {
  struct Case {
    std::string_view word;
    std::int32_t iv;
    std::int32_t ier;
  };
  const Case kCases[] = {
      {"12", 12, 0},
      {"-45", -45, 0},
      {"+7", 7, 0},
      {"0012", 12, 0},
      {"-0", 0, 0},
      {"2147483647", 2147483647, 0},
      {"-2147483648", std::numeric_limits<std::int32_t>::min(), 0},
      {"2147483648", -1, 2},
      {"-2147483649", -1, 2},
      {"99999999999999999999", -1, 2},
      {"12.5", -1, 2},
      {"12.", -1, 2},
      {"1e3", -1, 2},
      {"abc", -1, 2},
      {"12a", -1, 2},
      {"-", -1, 2},
      {"+-3", -1, 2},
      {"0x10", -1, 2},
  };
  for (const Case& c : kCases) {
    clear_shown();
    const Text<30> line(std::string(c.word) + " 9");
    std::int32_t k = 0, ier = 0, iv = -1;
    egetwi(line, k, iv, 0, 10, '-', "n", ier);
    EXPECT_EQ(iv, c.iv) << c.word;
    EXPECT_EQ(ier, c.ier) << c.word;
    // A word that is not an integer is reported even under "-".
    EXPECT_EQ(shown(),
              c.ier == 0 ? "" : " Failed: conversion of n value in " + std::string(c.word) + "\n")
        << c.word;
    EXPECT_EQ(k, static_cast<std::int32_t>(c.word.size()) + 1) << c.word;
  }
}

TEST_F(Egetwi, ConversionMessageWhateverTheLetter) {
  struct Case {
    char act;
    std::string_view file;
    std::string_view expected;
  };
  const Case kCases[] = {
      {'-', "", " Failed: conversion of sensor index value in 12.5\n"},
      {'W', "", " Failed: conversion of sensor index value in 12.5\n"},
      {'F', "site.csv", "Failed in site.csv: conversion of sensor index value in 12.5\n"},
  };
  for (const Case& c : kCases) {
    clear_shown();
    curfile.currentfile = c.file;
    const Text<20> line("12.5");
    std::int32_t k = 0, ier = 0, iv = 3;
    egetwi(line, k, iv, 0, 10, c.act, "sensor index", ier);
    EXPECT_EQ(iv, 3);
    EXPECT_EQ(ier, kIerNotNumber);
    EXPECT_EQ(shown(), c.expected);
  }
}

TEST_F(Egetwi, EndOfLineIsSilent) {
  for (char act : {'-', 'W', 'F'}) {
    const Text<10> line("5");
    std::int32_t k = 1, ier = 0, iv = 3;
    egetwi(line, k, iv, 0, 10, act, "n", ier);
    EXPECT_EQ(ier, kIerPastEnd);
    EXPECT_EQ(iv, 3);
  }
  // The word reaching the last character counts as the end of the line too.
  const Text<2> full("42");
  std::int32_t k = 0, ier = 0, iv = 3;
  egetwi(full, k, iv, 0, 10, 'W', "n", ier);
  EXPECT_EQ(ier, kIerPastEnd);
  EXPECT_EQ(iv, 3);
  EXPECT_EQ(shown(), "");
}

TEST_F(Egetwi, RangeCheck) {
  struct Case {
    std::string_view word;
    char act;
    std::string_view file;
    std::int32_t ier;
    std::string_view expected;
  };
  const Case kCases[] = {
      {"0", 'W', "", 0, " \n WARNING in: 0 v\n the version value (0) < normal minimum 4!\n"},
      {"0", 'F', "", 1, " \n FAILURE in: 0 v\n the version value (0) < allowable minimum 4!\n"},
      {"7", 'W', "", 0, " \n WARNING in: 7 v\n the version value (7) > normal maximum 5!\n"},
      {"7", 'F', "", 1, " \n FAILURE in: 7 v\n the version value (7) > allowable maximum 5!\n"},
      {"-12", 'W', "a.log", 0,
       " \nWARNING: in a.log: -12 v\n the version value (-12) < normal minimum 4!\n"},
      {"70", 'F', "a.log", 1,
       " \nFAILURE: in a.log: 70 v\n the version value (70) > allowable maximum 5!\n"},
      {"4", 'F', "", 0, ""},
      {"5", 'W', "", 0, ""},
      {"9", '-', "", 0, ""},
      {"9", '?', "", 0, ""},
  };
  for (const Case& c : kCases) {
    clear_shown();
    curfile.currentfile = c.file;
    const Text<30> line(std::string(c.word) + " v");
    std::int32_t k = 0, ier = 0, iv = 0;
    egetwi(line, k, iv, 4, 5, c.act, "version", ier);
    EXPECT_EQ(std::to_string(iv), c.word);  // the value read stays
    EXPECT_EQ(ier, c.ier) << c.word << c.act;
    EXPECT_EQ(shown(), c.expected) << c.word << c.act;
  }
}

// The location line echoes the line up to 105 characters for an integer and
// up to 230 for a real, the blank after the prefix included in neither.
using RangeEcho = WordsTest;

TEST_F(RangeEcho, LineIsCutPerRoutine) {
  std::string text = "0";
  while (text.size() < 300) text += " abcdefghi";
  const Text<1000> line(text);
  struct Case {
    bool real;
    std::size_t echo;
  };
  const Case kCases[] = {{false, 105}, {true, 230}};
  for (const Case& c : kCases) {
    clear_shown();
    std::int32_t k = 0, ier = 0, iv = 0;
    float rv = 0.0F;
    if (c.real) {
      egetwr(line, k, rv, 4.0F, 5.0F, 'W', "n", ier);
    } else {
      egetwi(line, k, iv, 4, 5, 'W', "n", ier);
    }
    std::vector<std::string> lines = shown_lines();
    ASSERT_GE(lines.size(), 4u);
    std::string joined;
    for (std::size_t i = 1; i + 1 < lines.size(); ++i)
      joined += (joined.empty() ? "" : " ") + lines[i];
    EXPECT_EQ(joined, " WARNING in: " + text.substr(0, c.echo)) << c.echo;
  }
}

TEST_F(Egetwi, NumberWordIsReadFromItsFirst20Characters) {
  const Text<40> line("000000000000000000012345 6");
  std::int32_t k = 0, ier = 0, iv = 0;
  egetwi(line, k, iv, 0, 0, '-', "n", ier);
  EXPECT_EQ(iv, 1);
  EXPECT_EQ(k, 21);
  egetwi(line, k, iv, 0, 0, '-', "n", ier);
  EXPECT_EQ(iv, 345);
  EXPECT_EQ(ier, 0);
}

// ---------------------------------------------------------------- egetwr

using Egetwr = WordsTest;

TEST_F(Egetwr, ReadsFreeFormReals) {
  struct Case {
    std::string_view word;
    float rv;
    std::int32_t ier;
  };
  const Case kCases[] = {
      {"22.5", 22.5F, 0}, {"-1.5e3", -1500.0F, 0}, {"1.5E+2", 150.0F, 0}, {"2.5d-1", 0.25F, 0},
      {"1D2", 100.0F, 0}, {".5", 0.5F, 0},         {"5.", 5.0F, 0},       {"+3", 3.0F, 0},
      {"-0.1", -0.1F, 0}, {"1e-50", 0.0F, 0},      {"1e", -7.0F, 2},      {"e5", -7.0F, 2},
      {".", -7.0F, 2},    {"1.2.3", -7.0F, 2},     {"abc", -7.0F, 2},     {"1e50", -7.0F, 2},
      {"12x", -7.0F, 2},  {"0x1p3", -7.0F, 2},     {"1e+", -7.0F, 2},     {"--1", -7.0F, 2},
  };
  for (const Case& c : kCases) {
    clear_shown();
    const Text<30> line(std::string(c.word) + " 9");
    std::int32_t k = 0, ier = 0;
    float rv = -7.0F;
    egetwr(line, k, rv, 0.0F, 1.0F, '-', "r", ier);
    EXPECT_EQ(rv, c.rv) << c.word;
    EXPECT_EQ(ier, c.ier) << c.word;
    EXPECT_EQ(shown(),
              c.ier == 0 ? "" : " Failed: conversion of r value in " + std::string(c.word) + "\n")
        << c.word;
  }
}

// Words that name no number in digits are not numbers, in any case and with
// any sign: the conversion message, and the value keeps what it had.
TEST_F(Egetwr, NanAndInfinityWordsAreNotNumbers) {
  for (std::string_view word :
       {"nan", "NaN", "-nan", "inf", "-inf", "+INF", "Infinity", "-infinity", "infinite"}) {
    clear_shown();
    curfile.currentfile = "a.log";
    const Text<30> line(std::string(word) + " 9");
    std::int32_t k = 0, ier = 0;
    float rv = 41.5F;
    egetwr(line, k, rv, 0.0F, 100.0F, 'W', "humidity %", ier);
    EXPECT_EQ(rv, 41.5F) << word;
    EXPECT_EQ(ier, kIerNotNumber) << word;
    EXPECT_EQ(shown(),
              "Failed in a.log: conversion of humidity % value in " + std::string(word) + "\n")
        << word;
  }
}

TEST_F(Egetwr, EndOfLineIsAConversionFailure) {
  const Text<10> line("5");
  std::int32_t k = 1, ier = 0;
  float rv = 3.0F;
  egetwr(line, k, rv, 0.0F, 10.0F, '-', "humidity %", ier);
  EXPECT_EQ(ier, kIerNotNumber);
  EXPECT_EQ(rv, 3.0F);
  EXPECT_EQ(shown(), " Failed: conversion of humidity % value in\n");

  // A word on the last character: shown as collected, not read.
  clear_shown();
  curfile.currentfile = "b.log";
  const Text<4> full("1 12");
  k = 1;
  egetwr(full, k, rv, 0.0F, 10.0F, 'W', "humidity %", ier);
  EXPECT_EQ(ier, kIerNotNumber);
  EXPECT_EQ(rv, 3.0F);
  EXPECT_EQ(shown(), "Failed in b.log: conversion of humidity % value in 12\n");
}

TEST_F(Egetwr, RangeCheck) {
  struct Case {
    std::string_view word;
    char act;
    float rv;
    std::int32_t ier;
    std::string_view expected;
  };
  const Case kCases[] = {
      {"120", 'W', 120.0F, 0,
       " \n WARNING in: 120 rh\n the humidity % value (120.00) > normal  maximum 100.00!\n"},
      {"120", 'F', 120.0F, 1,
       " \n FAILURE in: 120 rh\n the humidity % value (120.00) > allowable maximum 100.00!\n"},
      {"-0.5", 'W', -0.5F, 0,
       " \n WARNING in: -0.5 rh\n the humidity % value (-0.50000) < normal minimum 0.00!\n"},
      {"-0.5", 'F', -0.5F, 1,
       " \n FAILURE in: -0.5 rh\n the humidity % value (-0.50000) < allowable minumum 0.00!\n"},
      {"100", 'F', 100.0F, 0, ""},
      {"0", 'F', 0.0F, 0, ""},
      {"500", '-', 500.0F, 0, ""},
      {"500", 'x', 500.0F, 0, ""},
  };
  for (const Case& c : kCases) {
    clear_shown();
    const Text<30> line(std::string(c.word) + " rh");
    std::int32_t k = 0, ier = 0;
    float rv = -7.0F;
    egetwr(line, k, rv, 0.0F, 100.0F, c.act, "humidity %", ier);
    EXPECT_EQ(rv, c.rv) << c.word << c.act;
    EXPECT_EQ(ier, c.ier) << c.word << c.act;
    EXPECT_EQ(shown(), c.expected) << c.word << c.act;
  }
}

TEST_F(Egetwr, RangeMessageNamesTheFile) {
  curfile.currentfile = "site.csv";
  const Text<30> line("2.0e7 x");
  std::int32_t k = 0, ier = 0;
  float rv = 0.0F;
  egetwr(line, k, rv, -1.0F, 1.0e6F, 'W', "lux", ier);
  EXPECT_EQ(shown(),
            " \nWARNING: in site.csv: 2.0e7 x\n the lux value (2.000000E+07) > normal  maximum "
            "0.10000E+07!\n");
}

// ---------------------------------------------------------------- intstr

TEST(Intstr, ShortestText) {
  struct Case {
    std::int32_t v;
    std::string_view text;
    std::int32_t len;
  };
  const Case kCases[] = {
      {-45, "-45", 3},
      {0, "0", 1},
      {7, "7", 1},
      {2147483647, "2147483647", 10},
      {-999999999, "-999999999", 10},
      {-1000000000, "**********", 10},
      {std::numeric_limits<std::int32_t>::min(), "**********", 10},
  };
  for (const Case& c : kCases) {
    Text<10> fstr("junkjunkju");
    std::int32_t iswd = -1, iflag = -1;
    intstr(c.v, fstr, iswd, iflag);
    EXPECT_EQ(fstr.view(), Text<10>(c.text).view()) << c.v;
    EXPECT_EQ(iswd, c.len) << c.v;
    EXPECT_EQ(iflag, 0) << c.v;
  }
}

}  // namespace
}  // namespace vud
