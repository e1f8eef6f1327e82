// The overwrite and rename dialogue of vudstats run end to end: the report
// file already exists, and the answers come from a script on the standard
// input, or are typed at the prompt of a pseudo-terminal.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "tests/vudstats_e2e.h"

namespace vud_e2e {
namespace {

constexpr const char* kLog = kTwoSensorLog;
constexpr const char* kOldReport = "old report, to be kept unless the user agrees\n";

const std::string kOverwrite = "Overwrite this file? [Y]es (default) or [N]o ?\n";
const std::string kRename = "(currently: site.text)\nRevised file name? ";
const std::string kRemember = " \n Remember the new file name? [Y]es (default) or [N]o ?\n";

class DialogueE2e : public E2eTest {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    write_file("site.csv", kLog);
    // The report a run writes when nothing is in its way.
    const RunResult fresh = run(vudstats_bin(), {"-act", "2", "site.csv"});
    ASSERT_EQ(fresh.status, 0) << fresh.out;
    report_ = read_file("site.text");
    ASSERT_NE(report_.find("Vantrel summary from QTV"), std::string::npos);
    fresh_out_ = fresh.out;
    write_file("site.text", kOldReport);
  }
  RunResult answer(std::string_view input) const {
    return run(vudstats_bin(), {"-act", "2", "site.csv"}, input);
  }
  // The terminal text between the report line and the rest of the run.
  static std::string dialogue_of(const std::string& out) {
    const std::string from = "  reporting to > site.text\n";
    const std::string to = "  processing...";
    const std::size_t a = out.find(from);
    const std::size_t b = out.find(to);
    if (a == std::string::npos || b == std::string::npos || b < a) return "<not found>";
    return out.substr(a + from.size(), b - a - from.size());
  }
  std::string report_, fresh_out_;
};

TEST_F(DialogueE2e, OverwriteReplacesTheOldReport) {
  const RunResult r = answer("y\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(read_file("site.text"), report_);
  EXPECT_EQ(dialogue_of(r.out), "site.text\n" + kOverwrite);
  // Apart from the question, the terminal shows what a run without it shows.
  std::string rest = r.out;
  rest.erase(rest.find("site.text\n" + kOverwrite), ("site.text\n" + kOverwrite).size());
  EXPECT_EQ(rest, fresh_out_);
}

TEST_F(DialogueE2e, RenameWithAndWithoutRemembering) {
  for (const char* remember : {"y", "n"}) {
    const RunResult r = answer(std::string("n\nother.text\n") + remember + "\n");
    EXPECT_EQ(r.status, 0) << remember;
    EXPECT_EQ(read_file("site.text"), kOldReport) << remember;
    EXPECT_EQ(read_file("other.text"), report_) << remember;
    EXPECT_EQ(dialogue_of(r.out), "site.text\n" + kOverwrite + kRename + kRemember) << remember;
    EXPECT_EQ(files(), (std::vector<std::string>{"other.text", "site.csv", "site.text"}));
    std::remove(path("other.text").c_str());
  }
}

TEST_F(DialogueE2e, ASecondExistingNameIsAskedAboutToo) {
  write_file("other.text", "another old file\n");
  // No to both files, then a third name.
  const RunResult r = answer("n\nother.text\ny\nn\nthird.text\ny\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(read_file("site.text"), kOldReport);
  EXPECT_EQ(read_file("other.text"), "another old file\n");
  EXPECT_EQ(read_file("third.text"), report_);
  EXPECT_EQ(dialogue_of(r.out), "site.text\n" + kOverwrite + kRename + kRemember + "other.text\n" +
                                    kOverwrite + "(currently: other.text)\nRevised file name? " +
                                    kRemember);

  // Yes for the second name overwrites it and leaves the first alone.
  std::remove(path("third.text").c_str());
  const RunResult r2 = answer("n\nother.text\ny\ny\n");
  EXPECT_EQ(r2.status, 0);
  EXPECT_EQ(read_file("site.text"), kOldReport);
  EXPECT_EQ(read_file("other.text"), report_);
}

TEST_F(DialogueE2e, EndOfInputKeepsTheReportAndFails) {
  // Nothing at all, a question left unanswered, wrong answers only.
  for (const char* input : {"", "n\n", "n\nother.text\n", "maybe\n"}) {
    const RunResult r = answer(input);
    EXPECT_EQ(r.status, 1) << input;
    EXPECT_EQ(read_file("site.text"), kOldReport) << input;
    EXPECT_FALSE(exists("other.text")) << input;
    EXPECT_NE(r.out.find("EFOPSEQ: no answer, the existing file is left as it was.\n"),
              std::string::npos)
        << r.out;
  }
}

// ---------------------------------------------------------------- pseudo-terminal

// vudstats on the slave side of a pseudo-terminal, its answers typed on the
// master side only once the question is on the screen. Every wait is bounded.
class PtyRun {
 public:
  explicit PtyRun(const std::string& dir) {
    pid_ = forkpty(&master_, nullptr, nullptr, nullptr);
    if (pid_ == 0) {
      if (chdir(dir.c_str()) != 0) _exit(126);
      execl(vudstats_bin(), vudstats_bin(), "-act", "2", "site.csv", static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~PtyRun() {
    if (pid_ > 0 && !reaped_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) close(master_);
  }
  bool started() const { return pid_ > 0; }

  // Reads the screen until it holds `text` after what was already awaited;
  // false after the time-out or when the program closes the terminal.
  bool wait_for(const std::string& text, int timeout_ms = 10000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (screen_.find(text, seen_) == std::string::npos) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - std::chrono::steady_clock::now())
                            .count();
      if (left <= 0 || !read_some(static_cast<int>(left))) return false;
    }
    seen_ = screen_.find(text, seen_) + text.size();
    return true;
  }
  void type(const std::string& keys) {
    ASSERT_EQ(write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
  }
  // Reads to the end and returns the exit status, or -1 after the time-out.
  int finish(int timeout_ms = 20000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
      int status = 0;
      const pid_t done = waitpid(pid_, &status, WNOHANG);
      if (done == pid_) {
        reaped_ = true;
        while (read_some(50)) {
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      if (std::chrono::steady_clock::now() > deadline) return -1;
      read_some(50);
    }
  }
  const std::string& screen() const { return screen_; }

 private:
  bool read_some(int timeout_ms) {
    pollfd p{master_, POLLIN, 0};
    if (poll(&p, 1, timeout_ms) <= 0) return false;
    char buf[4096];
    const ssize_t n = read(master_, buf, sizeof buf);
    if (n <= 0) return false;  // EIO once the program has closed the terminal
    screen_.append(buf, static_cast<std::size_t>(n));
    return true;
  }

  pid_t pid_ = -1;
  int master_ = -1;
  bool reaped_ = false;
  std::string screen_;
  std::size_t seen_ = 0;
};

TEST_F(DialogueE2e, PromptsAppearAtATerminalBeforeItWaits) {
  PtyRun tty(dir_);
  if (!tty.started()) GTEST_SKIP() << "no pseudo-terminal can be had here";
  // The terminal turns each line end into CR LF.
  ASSERT_TRUE(tty.wait_for("Overwrite this file? [Y]es (default) or [N]o ?\r\n")) << tty.screen();
  tty.type("n\n");
  // This prompt has no line end: it must still reach the screen before the read.
  ASSERT_TRUE(tty.wait_for("Revised file name? ")) << tty.screen();
  tty.type("typed.text\n");
  ASSERT_TRUE(tty.wait_for("Remember the new file name? [Y]es (default) or [N]o ?\r\n"))
      << tty.screen();
  tty.type("y\n");
  EXPECT_EQ(tty.finish(), 0) << tty.screen();
  EXPECT_EQ(read_file("site.text"), kOldReport);
  EXPECT_EQ(read_file("typed.text"), report_);
}

}  // namespace
}  // namespace vud_e2e
