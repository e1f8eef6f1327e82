#include "jex2csv/Serial.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "jex2csv/JexUtils.h"

namespace jex {
namespace {

// A pseudo-terminal pair: the test writes on the master side what a
// receiver would send; the library opens the slave side by its name.
class SerialPty : public testing::Test {
 protected:
  void SetUp() override {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master_, 0);
    ASSERT_EQ(grantpt(master_), 0);
    ASSERT_EQ(unlockpt(master_), 0);
    const char* name = ptsname(master_);
    ASSERT_NE(name, nullptr);
    slave_name_ = name;
  }
  void TearDown() override {
    if (fd_ > 0) closeport(fd_);
    if (master_ >= 0) close(master_);
  }
  void Send(const std::string& bytes) {
    ASSERT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  // Waits (boundedly) until n bytes have crossed the pair.
  void AwaitWaiting(int n) {
    for (int i = 0; i < 200 && availableport(fd_) < n; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  int master_ = -1;
  int fd_ = -1;
  std::string slave_name_;
};

TEST(Openport, StandardInputForNoNameOrDash) {
  const char* kNames[] = {nullptr, "", "-"};
  for (const char* name : kNames) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(openport(name, 0, 100), STDIN_FILENO) << (name ? name : "(null)");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  }
}

TEST(Openport, MissingDeviceFailsWithBothMessages) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(openport("/nonexistent/ttyRX9", 1, 100), -1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "ERROR: CreateFile problem '/nonexistent/ttyRX9'\n"
            "ERROR: Problem opening input: '/nonexistent/ttyRX9'\n");
}

TEST(Openport, DeviceWithoutLineSettingsIsStillReturned) {
  testing::internal::CaptureStderr();
  const int fd = openport("/dev/null", 0, 100);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR: GetCommState() failed.\n");
  EXPECT_GT(fd, 2);
  EXPECT_EQ(closeport(fd), 1);
}

TEST_F(SerialPty, OpenSetsEightNoneOneRawAndKeepsSpeed) {
  termios before{};
  {
    const int probe = open(slave_name_.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(probe, 0);
    ASSERT_EQ(tcgetattr(probe, &before), 0);
    close(probe);
  }
  testing::internal::CaptureStderr();
  fd_ = openport(slave_name_.c_str(), 0, 250);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  ASSERT_GT(fd_, 2);
  termios tio{};
  ASSERT_EQ(tcgetattr(fd_, &tio), 0);
  EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB), 0u);
  EXPECT_EQ(tio.c_lflag & (ICANON | ECHO), 0u) << "bytes pass untouched";
  EXPECT_EQ(cfgetispeed(&tio), cfgetispeed(&before));
  EXPECT_EQ(cfgetospeed(&tio), cfgetospeed(&before));
  EXPECT_EQ(tio.c_cc[VMIN], 0);
  EXPECT_EQ(tio.c_cc[VTIME], 3) << "250 ms rounds up to three tenths";
}

TEST_F(SerialPty, ReadsWhatArrivesAndCountsWaitingBytes) {
  fd_ = openport(slave_name_.c_str(), 0, 100);
  ASSERT_GT(fd_, 2);
  EXPECT_EQ(availableport(fd_), 0);
  Send(std::string("\x01\x00\xffpacket", 9));
  AwaitWaiting(9);
  EXPECT_EQ(availableport(fd_), 9);

  char buf[16] = {};
  EXPECT_EQ(readport(fd_, buf, 4, 1000), 4);
  EXPECT_EQ(std::string(buf, 4), std::string("\x01\x00\xffp", 4));
  EXPECT_EQ(availableport(fd_), 5);
  EXPECT_EQ(readport(fd_, buf, 5, 0), 5) << "one attempt takes what is there";
  EXPECT_EQ(std::string(buf, 5), "acket");
  EXPECT_EQ(availableport(fd_), 0);
}

TEST_F(SerialPty, GathersBytesThatArriveInPieces) {
  fd_ = openport(slave_name_.c_str(), 0, 100);
  ASSERT_GT(fd_, 2);
  std::thread sender([this] {
    for (const char* piece : {"ab", "cd", "ef"}) {
      std::this_thread::sleep_for(std::chrono::milliseconds(30));
      (void)!write(master_, piece, 2);
    }
  });
  char buf[8] = {};
  const int n = readport(fd_, buf, 6, 3000);
  sender.join();
  EXPECT_EQ(n, 6);
  EXPECT_EQ(std::string(buf, 6), "abcdef");
}

TEST_F(SerialPty, TimeOutReturnsWhatCame) {
  fd_ = openport(slave_name_.c_str(), 0, 100);
  ASSERT_GT(fd_, 2);
  Send("xyz");
  char buf[8] = {};
  const std::uint64_t start = MillisecondsEpoch();
  EXPECT_EQ(readport(fd_, buf, 8, 300), 3);
  const std::uint64_t took = MillisecondsEpoch() - start;
  EXPECT_EQ(std::string(buf, 3), "xyz");
  EXPECT_GE(took, 290u);
  EXPECT_LT(took, 3000u);

  // One attempt with nothing waiting waits no longer than the port's time-out.
  EXPECT_EQ(readport(fd_, buf, 8, 0), 0);
}

TEST_F(SerialPty, HangUpEndsTheWait) {
  fd_ = openport(slave_name_.c_str(), 0, 100);
  ASSERT_GT(fd_, 2);
  close(master_);
  master_ = -1;
  char buf[4] = {};
  const std::uint64_t start = MillisecondsEpoch();
  EXPECT_EQ(readport(fd_, buf, 4, 5000), 0);
  EXPECT_LT(MillisecondsEpoch() - start, 2000u);
}

TEST(Readport, NothingToDoReturnsZeroAtOnce) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  ASSERT_EQ(write(fds[1], "abc", 3), 3);
  char buf[4];
  struct Case {
    const char* name;
    int fd;
    char* buffer;
    int len;
  };
  const Case kCases[] = {
      {"negative descriptor", -1, buf, 4},
      {"no buffer", fds[0], nullptr, 4},
      {"zero length", fds[0], buf, 0},
      {"negative length", fds[0], buf, -2},
  };
  for (const Case& c : kCases) {
    const std::uint64_t start = MillisecondsEpoch();
    EXPECT_EQ(readport(c.fd, c.buffer, c.len, 2000), 0) << c.name;
    EXPECT_LT(MillisecondsEpoch() - start, 500u) << c.name;
  }
  EXPECT_EQ(readport(fds[0], buf, 4, 0), 3) << "the bytes were left alone";
  close(fds[0]);
  close(fds[1]);
}

TEST(Readport, FailedSingleAttemptGivesMinusOne) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  char buf[4];
  EXPECT_EQ(readport(fds[1], buf, 4, 0), -1) << "the write end cannot be read";
  close(fds[0]);
  close(fds[1]);
}

TEST(Closeport, AlwaysOneAndLeavesStandardInputOpen) {
  const int stdin_flags = fcntl(STDIN_FILENO, F_GETFD);
  EXPECT_EQ(closeport(-1), 1);
  EXPECT_EQ(closeport(STDIN_FILENO), 1);
  EXPECT_EQ(fcntl(STDIN_FILENO, F_GETFD), stdin_flags);
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  EXPECT_EQ(closeport(fds[0]), 1);
  EXPECT_EQ(fcntl(fds[0], F_GETFD), -1) << "closed";
  close(fds[1]);
}

}  // namespace
}  // namespace jex
