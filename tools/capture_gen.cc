// jexcapgen: writes a seeded, reproducible capture of 32-byte records as a
// receiver would record it: a dozen sensors reporting every few minutes,
// mostly clear sensor packets (types 1 to 3), some enciphered ones, the odd
// pairing and name packet and a few packets of unused types.
//
//   jexcapgen [-r records] [-s seed] [-n sensors] [-d start] [-k percent [-c TWIN]] [OUTFILE]
//
// The capture starts at 'YYYY/MM/DD' or 'YYYY/MM/DD,hh:mm:ss' (years 2000 to
// 2063, the years the receiver's date-time word holds; default 2015/06/03)
// and may run on past New Year.
//
// With -k the capture is one a receiver of paired sensors hears: that share
// of the sensors (at most 20, the receiver's store) encipher their packets
// under a 16-byte cipher key of their own. Each of them sends one to three
// enciphered packets, then its pairing packet (carrying the last round key
// of its cipher key, the key the receiver stores), then its name packet,
// then enciphered packets only. The other sensors send in clear. -c writes
// the clear twin: the same records with every enciphered sensor packet
// in clear (positive type, clear payload).
//
// Without OUTFILE the capture goes to standard output. The same seed and
// options always give the same bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "jex2csv/aes.h"
#include "tools/seeded_rng.h"

namespace {

using seeded::Rng;

struct Sensor {
  std::uint32_t address;
  std::uint32_t period;  // seconds between reports
  std::uint64_t nextAt;  // seconds since the start of the capture
  std::uint8_t pktId;
  std::int8_t xmitPwr;
  int battmv;
  int tempCx10;
  int humid256;  // relative humidity in 256ths of a percent
  std::uint16_t pirCounts;
  std::uint16_t swCount;
  bool enciphered;  // paired sensors send enciphered packets
  // Only with -k:
  std::uint8_t cipherKey[16];
  std::uint8_t storedKey[16];  // the last round key of cipherKey, sent when pairing
  int beforePairing;           // enciphered packets still to send before pairing
  bool paired;
  bool named;
};

// Names that enciphering sensors announce; the receiver keeps letters,
// digits, blanks and "-" and turns other bytes into "_".
const char* const kNames[] = {"Office-2A", "Lab #3", "Kitchen", "Stair well", "Plant room",
                              "Loft",      "Bed 1",  "Caf\xe9", "Hall",       "Store-7"};
constexpr std::uint32_t kNameCount = sizeof kNames / sizeof kNames[0];
constexpr unsigned long long kStoreSlots = 20;

bool IsLeap(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysIn(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

// The first moment of the capture.
struct Start {
  int year = 2015, month = 6, day = 3;
  std::uint32_t second = 0;  // of the day
};

// Reads 'YYYY/MM/DD' or 'YYYY/MM/DD,hh:mm:ss' (years 2000 to 2063).
bool ReadStart(const char* text, Start& start) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  char tail = 0;
  const int n = std::sscanf(text, "%4d/%2d/%2d,%2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &tail);
  if (n != 3 && n != 6) return false;
  if (y < 2000 || y > 2063 || mo < 1 || mo > 12 || d < 1 || d > DaysIn(y, mo) || h < 0 || h > 23 ||
      mi < 0 || mi > 59 || s < 0 || s > 59) {
    return false;
  }
  start = Start{y, mo, d, static_cast<std::uint32_t>(h * 3600 + mi * 60 + s)};
  return true;
}

// Packs a moment `seconds` after the start into the receiver's date-time word.
std::uint32_t PackTime(const Start& start, std::uint64_t seconds) {
  int year = start.year, month = start.month, day = start.day;
  seconds += start.second;
  std::uint64_t days = seconds / 86400;
  const auto inDay = static_cast<std::uint32_t>(seconds % 86400);
  while (days > 0) {
    --days;
    if (++day > DaysIn(year, month)) {
      day = 1;
      if (++month > 12) {
        month = 1;
        ++year;
      }
    }
  }
  return (static_cast<std::uint32_t>(year - 2000) << 26) |
         (static_cast<std::uint32_t>(month) << 22) | (static_cast<std::uint32_t>(day) << 17) |
         ((inDay / 3600) << 12) | (((inDay / 60) % 60) << 6) | (inDay % 60);
}

void PutLE16(std::uint8_t* p, unsigned v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

void PutLE32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

int Clamp(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

// Light follows the sun: dark at night, up to about 800 lux at noon.
int LightAt(std::uint64_t seconds, Rng& rng) {
  const int minute = static_cast<int>((seconds % 86400) / 60);
  const int fromNoon = minute > 720 ? minute - 720 : 720 - minute;
  const int sun = fromNoon < 420 ? (420 - fromNoon) * 2 : 0;
  return Clamp(sun + rng.Between(-20, 20), 0, 65535);
}

void Usage() {
  std::fputs(
      "usage: jexcapgen [-r records] [-s seed] [-n sensors] [-d YYYY/MM/DD[,hh:mm:ss]]"
      " [-k percent [-c TWIN]] [OUTFILE]\n",
      stderr);
}

// Sensor values of s at `now` into the 16 payload bytes v.
void PutSensorValues(std::uint8_t* v, const Sensor& s, std::uint64_t now, Rng& rng) {
  v[0] = s.pktId;
  v[1] = static_cast<std::uint8_t>(s.xmitPwr);
  PutLE16(v + 2, static_cast<unsigned>(s.battmv));
  PutLE16(v + 4, static_cast<unsigned>(s.humid256));
  PutLE16(v + 6, static_cast<std::uint16_t>(static_cast<std::int16_t>(s.tempCx10)));
  PutLE16(v + 8, static_cast<unsigned>(LightAt(now, rng)));
  PutLE16(v + 10, s.pirCounts);
  PutLE16(v + 12, rng.Below(400));
  PutLE16(v + 14, s.swCount);
}

// Picks the enciphering sensors of a -k capture, the first `count` of the
// fleet, and gives every sensor its cipher key and the key it pairs with.
void PrepareCipherFleet(std::vector<Sensor>& fleet, unsigned long long count, Rng& rng) {
  for (std::size_t k = 0; k < fleet.size(); ++k) {
    Sensor& s = fleet[k];
    for (int i = 0; i < 4; ++i)
      PutLE32(s.cipherKey + 4 * i, static_cast<std::uint32_t>(rng.Next()));
    std::uint8_t block[16] = {};
    jex::aes_encrypt_128(block, block, s.cipherKey, s.storedKey);
    s.enciphered = k < count;
    s.beforePairing = rng.Between(1, 3);
    s.paired = false;
    s.named = false;
  }
}

// One record of a -k capture for sensor s: the capture's packet goes to pkt,
// its clear twin's to twin (the same bytes unless the packet is enciphered).
void MakeCipherPacket(Sensor& s, std::uint64_t now, Rng& rng, std::uint8_t* pkt,
                      std::uint8_t* twin) {
  PutLE32(pkt, s.address);
  pkt[4] = static_cast<std::uint8_t>(rng.Between(60, 200));
  std::uint8_t* v = pkt + 6;
  int type;
  if (s.enciphered && !s.paired && s.beforePairing == 0) {
    type = 0;
    std::memcpy(v, s.storedKey, 16);
    s.paired = true;
  } else if (s.enciphered && s.paired && !s.named) {
    type = 4;
    const char* name = kNames[rng.Below(kNameCount)];
    std::strncpy(reinterpret_cast<char*>(v), name, 16);
    s.named = true;
  } else if (rng.Below(1000) >= 996) {
    type = rng.Below(2) == 0 ? rng.Between(5, 127) : rng.Between(-128, -4);
    for (int i = 0; i < 16; ++i) v[i] = static_cast<std::uint8_t>(rng.Below(256));
  } else {
    type = 1 + static_cast<int>(rng.Below(3));
    PutSensorValues(v, s, now, rng);
  }
  pkt[5] = static_cast<std::uint8_t>(static_cast<std::int8_t>(type));
  std::memcpy(twin, pkt, 22);
  if (type >= 1 && type <= 3 && s.enciphered) {
    jex::aes_encrypt_128(v, v, s.cipherKey, s.storedKey);
    pkt[5] = static_cast<std::uint8_t>(static_cast<std::int8_t>(-type));
    if (!s.paired) --s.beforePairing;
  }
}

bool ReadNumber(const char* text, unsigned long long& value) {
  char* end = nullptr;
  value = std::strtoull(text, &end, 10);
  return end != text && *end == '\0';
}

// One packet of an ordinary capture for sensor s into pkt: clear sensor
// packets mostly, enciphered ones from paired sensors, now and then a
// pairing or name packet or an unused type.
void MakePacket(Sensor& s, std::uint64_t now, Rng& rng, std::uint8_t* pkt) {
  const std::uint32_t roll = rng.Below(1000);
  int type = 1 + static_cast<int>(rng.Below(3));
  if (s.enciphered && roll < 900) type = -type;
  if (roll >= 985) type = 0;
  if (roll >= 990) type = 4;
  if (roll >= 996) type = rng.Below(2) == 0 ? rng.Between(5, 127) : rng.Between(-128, -4);

  PutLE32(pkt, s.address);
  pkt[4] = static_cast<std::uint8_t>(rng.Between(60, 200));
  pkt[5] = static_cast<std::uint8_t>(static_cast<std::int8_t>(type));
  std::uint8_t* v = pkt + 6;
  if (type >= 1 && type <= 3) {
    PutSensorValues(v, s, now, rng);
  } else {
    // Enciphered, key or name payloads look like noise to the converter.
    for (int i = 0; i < 16; ++i) v[i] = static_cast<std::uint8_t>(rng.Below(256));
  }
}

// Writes and empties a block of records; true when there is no stream.
bool WriteBlock(std::vector<std::uint8_t>& block, std::FILE* out) {
  const bool ok = out == nullptr || std::fwrite(block.data(), 1, block.size(), out) == block.size();
  block.clear();
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  unsigned long long records = 300, seed = 1, sensors = 12, percent = 0;
  bool cipherMode = false;
  const char* outName = nullptr;
  const char* twinName = nullptr;
  Start start;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-d") {
      if (i + 1 >= argc || !ReadStart(argv[++i], start)) {
        Usage();
        return 1;
      }
      continue;
    }
    unsigned long long* target = arg == "-r"   ? &records
                                 : arg == "-s" ? &seed
                                 : arg == "-n" ? &sensors
                                 : arg == "-k" ? &percent
                                               : nullptr;
    cipherMode = cipherMode || arg == "-k";
    if (arg == "-c") {
      if (i + 1 >= argc) {
        Usage();
        return 1;
      }
      twinName = argv[++i];
    } else if (target != nullptr) {
      if (i + 1 >= argc || !ReadNumber(argv[++i], *target)) {
        Usage();
        return 1;
      }
    } else if (arg.size() > 1 && arg[0] == '-') {
      Usage();
      return 1;
    } else {
      outName = argv[i];
    }
  }
  if (sensors < 1 || sensors > 1000) {
    std::fputs("jexcapgen: sensors must be 1 to 1000\n", stderr);
    return 1;
  }
  const unsigned long long cipherSensors = (sensors * percent + 99) / 100;
  if (cipherMode && (percent > 100 || cipherSensors > kStoreSlots)) {
    std::fputs("jexcapgen: -k takes 0 to 100 percent of at most 20 sensors\n", stderr);
    return 1;
  }
  if (twinName != nullptr && !cipherMode) {
    std::fputs("jexcapgen: -c goes with -k\n", stderr);
    return 1;
  }
  std::FILE* out = outName != nullptr ? std::fopen(outName, "wb") : stdout;
  if (out == nullptr) {
    std::fprintf(stderr, "jexcapgen: cannot create %s\n", outName);
    return 1;
  }
  std::FILE* twinOut = twinName != nullptr ? std::fopen(twinName, "wb") : nullptr;
  if (twinName != nullptr && twinOut == nullptr) {
    std::fprintf(stderr, "jexcapgen: cannot create %s\n", twinName);
    if (out != stdout) std::fclose(out);
    return 1;
  }

  Rng rng{seed};
  std::vector<Sensor> fleet;
  for (unsigned long long k = 0; k < sensors; ++k) {
    Sensor s{};
    s.address = static_cast<std::uint32_t>(rng.Next());
    s.period = static_cast<std::uint32_t>(rng.Between(120, 300));
    s.nextAt = rng.Below(s.period);
    s.pktId = static_cast<std::uint8_t>(rng.Below(256));
    s.xmitPwr = static_cast<std::int8_t>(rng.Between(-6, 4));
    s.battmv = rng.Between(2900, 3300);
    s.tempCx10 = rng.Between(150, 260);
    s.humid256 = rng.Between(35 * 256, 65 * 256);
    s.pirCounts = static_cast<std::uint16_t>(rng.Below(1000));
    s.enciphered = rng.Below(6) == 0;
    fleet.push_back(s);
  }
  if (cipherMode) PrepareCipherFleet(fleet, cipherSensors, rng);

  std::vector<std::uint8_t> block, twinBlock;
  block.reserve(32 * 4096);
  std::uint32_t dataNumber = 0;
  bool ok = true;
  for (unsigned long long n = 0; n < records; ++n) {
    // The sensor due first reports next.
    Sensor* s = &fleet[0];
    for (Sensor& t : fleet) {
      if (t.nextAt < s->nextAt) s = &t;
    }
    const std::uint64_t now = s->nextAt;
    s->nextAt += s->period + static_cast<std::uint32_t>(rng.Between(0, 4));

    // Readings drift a little from report to report.
    s->tempCx10 = Clamp(s->tempCx10 + rng.Between(-3, 3), -400, 600);
    s->humid256 = Clamp(s->humid256 + rng.Between(-60, 60), 0, 100 * 256 - 1);
    if (rng.Below(8) == 0) s->battmv = Clamp(s->battmv - 1, 2000, 3600);
    if (rng.Below(3) == 0) s->pirCounts = static_cast<std::uint16_t>(s->pirCounts + rng.Below(5));
    if (rng.Below(20) == 0) ++s->swCount;
    ++s->pktId;

    std::uint8_t rec[32] = {};
    PutLE32(rec, dataNumber++ & 0xFFu);
    PutLE32(rec + 4, PackTime(start, now));
    if (cipherMode) {
      std::uint8_t twin[32];
      std::memcpy(twin, rec, 9);
      MakeCipherPacket(*s, now, rng, rec + 9, twin + 9);
      twin[31] = rec[31];
      block.insert(block.end(), rec, rec + 32);
      twinBlock.insert(twinBlock.end(), twin, twin + 32);
    } else {
      MakePacket(*s, now, rng, rec + 9);
      block.insert(block.end(), rec, rec + 32);
    }
    if (block.size() >= 32 * 4096) {
      if (!WriteBlock(block, out) || !WriteBlock(twinBlock, twinOut)) {
        ok = false;
        break;
      }
    }
  }
  ok = ok && WriteBlock(block, out) && WriteBlock(twinBlock, twinOut);
  ok = (out == stdout ? std::fflush(out) == 0 : std::fclose(out) == 0) && ok;
  ok = (twinOut == nullptr || std::fclose(twinOut) == 0) && ok;
  if (!ok) {
    std::fputs("jexcapgen: write failed\n", stderr);
    return 1;
  }
  return 0;
}
