// Report header, second pass and rows of the statistics tool.
#include "vud_stats/report.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <span>
#include <system_error>
#include <utility>

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

bool is_qtv2(const RunState& r) { return r.fileformat == kFormatQtv2; }

bool restricted_to(const RunState& r, std::int32_t n) {
  return is_qtv2(r) ? r.st.envsorted(n) == r.rs.repsen : r.st.mapsentoarray(n) == r.rs.irepsen;
}

std::int32_t write_report_line(const RunState& r, std::string_view text) {
  return channel_write(r.rs.iuf, text);
}

// A failed write ends the run: the day number of the step shown, both files
// released.
std::int32_t write_failed(RunState& r) {
  FreeLine().text("could not write tabular data...").real(r.step.thejulianis).write(outin.iuout);
  std::int32_t istat = 0;
  erpfree(r.rs.iunit, istat);
  erpfree(r.rs.iuf, istat);
  epwait();
  epagend();
  return kExitFailed;
}

// Index of name in envsorted(1..howmany), or 0.
std::int32_t find_name(const RunState& r, const Text<8>& name) {
  for (std::int32_t n = 1; n <= r.st.howmany; ++n) {
    if (r.st.envsorted(n) == name) return n;
  }
  return 0;
}

// Index of isen in the sorted mapsentoarray(1..howmany), or 0.
std::int32_t find_index(const RunState& r, std::int32_t isen) {
  for (std::int32_t n = 1; n <= r.st.howmany; ++n) {
    if (r.st.mapsentoarray(n) == isen) return n;
  }
  return 0;
}

// The word separators (blank, comma, tab, "|") as a table by character code:
// the plain reader asks for every character of a line.
constexpr std::array<bool, 256> kWordSeparator = [] {
  std::array<bool, 256> t{};
  for (const unsigned char c : {' ', ',', '\t', '|'}) t[c] = true;
  return t;
}();

bool is_word_separator(char c) { return kWordSeparator[static_cast<unsigned char>(c)]; }

// The next word of line after 0-based index p, as the word readers find it
// (separators skipped, the word ends at the next separator); p moves past the
// separator that ends it. False at the end of the line, for a word that runs
// into the last column, and for a word longer than max characters: the word
// readers treat those specially.
bool plain_word(std::string_view line, std::size_t& at, std::string_view& word, std::size_t max) {
  std::size_t p = at;  // a local cursor, as in plain_int_word
  const std::size_t n = line.size();
  while (p < n && is_word_separator(line[p])) ++p;
  std::size_t e = p;
  while (e < n && !is_word_separator(line[e])) ++e;
  if (e >= n || e == p || e - p > max) return false;
  word = line.substr(p, e - p);
  at = e + 1;
  return true;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The next word of line after 0-based index p read as an integer in the same
// walk: after the separators, an optional minus and one to nine digits ended by
// a separator, as plain_word and a check of the word would take it. p moves
// past that separator. False for any other word, for a word that runs into the
// last column, and at the end of the line.
bool plain_int_word(std::string_view line, std::size_t& at, std::int32_t& value) {
  // The walk keeps the cursor in a local: a store through the reference could
  // alias the characters and would be made at every step.
  std::size_t p = at;
  const std::size_t n = line.size();
  while (p < n && is_word_separator(line[p])) ++p;
  const bool negative = p < n && line[p] == '-';
  if (negative) ++p;
  const std::size_t first = p;
  std::int32_t x = 0;
  while (p < n && is_digit(line[p])) {
    if (p - first == 9) return false;  // a tenth digit
    x = x * 10 + (line[p] - '0');
    ++p;
  }
  if (p == first || p >= n || !is_word_separator(line[p])) return false;
  at = p + 1;
  value = negative ? -x : x;
  return true;
}

// Powers of ten that a 4-byte real holds exactly.
constexpr float kTens[] = {1e0F, 1e1F, 1e2F, 1e3F, 1e4F, 1e5F, 1e6F, 1e7F};

// The next word of line after p read as a real in the same walk: digits with
// at most one point, at least one digit, at most max characters, ended by a
// separator before the last column. The value is the nearest 4-byte real to
// the decimal text: for up to seven digits the digits as a whole number
// divided by a power of ten (both exact, and one rounded division gives the
// nearest real), for more the general decimal reader.
bool plain_real_word(std::string_view line, std::size_t& at, float& value, std::size_t max) {
  std::size_t p = at;  // a local cursor, as in plain_int_word
  const std::size_t n = line.size();
  while (p < n && is_word_separator(line[p])) ++p;
  const std::size_t b = p;
  std::int32_t whole = 0;
  std::size_t digits = 0;
  std::size_t decimals = 0;
  bool point = false;
  for (; p < n && !is_word_separator(line[p]); ++p) {
    const char c = line[p];
    if (c == '.' && !point) {
      point = true;
    } else if (is_digit(c)) {
      if (digits < 7) whole = whole * 10 + (c - '0');
      ++digits;
      if (point) ++decimals;
    } else {
      return false;
    }
  }
  if (p >= n || digits == 0 || p - b > max) return false;
  const std::size_t e = p;
  at = p + 1;
  if (digits <= 7) {
    value = static_cast<float>(whole) / kTens[decimals];
    return true;
  }
  float x = 0.0F;
  const auto [end, ec] = std::from_chars(line.data() + b, line.data() + e, x);
  if (ec != std::errc() || end != line.data() + e) return false;
  value = x;
  return true;
}

}  // namespace

bool read_qtv2_plain(const LogLine& line, LineValues& v) {
  const std::string_view s = line.view();
  std::string_view word;
  std::size_t p = 0;
  if (!plain_word(s, p, word, s.size())) return false;  // the first word, not used
  p = 20;  // the name is the first word after the stamp
  std::string_view name;
  if (!plain_word(s, p, name, 32)) return false;
  // radio, packet, sequence, transmit power, battery; humidity; temperature,
  // light, PIR count, PIR value, switch count.
  std::int32_t i[10];
  float rrh = 0.0F;
  for (int f = 0; f < 5; ++f) {
    if (!plain_int_word(s, p, i[f])) return false;
  }
  if (!plain_real_word(s, p, rrh, 15)) return false;
  for (int f = 5; f < 10; ++f) {
    if (!plain_int_word(s, p, i[f])) return false;
  }
  // Values outside the checked ranges are warned about by the word readers.
  if (i[0] < -200 || i[0] > 0 || i[1] < 0 || i[1] > 2 || rrh < 0.0F || rrh > 100.0F || i[5] < 0 ||
      i[5] > 40000) {
    return false;
  }
  v.word = name;
  v.name = sub1(v.word, 1, 8);
  v.iradio = i[0];
  v.ipacket = i[1];
  v.iseq = i[2];
  v.itxpwr = i[3];
  v.ibat = i[4];
  v.rrh = rrh;
  v.irdbt = i[5];
  v.irlight = i[6];
  v.irpircount = i[7];
  v.irpvalue = i[8];
  v.iswcount = i[9];
  return true;
}

namespace {

bool decode_qtv2(RunState& r) {
  LineValues& v = r.v;
  v.datea = sub1(r.loutstr, 1, 20);
  r.stamp_clean = datestamptojulian(v.datea, '2', r.juliand, r.julianfrac, r.ijday, r.tsec);
  if (!read_qtv2_plain(r.loutstr, v)) read_qtv2_report(r.loutstr, v);
  const std::int32_t n = find_name(r, v.name);
  if constexpr (!kVariant64) {
    if (n > 0) pir_differences(v, r.tsec, n, r.rd);
  }
  for (std::int32_t j = 1; j <= r.rs.nbixsen; ++j) {
    if (r.rs.ixsen(j) == v.name) return false;
  }
  // A sensor missing from the table (refused when it was full, or first heard
  // after the survey's last line) has nowhere to keep its readings.
  if (n == 0) return false;
  r.icurrentsenarray = n;
  store_readings(act_letter(r), v, n, r.rd);
  return true;
}

bool decode_molva(RunState& r) {
  LineValues& v = r.v;
  r.stamp_clean = false;
  std::int32_t k = 0;
  read_first_word(r.loutstr, k, v);
  read_molva_head(r.loutstr, k, Pass::kReport, v);
  if (r.rs.irepsen > 0 && v.isen != r.rs.irepsen) return false;
  const std::int32_t n = find_index(r, v.isen);
  if (n == 0) {
    if (!is_refused(r, v.isen)) {
      FreeLine()
          .text("unknown sensor index ")
          .num(v.isen)
          .text(" @ ")
          .text(v.datea)
          .write(outin.iuout);
    }
    return false;
  }
  read_molva_counts(r.loutstr, k, v);
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
  read_molva_values(r.loutstr, k, act_letter(r), v);
  r.icurrentsenarray = n;
  store_readings(act_letter(r), v, n, r.rd);
  return true;
}

// The first piece of a row: the day number of the step in 10 columns with 6
// decimals, the first 16 characters of the step label, and a comma each.
void row_prefix(const RunState& r, std::string& line) {
  char b[48];
  const int n = std::snprintf(b, sizeof b, "%10.6f,", static_cast<double>(r.step.curnowis));
  line.append(b, static_cast<std::size_t>(n));
  line.append(sub1(r.dateafive, 1, 16)).append(",");
}

// Writes the value list of the row through arlist, with the day number and the
// step label in front of the first piece.
std::int32_t write_row_pieces(RunState& r, std::string& line) {
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
    if (write_report_line(r, line) != kIoOk) return kExitFailed;
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
std::int32_t write_row(RunState& r) {
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
    return write_report_line(r, line) == kIoOk ? kRunGoesOn : kExitFailed;
  }
  return write_row_pieces(r, line);
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

std::string column_header_line(const RunState& r) {
  Text<kHeaderWidth> loutstr4k;
  Text<kHeaderWidth> loutstr4ks;
  const RunSettings& rs = r.rs;
  loutstr4k = "JulianTime,yyyy-mm-dd,hh:mm,";
  std::int32_t k4 = 30;  // position 29 stays blank
  for (std::int32_t n = 1; n <= r.st.howmany; ++n) {
    if (rs.restrictreport && !restricted_to(r, n)) continue;
    std::string piece;
    if (is_qtv2(r)) {
      const std::string_view name = r.st.envsorted(n);
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
      const std::string idx = index_text(r.st.mapsentoarray(n));
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

std::int32_t write_report_header(RunState& r) {
  const RunSettings& rs = r.rs;
  const bool qtv2 = is_qtv2(r);
  std::string block;
  auto line = [&block](std::string_view t) { block.append(t).append("\n"); };

  const std::string_view title = report_title(act_letter(r));
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
      std::snprintf(b, sizeof b, "number of sensors %2d", static_cast<int>(r.st.howmany));
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
    const std::size_t n = static_cast<std::size_t>(r.st.howmany);
    if (rs.restrictreport) {
      line("sensor list " + restricted_id);
    } else if (qtv2) {
      line("sensor list " + name_list(std::span(r.st.envsorted.begin(), n)));
    } else {
      line("sensor list " + number_list(std::span(r.st.mapsentoarray.begin(), n)));
    }
  }
  block.append(column_header_line(r));
  if (write_report_line(r, block) != kIoOk) return write_failed(r);
  return kRunGoesOn;
}

bool decode_line(RunState& r) {
  if (holds_no_word(r.loutstr)) return false;  // carries no packet
  return is_qtv2(r) ? decode_qtv2(r) : decode_molva(r);
}

bool assign_step(RunState& r) {
  const bool qtv2 = is_qtv2(r);
  // Converting a stamp that converted cleanly once gives the same day number
  // and shows nothing, so only a stamp that showed messages is converted again.
  if (!r.stamp_clean) {
    datestamptojulian(r.v.datea, qtv2 ? '2' : 'B', r.juliand, r.julianfrac, r.ijday, r.tsec);
  }
  bool assigned = true;
  if (fast_regime(r)) {
    const bool sets_hour =
        r.rs.restrictreport || r.icurrentsenarray == 1 || r.icurrentsenarray == 2;
    assigned = assign_step_fast(r.df, sets_hour, r.juliand, r.julianfrac, r.ijday, r.step);
  } else {
    assign_step_slow(r.df, r.juliand, r.julianfrac, r.ijday, r.step);
  }
  return assigned;
}

bool row_due(const RunState& r) {
  if (r.rs.restrictreport) return true;
  const std::int32_t howmany = r.st.howmany;
  if (fast_regime(r)) {
    if (r.v.iver == 4) return r.howmanynow > 2 * howmany;
    if (r.v.iver == 5) return r.howmanynow > howmany;
    return true;
  }
  if (!is_qtv2(r)) return r.howmanynow >= howmany;
  return true;
}

void fill_row_values(RunState& r) {
  const RunSettings& rs = r.rs;
  const Readings& rd = r.rd;
  std::size_t ipos = 0;
  auto put = [&](float x) {
    if (ipos < r.tabular.size()) r.tabular[ipos++] = x;
  };
  for (std::int32_t n = 1; n <= r.st.howmany; ++n) {
    if (rs.restrictreport && !restricted_to(r, n)) continue;
    if (is_qtv2(r)) {
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
  const std::int32_t sensors = rs.restrictreport ? 1 : r.st.howmany;
  if (is_qtv2(r)) {
    const std::int32_t excluded = 5 - (rs.incdbt + rs.inclux + rs.incrh + rs.incpir + rs.incsw);
    r.itotcolumns = (5 - excluded) * sensors;
  } else {
    r.itotcolumns = 5 * sensors;
  }
  r.itotcolumns = std::min(r.itotcolumns, kRowValues);
}

std::int32_t write_row_if_due(RunState& r) {
  r.howmanynow += 1;
  if (!row_due(r)) return kRunGoesOn;
  const bool same_step_check =
      (r.rs.restrictreport && !fast_regime(r)) || (is_qtv2(r) && !r.rs.restrictreport);
  if (same_step_check && r.step.printedat + r.df.oneminfrac > r.step.curnowis) {
    r.howmanynow = 0;
    return kRunGoesOn;
  }
  // The label of the step is made only for a row that is written: it is the
  // label of the reading just assigned, whose stamp and step are still at hand.
  step_label(r.v.datea, r.step.ithehouris, r.step.icurfive, r.dateafive);
  fill_row_values(r);
  if (write_row(r) != kRunGoesOn) return write_failed(r);
  r.step.printedat = r.step.thejulianis;
  r.howmanynow = 0;
  if (is_qtv2(r)) {
    for (std::int32_t n = 1; n <= r.st.howmany; ++n) r.rd.deltapircountsum(n) = 0.0F;
  }
  return kRunGoesOn;
}

std::int32_t report_pass(RunState& r) {
  RunSettings& rs = r.rs;
  std::int32_t istat = 0;
  std::int32_t ier = 0;
  erpfree(rs.iunit, istat);
  efopseq(rs.iunit, rs.inter, kExistMust, ier);
  if (ier != 0) {
    usrmsg(" Problem re-opening...", rs.inter.view(), 'W');
    return kExitFailed;
  }
  for (std::int32_t n = 1; n <= kSensors; ++n) {
    r.rd.lastseq(n) = 0;
    r.rd.seqseen(n) = false;
  }
  r.howmanynow = 0;
  r.step.ithehouris = hour_of_mark(r.df, r.step.thehouris);

  LogWindow log(rs.iunit);
  Verdict verdict = Verdict::kUse;
  std::int32_t lines = 0;
  while (log.next(r.loutstr, verdict, ier)) {
    ++lines;
    if (verdict != Verdict::kUse) {
      // The survey announced the lines it read.
      if (lines > r.lines_surveyed) warn_passed_over(verdict, r.loutstr);
      continue;
    }
    if (!decode_line(r)) continue;
    if (!assign_step(r)) continue;
    if (write_row_if_due(r) != kRunGoesOn) return kExitFailed;
  }

  FreeLine()
      .text(kVariant64 ? "stripc end of file " : "at end of file ")
      .num(ier)
      .write(outin.iuout);
  erpfree(rs.iunit, istat);
  // The report is closed here rather than released, so that text that could
  // not be written out (a full disk) is noticed.
  if (write_report_line(r, "# end") != kIoOk || channel_close(rs.iuf) != kIoOk) {
    return write_failed(r);
  }
  erpfree(rs.iuf, istat);
  return kExitDone;
}

}  // namespace vud
