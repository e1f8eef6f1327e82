// Receiver log layouts: the QTV 2 line and the three MOLVA lines (standard,
// short, user units), how the layout is recognised, the fields of each line
// in order, and the conversion of raw values to physical units stored per
// sensor, with the PIR count differences of QTV 2 logs.
#ifndef VUD_STATS_LAYOUTS_H_
#define VUD_STATS_LAYOUTS_H_

#include <cstdint>
#include <string_view>

#include "vud_support/parse/eight_chars.h"
#include "vud_support/parse/lines.h"
#include "vud_support/text/fixed_text.h"

namespace vud {

// Layout codes (fileformat).
inline constexpr std::int32_t kFormatMolva = 0;
inline constexpr std::int32_t kFormatMolvaShort = 1;
inline constexpr std::int32_t kFormatMolvaUnits = 2;
inline constexpr std::int32_t kFormatQtv2 = 3;

// Entries of every per-sensor table.
inline constexpr std::int32_t kSensors = 70;

using LogLine = Text<kLineWidth>;

// The values of one log line as read. A field that fails to convert keeps the
// value of the previous line, so one LineValues lives for the whole pass.
struct LineValues {
  Text<24> datea;
  Text<32> word;  // the first word, and words read only to pass over them
  Text<8> name;
  std::int32_t isen = 0, iradio = 0, ipacket = 0, iseq = 0, itxpwr = 0, ipacketsleft = 0;
  // MOLVA field 6, the number of PIR packets: kept apart from the raw PIR words
  // (ipir), so that a line that ends early keeps the previous count rather than
  // a PIR reading, and its PIR peak never takes the count.
  std::int32_t ipirpackets = 0;
  std::int32_t ibat = 0, irdbt = 0, irlight = 0, irpircount = 0, irpvalue = 0, iswcount = 0;
  std::int32_t irrh = 0, ipir = 0, ipirpeak = 0, iaudio = 0, iaudiopeak = 0, iver = 0, idum = 0;
  float rrh = 0, rdbt = 0, rlight = 0, audio = 0, audiopeak = 0, rdum = 0;
};

// Stored readings per sensor (entry of the sorted sensor table) and the PIR
// difference tables of QTV 2 logs.
struct Readings {
  Table<float, kSensors> pvudtmp, pvudlight, pvudhumidity, pvudpirc, pvudpirpwr, pvudaudio,
      pvudswitch;
  Table<float, kSensors> sssod, pirdeltas, deltapircount, deltapirpwr, deltapircountsum;
  Table<std::int32_t, kSensors> lastseq;
  Table<bool, kSensors> seqseen;  // false until the sensor's first packet in the report pass
};

// The stamps as jex2csv and the receivers write them, every digit in its
// place: the first 20 characters of a QTV 2 line (comma included), and the
// third field of a MOLVA line.
inline constexpr TextForm kQtv2StampForm = text_form("9999/99/99,99:99:99,");
inline constexpr TextForm kMolvaStampForm = text_form("9999-99-99 99:99:99.999");

// Whether a first word begins with "20", two digits and "/" (a date of the
// years 2000 to 2099 in the QTV 2 form 'YYYY/MM/DD'): a QTV 2 line.
inline bool is_qtv2_word(std::string_view word) {
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  return word.size() >= 5 && word[0] == '2' && word[1] == '0' && digit(word[2]) && digit(word[3]) &&
         word[4] == '/';
}

// Whether a line holds no word at all: only blanks, commas, tabs and "|" (a
// blank line, or one that held only a comment). Such a line carries no packet;
// both passes pass over it, so it cannot lend a sensor the values of the line
// before it.
bool holds_no_word(const LogLine& line);

// Reads the first word of line into v.word ("First token", warned past the end).
void read_first_word(const LogLine& line, std::int32_t& k, LineValues& v);

// Layout detection on the first line (QTV 2) and on the second (MOLVA, by the
// keyword in word). An action "-" becomes the layout's letter; any other
// letter is kept and only fileformat changes.
void detect_qtv2(std::int32_t& fileformat, char& act);
void detect_molva(std::string_view word, std::int32_t& fileformat, char& act);

// QTV 2, first pass: the date-time text (characters 1 to 20) into v.datea,
// then from position 20 the name, the signal strength and the packet kind.
void read_qtv2_survey(const LogLine& line, LineValues& v);

// QTV 2, report pass: the date-time text, the first word, and every field from
// the name to the switch count.
void read_qtv2_report(const LogLine& line, LineValues& v);

// Reads the fields of a QTV 2 line in the report pass as read_qtv2_report
// does, in one walk, when the line is plain: every field from the name to the
// switch count present, each number a plain one (integers of up to nine digits
// with an optional minus, the humidity digits with an optional point), and the
// checked ones within their ranges, so that the word readers would show
// nothing. Returns false, leaving v as it was, for any other line.
bool read_qtv2_plain(const LogLine& line, LineValues& v);

// MOLVA passes: the fields that the first pass and the report pass read with
// different labels and checks.
enum class Pass { kSurvey, kReport };

// MOLVA: after the first word, the receiver time number, the date-time phrase
// into v.datea and the sensor index.
void read_molva_head(const LogLine& line, std::int32_t& k, Pass pass, LineValues& v);

// MOLVA: the version, the number of PIR packets, the sequence number and the
// packets left.
void read_molva_counts(const LogLine& line, std::int32_t& k, LineValues& v);

// MOLVA, report pass: the values from field 9 on, by the action letter ('b'
// standard, 's' short, 'u' user units, either case; any other letter reads
// nothing).
void read_molva_values(const LogLine& line, std::int32_t& k, char letter, LineValues& v);

// The words of a MOLVA line that the report pass reads, taken in one walk by
// read_molva_plain. The take_molva_* routines put them into the line's
// values at the points where read_first_word with read_molva_head,
// read_molva_counts and read_molva_values would read them, with the same
// results.
struct MolvaWords {
  std::string_view time_word;  // the receiver's time number, the second word
  std::string_view stamp;      // 'YYYY-MM-DD hh:mm:ss.fff'
  // The numbers after the stamp: sensor index, version, PIR packets,
  // sequence number, packets left; then raw temperature, light, battery and
  // humidity, then for b and B the 24 PIR and the 24 audio words, for s and
  // S the PIR and audio minimum, maximum and average.
  std::int32_t numbers[5 + 52] = {};
};

// Reads the words of a MOLVA line of layout letter b, B, s or S (report pass)
// in one walk when the line is plain: the first two words of at most 32
// characters, the regular stamp ended by a comma or tab, every number after
// it a plain integer (up to nine digits, an optional minus) and the checked
// ones within their ranges, so that the word readers would show nothing.
// Returns false for any other line or letter.
bool read_molva_plain(const LogLine& line, char letter, MolvaWords& w);
void take_molva_head(const MolvaWords& w, LineValues& v);
void take_molva_counts(const MolvaWords& w, LineValues& v);
void take_molva_values(const MolvaWords& w, char letter, LineValues& v);

// A MOLVA line read step by step by the report pass, which may stop after
// any step: from its words read in one walk where the line is plain, else by
// the word readers. Either way each step gives the same values and messages.
class MolvaLineReader {
 public:
  MolvaLineReader(const LogLine& line, char letter)
      : line_(line), letter_(letter), plain_(read_molva_plain(line, letter, words_)) {}

  // The first word, read_molva_head (report pass), read_molva_counts and
  // read_molva_values, in this order.
  void head(LineValues& v);
  void counts(LineValues& v);
  void values(LineValues& v);

 private:
  const LogLine& line_;
  char letter_;
  MolvaWords words_;
  bool plain_;
  std::int32_t k_ = 0;  // the word readers' cursor
};

// Conversions of raw MOLVA values, in 4-byte reals.
float raw_temp_to_degc(std::int32_t raw);
float raw_light_to_lux(std::int32_t raw);
float raw_rh_to_percent(std::int32_t raw);
float audio_peak_to_dba(std::int32_t peak);

// Stores the converted readings of v for sensor entry n, by the action letter.
void store_readings(char letter, const LineValues& v, std::int32_t n, Readings& rd);

// QTV 2, report pass, before the readings are stored: for a packet of kind 1
// remembers the time of day tsec; for any other kind adds the PIR count
// difference to deltapircountsum and the PIR value difference per second.
void pir_differences(const LineValues& v, float tsec, std::int32_t n, Readings& rd);

}  // namespace vud

#endif  // VUD_STATS_LAYOUTS_H_
