// Seeded random-input test: drives the word, phrase and number readers and the
// number texts with arbitrary bytes, field widths, cursors and action letters.
// Run under the sanitizers it finds overruns; the checks here find writes past
// a field, a cursor that does not advance and values changed on failure.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "tools/seeded_rng.h"
#include "vud_support/console/channels.h"
#include "vud_support/console/console_fixture.h"
#include "vud_support/console/records.h"
#include "vud_support/parse/numtext.h"
#include "vud_support/parse/words.h"

namespace vud {
namespace {

constexpr char kGuard = '\x5a';
constexpr std::size_t kGuardBytes = 8;

class WordsFuzz : public ConsoleTest {
 protected:
  // A line of random bytes, biased towards separators, digits and number characters.
  std::string random_line() {
    static constexpr std::string_view kAlphabet = " ,\t|0123456789+-.eEdDnaifNI\"x";
    std::string line(static_cast<std::size_t>(pick(0, 300)), ' ');
    for (char& c : line) {
      c = pick(0, 3) == 0 ? static_cast<char>(pick(0, 255))
                          : kAlphabet[static_cast<std::size_t>(
                                pick(0, static_cast<int>(kAlphabet.size()) - 1))];
    }
    return line;
  }
  std::int32_t random_cursor(std::int32_t width) {
    switch (pick(0, 9)) {
      case 0:
        return -pick(1, 5);
      case 1:
        return width + pick(0, 5);
      case 2:
        return std::numeric_limits<std::int32_t>::max() - pick(0, 1);
      default:
        return pick(0, width);
    }
  }
  char random_act() {
    static constexpr char kActs[] = {'-', 'W', 'F', '?', 'w'};
    return kActs[pick(0, 4)];
  }
  int pick(int lo, int hi) { return rng_.Between(lo, hi); }

  // Drops what was shown now and then so the stream stays small.
  void trim_output() {
    if (out_.tellp() > 1 << 16) out_.str("");
  }

  seeded::Rng rng_{20240611};
};

bool guard_intact(const std::vector<char>& buf, std::size_t width) {
  for (std::size_t i = 0; i < kGuardBytes; ++i) {
    if (buf[width + i] != kGuard) return false;
  }
  return true;
}

TEST_F(WordsFuzz, WordsAndPhrasesStayInsideTheirFields) {
  for (int round = 0; round < 3000; ++round) {
    curfile.currentfile = pick(0, 1) ? "" : "fuzz.log";
    const std::string line = random_line();
    const auto width = static_cast<std::size_t>(pick(1, 40));
    std::vector<char> buf(width + kGuardBytes, kGuard);
    const Field out(buf.data(), static_cast<std::int32_t>(width));
    const bool phrase = pick(0, 1) == 1;
    std::int32_t k = random_cursor(static_cast<std::int32_t>(line.size()));
    std::int32_t ier = 0;
    for (int step = 0; ier == 0 && step < 400; ++step) {
      const std::int32_t before = k;
      if (phrase) {
        egetp(line, k, out, random_act(), "fuzz", ier);
      } else {
        egetw(line, k, out, random_act(), "fuzz", ier);
      }
      ASSERT_TRUE(guard_intact(buf, width)) << "round " << round;
      ASSERT_GT(k,
                std::max(before, 0) - (before == std::numeric_limits<std::int32_t>::max() ? 1 : 0))
          << "round " << round;
      if (k > static_cast<std::int32_t>(line.size())) break;
    }
    trim_output();
  }
}

TEST_F(WordsFuzz, NumbersKeepTheirValueOnFailure) {
  for (int round = 0; round < 3000; ++round) {
    curfile.currentfile = pick(0, 1) ? "" : "fuzz.log";
    const std::string line = random_line();
    std::int32_t k = random_cursor(static_cast<std::int32_t>(line.size()));
    std::int32_t ier = 0;
    for (int step = 0; step < 400 && k <= static_cast<std::int32_t>(line.size()); ++step) {
      const std::int32_t before = k;
      if (pick(0, 1) == 1) {
        std::int32_t iv = 77;
        const char act = random_act();
        egetwi(line, k, iv, pick(-100, 0), pick(0, 100), act, "n", ier);
        // Under "F" a flag of 1 may also be a range failure, which keeps the value read.
        if (ier == kIerNotNumber || (ier == kIerPastEnd && act != 'F')) {
          ASSERT_EQ(iv, 77);
        }
      } else {
        float rv = 77.0F;
        egetwr(line, k, rv, -1.0F, 1.0F, random_act(), "r", ier);
        if (ier == kIerNotNumber) {
          ASSERT_EQ(rv, 77.0F);
        }
      }
      ASSERT_NE(k, before);
      if (ier == kIerNotNumber && k > static_cast<std::int32_t>(line.size())) break;
    }
    trim_output();
  }
}

TEST_F(WordsFuzz, NumberTextsFitTheirFields) {
  std::vector<float> values(64);
  for (int round = 0; round < 3000; ++round) {
    std::uint32_t bits = static_cast<std::uint32_t>(rng_());
    float v = 0.0F;
    std::memcpy(&v, &bits, sizeof v);
    Text<16> f16;
    Text<12> f12;
    std::int32_t iswd = 0, iflag = 0;
    rel16str(v, f16, iswd, iflag);
    ASSERT_LE(iswd, 15) << v;
    ASSERT_EQ(iswd, f16.trimmed_length());
    relstr(v, f12, iswd, iflag);
    ASSERT_EQ(iswd, f12.trimmed_length());
    relestr(v, f16, iswd, iflag);
    ASSERT_EQ(iswd, f16.trimmed_length());
    values[static_cast<std::size_t>(round % 64)] = v;
  }
  for (int round = 0; round < 300; ++round) {
    const auto width = static_cast<std::size_t>(pick(1, 200));
    std::vector<char> buf(width + kGuardBytes, kGuard);
    std::int32_t length = 0, itrunc = 0;
    const char delm = "TSCx"[pick(0, 3)];
    arlist(pick(-2, 70), pick(-2, 70), values, pick(0, 80), delm,
           Field(buf.data(), static_cast<std::int32_t>(width)), length, itrunc);
    ASSERT_TRUE(guard_intact(buf, width));
    ASSERT_LE(length, static_cast<std::int32_t>(width));
  }
}

}  // namespace
}  // namespace vud
