#include "jex2csv/Debug.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "jex2csv/JexUtils.h"
#include "jex2csv/jex2csv.h"

// Lets DBG_malloc see an allocation fail under the address sanitizer too.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }

namespace jex {
namespace {

std::string Captured(void (*fn)()) {
  testing::internal::CaptureStderr();
  fn();
  return testing::internal::GetCapturedStderr();
}

TEST(DbgOutput, WritesEachFormExactly) {
  struct Case {
    const char* name;
    void (*fn)();
    std::string expected;
  };
  const Case kCases[] = {
      {"printf", [] { DBG_printf("%s=%d\n", "n", -7); }, "n=-7\n"},
      {"error", [] { DBG_error("radio", "bad %u", 3u); }, "\r\nERROR:radio:bad 3"},
      {"assert holds", [] { DBG_assert(true, "rx.cc", 12); }, ""},
      {"assert fails", [] { DBG_assert(false, "rx.cc", 12); }, "\r\nASSERT:rx.cc, line:12"},
      {"write raw", [] { DBG_write("a\0b\r\n", 5); }, std::string("a\0b\r\n", 5)},
      {"write nothing", [] { DBG_write("abc", 0); }, ""},
  };
  for (const Case& c : kCases) EXPECT_EQ(Captured(c.fn), c.expected) << c.name;
}

TEST(DbgWrite, StopsAt65535Bytes) {
  const std::string big(70000, 'x');
  testing::internal::CaptureStderr();
  DBG_write(big.data(), big.size());
  EXPECT_EQ(testing::internal::GetCapturedStderr().size(), 65535u);
}

TEST(DbgDump, ShowsAtMost24BytesAndMarksTheRest) {
  std::uint8_t data[30];
  for (int i = 0; i < 30; ++i) data[i] = static_cast<std::uint8_t>(0xE0 + i);
  std::string first24;
  for (int i = 0; i < 24; ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02X ", data[i]);
    first24 += hex;
  }
  struct Case {
    std::size_t len;
    std::string expected;
  };
  const Case kCases[] = {
      {0, "\r\n"},
      {3, "E0 E1 E2 \r\n"},
      {24, first24 + "\r\n"},
      {25, first24 + "..\r\n"},
      {30, first24 + "..\r\n"},
  };
  for (const Case& c : kCases) {
    testing::internal::CaptureStderr();
    DBG_dump(data, c.len);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.expected) << "len=" << c.len;
  }
}

std::string Trace(const char* fmt, void* p, unsigned count, const char* file, unsigned line,
                  unsigned size) {
  char buf[200];
  const auto addr = static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(p) & 0xFFFFFFFFu);
  std::snprintf(buf, sizeof buf, fmt, addr, count, file, line, size);
  return buf;
}

TEST(DbgMalloc, CountsAndTracesEachAllocationAndRelease) {
  mallocCtr = 0;
  testing::internal::CaptureStderr();
  void* a = DBG_malloc(10, "rx.cc", 40);
  void* b = DBG_malloc(300, "udp.cc", 7);
  DBG_free(a, "rx.cc", 41);
  std::string out = testing::internal::GetCapturedStderr();
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(
      out,
      Trace(" malloc  addr 0x%04X, count %02u, in %s:%u (%ub)\r\n", a, 1, "rx.cc", 40, 10) +
          Trace(" malloc  addr 0x%04X, count %02u, in %s:%u (%ub)\r\n", b, 2, "udp.cc", 7, 300) +
          Trace(" free    addr 0x%04X, count %02u, in %s:%u\r\n", a, 1, "rx.cc", 41, 0));
  EXPECT_EQ(mallocCtr, 1u);

  // Releasing nothing does not take an allocation off the count.
  testing::internal::CaptureStderr();
  DBG_free(nullptr, "rx.cc", 50);
  out = testing::internal::GetCapturedStderr();
  EXPECT_EQ(out, " free    addr 0x0000, count 01, in rx.cc:50\r\n");
  EXPECT_EQ(mallocCtr, 1u);
  DBG_free(b, "udp.cc", 8);
  EXPECT_EQ(mallocCtr, 0u);
}

TEST(DbgMalloc, ReportsFailureAndLeavesCountAlone) {
  mallocCtr = 0;
  testing::internal::CaptureStderr();
  void* p = DBG_malloc(SIZE_MAX - 64, "rx.cc", 99);
  // The address sanitizer, when present, adds a warning of its own first.
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(err.ends_with("\r\nERROR:debug:Malloc Failure at rx.cc:99")) << err;
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(mallocCtr, 0u);
}

// Runs each test in a fresh temporary working directory and returns to the
// previous one afterwards.
class InTempDir : public testing::Test {
 protected:
  void SetUp() override {
    old_ = std::filesystem::current_path();
    char tmpl[] = "/tmp/jexrx_dbg_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    std::filesystem::current_path(dir_);
  }
  void TearDown() override {
    std::filesystem::current_path(old_);
    std::filesystem::remove_all(dir_);
  }
  static std::string Slurp(const char* name) {
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  std::filesystem::path old_, dir_;
};

using DbgLogWrite = InTempDir;

TEST_F(DbgLogWrite, AppendsTimeStampedLines) {
  DBG_log_write("JexRx", "lost %d packets", 3);
  DBG_log_write("UDP", "%s", "timeout");
  const std::string log = Slurp("ERRORS.TXT");
  // "\r\n" + 19-character time + "," + source + "," + text, twice.
  ASSERT_EQ(log.size(), (2 + 19 + 1 + 5 + 1 + 14) + (2 + 19 + 1 + 3 + 1 + 7)) << log;
  const std::string first = log.substr(0, 42), second = log.substr(42);
  EXPECT_EQ(first.substr(0, 2), "\r\n");
  EXPECT_NE(RtcFromString(first.substr(2, 19)), 0u) << first;
  EXPECT_EQ(first.substr(21), ",JexRx,lost 3 packets");
  EXPECT_EQ(second.substr(0, 2), "\r\n");
  EXPECT_EQ(second.substr(21), ",UDP,timeout");
}

TEST_F(DbgLogWrite, CutsLongLinesToTheBuffer) {
  const std::string text(300, 'z');
  const std::string source(200, 's');
  DBG_log_write("Rx", "%s", text.c_str());
  DBG_log_write(source.c_str(), "%s", "x");
  const std::string log = Slurp("ERRORS.TXT");
  ASSERT_EQ(log.size(), 2 * kLogLineMax);
  EXPECT_EQ(log.substr(21, 4), ",Rx,");
  EXPECT_EQ(log.substr(25, kLogLineMax - 25), std::string(kLogLineMax - 25, 'z'));
  EXPECT_EQ(log.substr(kLogLineMax + 21), "," + std::string(kLogLineMax - 22, 's'));
}

TEST_F(DbgLogWrite, WritesNothingWhenTheLogCannotBeOpened) {
  ASSERT_EQ(mkdir("ERRORS.TXT", 0700), 0);
  DBG_log_write("Rx", "%s", "dropped");
  EXPECT_TRUE(std::filesystem::is_directory("ERRORS.TXT"));
}

std::FILE* FileWith(const std::string& bytes) {
  std::FILE* f = std::tmpfile();
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::rewind(f);
  return f;
}

TEST(GetcFile, ReadsBytesThenFlagsTheEnd) {
  gStatus = {};
  Settings_t settings;
  EXPECT_EQ(getcFile(&settings), -1) << "no input stream";
  EXPECT_EQ(gStatus.app_state, OFF_STATE) << "no stream is not a read failure";

  settings.inputFile =
      FileWith(std::string("\x00\xff"
                           "A",
                           3));
  EXPECT_EQ(getcFile(&settings), 0x00);
  EXPECT_EQ(getcFile(&settings), 0xFF);
  EXPECT_EQ(getcFile(&settings), 'A');
  EXPECT_EQ(gStatus.app_state, OFF_STATE);
  EXPECT_EQ(getcFile(&settings), -1);
  EXPECT_EQ(gStatus.app_state, ERROR_STATE);
  std::fclose(settings.inputFile);
  gStatus = {};
}

TEST(PutcFile, RefusesToWrite) {
  Settings_t settings;
  settings.inputFile = FileWith("abc");
  testing::internal::CaptureStderr();
  EXPECT_EQ(putcFile(&settings, 'x'), -1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "\r\nERROR:util:Write invoked on read only input");
  std::fclose(settings.inputFile);
}

TEST(FSFileSize, TellsSizeAndKeepsPosition) {
  EXPECT_EQ(FSFileSize(nullptr), 0);
  std::FILE* f = FileWith("0123456789");
  std::fseek(f, 3, SEEK_SET);
  EXPECT_EQ(FSFileSize(f), 10);
  EXPECT_EQ(std::ftell(f), 3);
  EXPECT_EQ(std::fgetc(f), '3');
  std::fclose(f);
}

TEST(FSfgets, SplitsLinesAtEitherLineEnd) {
  std::FILE* f = FileWith("ab\r\ncd\n\nlast");
  const char* kLines[] = {"ab", "", "cd", "", "last"};
  char str[16];
  for (const char* want : kLines) {
    ASSERT_EQ(FSfgets(str, sizeof str, f), str) << want;
    EXPECT_STREQ(str, want);
  }
  std::strcpy(str, "stale");
  EXPECT_EQ(FSfgets(str, sizeof str, f), nullptr);
  EXPECT_STREQ(str, "") << "emptied at the end";
  std::fclose(f);
}

TEST(FSfgets, DeliversLongLinesInTerminatedPieces) {
  std::FILE* f = FileWith("abcdefg\nxyz\n");
  // A guard byte after the declared room catches any write past num bytes.
  char str[5];
  struct Step {
    int num;
    const char* text;
  };
  const Step kSteps[] = {{4, "abc"}, {4, "def"}, {4, "g"}, {1, ""}, {4, "xyz"}};
  for (const Step& s : kSteps) {
    std::memset(str, '#', sizeof str);
    ASSERT_EQ(FSfgets(str, s.num, f), str) << s.text;
    EXPECT_STREQ(str, s.text);
    EXPECT_EQ(str[s.num], '#') << "wrote past " << s.num << " bytes";
  }
  EXPECT_EQ(FSfgets(str, 4, f), nullptr);
  std::fclose(f);
}

TEST(FSfgets, RefusesNoRoomOrNoStream) {
  char str[4] = "old";
  std::FILE* f = FileWith("text\n");
  EXPECT_EQ(FSfgets(str, 0, f), nullptr);
  EXPECT_EQ(FSfgets(str, -3, f), nullptr);
  EXPECT_STREQ(str, "old") << "no room: nothing written";
  EXPECT_EQ(FSfgets(str, 4, nullptr), nullptr);
  EXPECT_EQ(std::ftell(f), 0) << "nothing consumed";
  std::fclose(f);
}

}  // namespace
}  // namespace jex
