// Report header, second pass and rows of the statistics tool.
#include "vud_stats/report.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <span>
#include <utility>

#include "vud_stats/freeform.h"
#include "vud_stats/survey.h"
#include "vud_stats/timeline.h"
#include "vud_stats/variant.h"
#include "vud_support/console/channels.h"
#include "vud_support/console/messages.h"
#include "vud_support/console/records.h"
#include "vud_support/parse/files.h"
#include "vud_support/parse/lines.h"
#include "vud_support/parse/numtext.h"

namespace vud {

namespace {

// The column-header line is built in a field wide enough for 70 QTV 2
// sensors with all five columns (64 characters each): it is written whole.
constexpr std::int32_t kHeaderWidth = 8000;
// The value part of a row; a longer row goes on in continuation lines.
constexpr std::int32_t kRowWidth = 4000;

bool is_qtv2(const SurveyResult& sv) { return sv.fileformat == kFormatQtv2; }

bool restricted_to(const RunSettings& rs, const SurveyResult& sv, std::int32_t n) {
  return is_qtv2(sv) ? sv.st.envsorted(n) == rs.repsen : sv.st.mapsentoarray(n) == rs.irepsen;
}

std::int32_t write_report_line(const RunSettings& rs, std::string_view text) {
  return channel_write(rs.iuf, text);
}

// A failed write ends the run: the day number of the step (thejulianis)
// shown, both files released.
std::int32_t write_failed(const RunSettings& rs, float thejulianis) {
  FreeLine().text("could not write tabular data...").real(thejulianis).write(outin.iuout);
  return end_failed_run(rs);
}

// Index of name in envsorted(1..howmany), or 0.
std::int32_t find_name(const SensorTables& st, const Text<8>& name) {
  for (std::int32_t n = 1; n <= st.howmany; ++n) {
    if (st.envsorted(n) == name) return n;
  }
  return 0;
}

// Index of isen in the sorted mapsentoarray(1..howmany), or 0.
std::int32_t find_index(const SensorTables& st, std::int32_t isen) {
  for (std::int32_t n = 1; n <= st.howmany; ++n) {
    if (st.mapsentoarray(n) == isen) return n;
  }
  return 0;
}

bool decode_qtv2(const RunSettings& rs, const SurveyResult& sv, LineState& cur, ReportState& r) {
  LineValues& v = cur.v;
  v.datea = sub1(cur.loutstr, 1, 20);
  if (cur.time.qtv2_regular) {
    datestamptojulian_qtv2(cur.time.fields, cur.juliand, cur.julianfrac, cur.ijday, cur.tsec);
    r.stamp_clean = true;
  } else {
    r.stamp_clean =
        datestamptojulian(v.datea, '2', cur.juliand, cur.julianfrac, cur.ijday, cur.tsec);
  }
  if (!read_qtv2_plain(cur.loutstr, v)) read_qtv2_report(cur.loutstr, v);
  const std::int32_t n = find_name(sv.st, v.name);
  if constexpr (!kVariant64) {
    if (n > 0) pir_differences(v, cur.tsec, n, r.rd);
  }
  for (std::int32_t j = 1; j <= rs.nbixsen; ++j) {
    if (rs.ixsen(j) == v.name) return false;
  }
  // A sensor missing from the table (refused when it was full, or first heard
  // after the survey's last line) has nowhere to keep its readings.
  if (n == 0) return false;
  r.icurrentsenarray = n;
  store_readings(sv.act, v, n, r.rd);
  return true;
}

bool decode_molva(const RunSettings& rs, const SurveyResult& sv, LineState& cur, ReportState& r) {
  LineValues& v = cur.v;
  r.stamp_clean = false;
  // A line passed over at any step keeps the values the later steps read.
  MolvaLineReader line(cur.loutstr, sv.act);
  line.head(v);
  if (rs.irepsen > 0 && v.isen != rs.irepsen) return false;
  const std::int32_t n = find_index(sv.st, v.isen);
  if (n == 0) {
    if (!is_refused(sv, v.isen)) {
      FreeLine()
          .text("unknown sensor index ")
          .num(v.isen)
          .text(" @ ")
          .text(v.datea)
          .write(outin.iuout);
    }
    return false;
  }
  line.counts(v);
  if (v.ipirpackets > 24) {
    FreeLine()
        .text("Corrupt pir packets ")
        .num(v.ipirpackets)
        .text(" for ")
        .num(v.isen)
        .text(" @ ")
        .text(v.datea)
        .write(outin.iuout);
    return false;
  }
  // A repeated packet; the first packet of a sensor is always used.
  if (r.rd.seqseen(n) && v.iseq == r.rd.lastseq(n)) return false;
  r.rd.lastseq(n) = v.iseq;
  r.rd.seqseen(n) = true;
  if (v.ipacketsleft > 10) return false;
  line.values(v);
  r.icurrentsenarray = n;
  store_readings(sv.act, v, n, r.rd);
  return true;
}

// The first piece of a row: the day number of the step in 10 columns with 6
// decimals, the first 16 characters of the step label, and a comma each.
void row_prefix(const ReportState& r, std::string& line) {
  char b[48];
  const int n = std::snprintf(b, sizeof b, "%10.6f,", static_cast<double>(r.step.curnowis));
  line.append(b, static_cast<std::size_t>(n));
  line.append(sub1(r.dateafive, 1, 16)).append(",");
}

// Writes the value list of the row through arlist, with the day number and the
// step label in front of the first piece.
std::int32_t write_row_pieces(const RunSettings& rs, ReportState& r, std::string& line) {
  Text<kRowWidth> pckstr;
  std::int32_t itrunc = 1;
  std::int32_t ipos = 1;
  bool first = true;
  while (itrunc != 0) {
    std::int32_t loutln = 0;
    arlist(ipos, r.itotcolumns, std::span<const float>(r.tabular), kRowValues, 'C', pckstr, loutln,
           itrunc);
    line.clear();
    if (first) {
      row_prefix(r, line);
    } else {
      line.append(" ");
    }
    line.append(sub1(pckstr, 1, loutln));
    if (write_report_line(rs, line) != kIoOk) return kExitFailed;
    if (itrunc != 0 && itrunc < ipos) break;  // nothing could be packed: no progress
    ipos = itrunc + 1;
    first = false;
  }
  return kRunGoesOn;
}

// Writes one row. A row whose values fit the 4000-character value field in one
// piece (the usual case) is joined here from remembered value texts, which
// gives the very text arlist packs; a longer row goes through arlist piece by
// piece.
std::int32_t write_row(const RunSettings& rs, ReportState& r) {
  ValueTexts& texts = r.row_texts;
  std::string& line = r.row_line;
  line.clear();
  row_prefix(r, line);
  const std::size_t start = line.size();
  for (std::int32_t i = 0; i < r.itotcolumns; ++i) {
    if (i > 0) line.push_back(',');
    line.append(texts.text(r.tabular[static_cast<std::size_t>(i)]));
  }
  // arlist packs every value when the last text ends at least two positions
  // before the end of its field.
  if (static_cast<std::int32_t>(line.size() - start) + 1 < kRowWidth) {
    return write_report_line(rs, line) == kIoOk ? kRunGoesOn : kExitFailed;
  }
  return write_row_pieces(rs, r, line);
}

}  // namespace

void stblanks(std::string_view string, Field name) {
  name.blank();
  const std::int32_t n = trimmed_length(string);
  std::int32_t out = 0;
  for (std::int32_t i = 1; i <= n && i <= static_cast<std::int32_t>(string.size()); ++i) {
    const char c = at1(string, i);
    if (c == ' ' || c == '\t' || c == '\0') continue;
    if (static_cast<unsigned char>(c) < 32) break;
    if (out >= name.width()) break;
    name(++out) = c == '&' ? '_' : c;
  }
}

std::string_view report_title(char letter) {
  switch (letter) {
    case 'b':
    case 'B':
      return "Vantrel summary from standard log";
    case 's':
    case 'S':
      return "Vantrel summary from MOLVA_SHORT";
    case 'u':
    case 'U':
      return "Vantrel summary from MOLVA_UNITS";
    case '2':
      return "Vantrel summary from QTV";
    default:
      return "";
  }
}

std::string column_header_line(const RunSettings& rs, const SurveyResult& sv) {
  Text<kHeaderWidth> loutstr4k;
  Text<kHeaderWidth> loutstr4ks;
  loutstr4k = "JulianTime,yyyy-mm-dd,hh:mm,";
  std::int32_t k4 = 30;  // position 29 stays blank
  for (std::int32_t n = 1; n <= sv.st.howmany; ++n) {
    if (rs.restrictreport && !restricted_to(rs, sv, n)) continue;
    std::string piece;
    if (is_qtv2(sv)) {
      const std::string_view name = sv.st.envsorted(n);
      const std::int32_t inc[5] = {rs.incdbt, rs.inclux, rs.incrh, rs.incpir, rs.incsw};
      static constexpr std::string_view kSuffix[5] = {"_degC,", "_Lux,", "_RH,", "_PIR,", "_SW,"};
      for (int m = 0; m < 5; ++m) {
        if (inc[m] == 0) {
          piece.append(" ");
        } else {
          std::string t(name);
          t.append(kSuffix[m]);
          piece.append(trimmed(t));
        }
      }
      loutstr4k.put(k4, piece);
      k4 += static_cast<std::int32_t>(piece.size());
    } else {
      const std::string idx = index_text(sv.st.mapsentoarray(n));
      static constexpr std::string_view kSuffix[5] = {"_degC", "_Lux", "_RH", "_PIR", "_dbA"};
      for (int m = 0; m < 5; ++m) {
        piece.append("s").append(idx).append(kSuffix[m]);
        // A restricted report's only sensor has no comma after its last column.
        if (!(rs.restrictreport && m == 4)) piece.append(",");
      }
      loutstr4k.put(k4, piece);
      k4 += static_cast<std::int32_t>(piece.size()) + (rs.restrictreport ? 1 : 0);
    }
  }
  if (!rs.restrictreport) {
    stblanks(loutstr4k, loutstr4ks);
    return std::string(loutstr4ks.trimmed());
  }
  // The restricted line keeps its blanks, and one after its last character.
  const std::int32_t n = std::min(loutstr4k.trimmed_length() + 1, kHeaderWidth);
  return std::string(sub1(loutstr4k, 1, n));
}

std::int32_t write_report_header(const RunSettings& rs, const SurveyResult& sv) {
  const bool qtv2 = is_qtv2(sv);
  std::string block;
  auto line = [&block](std::string_view t) { block.append(t).append("\n"); };

  const std::string_view title = report_title(sv.act);
  if (!title.empty()) line(title);
  const std::string restricted_id = qtv2 ? std::string(rs.repsen.view()) : index_text(rs.irepsen);
  if (rs.restrictreport && kVariant64) {
    line("for sensor " + restricted_id);
    line(rs.incdbt == 0 ? "ignore,temperature" : "include,temperature");
  } else {
    if (rs.restrictreport) {
      line("number of sensors  1");
    } else {
      char b[32];
      std::snprintf(b, sizeof b, "number of sensors %2d", static_cast<int>(sv.st.howmany));
      line(b);
    }
    line(rs.incdbt == 0 ? "ignore,degC" : "include,degC");
  }
  line(rs.inclux == 0 ? "ignore,Lux" : "include,Lux");
  line(rs.incrh == 0 ? "ignore,RH" : "include,RH");
  line(rs.incpir == 0 ? "ignore,PIR" : "include,PIR");
  if (rs.restrictreport && kVariant64) {
    line(rs.incsw == 0 ? "ignore,switch count" : "include,switch count");
  } else {
    line(rs.incsw == 0 ? "ignore,SW" : "include,SW");
    const std::size_t n = static_cast<std::size_t>(sv.st.howmany);
    if (rs.restrictreport) {
      line("sensor list " + restricted_id);
    } else if (qtv2) {
      line("sensor list " + name_list(std::span(sv.st.envsorted.begin(), n)));
    } else {
      line("sensor list " + number_list(std::span(sv.st.mapsentoarray.begin(), n)));
    }
  }
  block.append(column_header_line(rs, sv));
  if (write_report_line(rs, block) != kIoOk) return write_failed(rs, sv.first_mark.thejulianis);
  return kRunGoesOn;
}

bool decode_line(const RunSettings& rs, const SurveyResult& sv, LineState& cur, ReportState& r) {
  if (holds_no_word(cur.loutstr)) return false;  // carries no packet
  return is_qtv2(sv) ? decode_qtv2(rs, sv, cur, r) : decode_molva(rs, sv, cur, r);
}

bool assign_step(const RunSettings& rs, const DayFractions& df, const SurveyResult& sv,
                 LineState& cur, ReportState& r) {
  const bool qtv2 = is_qtv2(sv);
  // Converting a stamp that converted cleanly once gives the same day number
  // and shows nothing, so only a stamp that showed messages is converted again.
  if (!r.stamp_clean) {
    datestamptojulian(cur.v.datea, qtv2 ? '2' : 'B', cur.juliand, cur.julianfrac, cur.ijday,
                      cur.tsec);
  }
  bool assigned = true;
  if (fast_regime(sv)) {
    const bool sets_hour = rs.restrictreport || r.icurrentsenarray == 1 || r.icurrentsenarray == 2;
    assigned = assign_step_fast(df, sets_hour, cur.juliand, cur.julianfrac, cur.ijday, r.step);
  } else {
    assign_step_slow(df, cur.juliand, cur.julianfrac, cur.ijday, r.step);
  }
  return assigned;
}

bool row_due(const RunSettings& rs, const SurveyResult& sv, std::int32_t iver,
             std::int32_t howmanynow) {
  if (rs.restrictreport) return true;
  const std::int32_t howmany = sv.st.howmany;
  if (fast_regime(sv)) {
    if (iver == 4) return howmanynow > 2 * howmany;
    if (iver == 5) return howmanynow > howmany;
    return true;
  }
  if (!is_qtv2(sv)) return howmanynow >= howmany;
  return true;
}

void fill_row_values(const RunSettings& rs, const SurveyResult& sv, ReportState& r) {
  const Readings& rd = r.rd;
  std::size_t ipos = 0;
  auto put = [&](float x) {
    if (ipos < r.tabular.size()) r.tabular[ipos++] = x;
  };
  for (std::int32_t n = 1; n <= sv.st.howmany; ++n) {
    if (rs.restrictreport && !restricted_to(rs, sv, n)) continue;
    if (is_qtv2(sv)) {
      float pir = rd.pvudpirpwr(n);
      if constexpr (!kVariant64) pir = rs.restrictreport ? rd.pvudpirc(n) : rd.deltapircountsum(n);
      if (rs.incdbt != 0) put(rd.pvudtmp(n));
      if (rs.inclux != 0) put(rd.pvudlight(n));
      if (rs.incrh != 0) put(rd.pvudhumidity(n));
      if (rs.incpir != 0) put(pir);
      if (rs.incsw != 0) put(rd.pvudswitch(n));
    } else {
      put(rd.pvudtmp(n));
      put(rd.pvudlight(n));
      put(rd.pvudhumidity(n));
      put(rd.pvudpirc(n));
      put(rd.pvudaudio(n));
    }
  }
  const std::int32_t sensors = rs.restrictreport ? 1 : sv.st.howmany;
  if (is_qtv2(sv)) {
    const std::int32_t excluded = 5 - (rs.incdbt + rs.inclux + rs.incrh + rs.incpir + rs.incsw);
    r.itotcolumns = (5 - excluded) * sensors;
  } else {
    r.itotcolumns = 5 * sensors;
  }
  r.itotcolumns = std::min(r.itotcolumns, kRowValues);
}

std::int32_t write_row_if_due(const RunSettings& rs, const DayFractions& df, const SurveyResult& sv,
                              const LineValues& v, ReportState& r) {
  r.howmanynow += 1;
  if (!row_due(rs, sv, v.iver, r.howmanynow)) return kRunGoesOn;
  const bool same_step_check =
      (rs.restrictreport && !fast_regime(sv)) || (is_qtv2(sv) && !rs.restrictreport);
  if (same_step_check && r.step.printedat + df.oneminfrac > r.step.curnowis) {
    r.howmanynow = 0;
    return kRunGoesOn;
  }
  // The label of the step is made only for a row that is written: it is the
  // label of the reading just assigned, whose stamp and step are still at hand.
  step_label(v.datea, r.step.ithehouris, r.step.icurfive, r.dateafive);
  fill_row_values(rs, sv, r);
  if (write_row(rs, r) != kRunGoesOn) return write_failed(rs, r.step.thejulianis);
  r.step.printedat = r.step.thejulianis;
  r.howmanynow = 0;
  if (is_qtv2(sv)) {
    for (std::int32_t n = 1; n <= sv.st.howmany; ++n) r.rd.deltapircountsum(n) = 0.0F;
  }
  return kRunGoesOn;
}

std::int32_t report_pass(const RunSettings& rs, const DayFractions& df, const SurveyResult& sv,
                         LineState& cur) {
  std::int32_t istat = 0;
  std::int32_t ier = 0;
  erpfree(rs.iunit, istat);
  // efopseq may rewrite the name it opens (a drive path); the settings keep theirs.
  Text<144> log_name = rs.inter;
  efopseq(rs.iunit, log_name, kExistMust, ier);
  if (ier != 0) {
    usrmsg(" Problem re-opening...", log_name.view(), 'W');
    return kExitFailed;
  }
  // The pass state lives on the heap only because it is large. Every sensor
  // starts with no packet seen and the step at the survey's first hour mark.
  auto state = std::make_unique<ReportState>();
  ReportState& r = *state;
  r.step = sv.first_mark;
  r.step.ithehouris = hour_of_mark(df, r.step.thehouris);

  LogWindow log(rs.iunit);
  Verdict verdict = Verdict::kUse;
  std::int32_t lines = 0;
  while (log.next(cur.loutstr, verdict, ier)) {
    ++lines;
    if (verdict != Verdict::kUse) {
      // The survey announced the lines it read.
      if (lines > sv.lines_surveyed) warn_passed_over(verdict, cur.loutstr);
      continue;
    }
    cur.time = log.time();
    if (!decode_line(rs, sv, cur, r)) continue;
    if (!assign_step(rs, df, sv, cur, r)) continue;
    if (write_row_if_due(rs, df, sv, cur.v, r) != kRunGoesOn) return kExitFailed;
  }

  FreeLine()
      .text(kVariant64 ? "stripc end of file " : "at end of file ")
      .num(ier)
      .write(outin.iuout);
  erpfree(rs.iunit, istat);
  // The report is closed here rather than released, so that text that could
  // not be written out (a full disk) is noticed.
  if (write_report_line(rs, "# end") != kIoOk || channel_close(rs.iuf) != kIoOk) {
    return write_failed(rs, r.step.thejulianis);
  }
  erpfree(rs.iuf, istat);
  return kExitDone;
}

}  // namespace vud
