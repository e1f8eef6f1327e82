#include "vud_stats/timeline.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "tools/seeded_rng.h"
#include "vud_stats/stats_test_util.h"

namespace vud {
namespace {

using Timeline = StatsTest;

TEST_F(Timeline, LineTimeReadsTheStampOfEitherLayoutSilently) {
  struct Case {
    std::string_view line;
    StampKind kind;
    double seconds;
  };
  const Case cases[] = {
      {"2000/01/01,00:01:00,4A3F21B0,-61,1,17,3,2950,51.20,215,120,14,5,0", StampKind::kTime,
       86460.0},
      {"MOLVA,1,2000-01-02 00:00:00.500,7,5,3", StampKind::kTime, 2 * 86400.0 + 0.5},
      {"MOLVA,1,2000-01-02 00:00:00.5,7,5,3", StampKind::kTime, 2 * 86400.0 + 0.5},
      {"MOLVA  1 , 2000-01-02 00:00:01 ,7", StampKind::kTime, 2 * 86400.0 + 1},
      {"2000/1/01,00:01:00,4A3F21B0", StampKind::kTime, 86460.0},  // read by the word readers
      {"2000/01/01 00:01:00 4A3F21B0", StampKind::kTime, 86460.0},
      {"1999/12/22,13:41:05,4A3F21B0,-61", StampKind::kNone, 0.0},  // no QTV 2 line
      {"2014/13/05,12:00:10,A0000001,-60,1", StampKind::kImpossible, 0.0},
      {"MOLVA,1,2014-02-30 12:00:10.000,7,5,3", StampKind::kImpossible, 0.0},
      {"2014/12/22,13:4x:05,A0000001,-60,1", StampKind::kNone, 0.0},
      {"MOLVA,1,not a time,7,5,3", StampKind::kNone, 0.0},
      {"sensor,time,value", StampKind::kNone, 0.0},
      {"", StampKind::kNone, 0.0},
  };
  for (const Case& c : cases) {
    const LineTime t = line_time(LogLine(c.line));
    EXPECT_EQ(t.kind, c.kind) << c.line;
    EXPECT_EQ(t.seconds, c.seconds) << c.line;
  }
  EXPECT_EQ(shown(), "");
}

// line_time reads the regular stamps straight from their digits; every line
// must get what the word readers give it (line_time_general). A regular QTV 2
// stamp keeps its fields, and their day number must be that of the stamp's
// text, with the same date memory and nothing shown. Random lines of both
// layouts, most of them damaged by changed characters or a cut.
TEST_F(Timeline, RegularStampsReadAsTheWordReadersReadThem) {
  seeded::Rng rng{1207};
  constexpr std::string_view kAlphabet = "0123456789/-:. ,|\t+xe";
  int regular = 0;
  for (int i = 0; i < 20000; ++i) {
    char b[120];
    const bool molva = rng.Below(3) == 0;
    const int fields[] = {rng.Between(1998, 2099), rng.Between(0, 13), rng.Between(0, 32),
                          rng.Between(0, 25),      rng.Between(0, 61), rng.Between(0, 61),
                          rng.Between(0, 999)};
    if (molva) {
      std::snprintf(b, sizeof b, "MOLVA,%d,%04d-%02d-%02d %02d:%02d:%02d.%03d,7,5,3",
                    rng.Between(0, 99999), fields[0], fields[1], fields[2], fields[3], fields[4],
                    fields[5], fields[6]);
    } else {
      std::snprintf(b, sizeof b, "%04d/%02d/%02d,%02d:%02d:%02d,4A3F21B0,-61,1,17,3", fields[0],
                    fields[1], fields[2], fields[3], fields[4], fields[5]);
    }
    std::string text(b);
    for (int damage = static_cast<int>(rng.Below(3)); damage > 0 && !text.empty(); --damage) {
      const std::size_t at =
          rng.Below(static_cast<std::uint32_t>(std::min<std::size_t>(text.size(), 34)));
      if (rng.Below(6) == 0) {
        text.resize(at);
      } else {
        text[at] = kAlphabet[rng.Below(static_cast<std::uint32_t>(kAlphabet.size()))];
      }
    }
    const LogLine line(text);
    const LineTime fast = line_time(line);
    const LineTime general = line_time_general(line);
    ASSERT_EQ(fast.kind, general.kind) << text;
    ASSERT_EQ(fast.seconds, general.seconds) << text;
    if (!fast.qtv2_regular) continue;
    ++regular;
    if (rng.Below(8) == 0) reset_datestamp_memory();
    const Datemem before = datemem;
    float from_fields[3] = {-1, -1, -1}, from_text[3] = {-1, -1, -1};
    std::int32_t fields_day = -1, text_day = -1;
    datestamptojulian_qtv2(fast.fields, from_fields[0], from_fields[1], fields_day, from_fields[2]);
    const Datemem fields_memory = datemem;
    datemem = before;
    ASSERT_TRUE(datestamptojulian(sub1(line, 1, 20), '2', from_text[0], from_text[1], text_day,
                                  from_text[2]))
        << text;
    ASSERT_EQ(fields_day, text_day) << text;
    for (int k = 0; k < 3; ++k) ASSERT_EQ(from_fields[k], from_text[k]) << text << k;
    ASSERT_EQ(memory_fields(fields_memory), memory_fields(datemem)) << text;
  }
  EXPECT_EQ(shown(), "");
  EXPECT_GT(regular, 2000);  // the fields are used, not only refused
}

// Sequences of stamps (seconds; -1 for a line without a stamp) and which
// lines the guard passes over.
TEST_F(Timeline, GuardPassesOverSingleLinesFarFromTheirNeighbours) {
  constexpr double H = 3600.0;
  constexpr double Y = 365 * 86400.0;
  struct Case {
    const char* what;
    std::vector<double> times;
    std::vector<bool> passed_over;
  };
  const Case cases[] = {
      {"in order", {0, 60, 120}, {false, false, false}},
      {"seconds out of order", {0, 60, 55, 120, 119}, {false, false, false, false, false}},
      {"a line a year ahead", {0, 60, Y, 120, 180}, {false, false, true, false, false}},
      {"a line far behind", {Y, Y + 60, 40 * 86400.0, Y + 120}, {false, false, true, false}},
      {"a first line far ahead", {Y, 0, 60}, {true, false, false}},
      {"a first line long before the rest",
       {0, 40 * 86400.0, 40 * 86400.0 + 60},
       {false, false, false}},
      {"a last line far off", {Y, Y + 60, 0}, {false, false, false}},
      {"a last line long after the rest", {0, 60, Y}, {false, false, false}},
      {"a gap: the log goes on later",
       {0, 60, 2 * 86400.0, 2 * 86400.0 + 60},
       {false, false, false, false}},
      {"a clock set back", {2 * H, 2 * H + 60, 60, 120}, {false, false, false, false}},
      {"sparse lines", {0, 3 * H, 6 * H, 9 * H}, {false, false, false, false}},
      {"just under an hour off", {0, 60, 60 + H - 1, 120}, {false, false, false, false}},
      {"two lines far off keep each other",
       {0, 60, Y, Y + 1, 120, 180},
       {false, false, false, false, false, false}},
      {"a line without a stamp is no neighbour",
       {0, 60, Y, -1, 120, 180},
       {false, false, false, false, false, false}},
  };
  for (const Case& c : cases) {
    TimeGuard guard;
    for (std::size_t i = 0; i < c.times.size(); ++i) {
      auto at = [&c](std::size_t j) {
        if (j >= c.times.size() || c.times[j] < 0) return LineTime{};
        return LineTime{StampKind::kTime, c.times[j]};
      };
      const Verdict v = guard.judge(at(i), at(i + 1));
      EXPECT_EQ(v == Verdict::kFarOff, c.passed_over[i]) << c.what << ", line " << i + 1;
    }
  }
  TimeGuard guard;
  EXPECT_EQ(guard.judge({StampKind::kImpossible, 0.0}, {}), Verdict::kImpossible);
  EXPECT_EQ(guard.judge({}, {}), Verdict::kUse);
}

// The window reads one line ahead: a byte-order mark at the start is skipped,
// comment lines are left out, and the end of the log is shown only when the
// pass reaches it.
TEST_F(Timeline, WindowSkipsTheByteOrderMarkAndShowsTheEndLast) {
  std::istringstream log(
      "\xEF\xBB\xBF"
      "2014/12/22,13:00:10,B0000001,-61,1\n"
      "# a note\n"
      "2015/12/22,13:01:10,B0000001,-61,1\n"
      "2014/12/22,13:02:10,B0000001,-61,1\n");
  channel_bind_input(10, &log);
  curfile.currentfile = "site.csv";
  LogWindow window(10);
  LogLine line;
  Verdict verdict = Verdict::kUse;
  std::int32_t ier = -1;
  std::vector<std::string> got;
  while (window.next(line, verdict, ier)) {
    EXPECT_EQ(shown(), "");
    got.push_back(std::string(line.trimmed()) + (verdict == Verdict::kFarOff ? " far" : ""));
  }
  EXPECT_EQ(ier, kStripEndOfFile);
  EXPECT_EQ(got, (std::vector<std::string>{"2014/12/22,13:00:10,B0000001,-61,1",
                                           "2015/12/22,13:01:10,B0000001,-61,1 far",
                                           "2014/12/22,13:02:10,B0000001,-61,1"}));
  EXPECT_EQ(shown(), " \n In site.csv error reading (log line) EOF sensed.\n");
}

// The window writes again only the part of the field that held text: every
// line must still arrive whole and blank-padded, after longer and shorter
// lines, and in a field that another caller filled with text of its own.
TEST_F(Timeline, WindowDeliversEachLineWholeWhateverCameBefore) {
  const std::string long_line = "2014/12/22,13:00:10,B0000001," + std::string(600, '7');
  const std::string lines[] = {
      long_line,
      "2014/12/22,13:00:20,B0000002,-61,1",
      "",
      "2014/12/22,13:00:30,B0000003,-61,1  # a note " + std::string(300, 'n'),
      long_line.substr(0, 400),
      "2014/12/22,13:00:40,B0000004",
      "x",
  };
  std::string text;
  for (const std::string& l : lines) text += l + "\n";
  std::istringstream log(text);
  channel_bind_input(10, &log);
  LogWindow window(10);
  LogLine line;
  LogLine other(std::string(kLineWidth, 'z'));
  Verdict verdict = Verdict::kUse;
  std::int32_t ier = 0;
  for (std::size_t i = 0; i < std::size(lines); ++i) {
    // The fifth line goes to the other field, the sixth back to the first.
    LogLine& into = i == 4 ? other : line;
    ASSERT_TRUE(window.next(into, verdict, ier)) << i;
    std::string expected = lines[i].substr(0, lines[i].find('#'));
    expected.resize(kLineWidth, ' ');
    EXPECT_EQ(into.view(), expected) << i;
  }
  EXPECT_FALSE(window.next(line, verdict, ier));
}

TEST_F(Timeline, PassedOverLinesAreNamed) {
  warn_passed_over(Verdict::kImpossible, LogLine("2014/13/05,12:00:10,A0000001"));
  warn_passed_over(Verdict::kFarOff, LogLine("2015/12/22,13:01:10,B0000001"));
  EXPECT_EQ(shown(),
            " warning: impossible date or time, line passed over: 2014/13/05,12:00:10,A0000001\n"
            " warning: time far from the lines around it, line passed over: "
            "2015/12/22,13:01:10,B0000001\n");
}

}  // namespace
}  // namespace vud
