// First pass over the log: sensor registration, hits, typical intervals,
// ordering and the scan-and-list listing.
#include "vud_stats/survey.h"

#include <cstdio>
#include <string>

#include "sort/sort.h"
#include "vud_stats/freeform.h"
#include "vud_stats/timeline.h"
#include "vud_support/console/channels.h"
#include "vud_support/console/messages.h"
#include "vud_support/console/records.h"
#include "vud_support/parse/lines.h"

namespace vud {

namespace {

// Wide enough for 70 names of 9 characters or 70 numbers of 12: lists are
// written whole, never cut.
constexpr std::int32_t kListWidth = 1024;

// Counts a hit of entry i at day number juliand.
void count_hit(SensorTables& st, std::int32_t i, float juliand) {
  st.mapsenhits(i) += 1;
  if (st.mapsenhits(i) == 1) st.sensecprev(i) = juliand;
  st.senseccur(i) = juliand;
  st.sendeltasec(i) = st.senseccur(i) - st.sensecprev(i);
}

void register_qtv2(const RunSettings& rs, const LineState& cur, SurveyResult& sv) {
  SensorTables& st = sv.st;
  const Text<8>& name = cur.v.name;
  bool accounted = false;
  // Unused entries hold "UNKNOWN ", so every entry is searched.
  for (std::int32_t i = 1; i <= kSensors; ++i) {
    if (st.envname(i) == name) {
      accounted = true;
      if (cur.v.ipacket == 1) count_hit(st, i, cur.juliand);
    }
  }
  for (std::int32_t j = 1; j <= rs.nbixsen; ++j) {
    if (rs.ixsen(j) == name) {
      FreeLine().text("excluding ").text(name).write(outin.iuout);
      accounted = true;
    }
  }
  if (accounted || is_refused(sv, name)) return;
  if (st.howmany == kSensors) {
    sv.refused_names.insert(std::string(name.view()));
    FreeLine()
        .text("warning: sensor table full (70 sensors), ignoring sensor ")
        .text(name)
        .write(outin.iuout);
    return;
  }
  st.howmany += 1;
  const std::int32_t n = st.howmany;
  st.envname(n) = name;
  st.mapsentoarray(n) = n;
  if (cur.v.ipacket == 1) {
    st.mapsenhits(n) += 1;
    if (st.mapsenhits(n) == 1) st.sensecprev(n) = cur.juliand;
  }
  if (rs.restrictreport && name == rs.repsen) sv.foundrestricsensor = true;
}

void register_molva(const RunSettings& rs, const LineState& cur, SurveyResult& sv) {
  SensorTables& st = sv.st;
  const std::int32_t isen = cur.v.isen;
  if (cur.v.ipacketsleft > 10) return;
  bool matched = false;
  // Unused entries hold 0, so a line of index 0 counts for every one of them.
  for (std::int32_t i = 1; i <= kSensors; ++i) {
    if (st.mapsentoarray(i) == isen) {
      matched = true;
      count_hit(st, i, cur.juliand);
    }
  }
  if (matched || is_refused(sv, isen)) return;
  if (st.howmany == kSensors) {
    sv.refused_indices.insert(isen);
    FreeLine()
        .text("warning: sensor table full (70 sensors), ignoring sensor index ")
        .text(std::to_string(isen))
        .write(outin.iuout);
    return;
  }
  st.howmany += 1;
  const std::int32_t n = st.howmany;
  st.mapsentoarray(n) = isen;
  st.mapsenhits(n) += 1;
  if (st.mapsenhits(n) == 1) st.sensecprev(n) = cur.juliand;
  if (rs.restrictreport && isen == rs.irepsen) sv.foundrestricsensor = true;
}

// Rewrites a blank-separated list with commas and returns it trimmed; an
// empty list, like any blank field, keeps one blank.
std::string comma_list(const Text<kListWidth>& list) {
  if (list.is_blank() && list.trimmed_length() == 1) return " ";
  Text<kListWidth> delimited;
  sdelim(list, delimited, 'C', 0);
  return std::string(delimited.trimmed());
}

void write_line(std::string_view text) { channel_write(outin.iuout, terminal_safe(text)); }

}  // namespace

std::string name_list(std::span<const Text<8>> names) {
  Text<kListWidth> list;
  std::int32_t pos = 1;
  for (const Text<8>& name : names) {
    list.put(pos, name);
    pos += 9;
  }
  return comma_list(list);
}

std::string number_list(std::span<const std::int32_t> numbers) {
  Text<kListWidth> list;
  std::int32_t pos = 1;
  for (std::int32_t x : numbers) {
    // Four columns, as long as a blank still parts a number from the one before.
    char b[16];
    int n = std::snprintf(b, sizeof b, "%4d", static_cast<int>(x));
    if (b[0] != ' ') n = std::snprintf(b, sizeof b, " %d", static_cast<int>(x));
    list.put(pos, std::string_view(b, static_cast<std::size_t>(n)));
    pos += n;
  }
  return comma_list(list);
}

void survey_line(const RunSettings& rs, const DayFractions& df, std::int32_t lineno, LineState& cur,
                 SurveyResult& sv) {
  LineValues& v = cur.v;
  std::int32_t k = 0;
  read_first_word(cur.loutstr, k, v);
  if (is_qtv2_word(v.word)) {
    v.datea = sub1(cur.loutstr, 1, 20);
    datestamptojulian(v.datea, '2', cur.juliand, cur.julianfrac, cur.ijday, cur.tsec);
    read_qtv2_survey(cur.loutstr, v);
    if (lineno == 1) {
      detect_qtv2(sv.fileformat, sv.act);
      find_first_hour_mark(df, cur.juliand, cur.julianfrac, sv.first_mark);
    }
    register_qtv2(rs, cur, sv);
    return;
  }
  const bool second = lineno == 2;
  if (second) detect_molva(v.word, sv.fileformat, sv.act);
  read_molva_head(cur.loutstr, k, Pass::kSurvey, v);
  read_molva_counts(cur.loutstr, k, v);
  datestamptojulian(v.datea, 'B', cur.juliand, cur.julianfrac, cur.ijday, cur.tsec);
  if (second) find_first_hour_mark(df, cur.juliand, cur.julianfrac, sv.first_mark);
  register_molva(rs, cur, sv);
}

void survey_pass(const RunSettings& rs, const DayFractions& df, LineState& cur, SurveyResult& sv) {
  sv = SurveyResult{};
  sv.act = action_letter(rs);
  LogWindow log(rs.iunit);
  Verdict verdict = Verdict::kUse;
  std::int32_t ier = 0;
  std::int32_t lines = 0;
  std::int32_t packets = 0;  // lines used that hold a word: the layout is told by the first two
  while (log.next(cur.loutstr, verdict, ier)) {
    if (lines == listloop) {
      FreeLine().text("warning: only the first 80000 lines were surveyed").write(outin.iuout);
      break;
    }
    ++lines;
    // A blank line counts towards the cap but carries no packet and tells
    // nothing of the layout.
    if (holds_no_word(cur.loutstr)) continue;
    // A line with a stamp that cannot exist or lies far off is passed over in
    // both passes; it is announced here, once.
    if (verdict != Verdict::kUse) {
      warn_passed_over(verdict, cur.loutstr);
      continue;
    }
    survey_line(rs, df, ++packets, cur, sv);
  }
  sv.lines_surveyed = lines;
  typical_intervals(sv.st);
  write_survey_table(sv);
}

void typical_intervals(SensorTables& st) {
  for (std::int32_t i = 1; i <= kSensors; ++i) {
    if (st.mapsenhits(i) <= 1) continue;
    st.sendeltasec(i) = st.senseccur(i) - st.sensecprev(i);
    // Divided by the hits, not by the gaps between them.
    st.deltas(i) = st.sendeltasec(i) * secondsinday / static_cast<float>(st.mapsenhits(i));
  }
}

void write_survey_table(const SurveyResult& sv) {
  const SensorTables& st = sv.st;
  FreeLine().text("Sensor number-of-hits typical-interval (sec)").write(outin.iuout);
  for (std::int32_t i = 1; i <= kSensors; ++i) {
    if (st.mapsenhits(i) <= 1) continue;
    FreeLine line;
    if (sv.fileformat == kFormatQtv2) {
      line.text(st.envname(i));
    } else {
      line.num(st.mapsentoarray(i));
    }
    line.num(st.mapsenhits(i)).real(st.deltas(i)).write(outin.iuout);
  }
}

std::int32_t show_survey(const RunSettings& rs, SurveyResult& sv) {
  SensorTables& st = sv.st;
  if (rs.restrictreport && !sv.foundrestricsensor) {
    edisp(outin.iuout, "ERROR: requested sensor not found");
    epwait();
    epagend();
    return kExitFailed;
  }

  const bool qtv2 = sv.fileformat == kFormatQtv2;
  if (is_scan_and_list(sv.act)) {
    FreeLine().text("sensors found: ").num(st.howmany).write(outin.iuout);
  } else if (qtv2) {
    // Fixed layouts, not free-format lines: the count in three columns, then
    // the names as 8 characters and a blank each, 70 to a line.
    char count[48];
    std::snprintf(count, sizeof count, "how many sensors found: %3d", static_cast<int>(st.howmany));
    channel_write(outin.iuout, count);
    std::string names;
    for (std::int32_t i = 1; i <= st.howmany; ++i) {
      names.append(st.envname(i).view()).push_back(' ');
    }
    channel_write(outin.iuout, terminal_safe(names));
  } else {
    FreeLine line;
    line.text("how many sensors found ").num(st.howmany);
    for (std::int32_t i = 1; i <= kSensors; ++i) line.num(st.mapsentoarray(i));
    line.write(outin.iuout);
  }

  const std::int32_t n = st.howmany;
  if (qtv2) {
    for (std::int32_t i = 1; i <= n; ++i) {
      st.envsorted(i) = st.envname(i);
      st.mapsent(i) = st.mapsentoarray(i);
    }
    sortstraic(st.envsorted.begin(), st.mapsent.begin(), n);
    for (std::int32_t i = 1; i <= n; ++i) st.mapsentoarray(i) = st.mapsent(i);
  } else {
    sorti(st.mapsentoarray.begin(), st.mapsent.begin(), n, 1);
  }
  return kRunGoesOn;
}

std::int32_t list_sensors(const RunSettings& rs, const SurveyResult& sv) {
  const SensorTables& st = sv.st;
  const std::size_t n = static_cast<std::size_t>(st.howmany);
  write_line("Vantrel summary from MOLVA log");
  char b[32];
  std::snprintf(b, sizeof b, "# number of sensors %2d", static_cast<int>(st.howmany));
  write_line(b);
  write_line(rs.incdbt == 0 ? "ignore,degC" : "include,degC");
  write_line(rs.inclux == 0 ? "ignore,Lux" : "include,Lux");
  write_line(rs.incrh == 0 ? ",ignore,RH" : ",include,RH");
  write_line(rs.incpir == 0 ? "ignore,PIR" : ",include,PIR");
  write_line(rs.incsw == 0 ? "ignore,SW" : "include,SW");
  if (sv.fileformat == kFormatQtv2) {
    write_line("#  sorted sensor list " + number_list(std::span(st.mapsentoarray.begin(), n)));
    write_line("# orig sensor list   " + name_list(std::span(st.envname.begin(), n)));
    write_line("# sorted sensor list " + name_list(std::span(st.envsorted.begin(), n)));
    write_line("# sorted sensor list " + number_list(std::span(st.mapsent.begin(), n)));
  } else {
    write_line("# sensor list " + number_list(std::span(st.mapsentoarray.begin(), n)));
  }
  edisp(outin.iuout, "Survey of sensors completed.");
  epwait();
  epagend();
  return kExitDone;
}

}  // namespace vud
