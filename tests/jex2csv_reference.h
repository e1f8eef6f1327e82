// A plain, slow second rendering of the converter's output, written straight
// from the record layout with snprintf, for tests to compare whole outputs
// against. It shares no code with the converter.
#ifndef TESTS_JEX2CSV_REFERENCE_H_
#define TESTS_JEX2CSV_REFERENCE_H_

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace jexref {

struct Options {
  int focus = 0;  // 0 all, 1 -n, 2 -N
  std::string focusname;
  int topic = 0;  // 0 all, 1 dbt .. 6 bat
  bool encrypted = false;
};

inline unsigned Le16(const std::uint8_t* r, int at) { return r[at] | (r[at + 1] << 8); }
inline std::uint32_t Le32(const std::uint8_t* r, int at) {
  return Le16(r, at) | (static_cast<std::uint32_t>(Le16(r, at + 2)) << 16);
}

inline std::string TimeText(std::uint32_t v, bool sql) {
  if (v < 0x00420000u) return "0";
  if (v > 0xFF3F7EFBu) return "-1";
  char buf[64];
  std::snprintf(
      buf, sizeof buf, sql ? "%04u-%02u-%02u %02u:%02u:%02u" : "%04u/%02u/%02u,%02u:%02u:%02u",
      2000 + (v >> 26), (v >> 22) & 15, (v >> 17) & 31, (v >> 12) & 31, (v >> 6) & 63, v & 63);
  return buf;
}

inline std::string Name(const std::uint8_t* rec) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02X%02X%02X%02X", rec[12], rec[11], rec[10], rec[9]);
  return buf;
}

inline std::string Humidity(unsigned h) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%u.%02u", h >> 8, (h & 255) * 39 / 100);
  return buf;
}

// The CSV line of one 32-byte record, or "" when it is filtered out.
inline std::string Line(const std::uint8_t* rec, const Options& o) {
  const std::string name = Name(rec);
  if (o.focus != 0 && (o.focusname.size() < 8 || o.focusname.compare(0, 8, name) != 0)) return "";
  const int type = static_cast<std::int8_t>(rec[14]);
  if (!o.encrypted && (type < 1 || type > 3)) return "";
  std::string line = TimeText(Le32(rec, 4), o.focus == 2) + ",";
  if (o.focus != 2) line += name;
  char buf[160];
  if (o.topic == 0) {
    std::snprintf(buf, sizeof buf, ",%d,%d,", rec[13] / 2 - 128, type);
    line += buf;
  }
  if (type <= 0 || type == 4) return line + "\tencrypted packet\n";
  const std::uint8_t* v = rec + 15;
  const int temp = static_cast<std::int16_t>(Le16(v, 6));
  if (o.topic == 0) {
    std::snprintf(buf, sizeof buf, "%u,%d,%u,%s,%d,%u,%u,%u,%u\n", v[0],
                  static_cast<std::int8_t>(v[1]), Le16(v, 2), Humidity(Le16(v, 4)).c_str(), temp,
                  Le16(v, 8), Le16(v, 10), Le16(v, 12), Le16(v, 14));
    return line + buf;
  }
  if (o.focus != 2) line += ",";
  switch (o.topic) {
    case 1:
      std::snprintf(buf, sizeof buf, "%d\n", temp);
      break;
    case 2:
      std::snprintf(buf, sizeof buf, "%s\n", Humidity(Le16(v, 4)).c_str());
      break;
    case 3:
      std::snprintf(buf, sizeof buf, "%u\n", Le16(v, 8));
      break;
    case 4:
      std::snprintf(buf, sizeof buf, "%u\n", Le16(v, 10));
      break;
    case 5:
      std::snprintf(buf, sizeof buf, "%u\n", Le16(v, 14));
      break;
    default:
      std::snprintf(buf, sizeof buf, "%u\n", Le16(v, 2));
      break;
  }
  return line + buf;
}

inline std::string Csv(const std::vector<std::uint8_t>& capture, const Options& o) {
  std::string out;
  for (std::size_t at = 0; at + 32 <= capture.size(); at += 32) out += Line(&capture[at], o);
  return out;
}

// The listing as written after "Listing of ENV sensors follows:".
inline std::string Listing(const std::vector<std::uint8_t>& capture) {
  std::vector<std::pair<std::string, int>> table;
  for (std::size_t at = 0; at + 32 <= capture.size(); at += 32) {
    const std::uint8_t* rec = &capture[at];
    const int type = static_cast<std::int8_t>(rec[14]);
    if (type < 1 || type > 3) continue;
    const std::string name = Name(rec);
    bool found = false;
    for (auto& e : table) {
      if (e.first == name) {
        ++e.second;
        found = true;
        break;
      }
    }
    if (!found && table.size() < 70) table.emplace_back(name, 1);
  }
  std::string out = " Sensors found " + std::to_string(table.size()) + "\n Name   Number of hits\n";
  for (const auto& e : table) out += " " + e.first + " " + std::to_string(e.second) + "\n";
  return out;
}

}  // namespace jexref

#endif  // TESTS_JEX2CSV_REFERENCE_H_
