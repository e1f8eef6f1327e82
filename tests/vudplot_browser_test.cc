// The browser test of vudplot: headless Chromium opens pages made from
// generated reports (QTV 2 and MOLVA, one sensor and twelve, a day and a year)
// and the test checks that each page loaded without a console message, that
// each chart's SVG is there with one path per sensor, and that each chart's
// plotting area in a screenshot holds pixels of the sensors' colours.
//
// Usage: vudplot_browser_test WORKDIR. Needs Chromium ("chromium" or
// "chromium-browser" on the PATH, or the program named by VUDPLOT_CHROMIUM);
// without it the test says so and ends with status 77 (skipped).
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e_util.h"
#include "tests/png_image.h"

namespace {

using e2e::read_file;

constexpr int kSkipped = 77;

int failures = 0;

void fail(const std::string& page, const std::string& what) {
  std::printf("FAIL %s: %s\n", page.c_str(), what.c_str());
  ++failures;
}

// Runs a shell command; true when it exits with status 0.
bool sh(const std::string& cmd) {
  const int rc = std::system(cmd.c_str());
  return rc != -1 && WIFEXITED(rc) && WEXITSTATUS(rc) == 0;
}

std::string find_chromium() {
  if (const char* env = std::getenv("VUDPLOT_CHROMIUM"); env != nullptr && *env != '\0') return env;
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "/usr/bin:/bin");
  std::string dir;
  while (std::getline(dirs, dir, ':'))
    for (const char* name : {"chromium", "chromium-browser"}) {
      const std::string p = (dir.empty() ? "." : dir) + "/" + name;
      if (::access(p.c_str(), X_OK) == 0) return p;
    }
  return "";
}

// The value of attribute `name` in the tag that starts at `from`.
std::string attr(const std::string& dom, std::size_t from, const std::string& name) {
  const std::size_t end = dom.find('>', from);
  const std::size_t p = dom.find(" " + name + "=\"", from);
  if (p == std::string::npos || p > end) return "";
  const std::size_t v = p + name.size() + 3;
  return dom.substr(v, dom.find('"', v) - v);
}

struct Chart {
  std::string measurement;
  int x = 0, y = 0, w = 0, h = 0;
  std::vector<std::string> sensors, colours;
};

// The charts of a dumped page.
std::vector<Chart> charts_of(const std::string& dom) {
  std::vector<Chart> charts;
  for (std::size_t p = dom.find("<svg class=\"chart\""); p != std::string::npos;
       p = dom.find("<svg class=\"chart\"", p + 1)) {
    Chart c;
    c.measurement = attr(dom, p, "data-measurement");
    std::sscanf(attr(dom, p, "data-box").c_str(), "%d,%d,%d,%d", &c.x, &c.y, &c.w, &c.h);
    const std::size_t end = dom.find("</svg>", p);
    for (std::size_t q = dom.find("<path class=\"line\"", p); q < end;
         q = dom.find("<path class=\"line\"", q + 1)) {
      c.sensors.push_back(attr(dom, q, "data-sensor"));
      c.colours.push_back(attr(dom, q, "stroke"));
    }
    charts.push_back(std::move(c));
  }
  return charts;
}

// Pixels of colour `hex` ("#rrggbb") in the inside of a chart's plotting area.
int pixels_of(const png_test::Image& img, const Chart& c, const std::string& hex) {
  unsigned r = 0, g = 0, b = 0;
  if (std::sscanf(hex.c_str(), "#%02x%02x%02x", &r, &g, &b) != 3) return 0;
  int n = 0;
  for (int y = c.y + 1; y < c.y + c.h - 1 && y < img.height; ++y)
    for (int x = c.x + 1; x < c.x + c.w - 1 && x < img.width; ++x) {
      const std::uint8_t* p = img.at(x, y);
      if (std::abs(p[0] - static_cast<int>(r)) <= 12 &&
          std::abs(p[1] - static_cast<int>(g)) <= 12 && std::abs(p[2] - static_cast<int>(b)) <= 12)
        ++n;
    }
  return n;
}

struct Browser {
  std::string bin, profile, work;

  std::string command(const std::string& url, const std::string& what) const {
    // As root Chromium runs only without its sandbox; no display, no input.
    return "timeout 180 " + e2e::shell_quote(bin) +
           " --headless --no-sandbox --disable-gpu --disable-dev-shm-usage --no-first-run"
           " --no-default-browser-check --disable-extensions --hide-scrollbars"
           " --force-device-scale-factor=1 --user-data-dir=" +
           e2e::shell_quote(profile) + " --enable-logging=stderr --v=0 " + what + " " +
           e2e::shell_quote(url) + " < /dev/null";
  }
};

struct PageCase {
  std::string name;     // also the page's file name
  std::string report;   // the report, in the work directory
  std::size_t charts;   // charts expected
  std::size_t sensors;  // paths expected in each chart
};

void check_page(const Browser& br, const std::string& vudplot, const PageCase& pc) {
  const std::string dir = br.work;
  const std::string page = dir + "/" + pc.name + ".html";
  if (!sh(e2e::shell_quote(vudplot) + " -o " + e2e::shell_quote(page) + " " +
          e2e::shell_quote(dir + "/" + pc.report) + " 2> " +
          e2e::shell_quote(dir + "/" + pc.name + ".vudplot.err"))) {
    fail(pc.name, "vudplot failed: " + read_file(dir + "/" + pc.name + ".vudplot.err"));
    return;
  }
  const std::string url = "file://" + page;
  const std::string dom_file = dir + "/" + pc.name + ".dom",
                    log_file = dir + "/" + pc.name + ".log";
  if (!sh(br.command(url, "--dump-dom") + " > " + e2e::shell_quote(dom_file) + " 2> " +
          e2e::shell_quote(log_file))) {
    fail(pc.name, "chromium --dump-dom failed; its log is " + log_file);
    return;
  }
  const std::string dom = read_file(dom_file), log = read_file(log_file);

  // Loaded without errors: no console message at all, and the script ran to its end.
  std::istringstream lines(log);
  for (std::string line; std::getline(lines, line);)
    if (line.find(":CONSOLE") != std::string::npos) fail(pc.name, "console: " + line);
  const std::size_t body = dom.find("<body");
  const int height =
      body == std::string::npos ? 0 : std::atoi(attr(dom, body, "data-height").c_str());
  if (height <= 0) fail(pc.name, "the page's script did not run to its end (no data-height)");

  const std::vector<Chart> charts = charts_of(dom);
  if (charts.size() != pc.charts)
    fail(pc.name, std::to_string(charts.size()) + " charts, expected " + std::to_string(pc.charts));
  for (const Chart& c : charts) {
    if (c.sensors.size() != pc.sensors)
      fail(pc.name, c.measurement + ": " + std::to_string(c.sensors.size()) + " paths, expected " +
                        std::to_string(pc.sensors));
    if (c.w <= 0 || c.h <= 0) fail(pc.name, c.measurement + ": no data-box");
  }
  if (height <= 0 || charts.empty()) return;

  const std::string shot = dir + "/" + pc.name + ".png";
  if (!sh(br.command(url, "--window-size=1100," + std::to_string(height + 16) +
                              " --screenshot=" + e2e::shell_quote(shot)) +
          " > /dev/null 2> " + e2e::shell_quote(dir + "/" + pc.name + ".shot.log"))) {
    fail(pc.name, "chromium --screenshot failed");
    return;
  }
  png_test::Image img;
  std::string why;
  if (!png_test::decode_png(read_file(shot), img, why)) {
    fail(pc.name, "screenshot: " + why);
    return;
  }
  // Continuous measurements differ from sensor to sensor, so every sensor's
  // colour shows; counts (PIR, switch) often coincide, and a line drawn later
  // hides an equal one, so there at least one sensor's colour shows.
  std::string summary;
  for (const Chart& c : charts) {
    int seen = 0;
    for (std::size_t s = 0; s < c.colours.size(); ++s) {
      if (pixels_of(img, c, c.colours[s]) >= 4) {
        ++seen;
      } else if (c.measurement != "PIR" && c.measurement != "SW") {
        fail(pc.name, c.measurement + ": no pixels of " + c.sensors[s] + "'s colour " +
                          c.colours[s] + " in " + shot);
      }
    }
    if (seen == 0) fail(pc.name, c.measurement + ": no sensor's colour drawn in " + shot);
    summary +=
        " " + c.measurement + " " + std::to_string(seen) + "/" + std::to_string(c.colours.size());
  }
  std::printf("page %s: %zu charts, colours seen:%s (%s)\n", pc.name.c_str(), charts.size(),
              summary.c_str(), shot.c_str());
}

// The first entry of the "sensor list " line of a report.
std::string first_sensor(const std::string& report) {
  const std::string text = read_file(report);
  const std::size_t p = text.find("sensor list ");
  if (p == std::string::npos) return "";
  const std::size_t v = p + 12;
  return text.substr(v, text.find_first_of(",\n", v) - v);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr,
                 "usage: vudplot_browser_test WORKDIR VUDLOGGEN VUDSTATS VUDSTATS64 VUDPLOT\n");
    return 2;
  }
  auto full = [](const char* p) { return std::filesystem::absolute(p).string(); };
  const std::string work = full(argv[1]), gen = full(argv[2]), vudstats = full(argv[3]),
                    vudstats64 = full(argv[4]), vudplot = full(argv[5]);
  Browser br;
  br.bin = find_chromium();
  if (br.bin.empty()) {
    std::printf(
        "SKIPPED: Chromium is not installed (Debian package 'chromium'), so the browser "
        "test of vudplot did not run.\n");
    return kSkipped;
  }
  std::printf("browser: %s\n", br.bin.c_str());
  std::error_code ec;
  std::filesystem::remove_all(work, ec);
  std::filesystem::create_directories(work);
  br.work = work;
  std::string profile =
      (std::filesystem::temp_directory_path() / "vudplot-chromium.XXXXXX").string();
  if (mkdtemp(profile.data()) == nullptr) {
    std::printf("FAIL: cannot make a profile directory\n");
    return 1;
  }
  br.profile = profile;

  // Logs and reports: a day of one-minute packets, a year of hourly ones.
  const std::string w = e2e::shell_quote(work) + "/";
  const std::string year = " -interval 3600 -span 31536000 -start 2014/01/01,00:00:00";
  const std::string day = " -interval 60 -span 86400 -start 2015/06/03,00:00:00";
  const struct {
    std::string log, gen_args, stats_args;
  } kLogs[] = {
      {"qday.csv", "-sensors 12 -kind2 4 -seed 3" + day, "-act 2"},
      {"qyear.csv", "-sensors 12 -kind2 4 -seed 4" + year, "-act 2"},
      {"mday.log", "-layout molva_short -sensors 12 -seed 5" + day, "-act s"},
      {"myear.log", "-layout molva -sensors 12 -seed 6" + year, "-act b"},
  };
  for (const auto& l : kLogs) {
    if (!sh(e2e::shell_quote(gen) + " " + l.gen_args + " -o " + w + l.log) ||
        !sh("cd " + e2e::shell_quote(work) + " && " + e2e::shell_quote(vudstats) + " " +
            l.stats_args + " " + l.log + " < /dev/null > " + l.log + ".out 2>&1")) {
      std::printf("FAIL: cannot make the report of %s (see %s/%s.out)\n", l.log.c_str(),
                  work.c_str(), l.log.c_str());
      return 1;
    }
  }
  const std::string qname = first_sensor(work + "/qday.text");
  const std::string mindex = first_sensor(work + "/mday.logtext");
  if (!sh("cd " + e2e::shell_quote(work) + " && " + e2e::shell_quote(vudstats64) +
          " -act 2 -nolux -name " + e2e::shell_quote(qname) +
          " qday.csv < /dev/null > qday1.out 2>&1") ||
      !sh("cd " + e2e::shell_quote(work) + " && " + e2e::shell_quote(vudstats) + " -act s -sen " +
          e2e::shell_quote(mindex) + " mday.log < /dev/null > mday1.out 2>&1")) {
    std::printf("FAIL: cannot make the restricted reports (sensors %s, %s)\n", qname.c_str(),
                mindex.c_str());
    return 1;
  }
  char mfile[32];
  std::snprintf(mfile, sizeof mfile, "mday.log-%03d.text", std::atoi(mindex.c_str()));

  const PageCase kPages[] = {
      {"qtv2-day-12", "qday.text", 5, 12},   {"qtv2-day-1", "qday-" + qname + ".text", 4, 1},
      {"qtv2-year-12", "qyear.text", 5, 12}, {"molva-day-12", "mday.logtext", 5, 12},
      {"molva-day-1", mfile, 5, 1},          {"molva-year-12", "myear.logtext", 5, 12},
  };
  for (const PageCase& pc : kPages) check_page(br, vudplot, pc);

  std::filesystem::remove_all(profile, ec);
  if (failures > 0) {
    std::printf("%d failures; pages, logs and screenshots are in %s\n", failures, work.c_str());
    return 1;
  }
  std::printf("all pages drawn; screenshots in %s\n", work.c_str());
  return 0;
}
