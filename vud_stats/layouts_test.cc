#include "vud_stats/layouts.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <string>

#include "tools/seeded_rng.h"
#include "vud_stats/stats_test_util.h"
#include "vud_support/parse/numtext.h"

namespace vud {
namespace {

// The integer fields a QTV 2 line fills, in the order of the line.
std::array<std::int32_t, 10> int_fields(const LineValues& v) {
  return {v.iradio, v.ipacket, v.iseq,       v.itxpwr,   v.ibat,
          v.irdbt,  v.irlight, v.irpircount, v.irpvalue, v.iswcount};
}

// Characters that damage a line: digits, signs, points, separators, exponents.
constexpr std::string_view kDamage = "0123456789-.,, |\t+eE";

// Damages line at a random column from `from` on: a cut, a run of 1 to 12
// digits (numbers of eight, nine, ten and more digits), a run of
// `fewest_separators` to 990 separators (which moves the fields towards the
// last columns), or one changed character.
void damage(seeded::Rng& rng, std::string& line, std::size_t from, int fewest_separators) {
  const std::size_t at = from + rng.Below(static_cast<std::uint32_t>(line.size() - from));
  const std::uint32_t how = rng.Below(8);
  if (how < 2) {
    line.resize(at);
  } else if (how == 2) {
    line.insert(at, std::string(rng.Between(1, 12), static_cast<char>('0' + rng.Below(10))));
  } else if (how == 3) {
    line.insert(at, std::string(rng.Between(fewest_separators, 990), kDamage[12 + rng.Below(5)]));
  } else {
    line[at] = kDamage[rng.Below(static_cast<std::uint32_t>(kDamage.size()))];
  }
}

class Layouts : public StatsTest {
 protected:
  // The value text a report row shows for x.
  static std::string text(float x) {
    Text<16> t;
    std::int32_t n = 0, flag = 0;
    rel16str(x, t, n, flag);
    return std::string(sub1(t, 1, n));
  }
  // A standard MOLVA line with the given index, sequence, packets left, raw
  // values and 24 PIR and 24 audio words.
  static std::string molva(std::int32_t isen, std::int32_t seq, std::int32_t left,
                           std::int32_t temp, std::int32_t light, std::int32_t rh,
                           std::int32_t pir_peak, std::int32_t audio_peak) {
    std::string s = "MOLVA,1371846293,2013-06-21 20:24:53.518," + std::to_string(isen) + ",5,24," +
                    std::to_string(seq) + "," + std::to_string(left) + "," + std::to_string(temp) +
                    "," + std::to_string(light) + ",3010," + std::to_string(rh);
    for (int i = 0; i < 24; ++i) s += "," + std::to_string(i == 7 ? pir_peak : i % 3);
    for (int i = 0; i < 24; ++i) s += "," + std::to_string(i == 20 ? audio_peak : 40 + i % 10);
    return s;
  }
  LineValues v_;
  Readings rd_;
};

TEST_F(Layouts, QtvTwoLineDecodesAndConverts) {
  const LogLine line("2014/12/22,13:41:05,4A3F21B0,-61,1,17,3,2950,51.20,215,120,14,5,0");
  read_qtv2_report(line, v_);
  EXPECT_EQ(v_.name.view(), "4A3F21B0");
  EXPECT_EQ(v_.iradio, -61);
  EXPECT_EQ(v_.ipacket, 1);
  EXPECT_EQ(v_.iseq, 17);
  EXPECT_EQ(v_.ibat, 2950);
  store_readings('2', v_, 3, rd_);
  EXPECT_EQ(rd_.pvudtmp(3), 21.5F);
  EXPECT_EQ(rd_.pvudhumidity(3), 51.2F);
  EXPECT_EQ(rd_.pvudlight(3), 120.0F);
  EXPECT_EQ(rd_.pvudpirc(3), 14.0F);
  EXPECT_EQ(rd_.pvudpirpwr(3), 5.0F);
  EXPECT_EQ(rd_.pvudswitch(3), 0.0F);
  EXPECT_EQ(rd_.pvudaudio(3), 0.0F);
  EXPECT_EQ(shown(), "");

  // The survey reads only the name, the signal and the kind; a long name is cut.
  const LogLine survey("2014/12/22,13:41:05,4A3F21B0FF,-61,3,17");
  read_qtv2_survey(survey, v_);
  EXPECT_EQ(v_.name.view(), "4A3F21B0");
  EXPECT_EQ(v_.ipacket, 3);
  EXPECT_NE(shown().find(" the env packet value (3) > normal maximum 2!"), std::string::npos);
}

TEST_F(Layouts, QtvTwoFieldsThatFailKeepTheirValues) {
  read_qtv2_report(LogLine("2014/12/22,13:41:05,4A3F21B0,-61,1,17,3,2950,51.20,215,120,14,5,0"),
                   v_);
  read_qtv2_report(LogLine("2014/12/22,13:41:05,4A3F21B0,-61,1,17,3,2950,5x,216"), v_);
  EXPECT_EQ(v_.rrh, 51.2F);
  EXPECT_EQ(v_.irdbt, 216);
  EXPECT_EQ(v_.irlight, 120);  // past the end of the line: kept
  EXPECT_NE(shown().find("conversion of humidity % value in 5x"), std::string::npos);
}

TEST_F(Layouts, MolvaConversions) {
  EXPECT_EQ(text(raw_temp_to_degc(39000)), "22.756");
  EXPECT_EQ(text(raw_rh_to_percent(5000)), "25.263");
  EXPECT_EQ(text(raw_light_to_lux(850)), "195.47");
  EXPECT_EQ(raw_light_to_lux(851), 285.0F);
  EXPECT_EQ(text(audio_peak_to_dba(60)), "56.500");
  EXPECT_TRUE(std::isinf(raw_rh_to_percent(0)));
  EXPECT_EQ(text(audio_peak_to_dba(0)), "-Infinity");
}

TEST_F(Layouts, MolvaStandardLine) {
  const LogLine line(molva(7, 3, 0, 39000, 850, 5000, 9, 60));
  std::int32_t k = 0;
  read_first_word(line, k, v_);
  EXPECT_EQ(v_.word.view().substr(0, 6), "MOLVA ");
  read_molva_head(line, k, Pass::kReport, v_);
  EXPECT_EQ(v_.datea.view(), "2013-06-21 20:24:53.518 ");
  EXPECT_EQ(v_.isen, 7);
  read_molva_counts(line, k, v_);
  EXPECT_EQ(v_.iver, 5);
  EXPECT_EQ(v_.ipirpackets, 24);
  EXPECT_EQ(v_.iseq, 3);
  EXPECT_EQ(v_.ipacketsleft, 0);
  read_molva_values(line, k, 'b', v_);
  EXPECT_EQ(v_.ipirpeak, 9);
  EXPECT_EQ(v_.iaudiopeak, 60);
  store_readings('b', v_, 1, rd_);
  EXPECT_EQ(text(rd_.pvudtmp(1)), "22.756");
  EXPECT_EQ(text(rd_.pvudlight(1)), "195.47");
  EXPECT_EQ(text(rd_.pvudhumidity(1)), "25.263");
  EXPECT_EQ(rd_.pvudpirc(1), 9.0F);
  EXPECT_EQ(text(rd_.pvudaudio(1)), "56.500");
  EXPECT_EQ(shown(), "");

  // All PIR words negative: the peak is 0.
  const LogLine low(
      "MOLVA,1,2013-06-21 20:24:53.518,7,5,24,3,0,39000,850,3010,5000"
      ",-1,-1,-1,-1,-1,-1,-1,-1,-1,-1,-1,-1,-1,-1,-1,-1,-1,-1,-1,-1,-1,-1,-1,-1");
  k = 0;
  read_first_word(low, k, v_);
  read_molva_head(low, k, Pass::kReport, v_);
  read_molva_counts(low, k, v_);
  read_molva_values(low, k, 'B', v_);
  EXPECT_EQ(v_.ipirpeak, 0);
}

// Field 6 (the number of PIR packets) and the raw PIR words are separate
// values: a line cut off before field 6 keeps the previous count, not the last
// PIR word, and a line cut off before its PIR words never takes the count as
// its PIR peak.
TEST_F(Layouts, MolvaPirPacketCountStaysApartFromPirWords) {
  std::string full = "MOLVA,1,2013-06-21 20:24:53.518,7,5,3,3,0,39000,850,3010,5000";
  for (int i = 0; i < 24; ++i) full += i == 23 ? ",40" : ",0";
  for (int i = 0; i < 24; ++i) full += ",50";
  auto decode = [this](std::string_view text) {
    const LogLine line(text);
    std::int32_t k = 0;
    read_first_word(line, k, v_);
    read_molva_head(line, k, Pass::kReport, v_);
    read_molva_counts(line, k, v_);
    read_molva_values(line, k, 'b', v_);
  };
  decode(full);
  EXPECT_EQ(v_.ipirpackets, 3);
  EXPECT_EQ(v_.ipirpeak, 40);
  decode("MOLVA,2,2013-06-21 20:25:53.518,7,5");  // ends after the version
  EXPECT_EQ(v_.ipirpackets, 3);
  decode("MOLVA,3,2013-06-21 20:26:53.518,7,5,17,4,0");  // ends before its values
  EXPECT_EQ(v_.ipirpackets, 17);
  EXPECT_EQ(v_.ipirpeak, 40);  // the last PIR word kept, never the count 17
}

TEST_F(Layouts, MolvaShortAndUserUnitsLines) {
  const LogLine short_line(
      "MOLVA_SHORT,1,2013-06-21 20:24:53.518,7,4,3,8,0,39000,851,3010,5000,1,6,2,40,61,50");
  std::int32_t k = 0;
  read_first_word(short_line, k, v_);
  read_molva_head(short_line, k, Pass::kReport, v_);
  read_molva_counts(short_line, k, v_);
  read_molva_values(short_line, k, 's', v_);
  EXPECT_EQ(v_.iver, 4);
  EXPECT_EQ(v_.ipirpeak, 6);
  EXPECT_EQ(v_.iaudiopeak, 61);
  store_readings('s', v_, 2, rd_);
  EXPECT_EQ(rd_.pvudlight(2), 285.0F);
  EXPECT_EQ(rd_.pvudpirc(2), 6.0F);

  struct Case {
    std::string_view tail;
    float audio;
  };
  const Case cases[] = {{"35.5,47.25,40.0", 47.25F}, {"35.5,-inf", 0.0F}, {"35.5,-1.$", 0.0F}};
  for (const Case& c : cases) {
    const LogLine units(
        "MOLVA_UNITS,1,2013-06-21 20:24:53.518,9,5,3,8,0,21.5,120.5,3010,51.2,"
        "1,6,2," +
        std::string(c.tail));
    v_.audiopeak = -5.0F;
    k = 0;
    read_first_word(units, k, v_);
    read_molva_head(units, k, Pass::kReport, v_);
    read_molva_counts(units, k, v_);
    read_molva_values(units, k, 'u', v_);
    store_readings('u', v_, 4, rd_);
    EXPECT_EQ(rd_.pvudtmp(4), 21.5F) << c.tail;
    EXPECT_EQ(rd_.pvudlight(4), 120.5F) << c.tail;
    EXPECT_EQ(rd_.pvudhumidity(4), 51.2F) << c.tail;
    EXPECT_EQ(rd_.pvudpirc(4), 6.0F) << c.tail;
    EXPECT_EQ(rd_.pvudaudio(4), c.audio) << c.tail;
  }
  EXPECT_EQ(shown(), "");
}

TEST_F(Layouts, LayoutDetection) {
  struct Case {
    std::string_view word;
    char act;
    std::int32_t fileformat;
    char act_after;
  };
  const Case cases[] = {{"MOLVA_UNITS", '-', kFormatMolvaUnits, 'u'},
                        {"MOLVA_UNIT", '-', kFormatMolvaUnits, 'u'},
                        {"MOLVA_SHORT", '-', kFormatMolvaShort, 's'},
                        {"MOLVA", '-', kFormatMolva, 'b'},
                        {"MOLVA_SHORT", 'b', kFormatMolvaShort, 'b'},  // a given letter stays
                        {"JEX", '-', 99, '-'}};
  for (const Case& c : cases) {
    std::int32_t fileformat = 99;
    char act = c.act;
    detect_molva(Text<32>(c.word), fileformat, act);
    EXPECT_EQ(fileformat, c.fileformat) << c.word;
    EXPECT_EQ(act, c.act_after) << c.word;
  }
  std::int32_t fileformat = 0;
  char act = '-';
  detect_qtv2(fileformat, act);
  EXPECT_EQ(fileformat, kFormatQtv2);
  EXPECT_EQ(act, '2');
  // Any year of 2000 to 2099 in the form YYYY/; nothing else.
  for (std::string_view word :
       {"2014/12/22", "2000/01/01", "2026/12/10", "2063/12/31", "2099/12/31", "2015/"}) {
    EXPECT_TRUE(is_qtv2_word(word)) << word;
  }
  for (std::string_view word : {"MOLVA", "2014-12-22", "1999/12/31", "2100/01/01", "201", "2014",
                                "20x4/12/22", "2014,12", ""}) {
    EXPECT_FALSE(is_qtv2_word(word)) << word;
  }
}

TEST_F(Layouts, PirDifferencesSumCountsSinceTheLastData) {
  // Kind 1 remembers the time; other kinds add the count difference to the sum.
  struct Step {
    std::int32_t kind, count, value;
    float tsec, sum, deltas;
  };
  const Step steps[] = {
      {2, 10, 5, 100.0F, 1.0F, 100.0F},  // nothing stored yet: a difference of 1
      {1, 12, 7, 130.0F, 1.0F, 100.0F},  // time only
      {2, 14, 9, 190.0F, 3.0F, 60.0F},   // 14 - 12
      {0, 15, 9, 210.0F, 4.0F, 20.0F},
  };
  for (const Step& s : steps) {
    v_.ipacket = s.kind;
    v_.irpircount = s.count;
    v_.irpvalue = s.value;
    pir_differences(v_, s.tsec, 5, rd_);
    EXPECT_EQ(rd_.deltapircountsum(5), s.sum) << s.tsec;
    EXPECT_EQ(rd_.pirdeltas(5), s.deltas) << s.tsec;
    EXPECT_EQ(rd_.sssod(5), s.tsec);
    store_readings('2', v_, 5, rd_);
  }
  EXPECT_EQ(rd_.deltapirpwr(5), 0.0F);  // (9 - 9) / 20
}

// A plain QTV 2 line is read in one walk; every other line is left to the word
// readers. Whatever the walk reads must be what the word readers read, with
// nothing shown.
TEST_F(Layouts, PlainQtvTwoLinesReadAsTheWordReadersReadThem) {
  struct Case {
    std::string_view line;
    bool plain;
  };
  const Case cases[] = {
      {"2014/12/22,13:41:05,4A3F21B0,-61,1,17,3,2950,51.20,215,120,14,5,0", true},
      {"2014/12/22,13:41:05,4A3F21B0,-61,1,17,3,2950,51.20,215,120,14,5,0,99,extra", true},
      {"2014/12/22,13:41:05,4A3F21B0,-200,0,0,0,0,0,0,0,0,0,0", true},
      {"2014/12/22,13:41:05,4A3F21B0,0,2,-1,-2,-3,100,40000,-4,-5,-6,-7", true},
      {"2014/12/22,13:41:05 | AB\t-61 , 1,,17|3,2950,51.,215,120,14,5,0", true},
      {"2014/12/22,13:41:05,LONGNAME1234,-061,01,17,3,2950,.5,0215,120,14,5,0", true},
      {"2014/12/22,13:41:05,N2345678901234567890123456789012,-61,1,1,3,2950,5,215,1,1,5,0", true},
      {"2014/12/22,13:41:05,N23456789012345678901234567890123,-61,1,1,3,2950,5,215,1,1,5,0",
       false},  // a name longer than its field goes on as the next word
      {"2014/12/22,13:41:05,4A3F21B0,-201,1,17,3,2950,51.20,215,120,14,5,0", false},
      {"2014/12/22,13:41:05,4A3F21B0,1,1,17,3,2950,51.20,215,120,14,5,0", false},
      {"2014/12/22,13:41:05,4A3F21B0,-61,3,17,3,2950,51.20,215,120,14,5,0", false},
      {"2014/12/22,13:41:05,4A3F21B0,-61,1,17,3,2950,100.01,215,120,14,5,0", false},
      {"2014/12/22,13:41:05,4A3F21B0,-61,1,17,3,2950,51.20,40001,120,14,5,0", false},
      {"2014/12/22,13:41:05,4A3F21B0,-61,1,+17,3,2950,51.20,215,120,14,5,0", false},
      {"2014/12/22,13:41:05,4A3F21B0,-61,1,17,3,2950,5e1,215,120,14,5,0", false},
      {"2014/12/22,13:41:05,4A3F21B0,-61,1,17,3,2950,-5,215,120,14,5,0", false},
      {"2014/12/22,13:41:05,4A3F21B0,-61,1,17,3,2950,nan,215,120,14,5,0", false},
      {"2014/12/22,13:41:05,4A3F21B0,-61,1,17,3,2950,51.20,215,120,14,5", false},
      {"2014/12/22,13:41:05,4A3F21B0,-61,1,1234567890,3,2950,51.20,215,120,14,5,0", false},
      {"2014/12/22,13:41:05,4A3F21B0,-61,1,17x,3,2950,51.20,215,120,14,5,0", false},
      {"2014/12/22,13:41:05,4A3F21B0,-61,1,-,3,2950,51.20,215,120,14,5,0", false},
      {"", false},
  };
  for (const Case& c : cases) {
    LineValues preset;
    preset.word = "before";
    preset.name = "BEFORE";
    preset.iradio = preset.ipacket = preset.iseq = preset.itxpwr = preset.ibat = 77;
    preset.irdbt = preset.irlight = preset.irpircount = preset.irpvalue = preset.iswcount = 77;
    preset.rrh = 7.5F;
    const LogLine line(c.line);
    LineValues plain = preset;
    ASSERT_EQ(read_qtv2_plain(line, plain), c.plain) << c.line;
    LineValues read = preset;
    read_qtv2_report(line, read);
    const LineValues& expected = c.plain ? read : preset;
    const std::string messages = shown();
    if (c.plain) {
      EXPECT_EQ(messages, "") << c.line;
    }
    EXPECT_EQ(plain.word.view(), expected.word.view()) << c.line;
    EXPECT_EQ(plain.name.view(), expected.name.view()) << c.line;
    EXPECT_EQ(int_fields(plain), int_fields(expected)) << c.line;
    EXPECT_EQ(plain.rrh, expected.rrh) << c.line;
  }
}

// The same on random lines, most of them damaged by a changed character or a
// cut: the fast reader takes a line only when the word readers read it
// silently, and then to the same values; otherwise it leaves the values alone.
TEST_F(Layouts, RandomAndDamagedQtvTwoLinesReadAsTheWordReadersReadThem) {
  seeded::Rng rng{603};
  const char* const kHumidity[] = {"%d.%02d", "%d", "%d.", "0%d.%d", "%d.%07d", "00000%d.%d"};
  int taken = 0;
  for (int i = 0; i < 20000; ++i) {
    char b[200];
    std::snprintf(b, sizeof b, "2015/06/03,00:00:10,%08X,%d,%d,%d,%d,%d,",
                  static_cast<unsigned>(rng.Next() & 0xFFFFFFFFU), rng.Between(-210, 5),
                  rng.Between(-1, 3), rng.Between(-5, 999999999), rng.Between(-20, 20),
                  rng.Between(2500, 3400));
    std::string line(b);
    std::snprintf(b, sizeof b, kHumidity[rng.Below(6)], rng.Between(0, 101),
                  rng.Between(0, 9999999));
    line += b;
    std::snprintf(b, sizeof b, ",%d,%d,%d,%d,%d", rng.Between(-10, 40010), rng.Between(0, 300),
                  rng.Between(0, 99999), rng.Between(0, 100), rng.Between(0, 40));
    line += b;
    if (rng.Below(2) == 0) damage(rng, line, 20, 900);
    LineValues preset;
    preset.iradio = preset.ipacket = preset.iseq = preset.iswcount = 77;
    preset.rrh = 7.5F;
    const LogLine log_line(line);
    LineValues fast = preset;
    const bool plain = read_qtv2_plain(log_line, fast);
    LineValues read = preset;
    read_qtv2_report(log_line, read);
    const std::string messages = shown();
    const LineValues& expected = plain ? read : preset;
    if (plain) {
      ++taken;
      ASSERT_EQ(messages, "") << line;
    }
    ASSERT_EQ(fast.name.view(), expected.name.view()) << line;
    ASSERT_EQ(int_fields(fast), int_fields(expected)) << line;
    ASSERT_EQ(fast.rrh, expected.rrh) << line;
  }
  EXPECT_GT(taken, 2000);  // the fast reader is exercised, not only refused
}

// MOLVA lines read in one walk give what the word readers give at each step
// (head, counts, values), with nothing shown; lines the walk refuses are left
// to the word readers. Random lines of the b and s layouts, read under every
// letter, most of them damaged by a changed character, a cut, a run of
// digits or of separators.
TEST_F(Layouts, RandomAndDamagedMolvaLinesReadAsTheWordReadersReadThem) {
  seeded::Rng rng{1419};
  const char kLetters[] = {'b', 'B', 's', 'S', 'u'};
  int taken = 0;
  for (int i = 0; i < 20000; ++i) {
    char b[80];
    std::snprintf(b, sizeof b, "MOLVA%s,%d,2014-12-22 13:%02d:%02d.%03d,%d,%d,%d,%d,%d",
                  rng.Below(8) == 0 ? "_SHORT" : "", rng.Between(0, 2000000000), rng.Between(0, 59),
                  rng.Between(0, 59), rng.Between(0, 999), rng.Between(-2, 1210), rng.Between(3, 6),
                  rng.Between(-1, 25), rng.Between(0, 99999), rng.Between(0, 12));
    std::string line(b);
    const int words = 4 + (rng.Below(3) == 0 ? 6 : 48);
    for (int w = 0; w < words; ++w) {
      const int hi = w == 0 || w == 3 ? 40010 : 999;
      line += "," + std::to_string(rng.Between(w == 0 || w == 3 ? -5 : 0, hi));
    }
    if (rng.Below(2) == 0) damage(rng, line, 0, 1);
    const char letter = kLetters[rng.Below(5)];
    const LogLine log_line(line);
    LineValues preset;
    preset.word = "before";
    preset.isen = preset.iver = preset.iseq = preset.ipir = preset.iaudio = preset.idum = 77;
    MolvaWords words_read;
    if (!read_molva_plain(log_line, letter, words_read)) continue;
    ++taken;
    LineValues fast = preset, slow = preset;
    std::int32_t k = 0;
    auto same = [&](const char* step) {
      ASSERT_EQ(fast.word.view(), slow.word.view()) << step << ": " << line;
      ASSERT_EQ(fast.datea.view(), slow.datea.view()) << step << ": " << line;
      const std::array<std::int32_t, 15> a = {
          fast.isen,     fast.iver,    fast.ipirpackets, fast.iseq, fast.ipacketsleft,
          fast.irdbt,    fast.irlight, fast.ibat,        fast.irrh, fast.ipir,
          fast.ipirpeak, fast.iaudio,  fast.iaudiopeak,  fast.idum, 0};
      const std::array<std::int32_t, 15> e = {
          slow.isen,     slow.iver,    slow.ipirpackets, slow.iseq, slow.ipacketsleft,
          slow.irdbt,    slow.irlight, slow.ibat,        slow.irrh, slow.ipir,
          slow.ipirpeak, slow.iaudio,  slow.iaudiopeak,  slow.idum, 0};
      ASSERT_EQ(a, e) << step << ": " << line;
      ASSERT_EQ(shown(), "") << step << ": " << line;
    };
    take_molva_head(words_read, fast);
    read_first_word(log_line, k, slow);
    read_molva_head(log_line, k, Pass::kReport, slow);
    same("head");
    take_molva_counts(words_read, fast);
    read_molva_counts(log_line, k, slow);
    same("counts");
    take_molva_values(words_read, letter, fast);
    read_molva_values(log_line, k, letter, slow);
    same("values");
  }
  EXPECT_GT(taken, 3000);  // the walk is exercised, not only refused
}

}  // namespace
}  // namespace vud
