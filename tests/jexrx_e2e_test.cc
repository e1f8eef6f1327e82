// Runs the built jexrx on enciphered captures made by jexcapgen (with their
// clear twins), on damaged input, and on live sources: a pseudo-terminal
// pair and loopback datagrams, stopped by SIGTERM.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e_util.h"

namespace {

using e2e::read_bytes;
using e2e::read_file;
using e2e::shell_quote;
using e2e::write_bytes;

using Bytes = std::vector<std::uint8_t>;
constexpr std::size_t kRecord = 32;

std::int8_t TypeOf(const Bytes& capture, std::size_t record) {
  return static_cast<std::int8_t>(capture[record * kRecord + 14]);
}

std::uint32_t AddressOf(const Bytes& capture, std::size_t record) {
  const std::size_t at = record * kRecord + 9;
  return static_cast<std::uint32_t>(capture[at]) |
         (static_cast<std::uint32_t>(capture[at + 1]) << 8) |
         (static_cast<std::uint32_t>(capture[at + 2]) << 16) |
         (static_cast<std::uint32_t>(capture[at + 3]) << 24);
}

// What jexrx writes for an enciphered capture read with an empty store,
// given its clear twin: an enciphered packet sent before its sensor's
// pairing stays as it was; every other record is its twin's.
Bytes Expected(const Bytes& enciphered, const Bytes& twin, std::set<std::uint32_t> paired = {}) {
  Bytes out;
  for (std::size_t r = 0; r < enciphered.size() / kRecord; ++r) {
    const std::int8_t type = TypeOf(enciphered, r);
    const bool early = type >= -3 && type <= -1 && paired.count(AddressOf(enciphered, r)) == 0;
    const Bytes& from = early ? enciphered : twin;
    out.insert(out.end(), from.begin() + static_cast<long>(r * kRecord),
               from.begin() + static_cast<long>((r + 1) * kRecord));
    if (type == 0) paired.insert(AddressOf(enciphered, r));
  }
  return out;
}

Bytes Slice(const Bytes& b, std::size_t fromRecord, std::size_t toRecord) {
  return Bytes(b.begin() + static_cast<long>(fromRecord * kRecord),
               b.begin() + static_cast<long>(toRecord * kRecord));
}

using e2e::Result;

class JexrxRun : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.empty());
    ASSERT_EQ(mkdir(Path("store").c_str(), 0755), 0);
  }
  // A test may leave the store read-only; the folder is removed after this.
  void TearDown() override { chmod(Path("store").c_str(), 0755); }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  // Runs a shell command line in the test folder; stdout and stderr are
  // kept unless the line redirects them itself.
  Result Shell(const std::string& line) {
    const std::string cmd = "cd " + shell_quote(dir_) + " && { " + line + " ; } > " +
                            shell_quote(Path("stdout.txt")) + " 2> " +
                            shell_quote(Path("stderr.txt"));
    const int raw = std::system(cmd.c_str());
    Result r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = read_file(Path("stdout.txt"));
    r.err = read_file(Path("stderr.txt"));
    return r;
  }

  // Runs jexrx with args (each quoted) and extra shell text.
  Result Jexrx(const std::vector<std::string>& args, const std::string& extra = "") {
    std::string line = shell_quote(JEXRX_BIN);
    for (const std::string& a : args) line += " " + shell_quote(a);
    return Shell(line + " " + extra);
  }

  // An enciphered capture and its clear twin from jexcapgen -k.
  void Generate(int records, int seed, int percent, int sensors = 12) {
    const std::string cmd = shell_quote(JEXCAPGEN_BIN) + " -r " + std::to_string(records) + " -s " +
                            std::to_string(seed) + " -n " + std::to_string(sensors) + " -k " +
                            std::to_string(percent) + " -c " + shell_quote(Path("twin.jex")) + " " +
                            shell_quote(Path("enc.jex"));
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    enc_ = read_bytes(Path("enc.jex"));
    twin_ = read_bytes(Path("twin.jex"));
    ASSERT_EQ(enc_.size(), twin_.size());
  }

  // Starts jexrx with args, its output and messages going to files; returns
  // its process id.
  pid_t Start(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {JEXRX_BIN};
    argv.insert(argv.end(), args.begin(), args.end());
    const std::string err = Path("live.err");
    const pid_t pid = fork();
    if (pid == 0) {
      const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(e, 2);
      if (chdir(dir_.c_str()) != 0) _exit(127);
      std::vector<char*> v;
      for (std::string& a : argv) v.push_back(a.data());
      v.push_back(nullptr);
      execv(v[0], v.data());
      _exit(127);
    }
    return pid;
  }

  // Waits (boundedly) until the file has `size` bytes, or its text holds `text`.
  bool AwaitSize(const std::string& path, std::size_t size) {
    for (int i = 0; i < 1000; ++i) {
      struct stat st {};
      if (stat(path.c_str(), &st) == 0 && static_cast<std::size_t>(st.st_size) >= size) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }
  bool AwaitText(const std::string& path, const std::string& text) {
    for (int i = 0; i < 1000; ++i) {
      if (read_file(path).find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  // Waits (boundedly) for the process to end; its exit status, or -1 after
  // it had to be killed or died of a signal.
  static int AwaitExit(pid_t pid) {
    for (int i = 0; i < 1000; ++i) {
      int raw = 0;
      if (waitpid(pid, &raw, WNOHANG) == pid) return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
  }

  e2e::TempFolder tmp_{"jexrx_e2e"};
  const std::string& dir_ = tmp_.dir();
  Bytes enc_, twin_;
};

// jex2csv lines of a capture, as a list.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = text.find('\n', at);
    lines.push_back(text.substr(at, end - at));
    at = end == std::string::npos ? text.size() : end + 1;
  }
  return lines;
}

TEST_F(JexrxRun, DeciphersEveryPacketAfterItsPairingAndKeepsTheRest) {
  struct Case {
    int records, seed, percent, sensors;
  };
  const Case kCases[] = {{3000, 1, 50, 12}, {2000, 7, 100, 20}, {1500, 11, 30, 5}, {500, 3, 0, 12}};
  for (const Case& c : kCases) {
    SCOPED_TRACE("seed " + std::to_string(c.seed) + ", " + std::to_string(c.percent) + "%");
    std::system(
        ("cd " + shell_quote(dir_) + " && rm -rf store store2 && mkdir store store2").c_str());
    Generate(c.records, c.seed, c.percent, c.sensors);
    const Result r = Jexrx({"-S", "store", "enc.jex"}, "> out.jex");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    const Bytes out = read_bytes(Path("out.jex"));
    const Bytes want = Expected(enc_, twin_);
    ASSERT_EQ(out.size(), want.size());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < out.size(); i += kRecord) {
      if (!std::equal(out.begin() + static_cast<long>(i),
                      out.begin() + static_cast<long>(i + kRecord),
                      want.begin() + static_cast<long>(i)) &&
          ++differing <= 3) {
        ADD_FAILURE() << "record " << i / kRecord << " differs";
      }
    }
    EXPECT_EQ(differing, 0u);

    // Through the converter: the twin's CSV without the lines of packets
    // sent before their sensor's pairing.
    const Result pipe =
        Shell(shell_quote(JEXRX_BIN) + " -S store2 enc.jex | " + shell_quote(JEX2CSV_BIN) + " -s");
    const Result clear = Shell(shell_quote(JEX2CSV_BIN) + " twin.jex");
    std::vector<std::string> wantLines;
    const std::vector<std::string> twinLines = Lines(clear.out);
    std::set<std::uint32_t> paired;
    std::size_t line = 0;
    for (std::size_t rec = 0; rec < enc_.size() / kRecord; ++rec) {
      const std::int8_t type = TypeOf(enc_, rec), clearType = TypeOf(twin_, rec);
      if (clearType < 1 || clearType > 3) {
        if (type == 0) paired.insert(AddressOf(enc_, rec));
        continue;
      }
      if (!(type < 0 && paired.count(AddressOf(enc_, rec)) == 0))
        wantLines.push_back(twinLines[line]);
      ++line;
    }
    ASSERT_EQ(line, twinLines.size());
    EXPECT_EQ(Lines(pipe.out), wantLines);
  }
}

TEST_F(JexrxRun, StoreKeepsPairingsAndNamesAcrossRunsAndLists) {
  Generate(3000, 5, 50);
  const std::size_t half = enc_.size() / kRecord / 2;
  write_bytes(Path("first.jex"), Slice(enc_, 0, half));
  write_bytes(Path("second.jex"), Slice(enc_, half, enc_.size() / kRecord));
  ASSERT_EQ(Jexrx({"-S", "store", "-o", "out1.jex", "first.jex"}).status, 0);

  // The store file: one record per pairing and per name packet, in order.
  const Bytes store = read_bytes(Path("store/JEX_INFO.BIN"));
  std::size_t infoPackets = 0;
  std::set<std::uint32_t> paired;
  for (std::size_t r = 0; r < half; ++r) {
    if (TypeOf(enc_, r) == 0) paired.insert(AddressOf(enc_, r));
    if (TypeOf(enc_, r) == 0 || (TypeOf(enc_, r) == 4 && paired.count(AddressOf(enc_, r)) != 0)) {
      ++infoPackets;
    }
  }
  ASSERT_EQ(paired.size(), 6u);
  EXPECT_EQ(store.size(), infoPackets * 64);

  // A second run with that store deciphers the rest, although it holds no
  // pairing packet; then the listing shows every sensor with its name and
  // with a last packet held.
  const Result second = Jexrx({"-l", "-S", "store", "-o", "out2.jex", "second.jex"});
  EXPECT_EQ(second.status, 0);
  Bytes both = read_bytes(Path("out1.jex"));
  const Bytes out2 = read_bytes(Path("out2.jex"));
  both.insert(both.end(), out2.begin(), out2.end());
  EXPECT_EQ(both, Expected(enc_, twin_));
  const std::vector<std::string> rows = Lines(second.out);
  ASSERT_EQ(rows.size(), 7u) << second.out;
  EXPECT_EQ(rows[0], "address\tname\tlast packet");
  for (std::size_t i = 1; i < rows.size(); ++i) {
    char name[9];
    std::snprintf(name, sizeof name, "%.8s", rows[i].c_str());
    EXPECT_EQ(paired.count(static_cast<std::uint32_t>(std::strtoul(name, nullptr, 16))), 1u)
        << rows[i];
    EXPECT_NE(rows[i].find("\t"), std::string::npos);
    EXPECT_EQ(rows[i].substr(rows[i].size() - 4), "\tyes") << rows[i];
    EXPECT_NE(rows[i].substr(9, rows[i].size() - 13), "") << "named: " << rows[i];
  }

  // -l alone lists without reading: the same sensors, no last packets.
  const Result listed = Jexrx({"-l", "-S", "store"}, "< /dev/null");
  EXPECT_EQ(listed.status, 0);
  std::string noLast = second.out;
  for (std::size_t at = 0; (at = noLast.find("\tyes\n", at)) != std::string::npos;)
    noLast.replace(at, 5, "\tno\n");
  EXPECT_EQ(listed.out, noLast);

  // A snapshot of that store, installed in a new folder, serves as well.
  ASSERT_EQ(mkdir(Path("fresh").c_str(), 0755), 0);
  const Result snap =
      Jexrx({"-S", "fresh", "-L", "store/JEX_INFO.BIN", "-o", "out3.jex", "second.jex"});
  EXPECT_EQ(snap.status, 0) << snap.err;
  EXPECT_EQ(read_bytes(Path("out3.jex")), out2);
}

TEST_F(JexrxRun, RefusesABadSnapshotAndKeepsTheStore) {
  write_bytes(Path("store/JEX_INFO.BIN"), Bytes(128, 0));
  write_bytes(Path("bad.bin"), Bytes(100, 7));
  const Result r = Jexrx({"-S", "store", "-L", "bad.bin", "-l"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err,
            "jexrx: bad.bin is no paired-sensor file: its length is not a whole number of 64-byte "
            "records\n");
  EXPECT_EQ(read_bytes(Path("store/JEX_INFO.BIN")), Bytes(128, 0));
}

TEST_F(JexrxRun, TornLastRecordAndRandomBytes) {
  Generate(200, 2, 50);
  Bytes torn = enc_;
  torn.resize(torn.size() - 12);
  write_bytes(Path("torn.jex"), torn);
  const Result r = Jexrx({"-S", "store", "-o", "out.jex", "torn.jex"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "jexrx: torn.jex: the last record is torn (20 of 32 bytes); dropped it\n");
  const Bytes want = Expected(enc_, twin_);
  EXPECT_EQ(read_bytes(Path("out.jex")), Bytes(want.begin(), want.end() - 32));

  // Random bytes are records like any others: nothing is lost, no record
  // but an enciphered one of a sender the bytes paired changes.
  std::srand(99);
  Bytes noise(32 * 5000 + 7);
  for (std::uint8_t& b : noise) b = static_cast<std::uint8_t>(std::rand());
  write_bytes(Path("noise.bin"), noise);
  const Result n = Jexrx({"-S", "store2", "-o", "noise.out", "noise.bin"});
  EXPECT_EQ(n.status, 1) << "store2 does not exist";
  ASSERT_EQ(mkdir(Path("store2").c_str(), 0755), 0);
  const Result n2 = Jexrx({"-S", "store2", "-o", "noise.out", "noise.bin"});
  EXPECT_EQ(n2.status, 0);
  EXPECT_EQ(n2.err, "jexrx: noise.bin: the last record is torn (7 of 32 bytes); dropped it\n");
  const Bytes out = read_bytes(Path("noise.out"));
  ASSERT_EQ(out.size(), noise.size() - 7);
  for (std::size_t i = 0; i < out.size(); i += kRecord) {
    const auto type = static_cast<std::int8_t>(noise[i + 14]);
    if (type >= -3 && type <= -1) continue;
    ASSERT_TRUE(std::equal(out.begin() + static_cast<long>(i),
                           out.begin() + static_cast<long>(i + kRecord),
                           noise.begin() + static_cast<long>(i)))
        << "record " << i / kRecord;
  }
}

TEST_F(JexrxRun, FailuresSayWhatAndExitOne) {
  Generate(100, 4, 50);
  write_bytes(Path("keep.jex"), enc_);
  struct Case {
    const char* name;
    std::vector<std::string> args;
    std::string err;
  };
  const Case kCases[] = {
      {"missing store folder",
       {"-S", "nowhere", "-o", "out.jex", "enc.jex"},
       "jexrx: cannot use the store folder nowhere: No such file or directory\n"},
      {"store file is a folder",
       {"-S", "blocked", "-o", "out.jex", "enc.jex"},
       "jexrx: cannot use the store file blocked/JEX_INFO.BIN: Is a directory\n"},
      {"missing capture",
       {"-S", "store", "-o", "out.jex", "absent.jex"},
       "jexrx: cannot read absent.jex: No such file or directory\n"},
      {"full disk",
       {"-S", "store", "-o", "/dev/full", "enc.jex"},
       "jexrx: cannot write /dev/full: No space left on device\n"},
      {"output is the input",
       {"-S", "store", "-o", "keep.jex", "keep.jex"},
       "jexrx: keep.jex is the capture being read; name another output\n"},
      {"unwritable output",
       {"-S", "store", "-o", "nowhere/out.jex", "enc.jex"},
       "jexrx: cannot write nowhere/out.jex: No such file or directory\n"},
  };
  ASSERT_EQ(mkdir(Path("blocked").c_str(), 0755), 0);
  ASSERT_EQ(mkdir(Path("blocked/JEX_INFO.BIN").c_str(), 0755), 0);
  for (const Case& c : kCases) {
    std::remove(Path("out.jex").c_str());
    const Result r = Jexrx(c.args);
    EXPECT_EQ(r.status, 1) << c.name;
    EXPECT_EQ(r.err, c.err) << c.name;
    EXPECT_EQ(r.out, "") << c.name;
    struct stat st {};
    EXPECT_NE(stat(Path("out.jex").c_str(), &st), 0) << c.name << ": no output was made";
  }
  EXPECT_EQ(read_bytes(Path("keep.jex")), enc_) << "the capture was not emptied";
  const Result appended = Jexrx({"-S", "store"}, "< keep.jex >> keep.jex");
  EXPECT_EQ(appended.status, 1);
  EXPECT_EQ(appended.err,
            "jexrx: standard output is the capture being read (standard input); name another "
            "output\n");
  EXPECT_EQ(read_bytes(Path("keep.jex")), enc_) << "nothing was appended";

  // A bad command line shows the usage.
  const Result bad = Jexrx({"-x"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.err.rfind("jexrx: unknown option -x\njexrx: receiver front end", 0), 0u) << bad.err;
  const Result help = Jexrx({"-h"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.err.find("jexrx fetch.jex | jex2csv -s > data.csv"), std::string::npos);
}

TEST_F(JexrxRun, ReadOnlyStoreFolderIsRefused) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  Generate(100, 4, 50);
  ASSERT_EQ(chmod(Path("store").c_str(), 0555), 0);
  const Result r = Jexrx({"-S", "store", "-o", "out.jex", "enc.jex"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "jexrx: cannot use the store file store/JEX_INFO.BIN: Permission denied\n");
}

// A pseudo-terminal pair: the test writes what a receiver sends on the
// master side; jexrx opens the slave side as its serial device.
class JexrxSerial : public JexrxRun {
 protected:
  void SetUp() override {
    JexrxRun::SetUp();
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master_, 0);
    // jexrx must not inherit the master side, or closing it here hangs up nothing.
    ASSERT_EQ(fcntl(master_, F_SETFD, FD_CLOEXEC), 0);
    ASSERT_EQ(grantpt(master_), 0);
    ASSERT_EQ(unlockpt(master_), 0);
    slave_ = ptsname(master_);
  }
  void TearDown() override {
    if (master_ >= 0) close(master_);
    JexrxRun::TearDown();
  }
  void Send(const Bytes& bytes) {
    ASSERT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  pid_t StartOnPort(const std::vector<std::string>& extra = {}) {
    std::vector<std::string> args = {"-S", "store", "-o", "live.jex", "-d", slave_};
    args.insert(args.end(), extra.begin(), extra.end());
    const pid_t pid = Start(args);
    EXPECT_TRUE(AwaitText(Path("live.err"), "jexrx: receiving from " + slave_ + "\n"));
    return pid;
  }
  int master_ = -1;
  std::string slave_;
};

TEST_F(JexrxSerial, SigtermInTheMiddleKeepsEveryRecordSent) {
  Generate(400, 8, 50);
  const pid_t pid = StartOnPort();
  // Records go over in pieces that do not end on record boundaries.
  const Bytes first = Slice(enc_, 0, 250);
  for (std::size_t at = 0; at < first.size(); at += 700) {
    Send(Bytes(first.begin() + static_cast<long>(at),
               first.begin() + static_cast<long>(std::min(first.size(), at + 700))));
  }
  ASSERT_TRUE(AwaitSize(Path("live.jex"), first.size())) << "records are written as they arrive";
  Bytes rest = Slice(enc_, 250, 400);
  rest.insert(rest.end(), enc_.begin(), enc_.begin() + 10);  // a record cut short
  Send(rest);
  kill(pid, SIGTERM);
  EXPECT_EQ(AwaitExit(pid), 0);
  EXPECT_EQ(read_bytes(Path("live.jex")), Expected(enc_, twin_));
  const std::string err = read_file(Path("live.err"));
  EXPECT_NE(err.find(": the last record is torn (10 of 32 bytes); dropped it\n"), std::string::npos)
      << err;
}

TEST_F(JexrxSerial, HangUpEndsTheRunAndSilenceRegainsAlignment) {
  Generate(100, 9, 50);
  const pid_t pid = StartOnPort({"-g", "200"});
  Send(Bytes(enc_.begin(), enc_.begin() + 13));  // the tail of a record heard mid-way
  ASSERT_TRUE(AwaitText(Path("live.err"), "13 bytes of a record, then 200 ms of silence"));
  Send(enc_);
  ASSERT_TRUE(AwaitSize(Path("live.jex"), enc_.size()));
  close(master_);
  master_ = -1;
  EXPECT_EQ(AwaitExit(pid), 0);
  EXPECT_EQ(read_bytes(Path("live.jex")), Expected(enc_, twin_));
}

TEST_F(JexrxRun, DatagramsUntilSigterm) {
  Generate(300, 10, 50);
  // A free loopback port for jexrx.
  const int probe = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(probe, reinterpret_cast<sockaddr*>(&at), sizeof at), 0);
  socklen_t len = sizeof at;
  getsockname(probe, reinterpret_cast<sockaddr*>(&at), &len);
  close(probe);
  const std::string port = std::to_string(ntohs(at.sin_port));

  const pid_t pid = Start({"-S", "store", "-o", "live.jex", "-u", "127.0.0.1:" + port});
  ASSERT_TRUE(
      AwaitText(Path("live.err"), "jexrx: receiving datagrams on 127.0.0.1:" + port + "\n"));
  const int s = socket(AF_INET, SOCK_DGRAM, 0);
  auto sendRecords = [&](std::size_t from, std::size_t to, std::size_t extra) {
    const Bytes d = Bytes(enc_.begin() + static_cast<long>(from * kRecord),
                          enc_.begin() + static_cast<long>(to * kRecord + extra));
    ASSERT_EQ(sendto(s, d.data(), d.size(), 0, reinterpret_cast<sockaddr*>(&at), sizeof at),
              static_cast<ssize_t>(d.size()));
  };
  for (std::size_t r = 0; r < 150; r += 10) sendRecords(r, r + 10, 0);
  ASSERT_TRUE(AwaitSize(Path("live.jex"), 150 * kRecord));
  sendRecords(150, 152, 6);  // two records and a torn one
  for (std::size_t r = 152; r < 300; r += 37) sendRecords(r, std::min<std::size_t>(300, r + 37), 0);
  kill(pid, SIGTERM);
  close(s);
  EXPECT_EQ(AwaitExit(pid), 0);
  EXPECT_EQ(read_bytes(Path("live.jex")), Expected(enc_, twin_));
  const std::string err = read_file(Path("live.err"));
  EXPECT_NE(err.find("jexrx: datagram of 70 bytes from 127.0.0.1:"), std::string::npos) << err;
  EXPECT_NE(err.find("ends in a torn record (6 bytes); dropped it\n"), std::string::npos) << err;
}

}  // namespace
