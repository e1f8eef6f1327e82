// Decoding of QTV 2 and MOLVA log lines and conversion of their values.
#include "vud_stats/layouts.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "vud_stats/freeform.h"
#include "vud_support/parse/eight_chars.h"
#include "vud_support/parse/words.h"

namespace vud {

namespace {

// The number of PIR and audio words of a standard MOLVA line.
constexpr std::int32_t kRawWords = 24;

// Position of the last character of the QTV 2 stamp and its comma.
constexpr std::int32_t kQtv2StampEnd = 20;

bool ends_with(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

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
// last column, and at the end of the line. Up to seven digits are read eight
// characters at a time; longer numbers and the last columns one at a time.
bool plain_int_word(std::string_view line, std::size_t& at, std::int32_t& value) {
  // The walk keeps the cursor in a local: a store through the reference could
  // alias the characters and would be made at every step.
  const char* const s = line.data();
  const std::size_t n = line.size();
  std::size_t p = at;
  while (p < n && is_word_separator(s[p])) ++p;
  const bool negative = p < n && s[p] == '-';
  if (negative) ++p;
  const std::size_t first = p;
  std::uint32_t x = 0;
  unsigned fast = 8;
  if (p + 8 <= n) {
    const std::uint64_t w = load_eight(s + p);
    fast = leading_digits(w);
    if (fast > 0 && fast < 8) {
      x = digits_value(w, fast);
      p += fast;
    }
  }
  if (fast == 8) {
    // Eight digits or more, or too near the end for a whole word.
    for (; p < n && is_digit(s[p]); ++p) {
      if (p - first == 9) return false;  // a tenth digit
      x = x * 10 + static_cast<std::uint32_t>(s[p] - '0');
    }
  }
  if (p == first || p >= n || !is_word_separator(s[p])) return false;
  at = p + 1;
  const auto v = static_cast<std::int32_t>(x);
  value = negative ? -v : v;
  return true;
}

// Powers of ten that a 4-byte real holds exactly.
constexpr float kTens[] = {1e0F, 1e1F, 1e2F, 1e3F, 1e4F, 1e5F, 1e6F, 1e7F};

// The next word of line after p read as a real in the same walk: digits with
// at most one point, at least one digit, at most max characters, ended by a
// separator before the last column. The value is the nearest 4-byte real to
// the decimal text: for up to seven digits the digits as a whole number
// divided by a power of ten (both exact, and one rounded division gives the
// nearest real), for more the general number reader.
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
  return read_whole_number(line.substr(b, e - b), value);
}

// The words of a QTV 2 line after its stamp, as the fast readers take them:
// the name, then radio, packet, sequence, transmit power, battery; humidity;
// temperature, light, PIR count, PIR value, switch count.
struct PlainWords {
  std::string_view name;
  std::int32_t i[10] = {};
  float rrh = 0.0F;
};

// Bit k set where s[k] is a word separator, for the 64 characters from s.
std::uint64_t separator_bits(const char* s) {
  std::uint64_t bits = 0;
#if defined(__SSE2__)
  const __m128i blank = _mm_set1_epi8(' ');
  const __m128i comma = _mm_set1_epi8(',');
  const __m128i tab = _mm_set1_epi8('\t');
  const __m128i bar = _mm_set1_epi8('|');
  for (int k = 0; k < 4; ++k) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 16 * k));
    const __m128i sep =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(x, blank), _mm_cmpeq_epi8(x, comma)),
                     _mm_or_si128(_mm_cmpeq_epi8(x, tab), _mm_cmpeq_epi8(x, bar)));
    bits |= static_cast<std::uint64_t>(static_cast<std::uint16_t>(_mm_movemask_epi8(sep)))
            << (16 * k);
  }
#else
  for (int k = 0; k < 64; ++k) {
    bits |= static_cast<std::uint64_t>(is_word_separator(s[k])) << k;
  }
#endif
  return bits;
}

// The integer word [a, e) of s: an optional minus and one to eight digits.
// Inline: the ten calls of a line then overlap in the processor.
inline bool short_int(const char* s, std::size_t a, std::size_t e, std::int32_t& value) {
  const bool negative = s[a] == '-';
  const std::size_t first = a + (negative ? 1 : 0);
  const std::size_t digits = e - first;
  if (digits == 0 || digits > 8) return false;
  const std::uint64_t w = load_eight(s + first);
  if (leading_digits(w) < digits) return false;
  const auto x = static_cast<std::int32_t>(digits_value(w, static_cast<unsigned>(digits)));
  value = negative ? -x : x;
  return true;
}

// The real word [a, e) of s as plain_real_word reads it: digits with at most
// one point, at least one and at most seven digits.
bool short_real(const char* s, std::size_t a, std::size_t e, float& value) {
  std::int32_t whole = 0;
  std::size_t digits = 0;
  std::size_t decimals = 0;
  bool point = false;
  for (std::size_t p = a; p < e; ++p) {
    const char c = s[p];
    if (c == '.' && !point) {
      point = true;
    } else if (is_digit(c) && digits < 7) {
      whole = whole * 10 + (c - '0');
      ++digits;
      if (point) ++decimals;
    } else {
      return false;  // no number, or more digits than the walk reads this way
    }
  }
  if (digits == 0) return false;
  value = static_cast<float>(whole) / kTens[decimals];
  return true;
}

// The plain words of a line in the form jex2csv writes: the name right after
// the stamp, every word ended by one separator, no number longer than eight
// digits (seven for the humidity). All separators of the line's next 128
// characters are found at once, so that the words are read side by side
// rather than one after the other. False for any other line, which the walk
// reads (plain_words_by_walk), giving the same words where both read a line.
bool plain_words_at_once(std::string_view s, PlainWords& w) {
  constexpr std::size_t kAt = 20;  // the name's column
  constexpr std::size_t kWindow = 128;
  if (s.size() < kAt + kWindow + 8) return false;
  const char* const c = s.data();
  // Where the twelve words end.
  std::size_t ends[12];
  std::size_t found = 0;
  for (std::size_t half = 0; half < kWindow && found < 12; half += 64) {
    for (std::uint64_t m = separator_bits(c + kAt + half); m != 0 && found < 12; m &= m - 1) {
      ends[found++] = kAt + half + static_cast<std::size_t>(std::countr_zero(m));
    }
  }
  if (found < 12) return false;
  // No empty word: a run of separators is left to the walk.
  bool ok = ends[0] > kAt && ends[0] - kAt <= 32;
  for (std::size_t k = 1; k < 12; ++k) ok &= ends[k] > ends[k - 1] + 1;
  if (!ok) return false;
  w.name = s.substr(kAt, ends[0] - kAt);
  for (std::size_t k = 0; k < 5; ++k) ok &= short_int(c, ends[k] + 1, ends[k + 1], w.i[k]);
  ok &= short_real(c, ends[5] + 1, ends[6], w.rrh);
  for (std::size_t k = 6; k < 11; ++k) ok &= short_int(c, ends[k] + 1, ends[k + 1], w.i[k - 1]);
  return ok;
}

// Reads count integer words from column at of s, where the first begins:
// each an optional minus and one to eight digits, ended by exactly one
// separator. The separators are found 64 columns at a time, so the words
// are read side by side. False for any other text, and near the last
// columns, which the walk reads.
bool short_ints_at_once(std::string_view s, std::size_t at, std::int32_t* out, std::size_t count) {
  const char* const c = s.data();
  std::size_t found = 0;
  std::size_t begin = at;  // where the next word begins
  for (std::size_t base = at; found < count; base += 64) {
    if (base + 64 + 8 > s.size()) return false;
    for (std::uint64_t m = separator_bits(c + base); m != 0 && found < count; m &= m - 1) {
      const std::size_t e = base + static_cast<std::size_t>(std::countr_zero(m));
      if (e == begin || !short_int(c, begin, e, out[found])) return false;
      begin = e + 1;
      ++found;
    }
  }
  return true;
}

// The plain words of a line, each found after the one before.
bool plain_words_by_walk(std::string_view s, PlainWords& w) {
  std::string_view word;
  std::size_t p = 0;
  if (!plain_word(s, p, word, s.size())) return false;  // the first word, not used
  p = 20;  // the name is the first word after the stamp
  if (!plain_word(s, p, w.name, 32)) return false;
  for (int f = 0; f < 5; ++f) {
    if (!plain_int_word(s, p, w.i[f])) return false;
  }
  if (!plain_real_word(s, p, w.rrh, 15)) return false;
  for (int f = 5; f < 10; ++f) {
    if (!plain_int_word(s, p, w.i[f])) return false;
  }
  return true;
}

}  // namespace

bool read_qtv2_plain(const LogLine& line, LineValues& v) {
  const std::string_view s = line.view();
  PlainWords w;
  if (!plain_words_at_once(s, w) && !plain_words_by_walk(s, w)) return false;
  const std::string_view name = w.name;
  const std::int32_t(&i)[10] = w.i;
  const float rrh = w.rrh;
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

bool holds_no_word(const LogLine& line) {
  for (const char c : line.view()) {
    if (!is_word_separator(c)) return false;
  }
  return true;
}

void read_first_word(const LogLine& line, std::int32_t& k, LineValues& v) {
  std::int32_t ier = 0;
  k = 0;
  egetw(line, k, v.word, 'W', "First token", ier);
}

void detect_qtv2(std::int32_t& fileformat, char& act) {
  fileformat = kFormatQtv2;
  if (act == '-') act = '2';
}

void detect_molva(std::string_view word, std::int32_t& fileformat, char& act) {
  if (word.substr(0, 10) == "MOLVA_UNIT") {
    fileformat = kFormatMolvaUnits;
    if (act == '-') act = 'u';
  } else if (word.substr(0, 11) == "MOLVA_SHORT") {
    fileformat = kFormatMolvaShort;
    if (act == '-') act = 's';
  } else if (word.substr(0, 5) == "MOLVA") {
    fileformat = kFormatMolva;
    if (act == '-') act = 'b';
  }
}

void read_qtv2_survey(const LogLine& line, LineValues& v) {
  std::int32_t ier = 0;
  std::int32_t k = kQtv2StampEnd;
  egetw(line, k, v.word, 'W', "ENV name", ier);
  v.name = sub1(v.word, 1, 8);
  egetwi(line, k, v.iradio, -200, 0, 'W', "env radio", ier);
  egetwi(line, k, v.ipacket, 0, 2, 'W', "env packet", ier);
}

void read_qtv2_report(const LogLine& line, LineValues& v) {
  std::int32_t ier = 0;
  std::int32_t k = 0;
  egetw(line, k, v.word, 'W', "First token", ier);
  k = kQtv2StampEnd;
  egetw(line, k, v.word, 'W', "ENV name", ier);
  v.name = sub1(v.word, 1, 8);
  egetwi(line, k, v.iradio, -200, 0, 'W', "env radio", ier);
  egetwi(line, k, v.ipacket, 0, 2, 'W', "env packet", ier);
  egetwi(line, k, v.iseq, 0, 0, '-', "sequence number", ier);
  egetwi(line, k, v.itxpwr, 0, 0, '-', "unknown", ier);
  egetwi(line, k, v.ibat, 0, 0, '-', "battery mV", ier);
  egetwr(line, k, v.rrh, 0.0F, 100.0F, 'W', "humidity %", ier);
  egetwi(line, k, v.irdbt, 0, 40000, 'W', "raw temp", ier);
  egetwi(line, k, v.irlight, 0, 0, '-', "lux level", ier);
  egetwi(line, k, v.irpircount, 0, 0, '-', "PIR count", ier);
  egetwi(line, k, v.irpvalue, 0, 0, '-', "PIR value", ier);
  egetwi(line, k, v.iswcount, 0, 0, '-', "switch count", ier);
}

void read_molva_head(const LogLine& line, std::int32_t& k, Pass pass, LineValues& v) {
  std::int32_t ier = 0;
  if (pass == Pass::kSurvey) {
    egetw(line, k, v.word, '-', "JEX time", ier);
    egetp(line, k, v.datea, 'W', "YYYY-MM-DD hh:mm:ss.f", ier);
  } else {
    egetw(line, k, v.word, 'W', "ignore time number", ier);
    egetp(line, k, v.datea, 'W', "YYYY-MM-DD hh:mm:ss.fff", ier);
  }
  egetwi(line, k, v.isen, 0, 1200, 'W', "sensor index", ier);
}

void read_molva_counts(const LogLine& line, std::int32_t& k, LineValues& v) {
  std::int32_t ier = 0;
  egetwi(line, k, v.iver, 4, 5, 'W', "version", ier);
  egetwi(line, k, v.ipirpackets, 0, 24, 'W', "pir packets", ier);
  egetwi(line, k, v.iseq, 0, 0, '-', "sequence number", ier);
  egetwi(line, k, v.ipacketsleft, 0, 0, '-', "nb packet lft", ier);
}

void read_molva_values(const LogLine& line, std::int32_t& k, char letter, LineValues& v) {
  std::int32_t ier = 0;
  switch (letter) {
    case 'b':
    case 'B':
    case 's':
    case 'S': {
      const bool standard = letter == 'b' || letter == 'B';
      egetwi(line, k, v.irdbt, 0, 40000, 'W', "raw temp", ier);
      egetwi(line, k, v.irlight, 0, 0, '-', "raw light", ier);
      egetwi(line, k, v.ibat, 0, 0, '-', "battery", ier);
      egetwi(line, k, v.irrh, 0, 40000, 'W', "raw humidity", ier);
      if (standard) {
        v.ipirpeak = 0;
        for (std::int32_t i = 0; i < kRawWords; ++i) {
          egetwi(line, k, v.ipir, 0, 0, '-', "raw pir", ier);
          v.ipirpeak = std::max(v.ipirpeak, v.ipir);
        }
        v.iaudiopeak = 0;
        for (std::int32_t i = 0; i < kRawWords; ++i) {
          egetwi(line, k, v.iaudio, 0, 0, '-', "raw audio", ier);
          v.iaudiopeak = std::max(v.iaudiopeak, v.iaudio);
        }
      } else {
        egetwi(line, k, v.ipir, 0, 0, '-', "raw pir min", ier);
        egetwi(line, k, v.ipirpeak, 0, 0, '-', "raw pir max", ier);
        egetwi(line, k, v.idum, 0, 0, '-', "raw pir avg", ier);
        egetwi(line, k, v.iaudio, 0, 0, '-', "raw audio min", ier);
        egetwi(line, k, v.iaudiopeak, 0, 0, '-', "raw audio max", ier);
        egetwi(line, k, v.idum, 0, 0, '-', "raw audio avg", ier);
      }
      break;
    }
    case 'u':
    case 'U': {
      egetwr(line, k, v.rdbt, -20.0F, 100.0F, 'W', "temp deg C", ier);
      egetwr(line, k, v.rlight, 0.0F, 25000.0F, 'W', "light lux", ier);
      egetwi(line, k, v.ibat, 0, 0, '-', "battery", ier);
      egetwr(line, k, v.rrh, 0.0F, 100.0F, 'W', "humidity %", ier);
      egetwi(line, k, v.ipir, 0, 0, '-', "raw pir min", ier);
      egetwi(line, k, v.ipirpeak, 0, 0, '-', "raw pir max", ier);
      egetwi(line, k, v.idum, 0, 0, '-', "raw pir avg", ier);
      egetwr(line, k, v.audio, 0.0F, 0.0F, '-', "audio dba min", ier);
      // A receiver that heard no sound ends the line with "-inf" or "-1.$".
      const std::string_view text = line.trimmed();
      if (ends_with(text, "-inf") || ends_with(text, "-1.$")) {
        v.audiopeak = 0.0F;
      } else {
        egetwr(line, k, v.audiopeak, 0.0F, 0.0F, '-', "audio dba max", ier);
        egetwr(line, k, v.rdum, 0.0F, 0.0F, '-', "audio dba avg", ier);
      }
      break;
    }
    default:
      break;
  }
}

namespace {

bool is_standard_molva(char letter) { return letter == 'b' || letter == 'B'; }
bool is_short_molva(char letter) { return letter == 's' || letter == 'S'; }

// The number words after a MOLVA stamp: head, then values.
constexpr std::size_t kMolvaHead = 5;
constexpr std::size_t kStandardValues = 4 + 2 * kRawWords;
constexpr std::size_t kShortValues = 4 + 6;

bool within(std::int32_t x, std::int32_t lo, std::int32_t hi) { return x >= lo && x <= hi; }

}  // namespace

bool read_molva_plain(const LogLine& line, char letter, MolvaWords& w) {
  if (!is_standard_molva(letter) && !is_short_molva(letter)) return false;
  const std::string_view s = line.view();
  std::size_t p = 0;
  std::string_view first;
  if (!plain_word(s, p, first, 32) || !plain_word(s, p, w.time_word, 32)) return false;
  // The phrase reader passes over blanks, commas and tabs, then takes the
  // stamp up to the comma or tab after it.
  while (p < s.size() && (s[p] == ' ' || s[p] == ',' || s[p] == '\t')) ++p;
  const std::size_t end = p + kMolvaStampForm.size;
  if (!fits_form(s.data() + p, s.size() - p, kMolvaStampForm) || end >= s.size() ||
      (s[end] != ',' && s[end] != '\t')) {
    return false;
  }
  w.stamp = s.substr(p, kMolvaStampForm.size);
  const std::size_t count =
      kMolvaHead + (is_standard_molva(letter) ? kStandardValues : kShortValues);
  if (!short_ints_at_once(s, end + 1, w.numbers, count)) {
    p = end;
    for (std::size_t i = 0; i < count; ++i) {
      if (!plain_int_word(s, p, w.numbers[i])) return false;
    }
  }
  // Values outside the checked ranges are warned about by the word readers.
  const std::int32_t* x = w.numbers;
  return within(x[0], 0, 1200) && within(x[1], 4, 5) && within(x[2], 0, 24) &&
         within(x[kMolvaHead], 0, 40000) && within(x[kMolvaHead + 3], 0, 40000);
}

void take_molva_head(const MolvaWords& w, LineValues& v) {
  v.word = w.time_word;
  v.datea = w.stamp;
  v.isen = w.numbers[0];
}

void take_molva_counts(const MolvaWords& w, LineValues& v) {
  v.iver = w.numbers[1];
  v.ipirpackets = w.numbers[2];
  v.iseq = w.numbers[3];
  v.ipacketsleft = w.numbers[4];
}

void take_molva_values(const MolvaWords& w, char letter, LineValues& v) {
  const std::int32_t* values = w.numbers + kMolvaHead;
  v.irdbt = values[0];
  v.irlight = values[1];
  v.ibat = values[2];
  v.irrh = values[3];
  const std::int32_t* rest = values + 4;
  if (is_standard_molva(letter)) {
    v.ipirpeak = 0;
    for (std::int32_t i = 0; i < kRawWords; ++i) {
      v.ipir = rest[i];
      v.ipirpeak = std::max(v.ipirpeak, v.ipir);
    }
    v.iaudiopeak = 0;
    for (std::int32_t i = 0; i < kRawWords; ++i) {
      v.iaudio = rest[kRawWords + i];
      v.iaudiopeak = std::max(v.iaudiopeak, v.iaudio);
    }
  } else {
    v.ipir = rest[0];
    v.ipirpeak = rest[1];
    v.idum = rest[2];
    v.iaudio = rest[3];
    v.iaudiopeak = rest[4];
    v.idum = rest[5];
  }
}

void MolvaLineReader::head(LineValues& v) {
  if (plain_) {
    take_molva_head(words_, v);
    return;
  }
  read_first_word(line_, k_, v);
  read_molva_head(line_, k_, Pass::kReport, v);
}

void MolvaLineReader::counts(LineValues& v) {
  if (plain_) {
    take_molva_counts(words_, v);
  } else {
    read_molva_counts(line_, k_, v);
  }
}

void MolvaLineReader::values(LineValues& v) {
  if (plain_) {
    take_molva_values(words_, letter_, v);
  } else {
    read_molva_values(line_, k_, letter_, v);
  }
}

float raw_temp_to_degc(std::int32_t raw) {
  return static_cast<float>(raw) * 0.010070815F - 370.0056F;
}

float raw_light_to_lux(std::int32_t raw) {
  if (raw > 850) return 285.0F;
  return std::exp(static_cast<float>(raw) * 0.0080849F) * 0.202549F;
}

float raw_rh_to_percent(std::int32_t raw) {
  return std::log(static_cast<float>(raw)) * 49.6F - 397.19F;
}

float audio_peak_to_dba(std::int32_t peak) {
  return std::log(static_cast<float>(peak)) * 8.06F + 23.5F;
}

void store_readings(char letter, const LineValues& v, std::int32_t n, Readings& rd) {
  switch (letter) {
    case 'b':
    case 'B':
    case 's':
    case 'S':
      rd.pvudtmp(n) = raw_temp_to_degc(v.irdbt);
      rd.pvudlight(n) = raw_light_to_lux(v.irlight);
      rd.pvudhumidity(n) = raw_rh_to_percent(v.irrh);
      rd.pvudpirc(n) = static_cast<float>(v.ipirpeak);
      rd.pvudaudio(n) = audio_peak_to_dba(v.iaudiopeak);
      break;
    case 'u':
    case 'U':
      rd.pvudtmp(n) = v.rdbt;
      rd.pvudlight(n) = v.rlight;
      rd.pvudhumidity(n) = v.rrh;
      rd.pvudpirc(n) = static_cast<float>(v.ipirpeak);
      rd.pvudaudio(n) = v.audiopeak;
      break;
    case '2':
      rd.pvudtmp(n) = static_cast<float>(v.irdbt) / 10.0F;
      rd.pvudlight(n) = static_cast<float>(v.irlight);
      rd.pvudhumidity(n) = v.rrh;
      rd.pvudpirc(n) = static_cast<float>(v.irpircount);
      rd.pvudpirpwr(n) = static_cast<float>(v.irpvalue);
      rd.pvudaudio(n) = 0.0F;
      rd.pvudswitch(n) = static_cast<float>(v.iswcount);
      break;
    default:
      break;
  }
}

void pir_differences(const LineValues& v, float tsec, std::int32_t n, Readings& rd) {
  if (v.ipacket == 1) {
    rd.sssod(n) = tsec;
    return;
  }
  rd.pirdeltas(n) = tsec - rd.sssod(n);
  rd.deltapircount(n) =
      rd.pvudpirc(n) > 0.0F ? static_cast<float>(v.irpircount) - rd.pvudpirc(n) : 1.0F;
  rd.deltapirpwr(n) = rd.pvudpirpwr(n) > 0.0F
                          ? (static_cast<float>(v.irpvalue) - rd.pvudpirpwr(n)) / rd.pirdeltas(n)
                          : 1.0F;
  rd.deltapircountsum(n) += rd.deltapircount(n);
  rd.sssod(n) = tsec;
}

}  // namespace vud
