// Command line, help text, start-up and report naming of the statistics tool.
#include "vud_stats/settings.h"

#include <cstdio>

#include "qesh_blk/qesh_blk.h"
#include "qesh_fc/qesh_fc.h"
#include "vud_stats/freeform.h"
#include "vud_stats/variant.h"
#include "vud_support/console/channels.h"
#include "vud_support/console/messages.h"
#include "vud_support/console/records.h"
#include "vud_support/parse/files.h"

namespace vud {

namespace {

constexpr std::string_view kProblem = "Problem with command line parameter.";
constexpr std::string_view kNameTooLong = "ERROR: input file name longer than 144 characters: ";

// Window geometry handed to epages; only the inert graphic routines use it.
constexpr std::int32_t kAppW = 570;
constexpr std::int32_t kAppX = 80;
constexpr std::int32_t kAppY = 100;
constexpr std::int32_t kAppHi = 570;
constexpr std::int32_t kAppWi = static_cast<std::int32_t>(kAppW * 1.3128205);  // 748
constexpr std::int32_t kMenuChw = 24;

// The option word of an argument matches when its first n characters equal
// those of the option (the 72-character argument field is blank-padded, so
// "-act " matches "-act" alone and not "-actx").
bool matches(const Text<72>& argument, std::string_view option) {
  return argument.view().substr(0, option.size()) == option;
}

}  // namespace

void show_help() {
  const std::int32_t iu = outin.iuout;
  edisp(iu, "command line is:");
  edisp(iu, " [-act {b|s|u|2} ]");
  edisp(iu, "   b is standard Vantrel log");
  edisp(iu, "   s is short Vantrel log");
  edisp(iu, "   u is user units Vantrel log");
  edisp(iu, "   2 is Vantrel QTV 2 log");
  edisp(iu, "   L scan and list sensors and timings");
  edisp(iu, " [-tol {10|20|30|40} ]");
  edisp(iu, "   10 20 30 or 40 seconds tollerance for");
  edisp(iu, "   identifying relevant timesteps in log");
  edisp(iu, " [-sen <sensor id number> ] if included");
  edisp(iu, "   restricts reporting to this sensor id");
  if constexpr (!kVariant64) {
    edisp(iu, "   for JEX 1 logs");
    edisp(iu, " [-name <sensor name> ] if included");
    edisp(iu, "   restricts reporting of QTV 2 logs");
    edisp(iu, "   to this single sensor");
  }
  edisp(iu, " -nodbt exclude temperature");
  edisp(iu, " -norh  exclude relative humidity");
  edisp(iu, " -nolux exclude Lux");
  edisp(iu, " -nopir exclude PIR");
  edisp(iu, " -nosw exclude switch count");
  edisp(iu, " -ex XXXXXXXX exclude sensor XXXXXXXX from report");
  edisp(iu, " [-file <Vantrel log file name>]");
  edisp(iu, " [-help  this message");
}

std::int32_t partfa(std::int32_t& termtype, Text<144>& inf, Text<16>& act, std::int32_t& itol,
                    std::int32_t& irepsen, std::int32_t& incdbt, std::int32_t& incrh,
                    std::int32_t& inclux, std::int32_t& incpir, std::int32_t& incsw,
                    Text<8>& repsen, std::int32_t& nbixsen, Table<Text<8>, kMaxExcluded>& ixsen,
                    std::span<const char* const> args) {
  // Graph mode only where a graphical interface reports itself available
  // (never in this system), else text.
  termtype = ixavail() != 0 ? kModeGraph : kModeText;
  inf = "UNKNOWN";
  act = "NONE";
  itol = 30;
  irepsen = 0;
  incdbt = incrh = inclux = incpir = incsw = 1;
  repsen = "-";
  nbixsen = 0;
  for (Text<8>& x : ixsen) x.blank();

  const std::size_t m = args.size();
  // The value of an option is the next argument; past the last one it is blank.
  auto value = [&](std::size_t& i) -> std::string_view {
    ++i;
    return i < m ? std::string_view(args[i]) : std::string_view();
  };
  // An input file name goes whole into inf or not at all.
  auto take_name = [&](std::string_view name) {
    name = trimmed(name);
    if (name.size() > inf.view().size()) {
      edisp(outin.iuout, std::string(kNameTooLong).append(name));
      return false;
    }
    inf = name;
    return true;
  };
  for (std::size_t i = 0; i < m; ++i) {
    const Text<72> argument(args[i]);
    if (matches(argument, "-help")) {
      show_help();
      return kPartfaHelp;
    } else if (matches(argument, "-mode")) {
      const Text<72> v(value(i));
      if (matches(v, "text")) {
        termtype = kModeText;
      } else if (matches(v, "page")) {
        termtype = kModePage;
      } else if (matches(v, "graph")) {
        termtype = kModeGraph;
      } else if (matches(v, "script")) {
        termtype = kModeScript;
      }
    } else if (matches(argument, "-file")) {
      if (!take_name(value(i))) return kPartfaNameTooLong;
    } else if (matches(argument, "-act ")) {
      act = value(i);
    } else if (matches(argument, "-tol ") || matches(argument, "-sen ")) {
      std::int32_t& target = matches(argument, "-tol ") ? itol : irepsen;
      if (read_free_int(value(i), target) == kFreeBad) {
        edisp(outin.iuout, kProblem);
        return kPartfaRead;
      }
    } else if (matches(argument, "-name")) {
      read_free_text(value(i), repsen);
    } else if (matches(argument, "-nodbt")) {
      incdbt = 0;
    } else if (matches(argument, "-norh")) {
      incrh = 0;
    } else if (matches(argument, "-nolux")) {
      inclux = 0;
    } else if (matches(argument, "-nopir")) {
      incpir = 0;
    } else if (matches(argument, "-nosw")) {
      incsw = 0;
    } else if (matches(argument, "-ex")) {
      // ixsen has room for four names; a fifth is refused, not stored.
      if (nbixsen >= kMaxExcluded) {
        edisp(outin.iuout, kProblem);
        return kPartfaRead;
      }
      ++nbixsen;
      read_free_text(value(i), ixsen(nbixsen));
    } else if (!take_name(args[i])) {
      return kPartfaNameTooLong;
    }
  }
  return kPartfaRead;
}

std::int32_t start_up(RunSettings& rs, std::span<const char* const> args) {
  ezero();
  outin.iuout = kOutputChannel;
  outin.iuin = kInputChannel;
  spad.limtty = 24;
  spad.limit = 24;
  rs = RunSettings{};
  rs.inter.blank();

  switch (partfa(rs.modl, rs.inf, rs.act, rs.itol, rs.irepsen, rs.incdbt, rs.incrh, rs.inclux,
                 rs.incpir, rs.incsw, rs.repsen, rs.nbixsen, rs.ixsen, args)) {
    case kPartfaHelp:
      return kExitDone;
    case kPartfaNameTooLong:
      return kExitFailed;
    default:
      break;
  }
  rs.restrictreport = rs.irepsen > 0 || rs.repsen(1) != '-';

  rs.fs = isunix() ? '/' : '\\';
  rpath.path = std::string_view(".");
  rpath.path(2) = rs.fs;
  spad.mmod = rs.modl;
  const Text<42> title("Zubrel Vantrel parser");
  epages(spad.mmod, outin.iuin, outin.iuout, kAppWi, kAppHi, kAppX, kAppY, kMenuChw, title);

  edisp(outin.iuout, " ");
  if (rs.inf.is_blank() || rs.inf.view().substr(0, 4) == "UNKN") {
    edisp(outin.iuout, "ERROR: no input file specified");
    epwait();
    epagend();
    return kExitFailed;
  }

  rs.inter = rs.inf;
  curfile.currentfile = rs.inter.trimmed();
  Text<248> line(" the input file is: ");
  line.put(21, rs.inf);
  edisp248(outin.iuout, line, 80);
  return kRunGoesOn;
}

std::int32_t open_files(RunSettings& rs) {
  // A report reads the log twice from its start: a pipe or a terminal would
  // give its lines to the first pass only, and the report would come out
  // empty. Told by the name, since opening a pipe waits for a writer.
  // Scan-and-list reads the log once and takes one.
  if (!is_scan_and_list(action_letter(rs)) && file_exists(rs.inter.view()) &&
      !file_is_regular(rs.inter.view())) {
    usrmsg("The log is not a regular file and cannot be read twice:", rs.inter.view(), 'W');
    epwait();
    epagend();
    return kExitFailed;
  }
  std::int32_t ier = 0;
  efopseq(rs.iunit, rs.inter, kExistMust, ier);
  if (ier != 0) {
    usrmsg(" Problem opening...", rs.inter.view(), 'W');
    return kExitFailed;
  }

  if (!is_scan_and_list(action_letter(rs))) {
    if (!compose_report_name(rs.inter, rs.irepsen, rs.repsen, rs.lfout)) {
      // Cut to its field, the name would be that of another file.
      edisp(outin.iuout,
            "ERROR: the report name made from this log name would be longer than 144 characters");
      std::int32_t istat = 0;
      erpfree(rs.iunit, istat);
      epwait();
      epagend();
      return kExitFailed;
    }
    FreeLine().text(" reporting to > ").text(rs.lfout.trimmed()).write(outin.iuout);
    ier = 0;
    efopseq(rs.iuf, rs.lfout, kExistAskOverwrite, ier);
    if (ier != 0) {
      usrmsg(" Problem opening...", rs.lfout.view(), 'W');
      return kExitFailed;
    }
  }

  FreeLine().text(" processing...").text(rs.inter.trimmed()).write(outin.iuout);

  if (!is_usable_action(action_letter(rs))) {
    FreeLine()
        .text("no direction provided in command line.")
        .text(" ")  // the sentence ends; the file name is a separate item
        .text(rs.inter.trimmed())
        .write(outin.iuout);
    return end_failed_run(rs);
  }
  return kRunGoesOn;
}

std::int32_t end_failed_run(const RunSettings& rs) {
  std::int32_t istat = 0;
  erpfree(rs.iunit, istat);
  erpfree(rs.iuf, istat);
  epwait();
  epagend();
  return kExitFailed;
}

std::string index_text(std::int32_t index) {
  char b[16];
  std::snprintf(b, sizeof b, "%03d", static_cast<int>(index));
  return b;
}

bool compose_report_name(std::string_view inter, std::int32_t irepsen, const Text<8>& repsen,
                         Text<144>& lfout) {
  const std::string_view name = trimmed(inter);
  const std::size_t n = name.size();
  const bool csv = n >= 4 && name.substr(n - 4) == ".csv";
  std::string out;
  if (irepsen > 0) {
    out.append(csv ? name.substr(0, n - 4) : name)
        .append("-")
        .append(index_text(irepsen))
        .append(".text");
  } else if (repsen(1) != '-') {
    out.append(csv ? name.substr(0, n - 4) : name).append("-");
    // A file name with blanks in it is awkward in every shell.
    for (char c : repsen.view()) {
      if (c != ' ') out.push_back(c);
    }
    out.append(".text");
  } else {
    // Unrestricted: "text" takes the place of "csv" after the dot, or is added.
    out.append(csv ? name.substr(0, n - 3) : name).append("text");
  }
  if (out.size() > lfout.view().size()) {
    lfout.blank();
    return false;
  }
  lfout = out;
  return true;
}

bool is_usable_action(char letter) {
  switch (letter) {
    case 'b':
    case 'B':
    case 's':
    case 'S':
    case 'u':
    case 'U':
    case '-':
    case 'l':
    case 'L':
    case '2':
      return true;
    default:
      return false;
  }
}

}  // namespace vud
