// vudloggen: a seeded generator of receiver logs for vudstats. It writes N
// sensors reporting at a fixed interval over a span of time, in the QTV 2
// layout (the full CSV line of jex2csv) or in one of the three MOLVA layouts.
// On request it damages lines as receivers do: stamps that cannot exist,
// stamps far from the lines around them, MOLVA lines cut off early. The
// damage draws nothing from the generator, so a damaged log differs from the
// same log undamaged in the damaged lines only. The same seed and options
// always give the same log, byte for byte.

#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "tools/seeded_rng.h"

namespace {

constexpr const char* kUsage =
    "usage: vudloggen [options]\n"
    "  -layout L     qtv2 (default), molva, molva_short or molva_units\n"
    "  -seed N       seed of the generator (default 1)\n"
    "  -sensors N    number of sensors, 1 to 1200 (default 4)\n"
    "  -interval S   seconds between two packets of one sensor (default 60)\n"
    "  -lines N      stop after N lines\n"
    "  -span S       stop after S seconds of log (default 3600 when no -lines)\n"
    "  -start T      first time 'YYYY/MM/DD,hh:mm:ss', years 2000 to 2099\n"
    "                (default 2014/12/22,13:00:00); the log may run on past New Year\n"
    "  -kind2 N      QTV 2: every N-th packet of a sensor is of kind 2 (default 0: none)\n"
    "  -impossible N every N-th line gets a stamp that cannot exist (in turn month 13,\n"
    "                day 0, 30 February, hour 24, minute 60, second 60)\n"
    "  -faroff N     every N-th line gets a stamp far from its neighbours (in turn\n"
    "                one year later, and day 40 of its year)\n"
    "  -cut N        MOLVA: every N-th line ends early (in turn after field 5, the\n"
    "                version, and after field 8, the packets left)\n"
    "  -o FILE       write to FILE instead of the standard output\n";

enum class Layout { kQtv2, kMolva, kShort, kUnits };

using seeded::Rng;

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian).
std::int64_t days_from_civil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civil_from_days(std::int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(era * 400 + yoe + (m <= 2));
}

struct Stamp {
  int year, month, day, hour, minute, second;
};

Stamp stamp_of(std::int64_t epoch_seconds) {
  Stamp s{};
  std::int64_t days = epoch_seconds / 86400;
  std::int64_t secs = epoch_seconds % 86400;
  if (secs < 0) {
    secs += 86400;
    --days;
  }
  civil_from_days(days, s.year, s.month, s.day);
  s.hour = static_cast<int>(secs / 3600);
  s.minute = static_cast<int>(secs / 60 % 60);
  s.second = static_cast<int>(secs % 60);
  return s;
}

// Reads 'YYYY/MM/DD,hh:mm:ss' (any single separators) into seconds since 1970.
bool parse_start(const char* text, std::int64_t& out) {
  int y, mo, d, h, mi, s;
  char c1, c2, c3, c4, c5;
  if (std::sscanf(text, "%d%c%d%c%d%c%d%c%d%c%d", &y, &c1, &mo, &c2, &d, &c3, &h, &c4, &mi, &c5,
                  &s) != 11)
    return false;
  if (y < 2000 || y > 2099 || mo < 1 || mo > 12 || d < 1 || d > 31 || h < 0 || h > 23 || mi < 0 ||
      mi > 59 || s < 0 || s > 59)
    return false;
  out = days_from_civil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d)) * 86400 + h * 3600 +
        mi * 60 + s;
  return true;
}

bool parse_int(const char* text, std::int64_t lo, std::int64_t hi, std::int64_t& out) {
  char* end = nullptr;
  const long long v = std::strtoll(text, &end, 10);
  if (end == text || *end != '\0' || v < lo || v > hi) return false;
  out = v;
  return true;
}

// One sensor's identity and slowly drifting state.
struct Sensor {
  std::uint32_t address = 0;  // QTV 2 name, as 8 hex digits
  int index = 0;              // MOLVA sensor index
  int offset = 0;             // seconds after each interval start
  int seq = 0;
  int temp_x10 = 0;
  int rh_x100 = 0;
  int lux = 0;
  int pir_count = 0;
  int pir_value = 0;
  int switch_count = 0;
  int battery = 0;
  std::int64_t sent = 0;
};

int clampi(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

void drift(Rng& rng, Sensor& s) {
  s.temp_x10 = clampi(s.temp_x10 + rng.Between(-3, 3), 120, 300);
  s.rh_x100 = clampi(s.rh_x100 + rng.Between(-150, 150), 2000, 8000);
  s.lux = clampi(s.lux + rng.Between(-40, 40), 0, 900);
  if (rng.Between(0, 3) == 0) s.pir_count += rng.Between(1, 4);
  s.pir_value = rng.Between(0, 250);
  if (rng.Between(0, 19) == 0) ++s.switch_count;
  s.battery = clampi(s.battery - rng.Between(0, 1), 2400, 3300);
  s.seq = (s.seq + 1) % 256;
}

// Raw MOLVA values that convert back to about the sensor's physical state.
int raw_temp(const Sensor& s) {
  return static_cast<int>((s.temp_x10 / 10.0 + 370.0056) / 0.010070815);
}
int raw_humidity(const Sensor& s) {
  const double rh = s.rh_x100 / 100.0;
  return static_cast<int>(std::exp((rh + 397.19) / 49.6));
}
int raw_light(const Sensor& s) { return clampi(s.lux + 300, 300, 1000); }

void put_qtv2(std::string& out, const Stamp& t, const Sensor& s, int kind, Rng& rng) {
  char buf[160];
  std::snprintf(buf, sizeof buf,
                "%04d/%02d/%02d,%02d:%02d:%02d,%08" PRIX32
                ",%d,%d,%d,%d,%d,%d.%02d,%d,%d,%d,%d,%d\n",
                t.year, t.month, t.day, t.hour, t.minute, t.second, s.address,
                rng.Between(-95, -40), kind, s.seq, 0, s.battery, s.rh_x100 / 100, s.rh_x100 % 100,
                s.temp_x10, s.lux, s.pir_count, s.pir_value, s.switch_count);
  out += buf;
}

void put_molva_head(std::string& out, std::string_view keyword, std::int64_t epoch, const Stamp& t,
                    const Sensor& s, int version, int pir_packets, int left, Rng& rng) {
  char buf[160];
  std::snprintf(
      buf, sizeof buf, "%.*s,%" PRId64 ",%04d-%02d-%02d %02d:%02d:%02d.%03d,%d,%d,%d,%d,%d",
      static_cast<int>(keyword.size()), keyword.data(), epoch, t.year, t.month, t.day, t.hour,
      t.minute, t.second, rng.Between(0, 999), s.index, version, pir_packets, s.seq, left);
  out += buf;
}

void put_molva(std::string& out, Layout layout, std::int64_t epoch, const Stamp& t, const Sensor& s,
               Rng& rng) {
  const int version = rng.Between(4, 5);
  const int pir_packets = rng.Between(0, 24);
  const int left = rng.Between(0, 3);
  char buf[64];
  switch (layout) {
    case Layout::kMolva: {
      put_molva_head(out, "MOLVA", epoch, t, s, version, pir_packets, left, rng);
      std::snprintf(buf, sizeof buf, ",%d,%d,%d,%d", raw_temp(s), raw_light(s), s.battery,
                    raw_humidity(s));
      out += buf;
      for (int i = 0; i < 24; ++i) {
        std::snprintf(buf, sizeof buf, ",%d", i < pir_packets ? rng.Between(0, 60) : 0);
        out += buf;
      }
      for (int i = 0; i < 24; ++i) {
        std::snprintf(buf, sizeof buf, ",%d", rng.Between(20, 200));
        out += buf;
      }
      break;
    }
    case Layout::kShort: {
      put_molva_head(out, "MOLVA_SHORT", epoch, t, s, version, pir_packets, left, rng);
      const int pmax = rng.Between(0, 60);
      const int amin = rng.Between(20, 60);
      const int amax = rng.Between(amin, 200);
      std::snprintf(buf, sizeof buf, ",%d,%d,%d,%d", raw_temp(s), raw_light(s), s.battery,
                    raw_humidity(s));
      out += buf;
      std::snprintf(buf, sizeof buf, ",%d,%d,%d,%d,%d,%d", 0, pmax, pmax / 2, amin, amax,
                    (amin + amax) / 2);
      out += buf;
      break;
    }
    case Layout::kUnits: {
      put_molva_head(out, "MOLVA_UNITS", epoch, t, s, version, pir_packets, left, rng);
      const int pmax = rng.Between(0, 60);
      const int amin = rng.Between(300, 500);
      const int amax = rng.Between(amin, 800);
      std::snprintf(buf, sizeof buf, ",%d.%d,%d.0,%d,%d.%02d", s.temp_x10 / 10, s.temp_x10 % 10,
                    s.lux, s.battery, s.rh_x100 / 100, s.rh_x100 % 100);
      out += buf;
      std::snprintf(buf, sizeof buf, ",%d,%d,%d,%d.%d,%d.%d,%d.%d", 0, pmax, pmax / 2, amin / 10,
                    amin % 10, amax / 10, amax % 10, (amin + amax) / 20, (amin + amax) / 2 % 10);
      out += buf;
      break;
    }
    case Layout::kQtv2:
      break;
  }
  out += '\n';
}

// The damage asked for: every N-th line (0: none) of each kind, and how many
// lines of each kind were damaged so far (the kinds take turns by that count).
struct Damage {
  std::int64_t impossible = 0, faroff = 0, cut = 0;
  std::int64_t impossible_done = 0, faroff_done = 0, cut_done = 0;
};

// Overwrites two digits at position pos of the line.
void put2(std::string& line, std::size_t pos, int v) {
  line[pos] = static_cast<char>('0' + v / 10 % 10);
  line[pos + 1] = static_cast<char>('0' + v % 10);
}

// Damages the lineno-th line (1-based), held in line with its line end. The
// stamp starts the QTV 2 line and is the third field of a MOLVA line; both
// forms keep the year, month, day, hour, minute and second at the same places.
void damage_line(std::string& line, std::int64_t lineno, bool molva, const Stamp& t, Damage& d) {
  std::size_t at = 0;
  if (molva) at = line.find(',', line.find(',') + 1) + 1;
  if (d.impossible > 0 && lineno % d.impossible == 0) {
    switch (d.impossible_done++ % 6) {
      case 0:
        put2(line, at + 5, 13);
        break;  // month 13
      case 1:
        put2(line, at + 8, 0);
        break;  // day 0
      case 2:
        put2(line, at + 5, 2);
        put2(line, at + 8, 30);
        break;  // 30 February
      case 3:
        put2(line, at + 11, 24);
        break;  // hour 24
      case 4:
        put2(line, at + 14, 60);
        break;  // minute 60
      default:
        put2(line, at + 17, 60);
        break;  // second 60
    }
  }
  if (d.faroff > 0 && lineno % d.faroff == 0) {
    if (d.faroff_done++ % 2 == 0) {
      put2(line, at + 2, (t.year + 1) % 100);  // one year later
    } else {
      put2(line, at + 5, 2);  // day 40: 9 February
      put2(line, at + 8, 9);
    }
  }
  if (molva && d.cut > 0 && lineno % d.cut == 0) {
    const int fields = d.cut_done++ % 2 == 0 ? 5 : 8;
    std::size_t end = 0;
    for (int f = 0; f < fields; ++f) end = line.find(',', end) + 1;
    line.resize(end - 1);
    line += '\n';
  }
}

}  // namespace

int main(int argc, char** argv) {
  Layout layout = Layout::kQtv2;
  std::int64_t seed = 1, sensors = 4, interval = 60, lines = -1, span = -1, kind2 = 0;
  std::int64_t start = 0;
  parse_start("2014/12/22,13:00:00", start);
  Damage damage;
  const char* out_name = nullptr;

  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (a == "-h" || a == "-help" || a == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (i + 1 >= argc) {
      std::fprintf(stderr, "vudloggen: option %s needs a value\n%s", argv[i], kUsage);
      return 1;
    }
    const char* v = argv[++i];
    bool ok = true;
    if (a == "-layout") {
      const std::string_view l = v;
      if (l == "qtv2" || l == "2")
        layout = Layout::kQtv2;
      else if (l == "molva" || l == "b")
        layout = Layout::kMolva;
      else if (l == "molva_short" || l == "s")
        layout = Layout::kShort;
      else if (l == "molva_units" || l == "u")
        layout = Layout::kUnits;
      else
        ok = false;
    } else if (a == "-seed") {
      ok = parse_int(v, 0, INT64_MAX, seed);
    } else if (a == "-sensors") {
      ok = parse_int(v, 1, 1200, sensors);
    } else if (a == "-interval") {
      ok = parse_int(v, 1, 86400, interval);
    } else if (a == "-lines") {
      ok = parse_int(v, 0, INT64_MAX, lines);
    } else if (a == "-span") {
      ok = parse_int(v, 0, INT64_MAX, span);
    } else if (a == "-kind2") {
      ok = parse_int(v, 0, INT64_MAX, kind2);
    } else if (a == "-impossible") {
      ok = parse_int(v, 0, INT64_MAX, damage.impossible);
    } else if (a == "-faroff") {
      ok = parse_int(v, 0, INT64_MAX, damage.faroff);
    } else if (a == "-cut") {
      ok = parse_int(v, 0, INT64_MAX, damage.cut);
    } else if (a == "-start") {
      ok = parse_start(v, start);
    } else if (a == "-o") {
      out_name = v;
    } else {
      std::fprintf(stderr, "vudloggen: unknown option %s\n%s", argv[i - 1], kUsage);
      return 1;
    }
    if (!ok) {
      std::fprintf(stderr, "vudloggen: bad value '%s' for %s\n", v, argv[i - 1]);
      return 1;
    }
  }
  if (lines < 0 && span < 0) span = 3600;

  std::FILE* out = stdout;
  if (out_name != nullptr) {
    out = std::fopen(out_name, "wb");
    if (out == nullptr) {
      std::fprintf(stderr, "vudloggen: cannot write %s\n", out_name);
      return 1;
    }
  }

  Rng rng{static_cast<std::uint64_t>(seed)};
  std::vector<Sensor> table(static_cast<std::size_t>(sensors));
  std::vector<int> used_index(1201, 0);
  for (std::size_t n = 0; n < table.size(); ++n) {
    Sensor& s = table[n];
    s.address = static_cast<std::uint32_t>(rng.Next());
    do {
      s.index = rng.Between(1, sensors <= 999 ? 999 : 1200);
    } while (used_index[static_cast<std::size_t>(s.index)] != 0);
    used_index[static_cast<std::size_t>(s.index)] = 1;
    s.offset = rng.Between(0, static_cast<int>(interval - 1));
    s.seq = rng.Between(1, 255);
    s.temp_x10 = rng.Between(170, 240);
    s.rh_x100 = rng.Between(3500, 6000);
    s.lux = rng.Between(50, 600);
    s.pir_count = rng.Between(0, 50);
    s.switch_count = rng.Between(0, 5);
    s.battery = rng.Between(2900, 3100);
  }
  // Packets go out in time order: within each interval by the sensors' offsets.
  std::vector<std::size_t> order(table.size());
  for (std::size_t n = 0; n < order.size(); ++n) order[n] = n;
  for (std::size_t a = 1; a < order.size(); ++a)
    for (std::size_t b = a; b > 0 && table[order[b - 1]].offset > table[order[b]].offset; --b)
      std::swap(order[b - 1], order[b]);

  std::string buf;
  buf.reserve(1 << 20);
  std::int64_t written = 0;
  for (std::int64_t t0 = 0;; t0 += interval) {
    bool done = false;
    for (std::size_t n : order) {
      Sensor& s = table[n];
      const std::int64_t t = t0 + s.offset;
      if ((lines >= 0 && written >= lines) || (span >= 0 && t >= span)) {
        done = true;
        break;
      }
      drift(rng, s);
      const Stamp st = stamp_of(start + t);
      ++s.sent;
      const std::size_t line_start = buf.size();
      if (layout == Layout::kQtv2) {
        const int kind = (kind2 > 0 && s.sent % kind2 == 0) ? 2 : 1;
        put_qtv2(buf, st, s, kind, rng);
      } else {
        put_molva(buf, layout, start + t, st, s, rng);
      }
      ++written;
      if (damage.impossible > 0 || damage.faroff > 0 || damage.cut > 0) {
        std::string line = buf.substr(line_start);
        damage_line(line, written, layout != Layout::kQtv2, st, damage);
        buf.resize(line_start);
        buf += line;
      }
      if (buf.size() > (1 << 20) - 1024) {
        std::fwrite(buf.data(), 1, buf.size(), out);
        buf.clear();
      }
    }
    if (done) break;
  }
  std::fwrite(buf.data(), 1, buf.size(), out);
  const bool failed = std::ferror(out) != 0;
  if (out != stdout) {
    if (std::fclose(out) != 0) return 1;
  } else if (std::fflush(out) != 0) {
    return 1;
  }
  return failed ? 1 : 0;
}
