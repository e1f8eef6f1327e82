// Capture records, radio packets, sensor values and the packed date-time of the
// Vantrel receiver, with the routines that read them from raw little-endian
// bytes and turn date-times into text and back.
#ifndef JEX2CSV_JEXUTILS_H_
#define JEX2CSV_JEXUTILS_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace jex {

// Packed date-time, little-endian in files. Bits 31-26 year minus 2000,
// 25-22 month, 21-17 day, 16-12 hours, 11-6 minutes, 5-0 seconds.
// 0 means "no time"; 0xFFFFFFFF is written as "-1".
using DateTime = std::uint32_t;

inline constexpr std::size_t kRecordSize = 32;    // one capture record
inline constexpr std::size_t kPacketSize = 22;    // one radio packet
inline constexpr std::size_t kPayloadSize = 16;   // the packet's payload
inline constexpr std::size_t kUnitDataSize = 23;  // packet plus one spare byte

inline constexpr DateTime kDateTimeFirst = 0x00420000u;  // 2000-01-01 00:00:00
inline constexpr DateTime kDateTimeLast = 0xFF3F7EFBu;   // 2063-12-31 23:59:59
inline constexpr DateTime kDateTimeNone = 0xFFFFFFFFu;   // written as "-1"

// Longest day of each month, indexed by month 1..12; entry 0 is never read.
// February has 29: the leap-year rule is applied by RtcFromString.
inline constexpr std::uint8_t maxDaysPerMonth[13] = {0,  31, 29, 31, 30, 31, 30,
                                                     31, 31, 30, 31, 30, 31};

// A run's streams and the encrypted-packets flag: the converter's settings,
// which the receiver library's byte reader also reads from.
struct Settings_t {
  std::FILE* inputFile = nullptr;   // the capture, binary; stdin with -s
  std::FILE* outputFile = nullptr;  // CSV lines; stdout when none was named
  bool printEncryptedPackets = false;
};

// One capture record, 32 bytes in the file:
//   0 dataNumber (4, only byte 0 is read), 4 dataTime (4), 8 continuation (1),
//   9 data (23: the 22-byte radio packet, then one byte nobody reads).
struct binUnit_t {
  std::uint32_t dataNumber = 0;
  DateTime dataTime = 0;
  std::uint8_t continuation = 0;
  std::uint8_t data[kUnitDataSize] = {};
};
static_assert(sizeof(binUnit_t) == kRecordSize, "a record is 32 bytes");

// One radio packet, 22 bytes on the air and in the record:
//   0 address (4), 4 rssi (1), 5 pktType (1, signed), 6 data (16, payload).
// Packet types: 1..3 sensor values in clear; -1..-3 the same enciphered;
// 0 pairing (carries the key); 4 name; 5..127 and -128..-4 unused.
struct JexPacket_t {
  std::uint32_t address = 0;
  std::uint8_t rssi = 0;  // dBm = rssi / 2 - 128
  std::int8_t pktType = 0;
  std::uint8_t data[kPayloadSize] = {};

  // The packet as its 22 raw bytes, for copying it as a whole.
  std::array<std::uint8_t, kPacketSize> b() const;
  // Replaces every field from 22 raw bytes.
  void set_b(const std::array<std::uint8_t, kPacketSize>& bytes);
};

// The sensor values carried in the payload of a packet of type 1, 2 or 3.
struct JexSensorPacket_t {
  std::uint8_t pktId = 0;
  std::int8_t xmitPwrdBm = 0;  // transmit power, dBm
  std::uint16_t battmv = 0;    // battery, millivolts
  std::uint16_t humidSat = 0;  // RH percent: high byte whole, low byte 256ths
  std::int16_t tempCx10 = 0;   // tenths of a degree Celsius
  std::uint16_t lightLux = 0;
  std::uint16_t pirCounts = 0;
  std::uint16_t pirEnergy = 0;
  std::uint16_t swCountStat = 0;  // switch count and status, unsigned
};
static_assert(sizeof(JexSensorPacket_t) == kPayloadSize, "sensor values fill the payload");

// Byte readers. None checks bounds: the caller guarantees the bytes exist.
// They are inline because the converter calls them for every field.
inline std::uint8_t Unpack8(const std::uint8_t* buffer, std::size_t offset) {
  return buffer[offset];
}
// buffer[offset] + 256 * buffer[offset + 1].
inline std::uint16_t UnpackLE16(const std::uint8_t* buffer, std::size_t offset) {
  return static_cast<std::uint16_t>(buffer[offset] | (buffer[offset + 1] << 8));
}
// Four bytes at offset, least significant first.
inline std::uint32_t UnpackLE32(const std::uint8_t* buffer, std::size_t offset) {
  return static_cast<std::uint32_t>(buffer[offset]) |
         (static_cast<std::uint32_t>(buffer[offset + 1]) << 8) |
         (static_cast<std::uint32_t>(buffer[offset + 2]) << 16) |
         (static_cast<std::uint32_t>(buffer[offset + 3]) << 24);
}

// Byte writer: v into the four bytes at out, least significant first.
inline void PackLE32(std::uint8_t* out, std::uint32_t v) {
  out[0] = static_cast<std::uint8_t>(v);
  out[1] = static_cast<std::uint8_t>(v >> 8);
  out[2] = static_cast<std::uint8_t>(v >> 16);
  out[3] = static_cast<std::uint8_t>(v >> 24);
}

// Fills *unit from the 32 raw bytes of one record and returns unit.
// dataNumber takes byte 0 alone; bytes 1 to 3 are not read.
binUnit_t* ParseFileEntryToUnit(const std::uint8_t* received, binUnit_t* unit);

// Fills *packet from 22 raw packet bytes. Does nothing when either is null.
void JexUnpackPkt(const std::uint8_t* buffer, JexPacket_t* packet);
// Writes the 22 raw bytes of *pkt into buffer. Does nothing when either is null.
void JexRepackPkt(const JexPacket_t* pkt, std::uint8_t* buffer);
// Fills *sensor from the payload of *packet. Does nothing when either is null.
void JexUnpackSensorVals(const JexPacket_t* packet, JexSensorPacket_t* sensor);

// Reads one record from a binary stream into *dest and returns dest, or null
// when there is no stream or no byte is left in it. dest is first cleared, with
// dataNumber and dataTime set to 0xFFFFFFFF; a stream positioned inside a
// record is moved back to that record's start. A short read keeps whatever
// bytes arrived over the cleared record.
binUnit_t* FSfgetUnit(binUnit_t* dest, std::FILE* stream);

// Text pieces of the record-at-a-time routines and the block formatter,
// inline because the formatter writes them for every line.

// "00" to "99": the two decimal digits of every value below 100.
inline constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Two uppercase hexadecimal digits for every byte value.
inline constexpr std::array<char, 512> kHexPairs = [] {
  std::array<char, 512> t{};
  constexpr char kHex[] = "0123456789ABCDEF";
  for (int b = 0; b < 256; ++b) {
    t[static_cast<std::size_t>(2 * b)] = kHex[b >> 4];
    t[static_cast<std::size_t>(2 * b + 1)] = kHex[b & 15];
  }
  return t;
}();

// Writes v (below 100) at p as two decimal digits, a leading zero included;
// returns the end.
inline char* PutTwoDigits(char* p, std::uint32_t v) {
  std::memcpy(p, kDigitPairs + 2 * v, 2);
  return p + 2;
}

// Writes the sensor name of an address at p: 8 uppercase hexadecimal digits,
// most significant byte first, no terminator; returns the end.
inline char* PutSensorName(char* p, std::uint32_t address) {
  std::memcpy(p, kHexPairs.data() + 2 * (address >> 24), 2);
  std::memcpy(p + 2, kHexPairs.data() + 2 * ((address >> 16) & 0xFFu), 2);
  std::memcpy(p + 4, kHexPairs.data() + 2 * ((address >> 8) & 0xFFu), 2);
  std::memcpy(p + 6, kHexPairs.data() + 2 * (address & 0xFFu), 2);
  return p + 8;
}

// Writes the sensor name of an address into name: 8 uppercase hexadecimal
// digits, most significant byte first, then a terminator (9 chars in all).
void JexSensorName(std::uint32_t address, char name[9]);

// True for the packet types whose payload holds sensor values in clear (1 to
// 3): the packets the converter writes without -e and counts in a listing.
inline bool HasValuesInClear(int type) { return type >= 1 && type <= 3; }

// True for the packet types whose line (with -e) says "encrypted packet":
// pairing (0), name (4), enciphered (-1 to -3) and the other negative types.
// Types above 4 carry no values either, but their line reads the payload as
// values all the same.
inline bool IsEncryptedType(int type) { return type <= 0 || type == 4; }

// Signal strength in dBm of a raw rssi byte: -128 to -1.
inline int RssiToDbm(std::uint8_t rssi) { return rssi / 2 - 128; }

// "YYYY/MM/DD,hh:mm:ss" for a date value; "0" below 0x00420000 and "-1" above
// 0xFF3F7EFB. Fields are printed as they stand, unchecked. Returns a static
// buffer that the next call of this routine overwrites.
const char* RtcToString(DateTime value);
// As RtcToString with "YYYY-MM-DD hh:mm:ss"; its own static buffer.
const char* RtcToStringSql(DateTime value);
// Writes the RtcToString text into out (at least 20 chars) and returns its
// length, without a terminator; the converter's fast path uses this.
std::size_t RtcFormat(DateTime value, bool sql, char* out);

// Reads year, month, day, hours, minutes, seconds (numbers separated by any
// non-digits; years of 2000 and more lose 2000) into a DateTime. "" or "0"
// give 0, a text beginning with "-" gives 0xFFFFFFFF, anything incomplete or
// out of range gives 0. 29 February of a year not divisible by 4 becomes
// 1 March.
DateTime RtcFromString(std::string_view text);

// The local date and time now; the year field holds the year modulo 100.
DateTime RtcNow();
// Milliseconds since 1970-01-01 00:00:00 UTC.
std::uint64_t MillisecondsEpoch();

}  // namespace jex

#endif  // JEX2CSV_JEXUTILS_H_
