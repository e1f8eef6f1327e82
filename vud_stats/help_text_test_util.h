// The help text of vudstats as the tests expect it, kept once for the unit
// tests of the stages and the whole-program tests.
#ifndef VUD_STATS_HELP_TEXT_TEST_UTIL_H_
#define VUD_STATS_HELP_TEXT_TEST_UTIL_H_

#include <string>
#include <string_view>

namespace vud {

// The help text of vudstats, line by line.
inline constexpr std::string_view kHelpText =
    "command line is:\n"
    " [-act {b|s|u|2} ]\n"
    "   b is standard Vantrel log\n"
    "   s is short Vantrel log\n"
    "   u is user units Vantrel log\n"
    "   2 is Vantrel QTV 2 log\n"
    "   L scan and list sensors and timings\n"
    " [-tol {10|20|30|40} ]\n"
    "   10 20 30 or 40 seconds tollerance for\n"
    "   identifying relevant timesteps in log\n"
    " [-sen <sensor id number> ] if included\n"
    "   restricts reporting to this sensor id\n"
    "   for JEX 1 logs\n"
    " [-name <sensor name> ] if included\n"
    "   restricts reporting of QTV 2 logs\n"
    "   to this single sensor\n"
    " -nodbt exclude temperature\n"
    " -norh  exclude relative humidity\n"
    " -nolux exclude Lux\n"
    " -nopir exclude PIR\n"
    " -nosw exclude switch count\n"
    " -ex XXXXXXXX exclude sensor XXXXXXXX from report\n"
    " [-file <Vantrel log file name>]\n"
    " [-help  this message\n";

// The help text of the variant vudstats64: it leaves out the line on JEX 1
// logs and the three lines of -name.
inline std::string variant_help_text() {
  std::string help(kHelpText);
  for (std::string_view gone :
       {"   for JEX 1 logs\n", " [-name <sensor name> ] if included\n",
        "   restricts reporting of QTV 2 logs\n", "   to this single sensor\n"}) {
    help.erase(help.find(gone), gone.size());
  }
  return help;
}

}  // namespace vud

#endif  // VUD_STATS_HELP_TEXT_TEST_UTIL_H_
