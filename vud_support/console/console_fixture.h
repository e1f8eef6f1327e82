// Test support for the libraries built on the console channels: a GoogleTest
// fixture that starts every test from fresh shared records, with the terminal
// output channel writing into a string and the terminal input channel reading
// from one, so that a test sees exactly what a routine shows and reads.
#ifndef VUD_SUPPORT_CONSOLE_CONSOLE_FIXTURE_H_
#define VUD_SUPPORT_CONSOLE_CONSOLE_FIXTURE_H_

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "vud_support/console/channels.h"
#include "vud_support/console/records.h"

namespace vud {

class ConsoleTest : public ::testing::Test {
 protected:
  // Shared records back to their start values; channel 6 writes into out_,
  // channel 5 reads from in_ (empty until give_input or answers).
  void SetUp() override {
    reset_shared_records();
    channel_bind_output(kOutputChannel, &out_);
    channel_bind_input(kInputChannel, &in_);
  }
  // Releases every channel and the test streams, and leaves no shared state
  // behind for the next test.
  void TearDown() override { reset_shared_records(); }

  // Makes text the rest of the terminal input.
  void give_input(std::string_view text) {
    in_.str(std::string(text));
    in_.clear();
  }
  // The answer lines the user types, in order; what was shown so far is
  // forgotten, so the next shown() holds the dialogue alone.
  void answers(std::string_view lines) {
    give_input(lines);
    clear_shown();
  }
  // What the terminal showed since the test began or the last shown() or
  // clear_shown(); it is forgotten then.
  std::string shown() {
    std::string s = out_.str();
    clear_shown();
    return s;
  }
  // What the terminal showed so far, line by line without the line ends; kept.
  std::vector<std::string> shown_lines() const {
    std::vector<std::string> lines;
    std::istringstream text(out_.str());
    for (std::string l; std::getline(text, l);) lines.push_back(l);
    return lines;
  }
  void clear_shown() { out_.str(""); }
  // What is left unread of the terminal input.
  std::string unread() {
    std::string rest;
    std::getline(in_, rest, '\0');
    return rest;
  }

  std::ostringstream out_;
  std::istringstream in_;
};

}  // namespace vud

#endif  // VUD_SUPPORT_CONSOLE_CONSOLE_FIXTURE_H_
