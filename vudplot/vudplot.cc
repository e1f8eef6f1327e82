// vudplot: a report of vudstats as a page of charts. The stages in order:
// options, the report's head, a first pass over the rows for the time span,
// a second pass that reduces every line to the pixel columns, the page.
#include "vudplot/vudplot.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "vudplot/axes.h"

namespace vudplot {
namespace {

constexpr const char* kUsage =
    "usage: vudplot [-o PAGE] REPORT\n"
    "  Reads a report written by vudstats or vudstats64 and writes one HTML page\n"
    "  with a chart per measurement and a line per sensor.\n"
    "  -o PAGE   write the page to PAGE (replacing it), or to the standard output\n"
    "            when PAGE is '-'; by default the page is written beside the\n"
    "            report, named after it ('site.text' gives 'site.html'), and an\n"
    "            existing file of that name is not replaced\n"
    "  -h        show this text\n";

void say(std::string_view text) {
  std::fprintf(stderr, "vudplot: %.*s\n", static_cast<int>(text.size()), text.data());
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool is_end_line(std::string_view line) { return trim(line) == "# end"; }
bool is_comment(std::string_view line) {
  const std::string_view t = trim(line);
  return t.empty() || t.front() == '#';
}

std::int64_t count_fields(std::string_view values) {
  if (trim(values).empty()) return 0;
  std::int64_t n = 1;
  for (char c : values) n += c == ',';
  return n;
}

std::string read_failure(LineStatus st, std::int64_t line) {
  if (st == LineStatus::kTooLong)
    return "line " + std::to_string(line) + " is far longer than a report row: not a report";
  return std::string("cannot be read: ") + std::strerror(errno);
}

enum class NextRow { kRow, kEnd, kFailed };

// Reads the next line of the report into row, with its line number: kRow, or
// kEnd at the end of the file, or kFailed with why set when it cannot be read
// or is far too long for a report.
NextRow next_row(LineReader& in, std::string& row, bool& ended, std::int64_t& line_no,
                 std::string& why) {
  line_no = in.number() + 1;
  const LineStatus st = read_row(in, row, ended);
  if (st == LineStatus::kEnd) return NextRow::kEnd;
  if (st != LineStatus::kLine) {
    why = read_failure(st, line_no);
    return NextRow::kFailed;
  }
  return NextRow::kRow;
}

std::string base_name(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// "s023_RH: 3, s182_RH: 1" for the columns with a count, at most eight of them.
std::string column_counts(const ReportHead& head, const std::vector<std::int64_t>& counts) {
  std::string s;
  int shown = 0, more = 0;
  for (std::size_t c = 0; c < counts.size(); ++c) {
    if (counts[c] == 0) continue;
    if (shown == 8) {
      ++more;
      continue;
    }
    if (shown++ > 0) s += ", ";
    s += head.columns[c].sensor;
    if (!head.columns[c].measurement.empty()) s += "_" + head.columns[c].measurement;
    s += ": " + std::to_string(counts[c]);
  }
  if (more > 0) s += " and " + std::to_string(more) + " more columns";
  return s;
}

}  // namespace

bool parse_options(int argc, char** argv, Options& opt, int& status) {
  opt = Options{};
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (a == "-h" || a == "--help" || a == "-help") {
      std::fputs(kUsage, stdout);
      status = 0;
      return false;
    }
    if (a == "-o") {
      if (i + 1 >= argc || argv[i + 1][0] == '\0') {
        say("-o needs the name of the page");
        std::fputs(kUsage, stderr);
        status = 1;
        return false;
      }
      opt.page = argv[++i];
      opt.page_named = true;
    } else if (a.size() > 1 && a.front() == '-') {
      say("unknown option " + std::string(a));
      std::fputs(kUsage, stderr);
      status = 1;
      return false;
    } else if (!opt.report.empty()) {
      say("one report at a time (" + opt.report + " and " + std::string(a) + ")");
      status = 1;
      return false;
    } else {
      opt.report = a;
    }
  }
  if (opt.report.empty()) {
    say("no report given");
    std::fputs(kUsage, stderr);
    status = 1;
    return false;
  }
  if (opt.report == "-") {
    say("the report is read twice, so it must be a file, not the standard input");
    status = 1;
    return false;
  }
  if (!opt.page_named) opt.page = default_page_name(opt.report);
  return true;
}

std::string default_page_name(const std::string& report) {
  const std::size_t slash = report.rfind('/');
  const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = report.rfind('.');
  if (dot != std::string::npos && dot > start) return report.substr(0, dot) + ".html";
  return report + ".html";
}

std::int64_t gap_of(const std::vector<std::int64_t>& minutes) {
  std::int64_t total = 0;
  for (std::int64_t n : minutes) total += n;
  if (total == 0) return kLeastGap;
  std::int64_t seen = 0;
  std::size_t median = 0;
  for (; median < minutes.size(); ++median) {
    seen += minutes[median];
    if (2 * seen >= total) break;
  }
  const std::int64_t gap = 3 * 60 * static_cast<std::int64_t>(median);
  return gap > kLeastGap ? gap : kLeastGap;
}

bool survey_rows(LineReader& in, const ReportHead& head, RowSurvey& sv, std::string& why) {
  sv = RowSurvey{};
  std::vector<std::int64_t> minutes(24 * 60 + 1, 0);
  std::string row;
  std::int64_t rows = 0;
  // The latest row is folded into the figures only once another line follows
  // it, so an incomplete last row can still be left out.
  bool pending = false, pending_ended = true, have_prev = false;
  std::int64_t pending_t = 0, pending_line = 0, pending_fields = 0, prev_t = 0;
  auto fold = [&]() {
    if (!pending) return;
    if (rows == 0 || pending_t < sv.first) sv.first = pending_t;
    if (rows == 0 || pending_t > sv.last) sv.last = pending_t;
    if (have_prev && pending_t > prev_t) {
      const std::int64_t m = (pending_t - prev_t) / 60;
      ++minutes[static_cast<std::size_t>(m < 24 * 60 ? m : 24 * 60)];
    }
    prev_t = pending_t;
    have_prev = true;
    ++rows;
    pending = false;
  };
  for (;;) {
    bool ended = true;
    std::int64_t line_no = 0;
    const NextRow got = next_row(in, row, ended, line_no, why);
    if (got == NextRow::kEnd) break;
    if (got == NextRow::kFailed) return false;
    if (is_end_line(row)) {
      sv.closed = true;
      break;
    }
    if (is_comment(row)) continue;
    std::int64_t t = 0;
    std::string_view values;
    if (!parse_row_start(row, t, values)) {
      if (sv.stray_lines++ == 0) sv.first_stray = line_no;
      continue;
    }
    fold();
    pending = true;
    pending_t = t;
    pending_line = line_no;
    pending_ended = ended;
    pending_fields = count_fields(values);
  }
  if (pending) {
    // A report cut short may end in the middle of a row.
    if (!sv.closed &&
        (!pending_ended || pending_fields < static_cast<std::int64_t>(head.columns.size())))
      sv.dropped_line = pending_line;
    else
      fold();
  }
  sv.rows = rows;
  if (rows == 0) {
    why = sv.dropped_line != 0 ? "the report holds no complete row: nothing to draw"
                               : "the report holds no rows: nothing to draw";
    return false;
  }
  sv.gap = gap_of(minutes);
  return true;
}

bool draw_rows(LineReader& in, const RowSurvey& sv, Plot& plot, std::string& why) {
  const ReportHead& head = plot.head;
  const std::size_t ncol = head.columns.size();
  // Where each column's values go.
  std::vector<Reducer*> line_of(ncol, nullptr);
  for (Chart& c : plot.charts)
    for (Line& l : c.lines) line_of[static_cast<std::size_t>(l.column)] = &l.values;

  enum : unsigned char { kValue, kMissing, kUnreadable, kNotFinite };
  std::vector<float> vals(ncol, 0.0f);
  std::vector<unsigned char> state(ncol, kValue);
  std::vector<unsigned char> heard(head.sensors.size(), 0);
  std::vector<std::int64_t> not_finite(ncol, 0), unreadable(ncol, 0);
  std::int64_t short_rows = 0, long_rows = 0;
  bool have_prev = false;
  std::int64_t prev_t = 0;
  std::string row;

  for (;;) {
    bool ended = true;
    std::int64_t line_no = 0;
    const NextRow got = next_row(in, row, ended, line_no, why);
    if (got == NextRow::kEnd) break;
    if (got == NextRow::kFailed) return false;
    if (is_end_line(row)) break;
    if (line_no == sv.dropped_line) break;
    std::int64_t t = 0;
    std::string_view rest;
    if (is_comment(row) || !parse_row_start(row, t, rest)) continue;

    if (have_prev && (t - prev_t > sv.gap || t < prev_t))
      for (Reducer* r : line_of) r->gap();
    have_prev = true;
    prev_t = t;

    std::size_t c = 0;
    std::string_view text;
    while (next_field(rest, text)) {
      if (c == ncol) {
        ++long_rows;
        break;
      }
      float v = 0;
      if (!parse_value(text, v)) {
        state[c] = kUnreadable;
        ++unreadable[c];
      } else if (!std::isfinite(v)) {
        state[c] = kNotFinite;
        ++not_finite[c];
      } else {
        state[c] = kValue;
        vals[c] = v;
      }
      ++c;
    }
    if (c < ncol) ++short_rows;
    for (; c < ncol; ++c) state[c] = kMissing;

    // A sensor not heard yet shows 0 in every column; a missing value tells nothing.
    for (std::size_t k = 0; k < ncol; ++k)
      if ((state[k] == kValue && vals[k] != 0.0f) || state[k] == kUnreadable ||
          state[k] == kNotFinite)
        heard[static_cast<std::size_t>(head.sensor_of[k])] = 1;
    for (std::size_t k = 0; k < ncol; ++k) {
      if (!heard[static_cast<std::size_t>(head.sensor_of[k])]) continue;
      if (state[k] == kValue)
        line_of[k]->add(column_of(t, plot.t0, plot.t1, kColumns), vals[k]);
      else
        line_of[k]->gap();
    }
  }
  for (Reducer* r : line_of) r->finish();

  // What the page could not draw.
  auto total = [](const std::vector<std::int64_t>& v) {
    std::int64_t n = 0;
    for (std::int64_t x : v) n += x;
    return n;
  };
  if (!sv.closed)
    plot.notes.push_back(
        "The report does not end with its closing line '# end': it may have been "
        "cut short.");
  if (sv.dropped_line != 0)
    plot.notes.push_back("The last row (line " + std::to_string(sv.dropped_line) +
                         ") is incomplete and is not drawn.");
  if (sv.stray_lines > 0)
    plot.notes.push_back(std::to_string(sv.stray_lines) +
                         (sv.stray_lines == 1 ? " line is" : " lines are") +
                         " not a row of the report and not drawn (the first is line " +
                         std::to_string(sv.first_stray) + ").");
  if (const std::int64_t n = total(not_finite); n > 0)
    plot.notes.push_back(std::to_string(n) + (n == 1 ? " value is" : " values are") +
                         " 'NaN' or 'Infinity' and not drawn; the lines have gaps there (" +
                         column_counts(head, not_finite) + ").");
  if (const std::int64_t n = total(unreadable); n > 0)
    plot.notes.push_back(std::to_string(n) + (n == 1 ? " value is" : " values are") +
                         " not a number and not drawn (" + column_counts(head, unreadable) + ").");
  if (short_rows > 0)
    plot.notes.push_back(std::to_string(short_rows) +
                         (short_rows == 1 ? " row has" : " rows have") +
                         " fewer values than the report has columns; the lines have gaps there.");
  if (long_rows > 0)
    plot.notes.push_back(std::to_string(long_rows) + (long_rows == 1 ? " row has" : " rows have") +
                         " more values than the report has columns; the extra values are not "
                         "drawn.");
  return true;
}

bool save_page(const Options& opt, const std::string& page, std::string& why) {
  if (opt.page == "-") {
    if (std::fwrite(page.data(), 1, page.size(), stdout) != page.size() ||
        std::fflush(stdout) != 0) {
      why = std::string("cannot write the page to the standard output: ") + std::strerror(errno);
      return false;
    }
    return true;
  }
  struct stat st_page, st_report;
  const bool page_exists = ::stat(opt.page.c_str(), &st_page) == 0;
  if (page_exists && ::stat(opt.report.c_str(), &st_report) == 0 &&
      st_page.st_dev == st_report.st_dev && st_page.st_ino == st_report.st_ino) {
    why = opt.page + " is the report itself; name another page with -o";
    return false;
  }
  if (page_exists && !opt.page_named) {
    why = opt.page + " exists; name it with -o to replace it";
    return false;
  }
  std::string temp = opt.page + ".XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    why = "cannot write " + opt.page + ": " + std::strerror(errno);
    return false;
  }
  // mkstemp makes the file private; the page gets the permissions of any new file.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  bool ok = ::fchmod(fd, 0666 & ~mask) == 0;
  std::size_t done = 0;
  while (ok && done < page.size()) {
    const ssize_t n = ::write(fd, page.data() + done, page.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      ok = false;
    else
      done += static_cast<std::size_t>(n);
  }
  const int saved = errno;
  if (::close(fd) != 0) ok = false;
  if (ok && ::rename(temp.c_str(), opt.page.c_str()) == 0) return true;
  why = "cannot write " + opt.page + ": " + std::strerror(ok ? errno : saved);
  ::unlink(temp.c_str());
  return false;
}

int run_vudplot(int argc, char** argv) {
  Options opt;
  int status = 1;
  if (!parse_options(argc, argv, opt, status)) return status;

  std::FILE* f = std::fopen(opt.report.c_str(), "rb");
  if (f == nullptr) {
    say(opt.report + ": cannot open: " + std::strerror(errno));
    return 1;
  }
  std::string why;
  Plot plot;
  plot.name = base_name(opt.report);
  RowSurvey sv;
  bool ok = false;
  {
    LineReader in(f);
    ok = read_head(in, plot.head, why);
    if (ok && plot.head.columns.empty()) {
      why = "the column-name line names no value columns: nothing to draw";
      ok = false;
    }
    ok = ok && survey_rows(in, plot.head, sv, why);
  }
  if (ok && std::fseek(f, 0, SEEK_SET) != 0) {
    why = "cannot be read a second time (it must be a file, not a pipe)";
    ok = false;
  }
  if (ok) {
    LineReader again(f);
    ReportHead head;
    ok = read_head(again, head, why);
    plot.charts = charts_of(plot.head);
    plot.rows = sv.rows;
    plot.first = sv.first;
    plot.last = sv.last;
    plot.t0 = sv.first == sv.last ? sv.first - 1800 : sv.first;
    plot.t1 = sv.first == sv.last ? sv.last + 1800 : sv.last;
    widen_to_ticks(plot.t0, plot.t1, kMostTimeTicks);
    ok = ok && draw_rows(again, sv, plot, why);
  }
  std::fclose(f);
  if (!ok) {
    say(opt.report + ": " + why);
    return 1;
  }
  for (const std::string& n : plot.notes) say(opt.report + ": " + n);

  std::string page;
  write_page(plot, page);
  if (!save_page(opt, page, why)) {
    say(why);
    return 1;
  }
  return 0;
}

}  // namespace vudplot
