#include "vud_support/parse/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "vud_support/console/channels.h"
#include "vud_support/console/console_fixture.h"
#include "vud_support/console/records.h"

namespace vud {
namespace {

namespace fs = std::filesystem;

constexpr std::int32_t kChan = 11;

class FilesTest : public ConsoleTest {
 protected:
  void SetUp() override {
    ConsoleTest::SetUp();
    dir_ = fs::path(::testing::TempDir()) /
           ("files_test_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    ConsoleTest::TearDown();
    fs::remove_all(dir_);
  }

  std::string path(const char* name) const { return (dir_ / name).string(); }
  void make(const char* name, const char* content) const { std::ofstream(path(name)) << content; }
  std::string content(const char* name) const {
    std::ifstream in(path(name));
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }

  fs::path dir_;
};

TEST_F(FilesTest, OpensByExistenceMode) {
  struct Case {
    std::int32_t mode;
    bool exists;
    std::int32_t ier;
    bool open;
    const char* shown;  // %s stands for the full name
  };
  const Case cases[] = {
      {0, true, 0, true, ""},
      {0, false, kIerNoFile, false, ""},
      {1, true, 0, true, ""},
      {1, false, kIerNoFile, false, " Warning: Could not find\n%s\n"},
      {2, true, kIerFileExists, false, " Warning: %s\nalready exists (and should not)!\n"},
      {2, false, 0, true, ""},
      {3, true, 0, true, ""},
      {3, false, 0, true, ""},
      {4, false, 0, true, ""},
      {5, true, kIerUnknownMode, false, ""},
      {5, false, kIerUnknownMode, false, ""},
      {-1, true, kIerUnknownMode, false, ""},
  };
  for (const Case& c : cases) {
    const std::string label =
        "mode " + std::to_string(c.mode) + (c.exists ? " existing" : " missing");
    out_.str("");
    fs::remove(path("data.txt"));
    if (c.exists) make("data.txt", "old line\n");
    Text<80> name(path("data.txt"));
    std::int32_t ier = 0;
    efopseq(kChan, name, c.mode, ier);
    EXPECT_EQ(ier, c.ier) << label;
    EXPECT_EQ(channel_is_open(kChan), c.open) << label;
    EXPECT_EQ(name.view(), Text<80>(path("data.txt")).view()) << label;
    std::string shown = c.shown;
    if (const auto at = shown.find("%s"); at != std::string::npos)
      shown.replace(at, 2, path("data.txt"));
    EXPECT_EQ(out_.str(), shown) << label;
    std::int32_t istat = -1;
    erpfree(kChan, istat);
    EXPECT_EQ(istat, 0);
    // An existing file is opened with its content kept, never emptied.
    if (c.exists) {
      EXPECT_EQ(content("data.txt"), "old line\n") << label;
    }
    EXPECT_EQ(fs::exists(path("data.txt")), c.exists || c.open) << label;
  }
}

TEST_F(FilesTest, OpenedFilesReadAndWrite) {
  make("log.txt", "first\nsecond\n");
  Text<80> name(path("log.txt"));
  std::int32_t ier = 0;
  efopseq(kChan, name, kExistMust, ier);
  ASSERT_EQ(ier, 0);
  std::string line;
  EXPECT_EQ(channel_read_line(kChan, line), kReadLine);
  EXPECT_EQ(line, "first");

  Text<80> report(path("report.txt"));
  efopseq(12, report, kExistAskOverwrite, ier);
  ASSERT_EQ(ier, 0);
  EXPECT_EQ(channel_write(12, "row 1"), kIoOk);
  std::int32_t istat = -1;
  erpfree(12, istat);
  EXPECT_EQ(content("report.txt"), "row 1\n");
}

// The access mode of the descriptor that holds the named file, or -1.
int access_mode_of(const std::string& name) {
  for (const auto& e : fs::directory_iterator("/proc/self/fd")) {
    std::error_code ec;
    if (fs::read_symlink(e.path(), ec) == fs::path(name)) {
      const int flags = fcntl(std::stoi(e.path().filename().string()), F_GETFL);
      return flags == -1 ? -1 : (flags & O_ACCMODE);
    }
  }
  return -1;
}

// Modes 0 and 1 open a file to be read: read-only, even when it is writable,
// so that nothing written to the channel by mistake can reach the file.
TEST_F(FilesTest, FilesThatMustExistAreOpenedReadOnly) {
  struct Case {
    std::int32_t mode;
    int access;
  };
  static constexpr Case kCases[] = {{0, O_RDONLY}, {1, O_RDONLY}, {3, O_RDWR}};
  for (const Case& c : kCases) {
    make("log.txt", "first\n");
    Text<80> name(path("log.txt"));
    std::int32_t ier = 0;
    efopseq(kChan, name, c.mode, ier);
    ASSERT_EQ(ier, 0) << c.mode;
    EXPECT_EQ(access_mode_of(path("log.txt")), c.access) << c.mode;
    if (c.access == O_RDONLY) {
      EXPECT_EQ(channel_write(kChan, "stray text"), kIoFailed) << c.mode;
      std::int32_t istat = -1;
      erpfree(kChan, istat);
      EXPECT_EQ(content("log.txt"), "first\n") << c.mode;
    }
    std::int32_t istat = -1;
    erpfree(kChan, istat);
  }
}

TEST_F(FilesTest, ReadOnlyFileStillOpensForReading) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the super-user";
  make("ro.txt", "only line\n");
  fs::permissions(path("ro.txt"), fs::perms::owner_read, fs::perm_options::replace);
  Text<80> name(path("ro.txt"));
  std::int32_t ier = 0;
  efopseq(kChan, name, kExistMust, ier);
  EXPECT_EQ(ier, 0);
  std::string line;
  EXPECT_EQ(channel_read_line(kChan, line), kReadLine);
  EXPECT_EQ(line, "only line");
}

TEST_F(FilesTest, NoFileNamesAreRefusedBeforeAnythingElse) {
  make("held.txt", "x\n");
  Text<80> held(path("held.txt"));
  std::int32_t ier = 0;
  efopseq(kChan, held, kExistMust, ier);
  ASSERT_EQ(ier, 0);
  for (const char* n : {"", "  x", "unknown", "UNKNOWN.TXT", "unkn"}) {
    Text<80> name(n);
    ier = 0;
    efopseq(kChan, name, kExistEither, ier);
    EXPECT_EQ(ier, kIerNoFile) << "'" << n << "'";
    EXPECT_TRUE(channel_is_open(kChan)) << "the channel is not freed for '" << n << "'";
  }
  EXPECT_EQ(out_.str(), "");
  // "unk" alone is a name like any other.
  Text<80> name("unk");
  rpath.path = dir_.string() + "/";
  ier = 0;
  efopseq(kChan, name, kExistEither, ier);
  EXPECT_EQ(ier, 0);
  EXPECT_TRUE(fs::exists(path("unk")));
}

TEST_F(FilesTest, ReusingAChannelClosesItsFileFirst) {
  Text<80> first(path("first.txt"));
  std::int32_t ier = 0;
  efopseq(kChan, first, kExistMustNot, ier);
  ASSERT_EQ(ier, 0);
  ASSERT_EQ(channel_write(kChan, "written before the switch"), kIoOk);
  Text<80> second(path("second.txt"));
  efopseq(kChan, second, kExistMustNot, ier);
  ASSERT_EQ(ier, 0);
  EXPECT_EQ(content("first.txt"), "written before the switch\n");
}

TEST_F(FilesTest, LeavesIerAloneOnSuccess) {
  make("a.txt", "");
  Text<80> name(path("a.txt"));
  std::int32_t ier = 7;
  efopseq(kChan, name, kExistEither, ier);
  EXPECT_EQ(ier, 7);
  EXPECT_TRUE(channel_is_open(kChan));
}

TEST_F(FilesTest, FailedOpenIsReportedWithItsCode) {
  const std::string name_text = path("no_such_dir/out.txt");
  Text<80> name(name_text);
  std::int32_t ier = 0;
  efopseq(kChan, name, kExistEither, ier);
  char code[8];
  std::snprintf(code, sizeof code, "%5d", ENOENT);
  EXPECT_EQ(ier, ENOENT);
  EXPECT_EQ(out_.str(),
            std::string(" Warning: Error (") + code + ") opening the file\n" + name_text + "\n");
  EXPECT_FALSE(channel_is_open(kChan));
}

TEST_F(FilesTest, ErrorChannelCannotBeFreedOrDeleted) {
  std::int32_t istat = 0;
  erpfree(kErrorChannel, istat);
  EXPECT_EQ(istat, 1);
  efdelet(kErrorChannel, istat);
  EXPECT_EQ(istat, 1);
  EXPECT_EQ(out_.str(),
            " Warning:\n Unable to free error channel!\n"
            " Warning:\n Unable to delete error channel!\n");
}

TEST_F(FilesTest, FreeingAndDeleting) {
  std::int32_t istat = -1;
  erpfree(40, istat);  // never opened: left alone, no message
  EXPECT_EQ(istat, 0);
  istat = -1;
  efdelet(41, istat);
  EXPECT_EQ(istat, 0);

  Text<80> name(path("gone.txt"));
  std::int32_t ier = 0;
  efopseq(kChan, name, kExistMustNot, ier);
  ASSERT_EQ(ier, 0);
  ASSERT_TRUE(fs::exists(path("gone.txt")));
  efdelet(kChan, istat);
  EXPECT_EQ(istat, 0);
  EXPECT_FALSE(channel_is_open(kChan));
  EXPECT_FALSE(fs::exists(path("gone.txt")));
  EXPECT_EQ(out_.str(), "");
}

TEST(Addpath, PutsThePrefixInFrontOfRelativeNames) {
  struct Case {
    const char* path;
    const char* sfile;
    const char* tfile;
    bool concat;
  };
  const Case cases[] = {
      {"data/", "log.txt", "data/log.txt", true},
      {"data/", "/tmp/log.txt", "/tmp/log.txt", false},
      {"data/", "  log.txt", "data/  log.txt", true},
      {"./", "log.txt", "log.txt", false},
      {".\\", "log.txt", "log.txt", false},
      {"", "log.txt", "log.txt", false},
      {"  x/", "log.txt", "log.txt", false},  // a path whose first two characters are blank
      {"./data/", "log.txt", "log.txt", false},
      {"../", "log.txt", "../log.txt", true},
  };
  for (const Case& c : cases) {
    reset_shared_records();
    std::ostringstream out;
    channel_bind_output(kOutputChannel, &out);
    rpath.path = c.path;
    Text<72> sfile(c.sfile);
    Text<kFullNameWidth> tfile("stale");
    bool concat = !c.concat;
    addpath(sfile, tfile, concat);
    EXPECT_EQ(tfile.view(), Text<kFullNameWidth>(c.tfile).view()) << c.path << " " << c.sfile;
    EXPECT_EQ(concat, c.concat) << c.path << " " << c.sfile;
    EXPECT_EQ(sfile.view(), Text<72>(c.sfile).view());
    EXPECT_EQ(out.str(), "");
  }
  reset_shared_records();
}

TEST(Addpath, MapsDrivePathsUnderUsr) {
  reset_shared_records();
  std::ostringstream out;
  channel_bind_output(kOutputChannel, &out);
  rpath.path = "data/";
  Text<72> sfile("C:\\site\\log.txt");
  Text<kFullNameWidth> tfile;
  bool concat = true;
  addpath(sfile, tfile, concat);
  EXPECT_FALSE(concat);
  EXPECT_EQ(sfile.view(), Text<72>("/usr/site/log.txt").view());
  EXPECT_EQ(tfile.view(), Text<kFullNameWidth>("/usr/site/log.txt").view());
  EXPECT_EQ(out.str(),
            " addpath: warning found windows path changing to unix.\n"
            " addpath: /usr/site/log.txt\n");

  // With the current-directory prefix the name is taken as given.
  out.str("");
  rpath.path = "./";
  sfile = "C:\\site\\log.txt";
  addpath(sfile, tfile, concat);
  EXPECT_EQ(tfile.view(), Text<kFullNameWidth>("C:\\site\\log.txt").view());
  EXPECT_EQ(out.str(), "");
  reset_shared_records();
}

TEST(Addpath, FullNameIsCutToItsField) {
  reset_shared_records();
  const std::string prefix = std::string(70, 'p') + "/";
  const std::string name(100, 'f');
  rpath.path = prefix;
  Text<100> sfile(name);
  Text<kFullNameWidth> tfile;
  bool concat = false;
  addpath(sfile, tfile, concat);
  EXPECT_TRUE(concat);
  EXPECT_EQ(tfile.view(), std::string(70, 'p') + "/" + std::string(73, 'f'));

  // A full-name field of another width takes the name cut to that width.
  rpath.path = "data/";
  Text<12> narrow("stale");
  Text<72> log("log_file.txt");
  addpath(log, narrow, concat);
  EXPECT_TRUE(concat);
  EXPECT_EQ(narrow.view(), "data/log_fil");
  Text<40> wide("stale");
  addpath(log, wide, concat);
  EXPECT_EQ(wide.view(), Text<40>("data/log_file.txt").view());
  reset_shared_records();
}

}  // namespace
}  // namespace vud
