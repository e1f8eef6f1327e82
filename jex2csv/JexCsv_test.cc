#include "jex2csv/JexCsv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "jex2csv/jex2csv.h"
#include "tools/seeded_rng.h"

namespace jex {
namespace {

using seeded::Rng;

// Random records with the fields the formatter treats apart pushed to their
// edges: times at and around the "0" and "-1" thresholds and in long runs of
// one minute, every packet type, extreme 16-bit values, and half the records
// from sensor 42D89A75 so that the sensor filter lets some through.
std::vector<std::uint8_t> DamagedRecords(std::size_t n, std::uint64_t seed) {
  static constexpr std::uint32_t kTimes[] = {0,           0x0041FFFFu, 0x00420000u, 0xFF3F7EFBu,
                                             0xFF3F7EFCu, 0xFFFFFFFFu, 0x04020000u, 0x3D876151u};
  static constexpr std::uint16_t kValues[] = {0,    9,    10,    99,    100,   999,
                                              1000, 9999, 10000, 32767, 32768, 65535};
  Rng rng{seed};
  std::vector<std::uint8_t> bytes(n * 32);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(rng.Next());
  std::uint32_t time = 0x3D876151u;
  for (std::size_t at = 0; at < bytes.size(); at += 32) {
    std::uint8_t* rec = &bytes[at];
    const std::uint32_t roll = rng.Below(16);
    if (roll == 0) time = kTimes[rng.Below(8)];
    if (roll < 10) time += rng.Below(20);  // on through minutes, hours and days
    if (roll != 15) {
      for (int i = 0; i < 4; ++i) rec[4 + i] = static_cast<std::uint8_t>(time >> (8 * i));
    }
    if (rng.Below(2) == 0) std::memcpy(rec + 9, "\x75\x9A\xD8\x42", 4);
    if (rng.Below(2) == 0) rec[14] = static_cast<std::uint8_t>(1 + rng.Below(3));
    for (int field = 17; field < 31; field += 2) {
      if (rng.Below(3) == 0) {
        const std::uint16_t v = kValues[rng.Below(12)];
        rec[field] = static_cast<std::uint8_t>(v);
        rec[field + 1] = static_cast<std::uint8_t>(v >> 8);
      }
    }
  }
  return bytes;
}

// The lines JexNewEntry writes for every record, one at a time.
std::string RecordByRecord(const std::vector<std::uint8_t>& capture) {
  std::FILE* out = std::tmpfile();
  EXPECT_NE(out, nullptr);
  gSettings.outputFile = out;
  binUnit_t unit;
  for (std::size_t at = 0; at < capture.size(); at += 32)
    JexNewEntry(*ParseFileEntryToUnit(&capture[at], &unit));
  gSettings.outputFile = nullptr;
  std::string text(static_cast<std::size_t>(std::ftell(out)), '\0');
  std::rewind(out);
  EXPECT_EQ(std::fread(text.data(), 1, text.size(), out), text.size());
  std::fclose(out);
  return text;
}

// The block formatter over the same records, cut into blocks of random size
// that share one state as the read loop's blocks do.
std::string InBlocks(const std::vector<std::uint8_t>& capture, Rng& rng) {
  CsvBlockState_t state;
  state.layout.focus = focus;
  state.layout.topic = topic;
  state.layout.printEncryptedPackets = gSettings.printEncryptedPackets;
  state.layout.focusComplete = focusname.size() >= 8;
  std::memcpy(state.layout.focusname, focusname.data(), std::min<std::size_t>(8, focusname.size()));
  std::string text;
  const std::size_t records = capture.size() / 32;
  for (std::size_t done = 0; done < records;) {
    const std::size_t count = std::min<std::size_t>(records - done, rng.Below(40));
    // Exactly the room promised, so that a store past it shows under the sanitizers.
    std::vector<char> room(count * kCsvRoomPerRecord);
    const char* end = FormatCsvRecords(state, &capture[done * 32], count, room.data());
    text.append(room.data(), static_cast<std::size_t>(end - room.data()));
    done += count;
  }
  return text;
}

TEST(FormatCsvRecords, WritesWhatJexNewEntryWritesInEveryLayout) {
  Rng rng{603};
  for (int round = 0; round < 84; ++round) {
    JexResetState();
    focus = round % 3;
    topic = round / 3 % 7;
    gSettings.printEncryptedPackets = round / 21 % 2 == 1;
    focusname = round / 42 == 0 ? "42D89A75" : (focus == 2 ? "42D89A75tail" : "42D89A7");
    const std::vector<std::uint8_t> capture =
        DamagedRecords(600, static_cast<std::uint64_t>(round));
    const std::string expected = RecordByRecord(capture);
    EXPECT_EQ(InBlocks(capture, rng), expected)
        << "focus " << focus << " topic " << topic << " -e " << gSettings.printEncryptedPackets
        << " name " << focusname;
    if (focus == 0 && topic == 0) {
      EXPECT_GT(expected.size(), 600u * 20);
    }
  }
  JexResetState();
}

}  // namespace
}  // namespace jex
