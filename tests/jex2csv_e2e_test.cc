// Runs the built jex2csv on captures made by jexcapgen or written here, and
// compares whole standard output, standard error and exit status.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/e2e_util.h"
#include "tests/jex2csv_reference.h"

namespace {

using e2e::read_bytes;
using e2e::read_file;
using e2e::shell_quote;
using e2e::write_bytes;

using e2e::Result;

class Jex2csvRun : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir_.empty()); }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  // Runs jex2csv with args; `redirect` is extra shell redirection (stdin or
  // stdout), else stdout goes to a file that Result.out holds.
  Result Run(const std::vector<std::string>& args, const std::string& redirect = "") {
    std::string cmd = "cd " + shell_quote(dir_) + " && " + shell_quote(JEX2CSV_BIN);
    for (const std::string& a : args) cmd += " " + shell_quote(a);
    cmd += " 2> " + shell_quote(Path("stderr.txt"));
    cmd += redirect.find('>') == std::string::npos ? " > " + shell_quote(Path("stdout.txt")) : "";
    cmd += " " + redirect;
    std::remove(Path("stdout.txt").c_str());
    const int raw = std::system(cmd.c_str());
    Result r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = read_file(Path("stdout.txt"));
    r.err = read_file(Path("stderr.txt"));
    return r;
  }

  // Generates a capture with jexcapgen and returns its bytes.
  std::vector<std::uint8_t> Generate(const std::string& name, int records, int seed,
                                     int sensors = 12) {
    const std::string cmd = shell_quote(JEXCAPGEN_BIN) + " -r " + std::to_string(records) + " -s " +
                            std::to_string(seed) + " -n " + std::to_string(sensors) + " " +
                            shell_quote(Path(name));
    EXPECT_EQ(std::system(cmd.c_str()), 0);
    return read_bytes(Path(name));
  }

  std::string Usage() {
    const Result r = Run({"-h"});
    EXPECT_EQ(r.status, 0);
    return r.err;
  }

  e2e::TempFolder tmp_{"jex2csv_e2e"};
  const std::string& dir_ = tmp_.dir();
};

TEST_F(Jex2csvRun, ConvertsGeneratedCapturesInEveryLayout) {
  const std::vector<std::uint8_t> capture = Generate("cap.jex", 3000, 7);
  ASSERT_EQ(capture.size(), 3000u * 32);
  const std::string name = jexref::Name(&capture[0]);
  struct Case {
    std::vector<std::string> args;
    jexref::Options options;
    std::string err;
  };
  const Case kCases[] = {
      {{"cap.jex"}, {}, ""},
      {{"-e", "cap.jex"}, {0, "", 0, true}, ""},
      {{"cap.jex", "-n", name}, {1, name, 0, false}, "Focus on the sensor: " + name + "\n"},
      {{"cap.jex", "-N", name + "xyz", "-e"},
       {2, name + "xyz", 0, true},
       "Focus on the sensor with tuple output: " + name + "xyz\n"},
      {{"-f", "rh", "cap.jex"}, {0, "", 2, false}, "Filter on topic: rh 2\n"},
      {{"-ef", "dbt", "cap.jex"}, {0, "", 1, true}, "Filter on topic: dbt 1\n"},
      {{"cap.jex", "-n", name, "-f", "lux"},
       {1, name, 3, false},
       "Focus on the sensor: " + name + "\nFilter on topic: lux 3\n"},
      {{"cap.jex", "-N", name, "-f", "bat", "-e"},
       {2, name, 6, true},
       "Focus on the sensor with tuple output: " + name + "\nFilter on topic: bat 6\n"},
      {{"-f", "pirc", "-f", "sw", "-e", "cap.jex"},
       {0, "", 5, true},
       "Filter on topic: pirc 4\nFilter on topic: sw 5\n"},
  };
  for (const Case& c : kCases) {
    const Result r = Run(c.args);
    const std::string expected = jexref::Csv(capture, c.options);
    EXPECT_EQ(r.status, 0) << c.args[0];
    EXPECT_EQ(r.err, c.err) << c.args[0];
    EXPECT_FALSE(expected.empty());
    EXPECT_TRUE(r.out == expected) << c.args[0] << ": outputs differ (" << r.out.size() << " vs "
                                   << expected.size() << " bytes)";
  }
}

TEST_F(Jex2csvRun, WritesTheNamedOutputAndReadsAPipe) {
  std::vector<std::uint8_t> capture = Generate("big.jex", 40000, 3);  // more than one read block
  capture.insert(capture.end(), {1, 2, 3, 4, 5});                     // a trailing fragment
  write_bytes(Path("big.jex"), capture);
  const std::string expected = jexref::Csv(capture, {});

  Result r = Run({"big.jex", "out.csv", "ignored.csv"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(read_file(Path("out.csv")) == expected);
  EXPECT_NE(access(Path("ignored.csv").c_str(), F_OK), 0);

  r = Run({"-s"}, "< " + shell_quote(Path("big.jex")));
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(r.out == expected);

  // A capture named before -s stays unread.
  write_bytes(Path("other.jex"), std::vector<std::uint8_t>(64, 0x55));
  r = Run({"other.jex", "-s", "piped.csv"}, "< " + shell_quote(Path("big.jex")));
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(read_file(Path("piped.csv")) == expected);

  std::string cmd = "cat " + shell_quote(Path("big.jex")) + " | " + shell_quote(JEX2CSV_BIN) +
                    " -s > " + shell_quote(Path("p.csv"));
  EXPECT_EQ(std::system(cmd.c_str()), 0);
  EXPECT_TRUE(read_file(Path("p.csv")) == expected);
}

TEST_F(Jex2csvRun, WholeRecordsOnly) {
  const std::vector<std::uint8_t> capture = Generate("cap.jex", 1, 5);
  const std::string line = jexref::Csv(capture, {0, "", 0, true});
  ASSERT_FALSE(line.empty());
  struct Case {
    std::size_t size;
    std::string out;
  };
  const Case kCases[] = {{0, ""}, {31, ""}, {32, line}, {33, line}};
  for (const Case& c : kCases) {
    std::vector<std::uint8_t> bytes(capture);
    bytes.resize(c.size, 0x7A);
    write_bytes(Path("cut.jex"), bytes);
    const Result r = Run({"-e", "cut.jex"});
    EXPECT_EQ(r.status, 0) << c.size;
    EXPECT_EQ(r.err, "") << c.size;
    EXPECT_EQ(r.out, c.out) << c.size;
  }
}

TEST_F(Jex2csvRun, ListsSensorsAndKeepsTheOutputEmpty) {
  // 90 sensors: the listing holds the first 70 heard.
  const std::vector<std::uint8_t> capture = Generate("many.jex", 5000, 9, 90);
  const Result r = Run({"many.jex", "-l", "list.csv", "-n", "42D89A75", "-f", "rh"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(
      r.err,
      "Listing of ENV sensors follows:\nFocus on the sensor: 42D89A75\nFilter on topic: rh 2\n" +
          jexref::Listing(capture));
  EXPECT_NE(r.err.find(" Sensors found 70\n"), std::string::npos);
  struct stat st {};
  ASSERT_EQ(stat(Path("list.csv").c_str(), &st), 0);
  EXPECT_EQ(st.st_size, 0);
}

TEST_F(Jex2csvRun, CommandLineFailures) {
  const std::string usage = Usage();
  ASSERT_NE(usage.find("JEX pkt2csv converter\n"), std::string::npos);
  Generate("cap.jex", 10, 1);
  const std::string invalid = "Did not receive a valid argument set. Exiting...\n\n" + usage;
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string err;
  };
  const Case kCases[] = {
      {{}, 1, invalid},
      {{"-l"}, 1, "Listing of ENV sensors follows:\n" + invalid},
      {{"-h", "nosuch.jex"}, 0, usage},
      {{"nosuch.jex", "-h"}, 1, "Could not open file nosuch.jex for reading!\n"},
      {{"cap.jex", "no/such/dir.csv"}, 1, "Could not open file no/such/dir.csv for writing!\n"},
      {{"-q", "cap.jex"}, 1, "Unknown option in -q\n" + usage},
      {{"cap.jex", "-elz"}, 1, "Listing of ENV sensors follows:\nUnknown option in -elz\n" + usage},
  };
  for (const Case& c : kCases) {
    const Result r = Run(c.args);
    EXPECT_EQ(r.status, c.status) << (c.args.empty() ? "" : c.args[0]);
    EXPECT_EQ(r.err, c.err) << (c.args.empty() ? "" : c.args[0]);
    EXPECT_EQ(r.out, "");
  }
}

TEST_F(Jex2csvRun, ValueLetterWithoutValueConvertsNothing) {
  const std::string usage = Usage();
  Generate("cap.jex", 10, 1);
  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  const Case kCases[] = {
      {{"cap.jex", "out.csv", "-n"}, "Missing value for option -n\n" + usage},
      {{"cap.jex", "out.csv", "-N"}, "Missing value for option -N\n" + usage},
      {{"cap.jex", "out.csv", "-ef"}, "Missing value for option -f\n" + usage},
      {{"cap.jex", "out.csv", "-fn", "rh"},
       "Filter on topic: rh 2\nMissing value for option -n\n" + usage},
  };
  for (const Case& c : kCases) {
    const Result r = Run(c.args);
    EXPECT_EQ(r.status, 1) << c.args.back();
    EXPECT_EQ(r.err, c.err) << c.args.back();
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(read_file(Path("out.csv")), "") << c.args.back();
  }
}

TEST_F(Jex2csvRun, UnreadableCaptureAndUnwritableOutputFail) {
  Generate("cap.jex", 100, 1);
  ASSERT_EQ(mkdir(Path("adir").c_str(), 0755), 0);
  struct Case {
    std::vector<std::string> args;
    std::string redirect;
    std::string err;
  };
  const Case kCases[] = {
      {{"adir"}, "", "Could not read file adir!\n"},
      {{"-l", "adir"},
       "",
       "Listing of ENV sensors follows:\n Sensors found 0\n Name   Number of hits\n"
       "Could not read file adir!\n"},
      {{"-s"}, "< " + shell_quote(dir_), "Could not read file stdin!\n"},
      {{"cap.jex", "/dev/full"}, "", "Could not write file /dev/full!\n"},
      {{"cap.jex"}, "> /dev/full", "Could not write file stdout!\n"},
  };
  for (const Case& c : kCases) {
    if (c.args.back() == "/dev/full" || c.redirect == "> /dev/full") {
      if (access("/dev/full", W_OK) != 0) continue;
    }
    const Result r = Run(c.args, c.redirect);
    EXPECT_EQ(r.status, 1) << c.args.back() << c.redirect;
    EXPECT_EQ(r.err, c.err) << c.args.back() << c.redirect;
  }
}

TEST_F(Jex2csvRun, FileAndStreamStopAlikeWhenTheOutputFillsUp) {
  // 40000 records give 2.6 MB of CSV; the file size limit stops it at 100 KiB,
  // in the third of the five chunks of a capture file.
  std::vector<std::uint8_t> capture = Generate("big.jex", 40000, 8);
  const std::string expected = jexref::Csv(capture, {}).substr(0, 200 * 512);
  struct Case {
    std::string args;
    std::string err;
  };
  const Case kCases[] = {
      {"big.jex out.csv", "Could not write file out.csv!\n"},
      {"-s out.csv < big.jex", "Could not write file out.csv!\n"},
      {"big.jex > out.csv", "Could not write file stdout!\n"},
  };
  for (const Case& c : kCases) {
    std::remove(Path("out.csv").c_str());
    // Past the limit a write fails (the signal it would raise is ignored).
    const std::string cmd = "cd " + shell_quote(dir_) + " && trap '' XFSZ && ulimit -f 200 && " +
                            shell_quote(JEX2CSV_BIN) + " " + c.args + " 2> stderr.txt";
    const int raw = std::system(cmd.c_str());
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 1) << c.args;
    EXPECT_EQ(read_file(Path("stderr.txt")), c.err) << c.args;
    EXPECT_TRUE(read_file(Path("out.csv")) == expected) << c.args;
  }
}

TEST_F(Jex2csvRun, MemoryStaysWithinAFewChunks) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "the sanitizers' own memory hides the converter's";
#endif
  // 32 MB of CSV from 16 MB of capture, through both ways of reading.
  Generate("big.jex", 500000, 2);
  for (const std::string args : {"big.jex out.csv", "-s out.csv < big.jex"}) {
    const std::string cmd =
        "cd " + shell_quote(dir_) + " && exec " + shell_quote(JEX2CSV_BIN) + " " + args;
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      execl("/bin/sh", "sh", "-c", cmd.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    int status = 0;
    struct rusage ru {};
    ASSERT_EQ(wait4(pid, &status, 0, &ru), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << args;
    EXPECT_LT(ru.ru_maxrss, 12 * 1024) << args << ": peak KiB";
    struct stat st {};
    ASSERT_EQ(stat(Path("out.csv").c_str(), &st), 0);
    EXPECT_GT(st.st_size, 30'000'000) << args;
  }
}

TEST_F(Jex2csvRun, OutputThatIsTheCaptureIsRefusedAndTheCaptureKept) {
  const std::vector<std::uint8_t> capture = Generate("cap.jex", 50, 4);
  ASSERT_EQ(link(Path("cap.jex").c_str(), Path("hard.jex").c_str()), 0);
  ASSERT_EQ(symlink("cap.jex", Path("soft.jex").c_str()), 0);
  struct Case {
    std::vector<std::string> args;
    std::string redirect;
    std::string err;
  };
  const std::string same = ": it is the same file as the capture ";
  const Case kCases[] = {
      {{"cap.jex", "cap.jex"}, "", "Will not write cap.jex" + same + "cap.jex!\n"},
      {{"cap.jex", "./cap.jex", "-l"}, "", "Will not write ./cap.jex" + same + "cap.jex!\n"},
      {{"cap.jex", "hard.jex"}, "", "Will not write hard.jex" + same + "cap.jex!\n"},
      {{"soft.jex", "-e", "cap.jex"}, "", "Will not write cap.jex" + same + "soft.jex!\n"},
      {{"-s", "soft.jex"}, "< cap.jex", "Will not write soft.jex" + same + "stdin!\n"},
      {{"cap.jex"}, ">> cap.jex", "Will not write stdout" + same + "cap.jex!\n"},
  };
  for (const Case& c : kCases) {
    const Result r = Run(c.args, c.redirect);
    EXPECT_EQ(r.status, 1) << c.args[1 % c.args.size()] << c.redirect;
    EXPECT_EQ(r.err, c.err) << c.args[1 % c.args.size()] << c.redirect;
    EXPECT_TRUE(read_bytes(Path("cap.jex")) == capture) << c.args[1 % c.args.size()] << c.redirect;
  }
  // The same device on both sides is no capture file to lose.
  const Result r = Run({"/dev/null", "/dev/null"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
}

TEST_F(Jex2csvRun, ListingThatCannotBeWrittenFails) {
  if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  const std::vector<std::uint8_t> capture = Generate("cap.jex", 200, 6);
  Result r = Run({"-l", "cap.jex"}, "2>/dev/full");
  EXPECT_EQ(r.status, 1);
  // Messages are no result of a conversion: a run that cannot show them
  // still converts.
  r = Run({"cap.jex", "out.csv", "-f", "rh"}, "2>/dev/full");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(read_file(Path("out.csv")) == jexref::Csv(capture, {0, "", 2, false}));
}

// A closed standard stream is no free place for the output file: the
// messages shown after the output is opened must not land in the CSV.
TEST_F(Jex2csvRun, ClosedStandardStreamsKeepMessagesOutOfTheOutput) {
  const std::vector<std::uint8_t> capture = Generate("cap.jex", 200, 6);
  const std::string csv = jexref::Csv(capture, {0, "", 2, false});
  for (const std::string redirect : {"2>&-", "2>&- <&-", ">&- 2>&-"}) {
    std::remove(Path("out.csv").c_str());
    const Result r = Run({"cap.jex", "out.csv", "-f", "rh"}, redirect);
    EXPECT_EQ(r.status, 0) << redirect;
    EXPECT_TRUE(read_file(Path("out.csv")) == csv) << redirect;
  }
}

}  // namespace
