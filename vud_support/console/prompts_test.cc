#include "vud_support/console/prompts.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "vud_support/console/channels.h"
#include "vud_support/console/console_fixture.h"
#include "vud_support/console/records.h"

namespace vud {
namespace {

using PromptTest = ConsoleTest;

// ---------------------------------------------------------------- askok

constexpr std::string_view kYesDefault = "Overwrite? [Y]es (default) or [N]o ?\n";
constexpr std::string_view kNoDefault = "Overwrite? [Y]es or [N]o (default) ?\n";
constexpr std::string_view kNoneDefault = "Overwrite? [Y]es [N]o ?\n";
constexpr std::string_view kChoose = " \nYou must make a choice!\n";

TEST_F(PromptTest, AskokReadsYesNoAndDefault) {
  struct Case {
    bool dok;
    std::int32_t nhelp;
    const char* input;
    bool ok;
    std::string shown_after_first;  // after the first question
  };
  const std::string again = std::string(kChoose) + "file.txt\n";
  const Case kCases[] = {
      {true, 5, "y\n", true, ""},
      {true, 5, "N\n", false, ""},
      {true, 5, "d\n", true, ""},
      {false, 5, "D\n", false, ""},
      {false, 0, "yes please\n", true, ""},
      // An empty answer does not pick the default; it asks again.
      {true, 5, "\nn\n", false, again + std::string(kYesDefault)},
      {false, 5, "x\nY\n", true, again + std::string(kNoDefault)},
      // Without a default, d is a wrong answer.
      {true, -1, "d\nn\n", false, again + std::string(kNoneDefault)},
  };
  for (const Case& c : kCases) {
    answers(c.input);
    bool ok = !c.ok;
    EXPECT_TRUE(askok("file.txt  ", "Overwrite?", ok, c.dok, c.nhelp)) << c.input;
    EXPECT_EQ(ok, c.ok) << c.input;
    const std::string_view first =
        c.nhelp == -1 ? kNoneDefault : (c.dok ? kYesDefault : kNoDefault);
    EXPECT_EQ(out_.str(), "file.txt\n" + std::string(first) + c.shown_after_first) << c.input;
    EXPECT_EQ(unread(), "") << c.input;
  }
}

TEST_F(PromptTest, AskokAtEndOfInputGivesUpWithOkUnchanged) {
  for (const char* input : {"", "\n\nzz\n"}) {
    answers(input);
    bool ok = false;
    EXPECT_FALSE(askok(" ", "Overwrite?", ok, true, 5)) << input;
    EXPECT_FALSE(ok) << "the default is not taken without an answer";
    const std::string out = out_.str();
    EXPECT_EQ(out.substr(out.size() - 31), "ASKOK: error composing prompt.\n");
    EXPECT_EQ(out.substr(0, 2 + kYesDefault.size()), " \n" + std::string(kYesDefault));
  }
}

TEST_F(PromptTest, AskokCutsALongQuestionToKeepTheChoices) {
  answers("y\n");
  bool ok = false;
  askok("t", std::string(120, 'q'), ok, true, 1);
  EXPECT_EQ(out_.str(), "t\n" + std::string(98, 'q') + " [Y]es (default) or [N]o ?\n");
  answers("y\n");
  askok("t", std::string(120, 'q'), ok, true, -1);
  EXPECT_EQ(out_.str(), "t\n" + std::string(111, 'q') + " [Y]es [N]o ?\n");
}

TEST_F(PromptTest, AskokInGraphModeTakesTheDefaultWithoutReading) {
  spad.mmod = 8;
  answers("n\n");
  bool ok = false;
  EXPECT_TRUE(askok("f", "Overwrite?", ok, true, 5));
  EXPECT_TRUE(ok);
  ok = true;
  askok("f", "Overwrite?", ok, false, 5);
  EXPECT_FALSE(ok);
  ok = true;
  askok("f", "Overwrite?", ok, false, -1);
  EXPECT_TRUE(ok) << "no default: unchanged";
  EXPECT_EQ(out_.str(), "");
  EXPECT_EQ(unread(), "n\n");
}

TEST_F(PromptTest, EmptyTextsShowAsOneBlank) {
  answers("y\n");
  bool ok = false;
  EXPECT_TRUE(askok("", "", ok, true, 1));
  EXPECT_EQ(out_.str(), " \n  [Y]es (default) or [N]o ?\n");

  answers("a\n");
  std::int32_t iwhich = 0;
  EXPECT_TRUE(easkatog("Choose", "Which?", "", "", "", "", "", "", "", iwhich, 1));
  EXPECT_EQ(out_.str(), "Choose\n Which?  a)  , b)   ? ");

  answers("d\ny\n");
  Text<72> v = "old.txt";
  std::int32_t ier = 0;
  EXPECT_TRUE(easks(v, "Name?", " ", 72, "", "name", ier, 1));
  EXPECT_TRUE(v.is_blank());
  EXPECT_EQ(out_.str(),
            "(currently: old.txt)\nName? The default is ` `.\n"
            "Is this ok? [Y]es (default) or [N]o ?\n");
}

// ---------------------------------------------------------------- easks

// Runs easks on a 72-character value with the revised-name prompts.
struct EasksRun {
  bool answered;
  std::string value;  // trimmed
};

class EasksTest : public PromptTest {
 protected:
  EasksRun ask(std::string_view given, const std::string& input, std::int32_t istrw = 72,
               std::string_view dstr = "dflt.txt") {
    answers(input);
    Text<72> v = given;
    std::int32_t ier = 0;
    const bool answered =
        easks(v, "Revised file name?", " ", istrw, dstr, "revised file name", ier, 2);
    return {answered, std::string(v.trimmed())};
  }
};

TEST_F(EasksTest, TakesTheAnswerCutToItsWidth) {
  struct Case {
    const char* given;
    const char* input;
    std::int32_t istrw;
    const char* value;
  };
  static constexpr Case kCases[] = {
      {"old.txt", "new.txt\n", 72, "new.txt"},
      {"old.txt", "abcdef\n", 3, "abc"},
      {"old.txt", "x\n", 72, "x"},  // one character other than d, h, ?
      {"old.txt", "e\n", 72, "e"},
      {"old.txt", " new\n", 72, " new"},  // one leading blank is kept
      {" ", "first\n", 72, "first"},
  };
  for (const Case& c : kCases) {
    const EasksRun r = ask(c.given, c.input, c.istrw);
    EXPECT_TRUE(r.answered) << c.input;
    EXPECT_EQ(r.value, c.value) << c.input;
  }
  // The value line, then the prompt and one blank without a line end.
  ask("old.txt", "new\n");
  EXPECT_EQ(out_.str(), "(currently: old.txt)\nRevised file name? ");
  ask("  ", "new\n");
  EXPECT_EQ(out_.str(), "(currently blank)\nRevised file name? ");
}

TEST_F(EasksTest, AnEmptyAnswerKeepsTheExistingValue) {
  for (const char* input : {"\n", "  text after two blanks\n"}) {
    const EasksRun r = ask("old.txt", input);
    EXPECT_TRUE(r.answered);
    EXPECT_EQ(r.value, "old.txt");
    EXPECT_EQ(out_.str(),
              "(currently: old.txt)\nRevised file name? "
              " The existing string (old.txt) will be used.\n");
  }
}

TEST_F(EasksTest, AnUnknownValueShowsBlankButIsKept) {
  const EasksRun r = ask("UNKNOWN_FILE", "\n");
  EXPECT_EQ(r.value, "UNKNOWN_FILE");
  EXPECT_EQ(out_.str(),
            "(currently blank)\nRevised file name? "
            " The existing string (UNKNOWN_FILE) will be used.\n");
  ask("unknown.txt", "\n");
  EXPECT_EQ(out_.str(),
            "(currently blank)\nRevised file name? "
            " The existing string (unknown.txt) will be used.\n");
  ask("UNKNOW", "\n");
  EXPECT_EQ(out_.str(),
            "(currently: UNKNOW)\nRevised file name? "
            " The existing string (UNKNOW) will be used.\n");
}

TEST_F(EasksTest, ABlankValueMustBeGiven) {
  const EasksRun r = ask(" ", "\n\nfinal\n");
  EXPECT_TRUE(r.answered);
  EXPECT_EQ(r.value, "final");
  const std::string one =
      "(currently blank)\nRevised file name? "
      " Warning:  The current string is blank!\n Please re-enter.\n";
  EXPECT_EQ(out_.str(), one + one + "(currently blank)\nRevised file name? ");
}

TEST_F(EasksTest, DefaultIsConfirmedFirst) {
  EasksRun r = ask("old.txt", "d\ny\n");
  EXPECT_EQ(r.value, "dflt.txt");
  EXPECT_EQ(out_.str(),
            "(currently: old.txt)\nRevised file name? "
            "The default is `dflt.txt`.\nIs this ok? [Y]es (default) or [N]o ?\n");

  // Declined: the value comes back and the question is asked again.
  r = ask("old.txt", "D\nn\nnew\n");
  EXPECT_EQ(r.value, "new");
  EXPECT_NE(out_.str().find("(default) or [N]o ?\n(currently: old.txt)\n"), std::string::npos);
}

TEST_F(EasksTest, HelpLeavesTheValueAndAsksAgain) {
  pophelp.h(1) = "First help line.";
  pophelp.h(2) = "Second help line.";
  for (const char* h : {"?", "h", "H"}) {
    const EasksRun r = ask("old.txt", std::string(h) + "\n\n");
    EXPECT_EQ(r.value, "old.txt") << h;
    EXPECT_EQ(out_.str(),
              "(currently: old.txt)\nRevised file name? "
              " First help line.\n Second help line.\n"
              "(currently: old.txt)\nRevised file name? "
              " The existing string (old.txt) will be used.\n")
        << h;
  }
  // An unknown value is still remembered after the help.
  const EasksRun r = ask("UNKNOWN_FILE", "?\n\n");
  EXPECT_EQ(r.value, "UNKNOWN_FILE");
}

TEST_F(EasksTest, EndOfInputLeavesTheValueAsGiven) {
  struct Case {
    const char* given;
    const char* input;
  };
  static constexpr Case kCases[] = {
      {"old.txt", ""}, {"UNKNOWN_FILE", ""}, {" ", "\n"}, {"old.txt", "d\n"}, {"old.txt", "?\n"},
  };
  for (const Case& c : kCases) {
    const EasksRun r = ask(c.given, c.input);
    EXPECT_FALSE(r.answered) << c.input;
    EXPECT_EQ(r.value, std::string(Text<72>(c.given).trimmed())) << c.input;
    const std::string out = out_.str();
    const bool in_confirm = std::string_view(c.input) == "d\n";
    // The unanswered prompt's line is ended before the diagnostic.
    const std::string last =
        in_confirm ? "ASKOK: error composing prompt.\n" : " \nEASKS: error composing prompt.\n";
    EXPECT_EQ(out.substr(out.size() - last.size()), last) << c.input;
  }
}

TEST_F(EasksTest, KeepsAWideValueWholeAndCutsItsValueLine) {
  answers("\n");
  Text<200> v(std::string(150, 'w'));
  std::int32_t ier = 0;
  EXPECT_TRUE(easks(v, "Name?", " ", 72, " ", "name", ier, 1));
  EXPECT_EQ(v.trimmed(), std::string(150, 'w'));
  const std::string out = out_.str();
  EXPECT_EQ(out.substr(0, out.find('\n')), "(currently: " + std::string(111, 'w') + ")");
  const std::string told = out.substr(out.find("Name? ") + 6);
  EXPECT_EQ(told, " The existing string (" + std::string(87, 'w') + ") will be used.\n");
}

TEST_F(EasksTest, GraphModeGivesTheValueBackWithoutReading) {
  spad.mmod = 8;
  EasksRun r = ask("old.txt", "new\n");
  EXPECT_TRUE(r.answered);
  EXPECT_EQ(r.value, "old.txt");
  r = ask("UNKNOWN_FILE", "new\n");
  EXPECT_TRUE(r.answered);
  EXPECT_EQ(r.value, "UNKNOWN_FILE");
  EXPECT_NE(out_.str().find(" The existing string (UNKNOWN_FILE) will be used.\n"),
            std::string::npos);
  // A blank value cannot be answered by the inert dialog: no endless asking.
  r = ask(" ", "new\n");
  EXPECT_FALSE(r.answered);
  EXPECT_EQ(r.value, " ");
  EXPECT_EQ(unread(), "new\n");
}

// ---------------------------------------------------------------- easkatog

struct Options {
  const char* a;
  const char* b;
  const char* c;
  const char* d;
  const char* e;
  const char* f;
  const char* g;
};

class EaskatogTest : public PromptTest {
 protected:
  std::int32_t pick(const Options& o, const std::string& input, bool* answered = nullptr) {
    answers(input);
    std::int32_t iwhich = -5;
    const bool r = easkatog("Choose", "Which?", o.a, o.b, o.c, o.d, o.e, o.f, o.g, iwhich, 1);
    if (answered != nullptr) *answered = r;
    return iwhich;
  }
};

TEST_F(EaskatogTest, ComposesTheOptionLine) {
  struct Case {
    Options o;
    const char* line;
  };
  static constexpr Case kCases[] = {
      {{"one", "two", " ", " ", " ", " ", " "}, " Which?  a) one, b) two ? "},
      {{"one", "two", "x", "four", " ", " ", " "}, " Which?  a) one, b) two ? "},
      {{"one", "two", "three", " ", "five", " ", " "}, " Which?  a) one, b) two, c) three ? "},
      {{"1a", "2b", "3c", "4d", "5e", " ", " "}, " Which?  a) 1a, b) 2b, c) 3c, e) 4d, f) 5e ? "},
      {{"1a", "2b", "3c", "4d", "5e", "6f", " "}, " Which? a) 1a b) 2b c) 3c e) 4d f) 5e g) 6f ? "},
      {{"1a", "2b", "3c", "4d", "5e", "6f", "7g"},
       " Which? a) 1a b) 2b c) 3c e) 4d f) 5e g) 6f i) 7g ? "},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(pick(c.o, "a\n"), 1);
    EXPECT_EQ(out_.str(), std::string("Choose\n") + c.line) << c.line;
  }
}

TEST_F(EaskatogTest, LettersChooseWhateverIsOffered) {
  const Options two{"one", "two", " ", " ", " ", " ", " "};
  struct Case {
    const char* input;
    std::int32_t iwhich;
  };
  static constexpr Case kCases[] = {
      {"a\n", 1}, {"B\n", 2}, {"c\n", 3}, {"e\n", 4},
      {"F\n", 5}, {"g\n", 6}, {"i\n", 7}, {"apple\n", 1},
  };
  for (const Case& c : kCases) EXPECT_EQ(pick(two, c.input), c.iwhich) << c.input;
}

TEST_F(EaskatogTest, WrongAndBlankAnswersAskAgain) {
  const Options two{"one", "two", " ", " ", " ", " ", " "};
  EXPECT_EQ(pick(two, "d\n\n  b\nb\n"), 2);
  const std::string ask = "Choose\n Which?  a) one, b) two ? ";
  EXPECT_EQ(out_.str(), ask + " \nYou must make a choice!\n" + ask +
                            " Warning: The current answer is blank!\nPlease re-enter.\n" + ask +
                            " Warning: The current answer is blank!\nPlease re-enter.\n" + ask);
}

TEST_F(EaskatogTest, HelpThenAskAgain) {
  pophelp.h(1) = "Pick a letter.";
  const Options two{"one", "two", " ", " ", " ", " ", " "};
  EXPECT_EQ(pick(two, "h\na\n"), 1);
  const std::string ask = "Choose\n Which?  a) one, b) two ? ";
  EXPECT_EQ(out_.str(), ask + " Pick a letter.\n" + ask);
}

TEST_F(EaskatogTest, EndOfInputIsNoChoice) {
  const Options two{"one", "two", " ", " ", " ", " ", " "};
  bool answered = true;
  EXPECT_EQ(pick(two, "x\n", &answered), 0);
  EXPECT_FALSE(answered);
  const std::string out = out_.str();
  EXPECT_EQ(out.substr(out.size() - 37), "? \nEASKATOG: error composing prompt.\n");
}

TEST_F(EaskatogTest, GraphModeChoosesNothing) {
  spad.mmod = 8;
  const Options two{"one", "two", " ", " ", " ", " ", " "};
  EXPECT_EQ(pick(two, "a\n"), 0);
  EXPECT_EQ(out_.str(), "");
  EXPECT_EQ(unread(), "a\n");
}

}  // namespace
}  // namespace vud
