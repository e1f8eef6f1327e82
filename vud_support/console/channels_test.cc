#include "vud_support/console/channels.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/seeded_rng.h"
#include "vud_support/console/records.h"

namespace vud {
namespace {

class ChannelsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_shared_records();
    char tmpl[] = "/tmp/vud_channels_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override {
    channel_reset_all();
    std::string cmd = "rm -rf '" + dir_ + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
  }
  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  static std::string slurp(const std::string& p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
  }
  static void put_file(const std::string& p, const std::string& content) {
    std::ofstream f(p, std::ios::binary);
    f << content;
  }
  static std::vector<std::string> read_all(std::int32_t ch, std::int32_t& last) {
    std::vector<std::string> lines;
    std::string line = "stale";
    while ((last = channel_read_line(ch, line)) == kReadLine) lines.push_back(line);
    EXPECT_EQ(line, "");
    return lines;
  }

  std::string dir_;
};

TEST_F(ChannelsTest, WritesAndReadsBackLines) {
  const std::string p = path("report.text");
  ASSERT_EQ(channel_open(11, p, FileAccess::kCreate), 0);
  EXPECT_TRUE(channel_is_open(11));
  EXPECT_EQ(channel_write(11, "first line"), kIoOk);
  EXPECT_EQ(channel_write(11, "prompt ", false), kIoOk);
  EXPECT_EQ(channel_write(11, "rest"), kIoOk);
  EXPECT_EQ(channel_write(11, ""), kIoOk);
  EXPECT_EQ(channel_close(11), kIoOk);
  EXPECT_FALSE(channel_is_open(11));
  EXPECT_EQ(slurp(p), "first line\nprompt rest\n\n");

  ASSERT_EQ(channel_open(10, p, FileAccess::kRead), 0);
  std::int32_t last = 0;
  EXPECT_EQ(read_all(10, last), (std::vector<std::string>{"first line", "prompt rest", ""}));
  EXPECT_EQ(last, kReadEnd);
  std::string again;
  EXPECT_EQ(channel_read_line(10, again), kReadEnd);
}

TEST_F(ChannelsTest, ReadDropsLineEndsAndKeepsAnUnfinishedLastLine) {
  const std::string p = path("log.csv");
  put_file(p, "a,b\r\n\r\nlast");
  ASSERT_EQ(channel_open(10, Text<60>(p), FileAccess::kRead), 0);  // trailing blanks are padding
  std::int32_t last = 0;
  EXPECT_EQ(read_all(10, last), (std::vector<std::string>{"a,b", "", "last"}));
  EXPECT_EQ(last, kReadEnd);
}

// A read-only file is read in blocks and split into lines in place; a file
// opened for update goes through the C stream's getline(). Both give the
// same lines, whatever their lengths and wherever the block ends fall:
// lines longer than a block, empty lines, carriage returns, zero bytes, and
// a last line with or without its line end.
TEST_F(ChannelsTest, BlockReaderGivesTheLinesGetlineGives) {
  seeded::Rng rng{41};
  constexpr char kChars[] = "2015/06,:0123456789 \t\r\0AZ";  // the zero byte too
  const std::string p = path("blocks.csv");
  for (int round = 0; round < 6; ++round) {
    std::string content;
    while (content.size() < (std::size_t{3} << 18)) {
      const std::uint32_t kind = rng.Below(10);
      std::size_t length = rng.Below(120);
      if (kind == 0) length = 0;
      if (kind == 1) length = 200000 + rng.Below(400000);  // across one or more blocks
      for (std::size_t i = 0; i < length; ++i) {
        content.push_back(kChars[rng.Below(sizeof kChars - 1)]);
      }
      if (kind == 2) content.push_back('\r');
      content.push_back('\n');
    }
    if (round % 2 == 1) content.append("no line end");
    put_file(p, content);
    std::int32_t last_block = 0;
    std::int32_t last_stream = 0;
    ASSERT_EQ(channel_open(10, p, FileAccess::kRead), 0);
    const std::vector<std::string> block_lines = read_all(10, last_block);
    ASSERT_EQ(channel_open(11, p, FileAccess::kOld), 0);
    const std::vector<std::string> stream_lines = read_all(11, last_stream);
    EXPECT_EQ(last_block, kReadEnd);
    EXPECT_EQ(last_stream, kReadEnd);
    ASSERT_EQ(block_lines.size(), stream_lines.size());
    for (std::size_t i = 0; i < block_lines.size(); ++i) {
      ASSERT_EQ(block_lines[i], stream_lines[i]) << "line " << i;
    }
    channel_close(10);
    channel_close(11);
  }
}

TEST_F(ChannelsTest, AccessModes) {
  const std::string p = path("kept.txt");
  put_file(p, "old\n");
  ASSERT_EQ(channel_open(12, p, FileAccess::kAppend), 0);
  EXPECT_EQ(channel_write(12, "new"), kIoOk);
  std::string line;
  EXPECT_EQ(channel_read_line(12, line), kReadFailed);  // append is write only
  EXPECT_EQ(channel_close(12), kIoOk);
  EXPECT_EQ(slurp(p), "old\nnew\n");

  ASSERT_EQ(channel_open(12, p, FileAccess::kOld), 0);
  EXPECT_EQ(channel_read_line(12, line), kReadLine);
  EXPECT_EQ(line, "old");
  EXPECT_EQ(channel_close(12), kIoOk);
  EXPECT_EQ(slurp(p), "old\nnew\n");

  ASSERT_EQ(channel_open(12, p, FileAccess::kRead), 0);
  EXPECT_EQ(channel_write(12, "refused"), kIoFailed);  // read only
  // Opening again releases the file first; kCreate empties it.
  ASSERT_EQ(channel_open(12, p, FileAccess::kCreate), 0);
  EXPECT_EQ(channel_close(12), kIoOk);
  EXPECT_EQ(slurp(p), "");
}

TEST_F(ChannelsTest, OpenFailuresGiveThePlatformCode) {
  EXPECT_EQ(channel_open(10, path("missing.csv"), FileAccess::kRead), ENOENT);
  EXPECT_FALSE(channel_is_open(10));
  EXPECT_EQ(channel_open(10, path("no/such/dir/x"), FileAccess::kCreate), ENOENT);
  EXPECT_EQ(channel_open(10, dir_, FileAccess::kRead), EISDIR);
  EXPECT_FALSE(channel_is_open(10));
  for (std::int32_t ch : {0, 5, 6}) {
    EXPECT_NE(channel_open(ch, path("std"), FileAccess::kCreate), 0) << ch;
    EXPECT_TRUE(channel_is_open(ch)) << ch;
  }
  EXPECT_FALSE(file_exists(path("std")));
}

// A log is read twice, so only a regular file will do; the name tells,
// without opening a pipe (which would wait for a writer).
TEST_F(ChannelsTest, RegularFilesAreToldByName) {
  ASSERT_EQ(mkfifo(path("pipe.csv").c_str(), 0600), 0);
  put_file(path("log.csv"), "line\n");
  EXPECT_TRUE(file_is_regular(path("log.csv") + "   "));
  for (const std::string& name :
       {path("pipe.csv"), std::string("/dev/null"), dir_, path("missing.csv"), std::string("  ")}) {
    EXPECT_FALSE(file_is_regular(name)) << name;
  }
  EXPECT_TRUE(file_exists(path("pipe.csv")));  // a pipe is there, and refused by the caller
}

TEST_F(ChannelsTest, ClosedChannelsRefuseWork) {
  std::string line = "x";
  EXPECT_FALSE(channel_is_open(33));
  EXPECT_EQ(channel_write(33, "nowhere"), kIoFailed);
  EXPECT_EQ(channel_read_line(33, line), kReadFailed);
  EXPECT_EQ(channel_read_line(6, line), kReadFailed);
  EXPECT_EQ(channel_close(33), kIoOk);
  EXPECT_EQ(channel_close(6), kIoOk);
  EXPECT_EQ(channel_write(-4, "negative"), kIoFailed);
  EXPECT_EQ(channel_write(5000, "large"), kIoFailed);
}

TEST_F(ChannelsTest, LargeAndNegativeChannelNumbersHoldFiles) {
  for (std::int32_t ch : {-3, 999, 2000000000}) {
    const std::string p = path("ch" + std::to_string(ch));
    ASSERT_EQ(channel_open(ch, p, FileAccess::kCreate), 0) << ch;
    EXPECT_EQ(channel_write(ch, std::to_string(ch)), kIoOk) << ch;
  }
  for (std::int32_t ch : {-3, 999, 2000000000}) {
    EXPECT_EQ(channel_close(ch), kIoOk) << ch;
    EXPECT_EQ(slurp(path("ch" + std::to_string(ch))), std::to_string(ch) + "\n") << ch;
  }
}

TEST_F(ChannelsTest, WriteFailureIsReported) {
  if (!file_exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  ASSERT_EQ(channel_open(11, "/dev/full", FileAccess::kCreate), 0);
  // Buffered lines fail at the latest when they are flushed or closed.
  std::int32_t worst = kIoOk;
  for (int i = 0; i < 20000 && worst == kIoOk; ++i) worst = channel_write(11, "a report row");
  EXPECT_EQ(worst, kIoFailed);
  EXPECT_FALSE(channel_flush_all());
  EXPECT_EQ(channel_close(11), kIoFailed);

  ASSERT_EQ(channel_open(11, "/dev/full", FileAccess::kCreate), 0);
  EXPECT_EQ(channel_write(11, "one short line"), kIoOk);
  EXPECT_EQ(channel_close(11), kIoFailed);
}

TEST_F(ChannelsTest, CloseCanDeleteTheFile) {
  const std::string p = path("scratch");
  ASSERT_EQ(channel_open(20, p, FileAccess::kCreate), 0);
  EXPECT_TRUE(file_exists(p));
  EXPECT_EQ(channel_close(20, true), kIoOk);
  EXPECT_FALSE(file_exists(p));
}

TEST_F(ChannelsTest, FileExists) {
  put_file(path("here"), "");
  EXPECT_TRUE(file_exists(path("here")));
  EXPECT_TRUE(file_exists(path("here") + "     "));
  EXPECT_FALSE(file_exists(path("gone")));
  EXPECT_FALSE(file_exists(dir_));
  EXPECT_FALSE(file_exists("   "));
}

TEST_F(ChannelsTest, BoundStreamsTakePrecedence) {
  std::ostringstream out;
  std::istringstream in("typed\r\nsecond");
  const std::string p = path("shadowed");
  ASSERT_EQ(channel_open(11, p, FileAccess::kCreate), 0);
  channel_bind_output(11, &out);
  channel_bind_output(6, &out);
  channel_bind_input(5, &in);
  EXPECT_EQ(channel_write(11, "to the stream"), kIoOk);
  EXPECT_EQ(channel_write(6, "prompt: ", false), kIoOk);
  std::string line;
  EXPECT_EQ(channel_read_line(5, line), kReadLine);
  EXPECT_EQ(line, "typed");
  EXPECT_EQ(channel_read_line(5, line), kReadLine);
  EXPECT_EQ(line, "second");
  EXPECT_EQ(channel_read_line(5, line), kReadEnd);
  EXPECT_EQ(out.str(), "to the stream\nprompt: ");
  EXPECT_EQ(channel_close(11), kIoOk);
  EXPECT_EQ(slurp(p), "");

  // A bound stream in a failed state reports the write as failed.
  out.setstate(std::ios::badbit);
  EXPECT_EQ(channel_write(6, "lost"), kIoFailed);

  channel_reset_all();
  EXPECT_FALSE(channel_is_open(11));
}

using ChannelsDeathTest = ChannelsTest;

TEST_F(ChannelsDeathTest, EndProgramFlushesFilesAndExitsWithTheStatus) {
  const std::string p = path("flushed");
  EXPECT_EXIT(
      {
        channel_open(11, p, FileAccess::kCreate);
        channel_write(11, "row 1");
        channel_write(11, "# end");
        end_program(3);
      },
      ::testing::ExitedWithCode(3), "");
  EXPECT_EQ(slurp(p), "row 1\n# end\n");
}

TEST_F(ChannelsDeathTest, EndProgramTurnsALostWriteIntoAFailure) {
  if (!file_exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  EXPECT_EXIT(
      {
        channel_open(11, "/dev/full", FileAccess::kCreate);
        channel_write(11, "never stored");
        end_program(0);
      },
      ::testing::ExitedWithCode(1), "");
}

// With standard input and output closed, a file opened next would take their
// descriptors and receive the terminal text; /dev/null stands in for them.
TEST_F(ChannelsDeathTest, ClosedStandardStreamsAreOpenedOnDevNull) {
  const std::string p = path("log.csv");
  put_file(p, "kept\n");
  EXPECT_EXIT(
      {
        close(0);
        close(1);
        open_closed_standard_streams();
        channel_open(10, p, FileAccess::kRead);
        channel_write(6, "terminal text");
        std::fflush(stdout);
        char target[64] = {};
        const bool null_out = readlink("/proc/self/fd/1", target, sizeof target - 1) > 0 &&
                              std::string(target) == "/dev/null";
        std::exit(null_out && fcntl(0, F_GETFD) != -1 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(slurp(p), "kept\n");
}

TEST_F(ChannelsDeathTest, StandardStreamsKeepTheirOrderWhenTheyShareOnePlace) {
  // Standard output joins the error stream, as when both go to one terminal or
  // one file; a prompt without line end must come before the error line.
  EXPECT_EXIT(
      {
        dup2(2, 1);
        channel_write(6, "prompt ", false);
        channel_write(0, "error line");
        channel_write(6, "after");
        end_program(0);
      },
      ::testing::ExitedWithCode(0), "^prompt error line\nafter\n$");
}

}  // namespace
}  // namespace vud
