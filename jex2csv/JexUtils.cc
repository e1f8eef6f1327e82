// Record, packet and date-time routines of the capture format. Every field is
// assembled from little-endian bytes, so nothing depends on the machine's byte
// order or on how the compiler lays out a struct.
#include "jex2csv/JexUtils.h"

#include <chrono>
#include <cstring>
#include <ctime>

namespace jex {

namespace {

char rtcString[21];     // RtcToString's text
char rtcStringSql[21];  // RtcToStringSql's text

}  // namespace

binUnit_t* ParseFileEntryToUnit(const std::uint8_t* received, binUnit_t* unit) {
  unit->dataNumber = Unpack8(received, 0);  // the receiver only ever fills byte 0
  unit->dataTime = UnpackLE32(received, 4);
  unit->continuation = Unpack8(received, 8);
  std::memcpy(unit->data, received + 9, kUnitDataSize);
  return unit;
}

void JexUnpackPkt(const std::uint8_t* buffer, JexPacket_t* packet) {
  if (buffer == nullptr || packet == nullptr) return;
  packet->address = UnpackLE32(buffer, 0);
  packet->rssi = Unpack8(buffer, 4);
  packet->pktType = static_cast<std::int8_t>(Unpack8(buffer, 5));
  std::memcpy(packet->data, buffer + 6, kPayloadSize);
}

void JexRepackPkt(const JexPacket_t* pkt, std::uint8_t* buffer) {
  if (pkt == nullptr || buffer == nullptr) return;
  PackLE32(buffer, pkt->address);
  buffer[4] = pkt->rssi;
  buffer[5] = static_cast<std::uint8_t>(pkt->pktType);
  std::memcpy(buffer + 6, pkt->data, kPayloadSize);
}

std::array<std::uint8_t, kPacketSize> JexPacket_t::b() const {
  std::array<std::uint8_t, kPacketSize> bytes{};
  JexRepackPkt(this, bytes.data());
  return bytes;
}

void JexPacket_t::set_b(const std::array<std::uint8_t, kPacketSize>& bytes) {
  JexUnpackPkt(bytes.data(), this);
}

void JexUnpackSensorVals(const JexPacket_t* packet, JexSensorPacket_t* sensor) {
  if (packet == nullptr || sensor == nullptr) return;
  const std::uint8_t* p = packet->data;
  sensor->pktId = Unpack8(p, 0);
  sensor->xmitPwrdBm = static_cast<std::int8_t>(Unpack8(p, 1));
  sensor->battmv = UnpackLE16(p, 2);
  sensor->humidSat = UnpackLE16(p, 4);
  sensor->tempCx10 = static_cast<std::int16_t>(UnpackLE16(p, 6));
  sensor->lightLux = UnpackLE16(p, 8);
  sensor->pirCounts = UnpackLE16(p, 10);
  sensor->pirEnergy = UnpackLE16(p, 12);
  sensor->swCountStat = UnpackLE16(p, 14);
}

binUnit_t* FSfgetUnit(binUnit_t* dest, std::FILE* stream) {
  // The record image starts as the marker record; the bytes read land over
  // it, so a short read keeps the marker in the bytes it did not reach.
  std::uint8_t raw[kRecordSize] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  if (dest == nullptr) return nullptr;
  *dest = binUnit_t{};
  dest->dataNumber = kDateTimeNone;
  dest->dataTime = kDateTimeNone;
  if (stream == nullptr || std::feof(stream)) return nullptr;
  // The end counts once no byte is left, not only once a read has run into
  // it: a stream just past its last record gives no record.
  const int next = std::fgetc(stream);
  if (next == EOF) return nullptr;
  std::ungetc(next, stream);
  const long pos = std::ftell(stream);
  if (pos > 0 && pos % static_cast<long>(kRecordSize) != 0) {
    std::fseek(stream, pos - pos % static_cast<long>(kRecordSize), SEEK_SET);
  }
  std::fread(raw, 1, kRecordSize, stream);
  dest->dataNumber = UnpackLE32(raw, 0);
  dest->dataTime = UnpackLE32(raw, 4);
  dest->continuation = raw[8];
  std::memcpy(dest->data, raw + 9, kUnitDataSize);
  return dest;
}

void JexSensorName(std::uint32_t address, char name[9]) { *PutSensorName(name, address) = '\0'; }

std::size_t RtcFormat(DateTime value, bool sql, char* out) {
  if (value < kDateTimeFirst) {
    out[0] = '0';
    return 1;
  }
  if (value > kDateTimeLast) {
    out[0] = '-';
    out[1] = '1';
    return 2;
  }
  // Every field of a DateTime is below 64.
  const char dsep = sql ? '-' : '/';
  char* p = out;
  p = PutTwoDigits(p, 20);
  p = PutTwoDigits(p, value >> 26);
  *p++ = dsep;
  p = PutTwoDigits(p, (value >> 22) & 0xFu);
  *p++ = dsep;
  p = PutTwoDigits(p, (value >> 17) & 0x1Fu);
  *p++ = sql ? ' ' : ',';
  p = PutTwoDigits(p, (value >> 12) & 0x1Fu);
  *p++ = ':';
  p = PutTwoDigits(p, (value >> 6) & 0x3Fu);
  *p++ = ':';
  p = PutTwoDigits(p, value & 0x3Fu);
  return static_cast<std::size_t>(p - out);
}

const char* RtcToString(DateTime value) {
  rtcString[RtcFormat(value, false, rtcString)] = '\0';
  return rtcString;
}

const char* RtcToStringSql(DateTime value) {
  rtcStringSql[RtcFormat(value, true, rtcStringSql)] = '\0';
  return rtcStringSql;
}

DateTime RtcFromString(std::string_view text) {
  // A text ends at its first NUL, as a C string would.
  const std::size_t nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);
  if (text.empty() || text == "0") return 0;
  if (text[0] == '-') return kDateTimeNone;

  // year, month, day, hours, minutes, seconds; each kept in 8 bits.
  std::uint8_t field[6] = {};
  int found = 0;
  // Digit runs have no length limit. Past kBig a number keeps only its value
  // modulo 256 plus kBig (a multiple of 256): it stays above 2000 and keeps
  // the 8 bits that are kept, so long runs read as exactly as short ones.
  constexpr std::uint64_t kBig = std::uint64_t{1} << 40;
  std::uint64_t number = 0;
  bool reading = false;
  for (std::size_t i = 0; i <= text.size() && found < 6; ++i) {
    const char c = i < text.size() ? text[i] : '\0';  // the end closes a number too
    if (c >= '0' && c <= '9') {
      number = number * 10u + static_cast<std::uint64_t>(c - '0');
      if (number >= kBig) number = kBig + (number & 0xFFu);
      reading = true;
    } else if (reading) {
      if (found == 0 && number >= 2000u) number -= 2000u;
      field[found++] = static_cast<std::uint8_t>(number & 0xFFu);
      number = 0;
      reading = false;
    }
  }
  if (found < 6) return 0;
  std::uint32_t year = field[0], month = field[1], day = field[2];
  const std::uint32_t hours = field[3], minutes = field[4], seconds = field[5];
  if (month < 1 || month > 12 || day < 1 || day > maxDaysPerMonth[month] || hours > 23 ||
      minutes > 59 || seconds > 59) {
    return 0;
  }
  if (month == 2 && day == 29 && year % 4 != 0) {
    month = 3;
    day = 1;
  }
  // Only 6 bits hold the year: bits of years past 63 fall off the top.
  return ((year % 100u) << 26) | (month << 22) | (day << 17) | (hours << 12) | (minutes << 6) |
         seconds;
}

DateTime RtcNow() {
  // The receiver stamps every deciphered packet: within one second the
  // calendar conversion is done once.
  static std::time_t lastSecond = static_cast<std::time_t>(-1);
  static DateTime lastValue = 0;
  const std::time_t now = std::time(nullptr);
  if (now == lastSecond) return lastValue;
  std::tm local{};
  localtime_r(&now, &local);
  const auto year = static_cast<std::uint32_t>(local.tm_year + 1900) % 100u;
  lastSecond = now;
  lastValue = (year << 26) | (static_cast<std::uint32_t>(local.tm_mon + 1) << 22) |
              (static_cast<std::uint32_t>(local.tm_mday) << 17) |
              (static_cast<std::uint32_t>(local.tm_hour) << 12) |
              (static_cast<std::uint32_t>(local.tm_min) << 6) |
              static_cast<std::uint32_t>(local.tm_sec > 59 ? 59 : local.tm_sec);
  return lastValue;
}

std::uint64_t MillisecondsEpoch() {
  const auto since = std::chrono::system_clock::now().time_since_epoch();
  return static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

}  // namespace jex
