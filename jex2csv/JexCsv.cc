// Block formatter of the CSV lines. Every number of a record is a 16-bit
// field, so its text is one copy from a table of all 16-bit decimal texts;
// the time reuses the text of its minute, and each field's separator is
// written with its digits.
#include "jex2csv/JexCsv.h"

#include <array>
#include <cstring>

#include "jex2csv/JexUtils.h"

namespace jex {

namespace {

// The decimal text of every 16-bit value, its digits then its length in the
// last byte: one 8-byte copy writes a number. Captures repeat a small set of
// values per sensor, so the entries in use stay in the processor's cache.
struct DecimalText {
  char digits[7];
  std::uint8_t length;
};
static_assert(sizeof(DecimalText) == 8, "one entry is one 8-byte copy");

// The texts of the N values from `first`. The table is made when the program
// is built and sits in its read-only data, so a run neither builds it (a
// millisecond and a half of every start) nor touches the parts it does not
// use. It is made in two halves: each stays within the evaluation steps that
// compilers allow one constant.
template <std::size_t N>
constexpr std::array<DecimalText, N> DecimalTexts(std::uint32_t first) {
  std::array<DecimalText, N> table{};
  for (std::uint32_t k = 0; k < N; ++k) {
    std::uint32_t v = first + k;
    DecimalText e{};
    e.length = v >= 10000 ? 5 : v >= 1000 ? 4 : v >= 100 ? 3 : v >= 10 ? 2 : 1;
    for (int i = e.length - 1; i >= 0; --i, v /= 10) e.digits[i] = static_cast<char>('0' + v % 10);
    table[k] = e;
  }
  return table;
}

constexpr std::size_t kHalf = 32768;
constexpr std::array<DecimalText, kHalf> kLowDecimals = DecimalTexts<kHalf>(0);
constexpr std::array<DecimalText, kHalf> kHighDecimals = DecimalTexts<kHalf>(kHalf);

constexpr std::array<DecimalText, 2 * kHalf> JoinHalves() {
  std::array<DecimalText, 2 * kHalf> table{};
  for (std::size_t k = 0; k < kHalf; ++k) {
    table[k] = kLowDecimals[k];
    table[kHalf + k] = kHighDecimals[k];
  }
  return table;
}

constexpr std::array<DecimalText, 2 * kHalf> kDecimals = JoinHalves();

// Unsigned decimal of a value below 65536 followed by the character sep.
// Stores 8 bytes at p and returns the end of sep.
inline char* PutUnsignedThen(char* p, std::uint32_t v, char sep) {
  const DecimalText& e = kDecimals[v];
  std::memcpy(p, &e, 8);
  p += e.length;
  *p = sep;
  return p + 1;
}

// Signed decimal of |v| <= 65535 followed by sep.
inline char* PutSignedThen(char* p, std::int32_t v, char sep) {
  *p = '-';
  p += v < 0;
  return PutUnsignedThen(p, static_cast<std::uint32_t>(v < 0 ? -v : v), sep);
}

// Relative humidity "whole.hh" then sep: the high byte, then the low byte
// (256ths) as hundredths, low * 39 / 100 with the remainder dropped.
inline char* PutHumidityThen(char* p, std::uint8_t whole, std::uint8_t fraction, char sep) {
  p = PutUnsignedThen(p, whole, '.');
  p = PutTwoDigits(p, fraction * 39u / 100u);
  *p = sep;
  return p + 1;
}

// The sensor name of the record at rec.
inline char* PutName(char* p, const std::uint8_t* rec) {
  return PutSensorName(p, UnpackLE32(rec, 9));
}

// The reception time as RtcToString (or RtcToStringSql for -N) writes it,
// followed by ",". The minute's text is kept for the records that follow.
inline char* PutTimeThenComma(CsvBlockState_t& s, char* p, DateTime value) {
  const bool sql = s.layout.focus == 2;
  if (value < kDateTimeFirst || value > kDateTimeLast) {
    p += RtcFormat(value, sql, p);
    *p = ',';
    return p + 1;
  }
  const std::uint32_t key = (value >> 6) + 1u;
  if (key != s.minuteKey) {
    RtcFormat(value, sql, s.minuteText);  // its first 17 characters are the minute
    s.minuteKey = key;
  }
  std::memcpy(p, s.minuteText, 24);  // 17 wanted; the rest is overwritten below
  PutTwoDigits(p + 17, value & 0x3Fu);
  p[19] = ',';
  return p + 20;
}

inline std::uint32_t Le16(const std::uint8_t* rec, std::size_t at) { return UnpackLE16(rec, at); }

constexpr char kEncrypted[] = "\tencrypted packet\n";

// The nine sensor values of the record at rec, comma-separated, then the
// line's end.
inline char* PutValuesLine(char* p, const std::uint8_t* rec) {
  p = PutUnsignedThen(p, rec[15], ',');
  p = PutSignedThen(p, static_cast<std::int8_t>(rec[16]), ',');
  p = PutUnsignedThen(p, Le16(rec, 17), ',');
  p = PutHumidityThen(p, rec[20], rec[19], ',');
  p = PutSignedThen(p, static_cast<std::int16_t>(Le16(rec, 21)), ',');
  p = PutUnsignedThen(p, Le16(rec, 23), ',');
  p = PutUnsignedThen(p, Le16(rec, 25), ',');
  p = PutUnsignedThen(p, Le16(rec, 27), ',');
  return PutUnsignedThen(p, Le16(rec, 29), '\n');
}

// The default layout: every clear sensor packet with all its fields.
char* FormatAllFields(CsvBlockState_t& s, const std::uint8_t* rec, std::size_t count, char* p) {
  for (const std::uint8_t* end = rec + count * kRecordSize; rec != end; rec += kRecordSize) {
    const auto type = static_cast<std::int8_t>(rec[14]);
    if (!HasValuesInClear(type)) continue;
    p = PutTimeThenComma(s, p, UnpackLE32(rec, 4));
    p = PutName(p, rec);
    // The signal is rssi / 2 - 128: always -128 to -1.
    p[0] = ',';
    p[1] = '-';
    p = PutUnsignedThen(p + 2, 128u - rec[13] / 2u, ',');
    p[0] = static_cast<char>('0' + type);
    p[1] = ',';
    p = PutValuesLine(p + 2, rec);
  }
  return p;
}

// Any layout, one record: the steps of JexNewEntry.
inline char* FormatOne(CsvBlockState_t& s, const std::uint8_t* rec, char* p) {
  const CsvLayout_t& o = s.layout;
  char name[8];
  PutName(name, rec);
  if (o.focus == 1 || o.focus == 2) {
    if (!o.focusComplete || std::memcmp(name, o.focusname, 8) != 0) return p;
  }
  const auto type = static_cast<std::int8_t>(rec[14]);
  if (!o.printEncryptedPackets && !HasValuesInClear(type)) return p;
  p = PutTimeThenComma(s, p, UnpackLE32(rec, 4));
  if (o.focus != 2) {
    std::memcpy(p, name, 8);
    p += 8;
  }
  if (o.topic == 0) {
    p[0] = ',';
    p[1] = '-';
    p = PutUnsignedThen(p + 2, 128u - rec[13] / 2u, ',');
    p = PutSignedThen(p, type, ',');
  }
  if (IsEncryptedType(type)) {
    std::memcpy(p, kEncrypted, sizeof kEncrypted - 1);
    return p + sizeof kEncrypted - 1;
  }
  if (o.topic == 0) return PutValuesLine(p, rec);
  if (o.focus != 2) *p++ = ',';
  switch (o.topic) {
    case 1:
      return PutSignedThen(p, static_cast<std::int16_t>(Le16(rec, 21)), '\n');
    case 2:
      return PutHumidityThen(p, rec[20], rec[19], '\n');
    case 3:
      return PutUnsignedThen(p, Le16(rec, 23), '\n');
    case 4:
      return PutUnsignedThen(p, Le16(rec, 25), '\n');
    case 5:
      return PutUnsignedThen(p, Le16(rec, 29), '\n');
    default:  // 6
      return PutUnsignedThen(p, Le16(rec, 17), '\n');
  }
}

}  // namespace

char* FormatCsvRecords(CsvBlockState_t& state, const std::uint8_t* records, std::size_t count,
                       char* out) {
  const CsvLayout_t& o = state.layout;
  if (o.focus == 0 && o.topic == 0 && !o.printEncryptedPackets) {
    return FormatAllFields(state, records, count, out);
  }
  for (std::size_t i = 0; i < count; ++i) out = FormatOne(state, records + i * kRecordSize, out);
  return out;
}

}  // namespace jex
