// Whole-program tests of vudstats on logs as receivers write them today:
// dates of any year from 2000 to 2099, logs that run past New Year, lines
// whose stamp cannot exist or lies far from the lines around it, MOLVA lines
// cut off early, words that are no numbers, captures of several years through
// jex2csv, and logs of 2 GiB and more. Most logs come from vudloggen and
// jexcapgen; a damaged log is checked against the same log without the
// damaged lines.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/vudstats_e2e.h"

namespace vud_e2e {
namespace {

std::vector<std::string> split(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

std::string replace_all(std::string s, std::string_view from, std::string_view to) {
  for (std::size_t p = 0; (p = s.find(from, p)) != std::string::npos; p += to.size()) {
    s.replace(p, from.size(), to);
  }
  return s;
}

// The rows of a report: the lines between the column-header line and "# end".
std::vector<std::string> rows_of(const std::string& report) {
  std::vector<std::string> all = split(report);
  std::vector<std::string> rows;
  bool in_rows = false;
  for (const std::string& l : all) {
    if (l == "# end") break;
    if (in_rows) rows.push_back(l);
    if (l.rfind("JulianTime,", 0) == 0) in_rows = true;
  }
  return rows;
}

// The day number a row of the step labelled 'YYYY/MM/DD,hh:mm' (or with "-"
// and a blank, MOLVA) must show in a log whose first year is y0: day of the
// year + 365 (year - y0), then the hour mark and the five-minute steps, in
// 4-byte reals, with six decimals in 10 columns.
std::string day_number_text(std::string_view label, int y0) {
  static constexpr int kBefore[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  auto num = [label](std::size_t at, std::size_t n) {
    return std::stoi(std::string(label.substr(at, n)));
  };
  const int ijday = kBefore[num(5, 2) - 1] + num(8, 2) + 365 * (num(0, 4) - y0);
  const float hour = static_cast<float>(3600 * num(11, 2)) / 86400.0F;
  const float five = 300.0F / 86400.0F;
  const float day = (static_cast<float>(ijday) + hour) + static_cast<float>(num(14, 2) / 5) * five;
  char b[32];
  std::snprintf(b, sizeof b, "%10.6f", static_cast<double>(day));
  return b;
}

// Every row shows the day number its step label gives, counted from year y0,
// and the day numbers never go back.
void expect_rows_follow_their_labels(const std::vector<std::string>& rows, int y0) {
  std::string last;
  for (const std::string& row : rows) {
    ASSERT_GT(row.size(), 28u) << row;
    const std::string day = row.substr(0, 10);
    EXPECT_EQ(day, day_number_text(row.substr(11, 16), y0)) << row;
    if (!last.empty()) {
      EXPECT_GE(std::stod(day), std::stod(last)) << row;
    }
    last = day;
  }
}

// The log made by vudloggen with the given options.
class Generated : public E2eTest {
 protected:
  std::string generate(std::vector<std::string> options) {
    options.insert(options.end(), {"-o", "gen.log"});
    const RunResult gen = run(vudloggen_bin(), options);
    EXPECT_EQ(gen.status, 0) << gen.err;
    const std::string log = read_file("gen.log");
    std::remove(path("gen.log").c_str());
    return log;
  }
  // Runs vudstats on log (written as `name`) and returns its terminal text
  // and the report, which is then removed.
  RunResult report(const std::string& log, const std::string& name,
                   std::vector<std::string> options, std::string& text) {
    write_file(name, log);
    options.push_back(name);
    RunResult r = run(vudstats_bin(), options);
    const std::string report_name = name.size() > 4 && name.substr(name.size() - 4) == ".csv"
                                        ? name.substr(0, name.size() - 3) + "text"
                                        : name + "text";
    text = read_file(report_name);
    std::remove(path(report_name).c_str());
    return r;
  }
};

// A QTV 2 log of any year from 2000 to 2099 is read as one of 2014: the same
// layout, survey, day numbers and values, the date column showing its own
// year. A byte-order mark before the first line changes nothing.
TEST_F(Generated, LogsOfEveryYearFrom2000To2099) {
  auto log_of = [this](const std::string& year) {
    return generate({"-sensors", "3", "-interval", "60", "-span", "3600", "-seed", "9", "-start",
                     year + "/06/30,20:00:00"});
  };
  std::string base_report;
  const RunResult base = report(log_of("2014"), "site.csv", {"-act", "-"}, base_report);
  ASSERT_EQ(base.status, 0);
  ASSERT_EQ(rows_of(base_report).size(), 12u) << base_report;
  ASSERT_EQ(base_report.substr(0, 25), "Vantrel summary from QTV\n");
  for (const std::string year : {"2000", "2019", "2026", "2063", "2099"}) {
    SCOPED_TRACE(year);
    for (const bool mark : {false, true}) {
      std::string text;
      const RunResult r =
          report((mark ? "\xEF\xBB\xBF" : "") + log_of(year), "site.csv", {"-act", "-"}, text);
      EXPECT_EQ(r.status, 0);
      EXPECT_EQ(r.out, base.out);
      EXPECT_EQ(text, replace_all(base_report, ",2014/06/30,", "," + year + "/06/30,"));
    }
  }
}

// A log from 31 December to 1 January: its rows go on past midnight with day
// numbers 366 and on, the date column shows the new year, and the typical
// intervals of the survey stay what they are within a year.
TEST_F(Generated, LogsAcrossNewYear) {
  struct Case {
    const char* layout;
    const char* act;
    const char* new_year;
    std::size_t rows;
  };
  const Case cases[] = {{"qtv2", "2", ",2015/01/01,", 24}, {"molva", "b", ",2015-01-01 ", 120}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.layout);
    const std::vector<std::string> options = {"-layout", c.layout, "-sensors", "2",     "-interval",
                                              "60",      "-span",  "7200",     "-seed", "3"};
    std::vector<std::string> across = options;
    across.insert(across.end(), {"-start", "2014/12/31,23:00:00"});
    std::vector<std::string> within = options;
    within.insert(within.end(), {"-start", "2014/06/30,23:00:00"});

    std::string text;
    const RunResult r = report(generate(across), "site.log", {"-act", c.act}, text);
    EXPECT_EQ(r.status, 0);
    const std::vector<std::string> rows = rows_of(text);
    ASSERT_EQ(rows.size(), c.rows) << text;  // MOLVA: a row each time both sensors were heard
    EXPECT_EQ(rows.front().substr(0, 10), "365.958344");
    EXPECT_EQ(rows.back().substr(0, 10), "366.038208");
    EXPECT_NE(rows.back().find(c.new_year), std::string::npos) << rows.back();
    expect_rows_follow_their_labels(rows, 2014);

    std::string within_text;
    const RunResult w = report(generate(within), "site.log", {"-act", c.act}, within_text);
    EXPECT_EQ(w.status, 0);
    // The survey table: sensor, hits and typical interval per line. The
    // intervals differ only in the last digits of 4-byte day numbers.
    const auto survey = [](const std::string& out) {
      std::vector<std::pair<std::string, double>> table;
      const std::vector<std::string> shown = split(out);
      auto at =
          std::find(shown.begin(), shown.end(), " Sensor number-of-hits typical-interval (sec)");
      for (++at;
           at != shown.end() && at->rfind("how many", 0) != 0 && at->rfind(" how many", 0) != 0;
           ++at) {
        const std::size_t blank = at->rfind(' ');
        table.emplace_back(at->substr(0, blank), std::stod(at->substr(blank + 1)));
      }
      return table;
    };
    const auto across_table = survey(r.out);
    const auto within_table = survey(w.out);
    ASSERT_EQ(across_table.size(), 2u) << r.out;
    ASSERT_EQ(within_table.size(), 2u) << w.out;
    for (std::size_t i = 0; i < 2; ++i) {
      EXPECT_EQ(across_table[i].first, within_table[i].first);
      EXPECT_GT(across_table[i].second, 59.0);
      EXPECT_NEAR(across_table[i].second, within_table[i].second, 0.05);
    }
  }
}

// Lines whose stamp cannot exist, and single lines stamped far from the lines
// around them, are passed over in both passes: the report and the survey are
// those of the log without them, and each is named once on the terminal.
TEST_F(Generated, DamagedStampsArePassedOverOnce) {
  struct Case {
    const char* layout;
    const char* act;
    const char* option;
    int every;
    const char* warning;
  };
  const Case cases[] = {
      {"qtv2", "2", "-impossible", 7, " warning: impossible date or time, line passed over: "},
      {"molva_short", "s", "-impossible", 5,
       " warning: impossible date or time, line passed over: "},
      {"qtv2", "2", "-faroff", 41,
       " warning: time far from the lines around it, line passed over: "},
      {"molva", "b", "-faroff", 33,
       " warning: time far from the lines around it, line passed over: "},
      {"molva_units", "u", "-faroff", 25,
       " warning: time far from the lines around it, line passed over: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.layout) + " " + c.option);
    const std::vector<std::string> options = {
        "-layout", c.layout, "-sensors", "4",  "-interval", "30",
        "-span",   "5400",   "-seed",    "17", "-start",    "2014/12/31,23:00:00"};
    std::vector<std::string> damaged_options = options;
    damaged_options.insert(damaged_options.end(), {c.option, std::to_string(c.every)});
    const std::vector<std::string> clean = split(generate(options));
    const std::vector<std::string> damaged = split(generate(damaged_options));
    ASSERT_EQ(clean.size(), damaged.size());
    std::vector<std::string> kept, warnings;
    for (std::size_t i = 0; i < clean.size(); ++i) {
      if ((i + 1) % static_cast<std::size_t>(c.every) == 0) {
        ASSERT_NE(damaged[i], clean[i]);
        warnings.push_back(c.warning + damaged[i]);
      } else {
        ASSERT_EQ(damaged[i], clean[i]);
        kept.push_back(clean[i]);
      }
    }

    std::string damaged_report, kept_report;
    const RunResult d = report(lines(damaged), "site.log", {"-act", c.act}, damaged_report);
    const RunResult k = report(lines(kept), "site.log", {"-act", c.act}, kept_report);
    EXPECT_EQ(d.status, 0);
    EXPECT_EQ(k.status, 0);
    EXPECT_GT(rows_of(kept_report).size(), 17u);
    EXPECT_EQ(damaged_report, kept_report);
    std::vector<std::string> shown_warnings, rest;
    for (const std::string& l : split(d.out)) {
      (l.rfind(c.warning, 0) == 0 ? shown_warnings : rest).push_back(l);
    }
    EXPECT_EQ(shown_warnings, warnings);
    EXPECT_EQ(lines(rest), k.out);
  }
}

// MOLVA lines cut off early: the number of PIR packets (field 6) of a line
// that lacks it is the previous line's, never its last PIR reading, and a line
// that lacks its PIR words never shows the packet count as its PIR peak.
TEST_F(Generated, CutOffMolvaLinesKeepThePirPacketCountApart) {
  std::string text;
  const RunResult gen = report(generate({"-layout", "molva", "-sensors", "3", "-interval", "20",
                                         "-lines", "6000", "-seed", "8", "-cut", "3"}),
                               "site.log", {"-act", "b"}, text);
  EXPECT_EQ(gen.status, 0);
  EXPECT_EQ(gen.out.find("Corrupt pir packets"), std::string::npos) << gen.out;
  EXPECT_GT(rows_of(text).size(), 200u);

  // The second line (cut after the version) repeats the first one's sequence
  // number and is skipped; the third (cut before its values) keeps every value
  // of the first, its PIR peak 40 included, not its count of 17 packets.
  std::string first = "MOLVA,1,2014-12-22 13:00:10.000,7,5,3,3,0,39000,850,3000,5000";
  for (int i = 0; i < 24; ++i) first += i == 23 ? ",40" : ",0";
  for (int i = 0; i < 24; ++i) first += ",50";
  const RunResult r = report(lines({first, "MOLVA,2,2014-12-22 13:01:10.000,7,5",
                                    "MOLVA,3,2014-12-22 13:06:10.000,7,5,17,4,0"}),
                             "cut.log", {"-act", "b"}, text);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.find("Corrupt pir packets"), std::string::npos) << r.out;
  const std::vector<std::string> rows = rows_of(text);
  ASSERT_EQ(rows.size(), 2u) << text;
  EXPECT_EQ(rows[0], "356.541656,2014-12-22 13:00,22.756,195.47,25.263,40.000,55.031");
  EXPECT_EQ(rows[1], "356.545135,2014-12-22 13:05,22.756,195.47,25.263,40.000,55.031");
}

// "nan", "inf" and "infinity" in a log field are no numbers: the conversion
// message, and the value keeps what it had (here the humidity of the line
// before), as if that line had carried it.
TEST_F(Generated, NanAndInfinityInLogFieldsAreNoNumbers) {
  const std::vector<std::string> log =
      split(generate({"-sensors", "2", "-interval", "60", "-span", "1800", "-seed", "4"}));
  std::vector<std::string> words = log, kept = log;
  const std::pair<std::size_t, const char*> bad[] = {{2, "nan"}, {4, "INF"}, {6, "-Infinity"}};
  std::string messages;
  auto humidity = [](const std::string& line) {
    std::size_t p = 0;
    for (int f = 0; f < 8; ++f) p = line.find(',', p) + 1;
    return std::make_pair(p, line.find(',', p) - p);
  };
  for (const auto& [i, word] : bad) {
    const auto [at, n] = humidity(log[i]);
    const auto [before_at, before_n] = humidity(log[i - 1]);
    words[i].replace(at, n, word);
    kept[i].replace(at, n, log[i - 1].substr(before_at, before_n));
    messages += std::string("Failed in site.csv: conversion of humidity % value in ") + word + "\n";
  }
  std::string words_report, kept_report;
  const RunResult w = report(lines(words), "site.csv", {"-act", "2"}, words_report);
  const RunResult k = report(lines(kept), "site.csv", {"-act", "2"}, kept_report);
  EXPECT_EQ(w.status, 0);
  EXPECT_EQ(words_report, kept_report);
  EXPECT_EQ(words_report.find("NaN"), std::string::npos);
  EXPECT_EQ(words_report.find("Infinity"), std::string::npos);
  std::string shown_messages, rest;
  for (const std::string& l : split(w.out))
    (l.rfind("Failed in", 0) == 0 ? shown_messages : rest) += l + "\n";
  EXPECT_EQ(shown_messages, messages);
  EXPECT_EQ(rest, k.out);
}

// Captures of several years, and one across New Year, through jex2csv into a
// QTV 2 log and through vudstats into a report: the layout is found, every
// day of the log has its rows, each row's day number is the one its label
// gives, and the rows run to the end of the log. Packets of kind 3 draw the
// range warning and are used.
TEST_F(E2eTest, CapturesOfSeveralYearsRoundTrip) {
  struct Case {
    const char* start;
    const char* records;
  };
  const Case cases[] = {{"2015/06/03", "600"},
                        {"2026/03/14,08:00:00", "600"},
                        {"2063/07/01", "600"},
                        {"2025/12/31,21:00:00", "1500"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.start);
    const RunResult cap =
        run(jexcapgen_bin(), {"-r", c.records, "-s", "5", "-d", c.start, "cap.jex"});
    ASSERT_EQ(cap.status, 0) << cap.err;
    const RunResult conv = run(jex2csv_bin(), {"cap.jex", "site.csv"});
    ASSERT_EQ(conv.status, 0) << conv.err;
    const std::vector<std::string> log = split(read_file("site.csv"));
    ASSERT_GT(log.size(), 400u);
    std::remove(path("site.text").c_str());
    const RunResult r = run(vudstats_bin(), {"-act", "-", "site.csv"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find(" the env packet value (3) > normal maximum 2!"), std::string::npos);
    const std::string text = read_file("site.text");
    EXPECT_EQ(text.substr(0, 25), "Vantrel summary from QTV\n");
    const std::vector<std::string> rows = rows_of(text);
    ASSERT_GT(rows.size(), 20u) << text;
    expect_rows_follow_their_labels(rows, std::stoi(log.front().substr(0, 4)));

    std::set<std::string> log_days, row_days;
    for (const std::string& l : log) log_days.insert(l.substr(0, 10));
    for (const std::string& row : rows) row_days.insert(row.substr(11, 10));
    EXPECT_EQ(row_days, log_days);
    // The last row is the step of the last line, or at most a step before it.
    const std::string last = log.back().substr(0, 16);  // 'YYYY/MM/DD,hh:mm'
    const double last_line = std::stod(day_number_text(last, std::stoi(log.front().substr(0, 4))));
    EXPECT_LE(last_line - std::stod(rows.back().substr(0, 10)), 600.0 / 86400.0) << rows.back();
  }
}

// Logs of 2 GiB and more are opened and read to their end in every build, the
// 32-bit one included. The log is sparse: a few packets, about 2 GiB of
// comment lines of one MiB each (a "#", zero bytes, a line end), then more
// packets; the report is that of the packets alone.
TEST_F(E2eTest, LogsOfTwoGibibytesAndMore) {
  const std::string head =
      "2014/12/22,13:00:10,B0000001,-61,1,1,0,2950,51.20,215,120,14,5,0\n"
      "2014/12/22,13:01:10,B0000001,-61,1,2,0,2950,51.40,216,121,14,6,0\n";
  const std::string tail =
      "2014/12/22,13:05:10,B0000001,-61,1,3,0,2950,51.60,217,122,15,8,0\n"
      "2014/12/22,13:10:10,B0000001,-61,1,4,0,2950,51.80,218,123,15,10,0\n";
  write_file("small.csv", head + tail);
  ASSERT_EQ(run(vudstats_bin(), {"-act", "2", "small.csv"}).status, 0);
  {
    std::ofstream f(path("big.csv"), std::ios::binary);
    f << head;
    constexpr std::streamoff kMiB = std::streamoff{1} << 20;
    std::streamoff at = static_cast<std::streamoff>(head.size());
    while (at < (std::streamoff{2} << 30) + kMiB) {
      f.seekp(at);
      f.put('#');
      f.seekp(at + kMiB - 1);
      f.put('\n');
      at += kMiB;
    }
    f.seekp(at);
    f << tail;
    ASSERT_TRUE(f.good());
  }
  const RunResult r = run(vudstats_bin(), {"-act", "2", "big.csv"});
  std::remove(path("big.csv").c_str());
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(read_file("big.text"), read_file("small.text"));
  EXPECT_EQ(rows_of(read_file("big.text")).size(), 3u);
}

}  // namespace
}  // namespace vud_e2e
