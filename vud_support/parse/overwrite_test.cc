// The overwrite and rename dialogue, driven through efopseq mode 4 with a
// script of answer lines on the terminal input channel.
#include "vud_support/parse/overwrite.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "vud_support/console/channels.h"
#include "vud_support/console/console_fixture.h"
#include "vud_support/console/records.h"
#include "vud_support/parse/files.h"

namespace vud {
namespace {

namespace fs = std::filesystem;

std::string read_file(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

constexpr std::int32_t kChannel = 11;
constexpr std::string_view kOverwrite = "Overwrite this file? [Y]es (default) or [N]o ?\n";
constexpr std::string_view kRemember =
    " \n Remember the new file name? [Y]es (default) or [N]o ?\n";

class OverwriteTest : public ConsoleTest {
 protected:
  void SetUp() override {
    ConsoleTest::SetUp();
    static int serial = 0;
    dir_ = fs::temp_directory_path() /
           ("vud_ow_" + std::to_string(::getpid()) + "_" + std::to_string(++serial));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    a_ = (dir_ / "a.txt").string();
    b_ = (dir_ / "b.txt").string();
    std::ofstream(a_) << "old report\n";
  }
  void TearDown() override {
    ConsoleTest::TearDown();
    fs::remove_all(dir_);
  }
  // Opens sfile with mode 4, answering with the given lines.
  void open(const std::string& input) {
    answers(input);
    ier_ = 0;
    efopseq(kChannel, sfile_, kExistAskOverwrite, ier_);
  }
  // Writes a line on the channel and closes it, as a report would.
  void write_and_close(std::string_view line) {
    ASSERT_TRUE(channel_is_open(kChannel));
    EXPECT_EQ(channel_write(kChannel, line), kIoOk);
    channel_close(kChannel);
  }
  std::string asked_rename() const { return "(currently: " + a_ + ")\nRevised file name? "; }

  fs::path dir_;
  std::string a_, b_;
  Text<72> sfile_;
  std::int32_t ier_ = 0;
};

TEST_F(OverwriteTest, YesEmptiesTheFileAndOpensItForWriting) {
  for (const char* yes : {"y\n", "\n\nd\n"}) {
    std::ofstream(a_) << "old report\n";
    sfile_ = a_;
    open(yes);
    EXPECT_EQ(ier_, 0);
    ASSERT_TRUE(channel_is_open(kChannel));
    EXPECT_EQ(read_file(a_), "") << "the old content is gone before anything is written";
    write_and_close("new");
    EXPECT_EQ(read_file(a_), "new\n");
    EXPECT_EQ(sfile_.trimmed(), a_);
  }
  EXPECT_EQ(out_.str(), a_ + "\n" + std::string(kOverwrite) + " \nYou must make a choice!\n" + a_ +
                            "\n" + std::string(kOverwrite) + " \nYou must make a choice!\n" + a_ +
                            "\n" + std::string(kOverwrite));
}

TEST_F(OverwriteTest, RenameWithAndWithoutRemembering) {
  struct Case {
    const char* remember;
    bool remembered;
  };
  static constexpr Case kCases[] = {{"y", true}, {"\nd", true}, {"n", false}};
  for (const Case& c : kCases) {
    fs::remove(b_);
    sfile_ = a_;
    open("n\n" + b_ + "\n" + c.remember + "\n");
    EXPECT_EQ(ier_, 0) << c.remember;
    write_and_close("new");
    EXPECT_EQ(read_file(b_), "new\n") << c.remember;
    EXPECT_EQ(read_file(a_), "old report\n") << c.remember;
    EXPECT_EQ(sfile_.trimmed(), c.remembered ? b_ : a_) << c.remember;
    EXPECT_EQ(unread(), "");
  }
  // The whole dialogue of the last case.
  EXPECT_EQ(out_.str(),
            a_ + "\n" + std::string(kOverwrite) + asked_rename() + std::string(kRemember));
}

TEST_F(OverwriteTest, ASecondExistingNameIsAskedAboutInTurn) {
  std::ofstream(b_) << "other\n";
  sfile_ = a_;
  open("n\n" + b_ + "\ny\ny\n");
  EXPECT_EQ(ier_, 0);
  write_and_close("new");
  EXPECT_EQ(read_file(a_), "old report\n");
  EXPECT_EQ(read_file(b_), "new\n");
  EXPECT_EQ(sfile_.trimmed(), b_);
  EXPECT_EQ(out_.str(), a_ + "\n" + std::string(kOverwrite) + asked_rename() +
                            std::string(kRemember) + b_ + "\n" + std::string(kOverwrite));
}

TEST_F(OverwriteTest, AnEmptyNameKeepsTheNameAndAsksAboutItAgain) {
  sfile_ = a_;
  open("n\n\ny\nn\n" + b_ + "\nn\n");
  EXPECT_EQ(ier_, 0);
  write_and_close("new");
  EXPECT_EQ(read_file(a_), "old report\n");
  EXPECT_EQ(read_file(b_), "new\n");
  EXPECT_EQ(sfile_.trimmed(), a_);
  const std::string kept = " The existing string (" + a_ + ") will be used.\n";
  EXPECT_EQ(out_.str(), a_ + "\n" + std::string(kOverwrite) + asked_rename() + kept +
                            std::string(kRemember) + a_ + "\n" + std::string(kOverwrite) +
                            asked_rename() + std::string(kRemember));
}

TEST_F(OverwriteTest, ABlankNameAsksForTheNameAgain) {
  // The blank default, confirmed, is the one way the name comes back blank.
  sfile_ = a_;
  open("n\nd\ny\n" + b_ + "\ny\n");
  EXPECT_EQ(ier_, 0);
  write_and_close("new");
  EXPECT_EQ(read_file(a_), "old report\n");
  EXPECT_EQ(read_file(b_), "new\n");
  EXPECT_EQ(sfile_.trimmed(), b_);
  EXPECT_EQ(out_.str(), a_ + "\n" + std::string(kOverwrite) + asked_rename() +
                            "The default is ` `.\nIs this ok? [Y]es (default) or [N]o ?\n" +
                            asked_rename() + std::string(kRemember));
  EXPECT_EQ(unread(), "");
}

TEST_F(OverwriteTest, HelpIsOfferedWithTheRenameQuestion) {
  sfile_ = a_;
  open("n\n?\n" + b_ + "\ny\n");
  EXPECT_EQ(ier_, 0) << "the help display clears the flag it is handed";
  const std::string help =
      " Give the file name relative to the configuration file\n"
      " location.\n"
      " If you choose to remember the new file name, it will\n"
      " be included in the model. If, for example you made a\n"
      " mistake and enter a temporary file name, this will\n"
      " not affect your model.\n";
  EXPECT_EQ(out_.str(), a_ + "\n" + std::string(kOverwrite) + asked_rename() + help +
                            asked_rename() + std::string(kRemember));
  EXPECT_EQ(pophelp.h(6).trimmed(), "not affect your model.");
}

TEST_F(OverwriteTest, EndOfInputLeavesEverythingUntouched) {
  // Each script ends before the dialogue is over.
  for (const std::string& input :
       {std::string(""), std::string("n\n"), "n\n" + b_ + "\n", std::string("x\nz\n")}) {
    sfile_ = a_;
    ier_ = 0;
    const auto before = fs::last_write_time(a_);
    open(input);
    EXPECT_EQ(ier_, kIerOverwriteRefused) << input;
    EXPECT_FALSE(channel_is_open(kChannel)) << input;
    EXPECT_EQ(read_file(a_), "old report\n") << input;
    EXPECT_EQ(fs::last_write_time(a_), before) << input;
    EXPECT_FALSE(fs::exists(b_)) << input;
    EXPECT_EQ(sfile_.trimmed(), a_) << input;
    const std::string out = out_.str();
    const std::string told = "EFOPSEQ: no answer, the existing file is left as it was.\n";
    ASSERT_GE(out.size(), told.size());
    EXPECT_EQ(out.substr(out.size() - told.size()), told) << input;
  }
}

// Names fill the 144 characters of a full name whole: kept with an empty
// answer, typed as the revised name, and remembered. A longer answer is
// refused, never cut into the name of another file.
TEST_F(OverwriteTest, RevisedNamesHoldAWholeFullName) {
  auto name_of = [&](char fill) {
    const std::string head = dir_.string() + "/";
    return head + std::string(kFullNameWidth - head.size() - 5, fill) + ".text";
  };
  const std::string kept = name_of('k');
  const std::string typed = name_of('t');
  ASSERT_EQ(kept.size(), 144u);
  std::ofstream(kept) << "old report\n";
  Text<144> sfile(kept);

  // No, the name kept with an empty answer and remembered: asked about again,
  // then overwritten in its place.
  in_.str("n\n\ny\ny\n");
  out_.str("");
  ier_ = 0;
  efopseq(kChannel, sfile, kExistAskOverwrite, ier_);
  EXPECT_EQ(ier_, 0);
  write_and_close("new");
  EXPECT_EQ(read_file(kept), "new\n");
  EXPECT_EQ(sfile.trimmed(), kept);

  // A revised name one character too long, then one of 144 characters.
  const std::string too_long = typed + "x";
  in_.str("n\n" + too_long + "\n" + typed + "\ny\n");
  in_.clear();
  out_.str("");
  efopseq(kChannel, sfile, kExistAskOverwrite, ier_);
  EXPECT_EQ(ier_, 0);
  write_and_close("newer");
  EXPECT_EQ(read_file(kept), "new\n");
  EXPECT_EQ(read_file(typed), "newer\n");
  EXPECT_EQ(sfile.trimmed(), typed);
  EXPECT_FALSE(fs::exists(too_long));
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir_)) ++files;
  EXPECT_EQ(files, 3u) << "a.txt and the two reports, nothing else";
  const std::string asked = "(currently: " + kept.substr(0, 111) + ")\nRevised file name? ";
  EXPECT_EQ(out_.str(), kept + "\n" + std::string(kOverwrite) + asked +
                            "EFOPSEQ: a file name holds at most 144 characters, please give a "
                            "shorter one.\n" +
                            asked + std::string(kRemember));
}

TEST_F(OverwriteTest, AMissingFileIsCreatedWithoutAQuestion) {
  sfile_ = b_;
  open("n\n");
  EXPECT_EQ(ier_, 0);
  EXPECT_EQ(out_.str(), "");
  EXPECT_EQ(unread(), "n\n");
  write_and_close("new");
  EXPECT_EQ(read_file(b_), "new\n");
}

}  // namespace
}  // namespace vud
