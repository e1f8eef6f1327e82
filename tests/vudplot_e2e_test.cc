// Whole-program tests of vudplot on reports that the built vudstats and
// vudstats64 write from generated logs: both layouts, whole and restricted,
// with include flags; values written 'NaN'/'Infinity'; a report cut short.
#include <string>
#include <vector>

#include "tests/vudstats_e2e.h"

namespace vud_e2e {
namespace {

inline const char* vudplot_bin() { return VUDPLOT_BIN; }

std::size_t count(const std::string& s, std::string_view what) {
  std::size_t n = 0;
  for (std::size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + 1)) ++n;
  return n;
}

// The measurements of the page's charts, in order, joined by blanks.
std::string measurements(const std::string& page) {
  std::string m;
  const std::string key = "data-measurement=\"";
  for (std::size_t p = page.find(key); p != std::string::npos; p = page.find(key, p + 1)) {
    const std::size_t v = p + key.size();
    m += (m.empty() ? "" : " ") + page.substr(v, page.find('"', v) - v);
  }
  return m;
}

class VudplotE2eTest : public E2eTest {
 protected:
  // A log from the generator; returns its name.
  void generate(const std::string& name, const std::vector<std::string>& args) {
    std::vector<std::string> a = args;
    a.push_back("-o");
    a.push_back(name);
    ASSERT_EQ(run(vudloggen_bin(), a).status, 0);
  }
  void report(const char* bin, const std::vector<std::string>& args) {
    const RunResult r = run(bin, args);
    ASSERT_EQ(r.status, 0) << r.out << r.err;
  }
};

TEST_F(VudplotE2eTest, DrawsEveryKindOfReport) {
  generate("q.csv", {"-sensors", "3", "-interval", "60", "-span", "7200", "-kind2", "3"});
  generate("m.log",
           {"-layout", "molva_short", "-sensors", "3", "-interval", "60", "-span", "7200"});
  generate("u.log",
           {"-layout", "molva_units", "-sensors", "2", "-interval", "120", "-span", "7200"});
  report(vudstats_bin(), {"-act", "2", "-nopir", "q.csv"});
  report(vudstats64_bin(), {"-act", "s", "m.log"});
  report(vudstats_bin(), {"-act", "u", "u.log"});
  // The first sensor of each report, for the restricted ones.
  const std::string q = read_file("q.text"), m = read_file("m.logtext");
  const std::string qname = q.substr(q.find("sensor list ") + 12, 8);
  const std::string mindex = m.substr(m.find("sensor list ") + 12, 3);
  report(vudstats_bin(), {"-act", "2", "-nolux", "-nosw", "-name", qname, "q.csv"});
  write_file("q64.csv", read_file("q.csv"));
  report(vudstats64_bin(), {"-act", "2", "-name", qname, "q64.csv"});
  report(vudstats_bin(), {"-act", "s", "-sen", mindex, "m.log"});

  struct Case {
    std::string report;
    std::string charts;
    std::size_t sensors;
  };
  const Case kCases[] = {
      {"q.text", "degC Lux RH SW", 3},
      {"m.logtext", "degC Lux RH PIR dbA", 3},
      {"u.logtext", "degC Lux RH PIR dbA", 2},
      {"q-" + qname + ".text", "degC RH PIR", 1},
      {"m.log-" + mindex + ".text", "degC Lux RH PIR dbA", 1},
      // The variant's restricted report, whose header block differs.
      {"q64-" + qname + ".text", "degC Lux RH PIR SW", 1},
  };
  for (const Case& c : kCases) {
    const RunResult r = run(vudplot_bin(), {"-o", "page.html", c.report});
    ASSERT_EQ(r.status, 0) << c.report << ": " << r.err;
    EXPECT_EQ(r.err, "") << c.report;  // nothing it could not draw
    const std::string page = read_file("page.html");
    EXPECT_EQ(measurements(page), c.charts) << c.report;
    const std::size_t charts = count(page, "<svg class=\"chart\"");
    EXPECT_EQ(count(page, "<path class=\"line\""), charts * c.sensors) << c.report;
    EXPECT_EQ(count(page, " d=\"\""), 0u) << c.report << ": a sensor without a line";
    EXPECT_NE(page.find("22 Dec 2014 13:00 to 22 Dec 2014 1"), std::string::npos) << c.report;
  }
}

TEST_F(VudplotE2eTest, SaysWhatItCannotDraw) {
  // A standard MOLVA log whose 5th line has a raw humidity of 0: vudstats
  // writes that reading as '-Infinity'.
  generate("m.log", {"-layout", "molva", "-sensors", "2", "-interval", "60", "-span", "1800"});
  std::string log = read_file("m.log");
  std::size_t line = 0;
  for (int i = 0; i < 4; ++i) line = log.find('\n', line) + 1;
  std::size_t field = line;
  for (int i = 0; i < 11; ++i) field = log.find(',', field) + 1;
  log.replace(field, log.find(',', field) - field, "0");
  write_file("m.log", log);
  report(vudstats_bin(), {"-act", "b", "m.log"});
  const std::string text = read_file("m.logtext");
  ASSERT_NE(text.find("-Infinity"), std::string::npos) << text;

  RunResult r = run(vudplot_bin(), {"m.logtext"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("vudplot: m.logtext: "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(" 'NaN' or 'Infinity' and not drawn; the lines have gaps there (s"),
            std::string::npos)
      << r.err;
  EXPECT_NE(read_file("m.html").find("&#39;NaN&#39; or &#39;Infinity&#39;"), std::string::npos);

  // The same report cut short in the middle of its last row.
  write_file("cut.text", text.substr(0, text.rfind("\n", text.size() - 8) - 3));
  r = run(vudplot_bin(), {"cut.text"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("vudplot: cut.text: The report does not end with its closing line "
                       "'# end': it may have been cut short.\n"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find(") is incomplete and is not drawn.\n"), std::string::npos) << r.err;
  EXPECT_TRUE(exists("cut.html"));

  // A log is no report: a message, status 1, no page.
  r = run(vudplot_bin(), {"m.log"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.rfind("vudplot: m.log: is not a vudstats report", 0), 0u) << r.err;
  EXPECT_FALSE(exists("m.html.tmp"));
  EXPECT_EQ(files(),
            (std::vector<std::string>{"cut.html", "cut.text", "m.html", "m.log", "m.logtext"}));
}

}  // namespace
}  // namespace vud_e2e
