// Seeded random inputs for the date-time reader, the command line and the
// record decoding; run under the sanitizers they must find no crash, overrun
// or hang, and the decoded lines must match the plain rendering.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "jex2csv/jex2csv.h"
#include "tests/jex2csv_reference.h"
#include "tools/seeded_rng.h"

namespace {

using seeded::Rng;

std::FILE* ScratchWithRandomRecords(Rng& rng) {
  std::FILE* f = std::tmpfile();
  if (f == nullptr) return nullptr;
  const std::uint32_t n = rng.Below(200);
  for (std::uint32_t i = 0; i < n; ++i) {
    const auto byte = static_cast<unsigned char>(rng.Next());
    std::fputc(byte, f);
  }
  std::rewind(f);
  return f;
}

Rng* openerRng = nullptr;

// Every name opens a scratch file: captures hold random bytes, outputs are
// empty; names that begin with "x" fail.
std::FILE* ScratchOpen(const char* name, const char* mode) {
  if (name[0] == 'x') return nullptr;
  return mode[0] == 'r' ? ScratchWithRandomRecords(*openerRng) : std::tmpfile();
}

TEST(RtcFromStringFuzz, AnyTextGivesAMarkerOrARoundTrippingValue) {
  Rng rng{20150603};
  static const char kAlphabet[] = "0123456789012345678901234567890123456789/-:, x\t\0\xff";
  for (int i = 0; i < 200000; ++i) {
    std::string text(rng.Below(40), ' ');
    for (char& c : text) {
      c = rng.Below(8) == 0 ? static_cast<char>(rng.Next())
                            : kAlphabet[rng.Below(sizeof kAlphabet - 1)];
    }
    const jex::DateTime v = jex::RtcFromString(text);
    if (v == 0 || v == 0xFFFFFFFFu) continue;
    ASSERT_EQ(jex::RtcFromString(jex::RtcToString(v)), v) << text;
    ASSERT_EQ(jex::RtcFromString(jex::RtcToStringSql(v)), v) << text;
  }
}

TEST(CommandLineFuzz, RandomArgumentsEndInAStatus) {
  Rng rng{42};
  openerRng = &rng;
  std::FILE* messages = std::tmpfile();
  ASSERT_NE(messages, nullptr);
  static const char* const kTokens[] = {"-",        "-h",  "-s",   "-e",    "-l",  "-n", "-N",
                                        "-f",       "-nl", "-Nfe", "-sel",  "dbt", "rh", "pir",
                                        "42D89A75", "cap", "out",  "xfail", "",    "--", "-q"};
  for (int i = 0; i < 3000; ++i) {
    std::vector<std::string> args{"jex2csv"};
    const std::uint32_t n = rng.Below(7);
    for (std::uint32_t k = 0; k < n; ++k) {
      if (rng.Below(5) == 0) {
        std::string junk(1 + rng.Below(12), ' ');
        for (char& c : junk) c = static_cast<char>(1 + rng.Below(255));
        if (junk[0] != '-') junk[0] = 'x';  // a junk file name must not reach the disk
        args.push_back(junk);
      } else {
        args.push_back(kTokens[rng.Below(sizeof kTokens / sizeof kTokens[0])]);
      }
    }
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());

    jex::JexResetState();
    jex::gMessages = messages;
    jex::gOpenFile = &ScratchOpen;
    const int status = jex::JexParseCommandLine(static_cast<int>(argv.size()), argv.data());
    if (status == jex::kGoOn) {
      // Keep the test's own streams out of it.
      if (jex::gSettings.inputFile == stdin)
        jex::gSettings.inputFile = ScratchWithRandomRecords(rng);
      if (jex::gSettings.outputFile == stdout) jex::gSettings.outputFile = std::tmpfile();
      ASSERT_NE(jex::gSettings.inputFile, nullptr);
      jex::JexDataRead();
      EXPECT_EQ(jex::JexFinish(), 0);
    } else {
      EXPECT_TRUE(status == 0 || status == 1) << status;
      if (jex::gSettings.inputFile == stdin) jex::gSettings.inputFile = nullptr;
      if (jex::gSettings.outputFile == stdout) jex::gSettings.outputFile = nullptr;
      jex::JexFinish();
    }
    std::rewind(messages);
    ASSERT_EQ(ftruncate(fileno(messages), 0), 0);
  }
  jex::gMessages = stderr;
  jex::gOpenFile = &std::fopen;
  std::fclose(messages);
}

TEST(RecordFuzz, RandomRecordsDecodeLikeThePlainRendering) {
  Rng rng{7};
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  for (int round = 0; round < 200; ++round) {
    jexref::Options o;
    o.focus = static_cast<int>(rng.Below(3));
    o.topic = static_cast<int>(rng.Below(7));
    o.encrypted = rng.Below(2) == 0;
    std::vector<std::uint8_t> capture(32 * (1 + rng.Below(300)));
    for (auto& b : capture) b = static_cast<std::uint8_t>(rng.Next());
    // Half the records come from one sensor so that the filter lets some through.
    for (std::size_t at = 0; at < capture.size(); at += 32) {
      if (rng.Below(2) == 0) std::memcpy(&capture[at + 9], "\x75\x9A\xD8\x42", 4);
      if (rng.Below(2) == 0) capture[at + 14] = static_cast<std::uint8_t>(1 + rng.Below(3));
    }
    o.focusname = rng.Below(4) == 0 ? "42D8" : "42D89A75";

    jex::JexResetState();
    jex::focus = o.focus;
    jex::focusname = o.focusname;
    jex::topic = o.topic;
    jex::gSettings.printEncryptedPackets = o.encrypted;
    jex::gSettings.outputFile = out;
    jex::binUnit_t unit;
    for (std::size_t at = 0; at < capture.size(); at += 32) {
      jex::ParseFileEntryToUnit(&capture[at], &unit);
      jex::JexNewEntry(unit);
    }
    ASSERT_EQ(jex::gExitStatus, 0);
    std::fflush(out);
    std::string got(static_cast<std::size_t>(std::ftell(out)), '\0');
    std::rewind(out);
    ASSERT_EQ(std::fread(got.data(), 1, got.size(), out), got.size());
    ASSERT_EQ(got, jexref::Csv(capture, o)) << "round " << round;
    std::rewind(out);
    ASSERT_EQ(ftruncate(fileno(out), 0), 0);
    jex::gSettings.outputFile = nullptr;
  }
  std::fclose(out);
}

}  // namespace
