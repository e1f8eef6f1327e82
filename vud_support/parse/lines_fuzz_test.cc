// Seeded random input for the line reader and the delimiter rewrite: arbitrary
// bytes (separators, "#", control and high bytes weighted in) must never make
// them read or write outside their fields, and what they produce must keep its
// basic shape. Run under the sanitizer build, this is the overrun check.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "tools/seeded_rng.h"
#include "vud_support/console/channels.h"
#include "vud_support/console/console_fixture.h"
#include "vud_support/console/records.h"
#include "vud_support/parse/lines.h"

namespace vud {
namespace {

constexpr std::int32_t kLog = 10;

std::string random_bytes(seeded::Rng& rng, std::size_t max_len) {
  static constexpr char kFavoured[] = {' ', ',', '\t', '#', '\r', '\0', 'a', '7'};
  std::string s(rng.Below(static_cast<std::uint32_t>(max_len + 1)), ' ');
  for (char& c : s) {
    c = rng.Below(4) == 0 ? static_cast<char>(rng.Below(256))
                          : kFavoured[rng.Below(sizeof kFavoured)];
  }
  return s;
}

bool is_sep(char c) { return c == ' ' || c == ',' || c == '\t'; }

using LinesFuzz = ConsoleTest;

TEST_F(LinesFuzz, Stripc1kKeepsItsFieldAndCounts) {
  seeded::Rng rng{20240611};
  for (int round = 0; round < 200; ++round) {
    std::string file;
    std::vector<std::string> records;
    for (int n = 0; n < 20; ++n) {
      std::string r = random_bytes(rng, 1500);
      for (char& c : r) {
        if (c == '\n') c = 'n';
      }
      records.push_back(r);
      file += r + "\n";
    }
    std::istringstream in(file);
    channel_bind_input(kLog, &in);
    Text<kLineWidth> line;
    std::int32_t items = 0;
    std::int32_t ier = 0;
    std::size_t next = 0;
    for (;;) {
      stripc1k(kLog, line, 99, items, 1, "fuzz", ier);
      if (ier != 0) break;
      // Find the record this line came from: comment lines are skipped.
      while (next < records.size() && !records[next].empty() && records[next][0] == '#') ++next;
      ASSERT_LT(next, records.size());
      std::string expected = records[next++];
      if (!expected.empty() && expected.back() == '\r') expected.pop_back();
      expected.resize(std::min<std::size_t>(expected.size(), kLineWidth));
      expected = expected.substr(0, expected.find('#'));
      expected.resize(kLineWidth, ' ');
      ASSERT_EQ(line.view(), expected);
      ASSERT_EQ(items, icountwords(line));
    }
    ASSERT_EQ(ier, kStripEndOfFile);
  }
}

TEST_F(LinesFuzz, SdelimNeverOverrunsAndKeepsTheWords) {
  seeded::Rng rng{77};
  static constexpr char kLetters[] = {'C', 'T', 'S', 'N', 'x'};
  std::vector<char> storage;
  for (int round = 0; round < 20000; ++round) {
    const std::string a = random_bytes(rng, 300);
    const char delm = kLetters[static_cast<std::size_t>(round) % sizeof kLetters];
    // b as wide as a, or narrower, in a buffer with guard bytes on both sides.
    const std::size_t width = (round % 3 == 0) ? a.size() / 2 : a.size();
    storage.assign(width + 2, '\x5a');
    sdelim(a, Field(storage.data() + 1, static_cast<std::int32_t>(width)), delm, 0);
    ASSERT_EQ(storage.front(), '\x5a');
    ASSERT_EQ(storage.back(), '\x5a');
    const std::string_view b(storage.data() + 1, width);
    if (width == a.size() && delm == 'C') {
      ASSERT_EQ(icountwords(b), icountwords(a)) << a;
    }
    if (delm == 'C' || delm == 'T') {
      const std::string_view t = trimmed(b);
      ASSERT_FALSE(!t.empty() && t.back() == (delm == 'C' ? ',' : '\t'));
    }
    if (!b.empty()) {
      ASSERT_FALSE(is_sep(b[0]) && b[0] != ' ');
    }
    Text<40> f;
    c2fstr(a, f);
    storage.assign(a.begin(), a.end());
    storage.push_back('\x5a');
    strip_leading_space(Field(storage.data(), static_cast<std::int32_t>(a.size())));
    ASSERT_EQ(storage.back(), '\x5a');
  }
}

}  // namespace
}  // namespace vud
