// Whole-program tests of vudstats and its files: the log is only ever read
// (also with standard streams closed), a log that cannot be read twice is
// refused, names are taken whole up to 144 characters and never cut into
// another name, text quoted from a log cannot drive the terminal, and logs of
// 2 GiB and more are read (by the 32-bit build too).
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e_util.h"
#include "tests/vudstats_e2e.h"

namespace vud_e2e {
namespace {

namespace fs = std::filesystem;

constexpr const char* kLog = kTwoSensorLog;

class FilesE2e : public E2eTest {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    write_file("site.csv", kLog);
  }
  // Runs a shell command line in the scratch directory ("VUDSTATS" stands for
  // the program); returns its exit status.
  int shell(const std::string& line) const {
    std::string cmd = line;
    for (std::size_t at; (at = cmd.find("VUDSTATS")) != std::string::npos;)
      cmd.replace(at, 8, e2e::shell_quote(vudstats_bin()));
    const int rc = std::system(("cd " + e2e::shell_quote(dir_) + " && (" + cmd + ")").c_str());
    return (rc != -1 && WIFEXITED(rc)) ? WEXITSTATUS(rc) : -1;
  }
  // The report of the log as a plain run writes it.
  std::string plain_report() {
    const RunResult r = run(vudstats_bin(), {"-act", "2", "site.csv"});
    EXPECT_EQ(r.status, 0) << r.out;
    std::string report = read_file("site.text");
    std::remove(path("site.text").c_str());
    return report;
  }
};

// ---------------------------------------------------------------- the log is read, never written

// With standard streams closed the log would take one of their descriptors
// and the terminal text would land in it (reported: `-act 2 s.csv >&-`).
TEST_F(FilesE2e, ClosedStandardStreamsNeverReachTheLog) {
  const std::string report = plain_report();
  for (const char* closed : {">&-", "<&- >&- 2>&-", "<&- 2>&- >/dev/null"}) {
    EXPECT_EQ(shell(std::string("VUDSTATS -act 2 site.csv ") + closed), 0) << closed;
    EXPECT_EQ(read_file("site.csv"), kLog) << closed;
    EXPECT_EQ(read_file("site.text"), report) << closed;
    EXPECT_EQ(files(), (std::vector<std::string>{"site.csv", "site.text"})) << closed;
    std::remove(path("site.text").c_str());
  }
}

// A pipe or a terminal gives its lines once: the report pass would find
// nothing. Refused at once (a pipe without a writer must not hang the run),
// naming the log, with no report made. Scan-and-list reads the log once.
TEST_F(FilesE2e, ALogThatCannotBeReadTwiceIsRefused) {
  ASSERT_EQ(mkfifo(path("pipe.csv").c_str(), 0600), 0);
  fs::create_symlink("/dev/null", path("null.csv"));
  for (const char* name : {"pipe.csv", "null.csv"}) {
    const RunResult r = run(vudstats_bin(), {"-act", "2", name});
    EXPECT_EQ(r.status, 1) << name;
    EXPECT_EQ(r.out,
              lines({" ", std::string(" the input file is: ") + name,
                     " Warning: The log is not a regular file and cannot be read twice:", name}));
    EXPECT_EQ(files(), (std::vector<std::string>{"null.csv", "pipe.csv", "site.csv"})) << name;
  }
  for (const char* line : {"cat site.csv | VUDSTATS -act L /dev/stdin > listing",
                           "timeout 60 VUDSTATS -act L pipe.csv > listing & "
                           "timeout 60 sh -c 'cat site.csv > pipe.csv'; wait"}) {
    EXPECT_EQ(shell(line), 0) << line;
    EXPECT_NE(read_file("listing").find("\n sensors found:  2\n"), std::string::npos)
        << line << "\n"
        << read_file("listing");
    std::remove(path("listing").c_str());
  }
}

// ---------------------------------------------------------------- file names

TEST_F(FilesE2e, LongLogNamesAreTakenWholeOrRefused) {
  const std::string report = plain_report();
  // A relative name of 144 characters: a directory, then "site.csv".
  const std::string dir(144 - 9, 'd');
  fs::create_directory(path(dir));
  write_file(dir + "/site.csv", kLog);
  const std::string name = dir + "/site.csv";
  ASSERT_EQ(name.size(), 144u);
  // Its report name would take 145 characters: refused, nothing made.
  RunResult r = run(vudstats_bin(), {"-act", "2", name});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(
      r.out.find(
          "\nERROR: the report name made from this log name would be longer than 144 characters\n"),
      std::string::npos)
      << r.out;
  EXPECT_EQ(files(), (std::vector<std::string>{dir, "site.csv"}));

  // One character less for the report: read whole and reported beside it,
  // as a bare name and after -file alike.
  fs::rename(path(name), path(dir + "/sit.csv"));
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"-act", "2", dir + "/sit.csv"},
        std::vector<std::string>{"-act", "2", "-file", dir + "/sit.csv"}}) {
    r = run(vudstats_bin(), args);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(read_file(dir + "/sit.text"), report);
    std::remove(path(dir + "/sit.text").c_str());
  }

  // A name past 144 characters is refused, not cut into another name.
  const std::string too_long = dir + "/site.csvx";
  r = run(vudstats_bin(), {"-act", "2", too_long});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, lines({"ERROR: input file name longer than 144 characters: " + too_long}));
  EXPECT_EQ(files(), (std::vector<std::string>{dir, "site.csv"}));
}

// A long report name kept in the overwrite dialogue with an empty answer is
// asked about again under its whole name (reported: a file named "l" was
// written instead).
TEST_F(FilesE2e, OverwriteDialogueKeepsALongReportNameWhole) {
  const std::string report = plain_report();
  const std::string dir(130, 'd');
  fs::create_directory(path(dir));
  write_file(dir + "/site.csv", kLog);
  write_file(dir + "/site.text", "old report\n");
  const RunResult r = run(vudstats_bin(), {"-act", "2", dir + "/site.csv"}, "n\n\ny\ny\n");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(read_file(dir + "/site.text"), report);
  std::vector<std::string> in_dir;
  for (const auto& e : fs::directory_iterator(path(dir))) in_dir.push_back(e.path().filename());
  std::sort(in_dir.begin(), in_dir.end());
  EXPECT_EQ(in_dir, (std::vector<std::string>{"site.csv", "site.text"}));
  EXPECT_EQ(files(), (std::vector<std::string>{dir, "site.csv"}));
}

TEST_F(FilesE2e, SensorNamesGoIntoReportNamesWithoutBlanks) {
  write_file("site.csv",
             "2014/12/22,13:00:10,2613,-61,1,1,0,2950,51.20,215,120,14,5,0\n"
             "2014/12/22,13:05:10,2613,-61,1,3,0,2950,51.60,217,122,15,8,0\n");
  const RunResult r = run(vudstats_bin(), {"-act", "2", "-name", "2613", "site.csv"});
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("  reporting to > site-2613.text\n"), std::string::npos) << r.out;
  EXPECT_EQ(files(), (std::vector<std::string>{"site-2613.text", "site.csv"}));
  EXPECT_NE(read_file("site-2613.text").find("\nsensor list 2613    \n"), std::string::npos);
}

// ---------------------------------------------------------------- terminal safety

// Escape sequences in a log (a damaged line, a hostile name) reach the
// terminal only as "?"; the report keeps the bytes as they are.
TEST_F(FilesE2e, ControlBytesOfTheLogNeverReachTheTerminal) {
  write_file("site.csv",
             "2014/12/22,13:00:10,B0000001,-61,1,1,0,2950,51.20,215,120,14,5,0\n"
             "2014/12/22,13:00:40,\x1b]0;X\x07,-70,1,1,0,3000,40.00,200,300,3,7,1\n"
             "2014/12/22,13:05:10,B0000001,-61,1,3,0,2950,5\x1b[2J,217,122,15,8,0\n"
             "2014/12/22,13:05:40,\x1b]0;X\x07,-70,1,3,0,3000,41.00,202,302,9,12,2\n");
  const RunResult r = run(vudstats_bin(), {"-act", "2", "site.csv"});
  EXPECT_EQ(r.status, 0) << r.out;
  for (char c : r.out) {
    const unsigned char u = static_cast<unsigned char>(c);
    EXPECT_TRUE((u >= 0x20 && u != 0x7F) || c == '\n' || c == '\t') << int(u) << " in\n" << r.out;
  }
  EXPECT_NE(r.out.find("5?[2J"), std::string::npos) << r.out;  // the value that is no number
  EXPECT_NE(r.out.find("\n ?]0;X?   2 "), std::string::npos) << r.out;  // the survey line
  EXPECT_NE(read_file("site.text").find("sensor list \x1b]0;X\x07"), std::string::npos);
}

// ---------------------------------------------------------------- big logs

// A log of more than 2 GiB, made sparse so that it takes a few megabytes on
// disk: lines of the log, then lines of 1 MiB that are comments (a "#", zero
// bytes, the line end) past the 2 GiB mark, then more lines of the log. Its
// report is that of the log without the comment lines.
TEST_F(FilesE2e, LogsOf2GiBAndMoreAreRead) {
  const std::string log = kLog;
  const std::size_t two_lines = log.find('\n', log.find('\n') + 1) + 1;
  const std::string head = log.substr(0, two_lines);
  const std::string tail = log.substr(two_lines);
  const std::string report = plain_report();

  constexpr off_t kLine = off_t{1} << 20;
  constexpr off_t kComments = 2049;  // 2 GiB and 1 MiB of them
  const int fd = ::open(path("big.csv").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::pwrite(fd, head.data(), head.size(), 0), static_cast<ssize_t>(head.size()));
  const off_t first = static_cast<off_t>(head.size());
  for (off_t n = 0; n < kComments; ++n) {
    ASSERT_EQ(::pwrite(fd, "#", 1, first + n * kLine), 1);
    ASSERT_EQ(::pwrite(fd, "\n", 1, first + (n + 1) * kLine - 1), 1);
  }
  const off_t end = first + kComments * kLine;
  ASSERT_EQ(::pwrite(fd, tail.data(), tail.size(), end), static_cast<ssize_t>(tail.size()));
  struct stat st {};
  ASSERT_EQ(::fstat(fd, &st), 0);
  ::close(fd);
  ASSERT_GT(st.st_size, off_t{1} << 31);
  if (st.st_blocks * 512 > (off_t{64} << 20)) {
    std::remove(path("big.csv").c_str());
    GTEST_SKIP() << "the file system here keeps no sparse files";
  }

  const RunResult r = run(vudstats_bin(), {"-act", "2", "big.csv"});
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(read_file("big.text"), report) << r.out;
}

}  // namespace
}  // namespace vud_e2e
