#include "jex2csv/JexRx.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "jex2csv/JexUtils.h"
#include "jex2csv/aes.h"
#include "tools/seeded_rng.h"

namespace jex {
namespace {

using Key = std::array<std::uint8_t, 16>;

std::vector<std::uint32_t> gCalls;  // what the paired-count callback was told
void RecordCall(std::uint32_t n) { gCalls.push_back(n); }

Key KeyOf(std::uint8_t seed) {
  Key k{};
  for (std::size_t i = 0; i < k.size(); ++i)
    k[i] = static_cast<std::uint8_t>(seed * 17 + i * 3 + 1);
  return k;
}

JexPacket_t Packet(std::uint32_t address, std::int8_t type, const void* payload = nullptr,
                   std::size_t n = 16, std::uint8_t rssi = 101) {
  JexPacket_t p;
  p.address = address;
  p.rssi = rssi;
  p.pktType = type;
  if (payload != nullptr) std::memcpy(p.data, payload, n);
  return p;
}

// Each test runs in a fresh temporary working directory (the store file
// lives there) with an empty store, and returns to the old directory after.
class JexRxTest : public testing::Test {
 protected:
  void SetUp() override {
    old_ = std::filesystem::current_path();
    char tmpl[] = "/tmp/jexrx_store_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    std::filesystem::current_path(dir_);
    JexRxInit();
    gCalls.clear();
  }
  void TearDown() override {
    JexSetDevicePairedCB(nullptr);
    std::filesystem::current_path(old_);
    std::filesystem::remove_all(dir_);
  }
  static void Pair(std::uint32_t address, const Key& key) {
    JexPacket_t p = Packet(address, 0, key.data());
    EXPECT_EQ(JexReadPacket(&p), nullptr);
  }
  static void Name(std::uint32_t address, const std::string& bytes) {
    JexPacket_t p = Packet(address, 4, bytes.data(), bytes.size());
    EXPECT_EQ(JexReadPacket(&p), nullptr);
  }
  static std::string FileBytes() {
    std::ifstream in(kJexInfoFileName, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  static void WriteFile(const std::string& bytes) {
    std::ofstream(kJexInfoFileName, std::ios::binary) << bytes;
  }
  // One 64-byte file record, built byte by byte.
  static std::string Record(std::uint32_t address, const Key& key, const std::string& name = "") {
    std::string r(64, '\0');
    for (int i = 0; i < 4; ++i) r[i] = static_cast<char>(address >> (8 * i));
    std::memcpy(r.data() + 4, key.data(), 16);
    std::memcpy(r.data() + 20, name.data(), name.size() < 16 ? name.size() : 16);
    return r;
  }
  std::filesystem::path old_, dir_;
};

TEST_F(JexRxTest, EmptyStoreKnowsNobody) {
  EXPECT_EQ(pairedDevices, 0u);
  EXPECT_EQ(JexSearchInfo(0x42D89A75), nullptr);
  EXPECT_EQ(JexGetName(0x42D89A75), nullptr);
  EXPECT_EQ(JexGetLast(0x42D89A75, 0), nullptr);
  EXPECT_EQ(JexSearchInfo(0), nullptr) << "free slots are not a sensor at address 0";
  for (int i = 0; i < kJexMaxDevices; ++i) {
    EXPECT_EQ(jexDeviceInfo[i].entry[0], &jexEntries[i]);
    EXPECT_EQ(jexEntries[i].time, kDateTimeNone);
  }
}

TEST_F(JexRxTest, ClearTypesPassAndUnusedTypesDrop) {
  const std::uint8_t payload[16] = {7, 0, 0xC4, 0x0B, 0x80, 0x32, 215, 0};
  struct Case {
    std::int8_t type;
    bool returned;
  };
  static constexpr Case kCases[] = {{1, true},    {2, true},   {3, true},    {5, false},
                                    {127, false}, {-4, false}, {-128, false}};
  for (const Case& c : kCases) {
    JexPacket_t p = Packet(0x42D89A75, c.type, payload);
    const JexPacket_t before = p;
    EXPECT_EQ(JexReadPacket(&p), c.returned ? &p : nullptr) << int{c.type};
    EXPECT_EQ(p.pktType, before.pktType);
    EXPECT_EQ(std::memcmp(p.data, before.data, 16), 0) << int{c.type};
  }
  EXPECT_EQ(JexReadPacket(nullptr), nullptr);
  EXPECT_EQ(pairedDevices, 0u);
  EXPECT_FALSE(std::filesystem::exists(kJexInfoFileName));
}

TEST_F(JexRxTest, EncipheredPacketOfPairedSensorComesBackInClear) {
  // The sensor enciphers under its cipher key; pairing hands the receiver
  // the last round key of that key.
  const Key cipherKey = KeyOf(9);
  std::uint8_t clear[16] = {7,    0xFD, 0xC4, 0x0B, 0x80, 0x32, 0xD7, 0x00,
                            0x78, 0x00, 0x03, 0x00, 0x2D, 0x00, 0x00, 0x00};
  std::uint8_t sealed[16];
  Key lastRound{};
  aes_encrypt_128(clear, sealed, cipherKey.data(), lastRound.data());

  JexSetDevicePairedCB(RecordCall);
  Pair(0x42D89A75, lastRound);
  EXPECT_EQ(gCalls, (std::vector<std::uint32_t>{0, 1}));

  JexPacket_t p = Packet(0x42D89A75, -2, sealed, 16, 90);
  const DateTime before = RtcNow();
  ASSERT_EQ(JexReadPacket(&p), &p);
  EXPECT_EQ(p.pktType, 2);
  EXPECT_EQ(std::memcmp(p.data, clear, 16), 0);
  JexSensorPacket_t v;
  JexUnpackSensorVals(&p, &v);
  EXPECT_EQ(v.pktId, 7);
  EXPECT_EQ(v.xmitPwrdBm, -3);
  EXPECT_EQ(v.battmv, 3012);
  EXPECT_EQ(v.humidSat, 0x3280);
  EXPECT_EQ(v.tempCx10, 215);
  EXPECT_EQ(v.lightLux, 120);
  EXPECT_EQ(v.pirCounts, 3);
  EXPECT_EQ(v.pirEnergy, 45);

  const JexEntry_t* last = JexGetLast(0x42D89A75, 0);
  ASSERT_NE(last, nullptr);
  EXPECT_GE(last->time, before);
  EXPECT_LE(last->time, RtcNow());
  EXPECT_EQ(last->rssi, 90);
  EXPECT_EQ(last->pktType, -2) << "stored as received";
  EXPECT_EQ(std::memcmp(last->data, clear, 16), 0);
  EXPECT_EQ(JexGetLast(0x42D89A75, 1), nullptr);

  // The stored key survives deciphering: a second packet decodes as well.
  EXPECT_EQ(std::memcmp(JexSearchInfo(0x42D89A75)->info.key, lastRound.data(), 16), 0);
  JexPacket_t again = Packet(0x42D89A75, -1, sealed);
  ASSERT_EQ(JexReadPacket(&again), &again);
  EXPECT_EQ(again.pktType, 1);
  EXPECT_EQ(std::memcmp(again.data, clear, 16), 0);
}

// Packets handled many at a time (JexReadPackets) come out as they do one at
// a time (JexReadPacket), and leave the same store and file: random streams
// of pairings (more senders than the store holds, so slots move), names,
// enciphered packets of paired and unknown senders, clear packets and
// unused types.
TEST_F(JexRxTest, ManyAtATimeAsOneAtATime) {
  seeded::Rng rng{4711};
  std::vector<JexPacket_t> stream(6000);
  for (JexPacket_t& p : stream) {
    const std::uint32_t kind = rng.Below(20);
    const std::uint32_t address = 0x10 + rng.Below(26);
    std::uint8_t payload[16];
    for (std::uint8_t& b : payload) b = static_cast<std::uint8_t>(rng());
    const std::int8_t type = kind == 0   ? 0
                             : kind == 1 ? 4
                             : kind == 2 ? static_cast<std::int8_t>(rng.Between(-128, 127))
                             : kind < 6  ? static_cast<std::int8_t>(rng.Between(1, 3))
                                         : static_cast<std::int8_t>(rng.Between(-3, -1));
    p = Packet(address, type, payload, 16, static_cast<std::uint8_t>(rng()));
  }
  struct Outcome {
    std::vector<JexPacket_t> packets;
    std::vector<bool> kept;
    std::vector<JexDeviceInfo_t> slots;
    std::vector<JexEntry_t> entries;
    std::string file;
  };
  auto outcome = [](std::vector<JexPacket_t> packets, std::vector<bool> kept) {
    Outcome o{std::move(packets), std::move(kept), {}, {}, FileBytes()};
    for (const JexDeviceInfo_t& d : jexDeviceInfo) {
      o.slots.push_back(d);
      o.entries.push_back(*d.entry[0]);
    }
    return o;
  };
  std::vector<JexPacket_t> one = stream;
  std::vector<bool> one_kept;
  for (JexPacket_t& p : one) one_kept.push_back(JexReadPacket(&p) != nullptr);
  const Outcome singly = outcome(one, one_kept);

  std::filesystem::remove(kJexInfoFileName);
  JexRxInit();
  std::vector<JexPacket_t> many = stream;
  bool kept[64];
  std::vector<bool> many_kept;
  for (std::size_t at = 0; at < many.size();) {
    const std::size_t n = std::min<std::size_t>(1 + rng.Below(64), many.size() - at);
    JexReadPackets(&many[at], n, kept);
    many_kept.insert(many_kept.end(), kept, kept + n);
    at += n;
  }
  const Outcome together = outcome(many, many_kept);

  ASSERT_EQ(together.kept, singly.kept);
  for (std::size_t i = 0; i < stream.size(); ++i) {
    ASSERT_EQ(together.packets[i].b(), singly.packets[i].b()) << "packet " << i;
  }
  for (std::size_t s = 0; s < singly.slots.size(); ++s) {
    const JexDeviceInfo_t &a = together.slots[s], &b = singly.slots[s];
    EXPECT_EQ(a.info.address, b.info.address) << "slot " << s;
    EXPECT_EQ(std::memcmp(a.info.key, b.info.key, sizeof a.info.key), 0) << "slot " << s;
    EXPECT_EQ(std::memcmp(a.info.name, b.info.name, sizeof a.info.name), 0) << "slot " << s;
    const JexEntry_t &x = together.entries[s], &y = singly.entries[s];
    EXPECT_EQ(x.time == kDateTimeNone, y.time == kDateTimeNone) << "slot " << s;
    EXPECT_EQ(x.rssi, y.rssi) << "slot " << s;
    EXPECT_EQ(x.pktType, y.pktType) << "slot " << s;
    EXPECT_EQ(std::memcmp(x.data, y.data, sizeof x.data), 0) << "slot " << s;
  }
  EXPECT_EQ(together.file, singly.file);
  EXPECT_GT(std::count(singly.kept.begin(), singly.kept.end(), true), 2000);
}

TEST_F(JexRxTest, EncipheredPacketOfUnknownSenderIsDroppedForGood) {
  const std::uint8_t sealed[16] = {0xAA, 0xBB};
  JexPacket_t early = Packet(0x0000BEEF, -3, sealed);
  EXPECT_EQ(JexReadPacket(&early), nullptr);
  EXPECT_EQ(early.pktType, -3);
  EXPECT_EQ(std::memcmp(early.data, sealed, 16), 0) << "left as it came";
  Pair(0x0000BEEF, KeyOf(1));
  EXPECT_EQ(JexGetLast(0x0000BEEF, 0), nullptr) << "nothing decoded after the fact";
}

TEST_F(JexRxTest, PairingAgainKeepsOneSlotAndForgetsNameAndLastPacket) {
  JexSetDevicePairedCB(RecordCall);
  Pair(0x11, KeyOf(1));
  Pair(0x22, KeyOf(2));
  Name(0x22, "Hall");
  JexPacket_t p = Packet(0x22, -1, KeyOf(5).data());
  ASSERT_NE(JexReadPacket(&p), nullptr);
  gCalls.clear();

  Pair(0x22, KeyOf(3));
  EXPECT_EQ(gCalls, (std::vector<std::uint32_t>{1, 2}));
  EXPECT_EQ(pairedDevices, 2u);
  JexDeviceInfo_t* slot = JexSearchInfo(0x22);
  ASSERT_EQ(slot, &jexDeviceInfo[1]);
  EXPECT_STREQ(slot->info.name, "");
  EXPECT_EQ(std::memcmp(slot->info.key, KeyOf(3).data(), 16), 0);
  EXPECT_EQ(JexGetLast(0x22, 0), nullptr);
  int holders = 0;
  for (const JexDeviceInfo_t& d : jexDeviceInfo) holders += d.info.address == 0x22;
  EXPECT_EQ(holders, 1);
  EXPECT_EQ(JexSearchInfo(0x11), &jexDeviceInfo[0]);

  // A record with address 0 stands for an empty slot and changes nothing.
  const JexInfo_t empty;
  JexAddNewInfo(&empty);
  EXPECT_EQ(pairedDevices, 2u);
  EXPECT_EQ(gCalls.size(), 2u);
}

TEST_F(JexRxTest, TwentyFirstSensorDropsSlotZeroAndKeepsOthersLastPackets) {
  for (std::uint32_t a = 1; a <= 20; ++a) {
    Pair(a, KeyOf(static_cast<std::uint8_t>(a)));
    JexPacket_t p = Packet(a, -1, KeyOf(static_cast<std::uint8_t>(100 + a)).data(), 16,
                           static_cast<std::uint8_t>(a));
    ASSERT_NE(JexReadPacket(&p), nullptr);
  }
  ASSERT_EQ(pairedDevices, 20u);
  JexSetDevicePairedCB(RecordCall);
  gCalls.clear();

  Pair(21, KeyOf(21));
  EXPECT_EQ(gCalls, (std::vector<std::uint32_t>{20}));
  EXPECT_EQ(pairedDevices, 20u);
  EXPECT_EQ(JexSearchInfo(1), nullptr);
  for (std::uint32_t a = 2; a <= 20; ++a) {
    ASSERT_EQ(JexSearchInfo(a), &jexDeviceInfo[a - 2]) << a;
    const JexEntry_t* last = JexGetLast(a, 0);
    ASSERT_NE(last, nullptr) << a;
    EXPECT_EQ(last->rssi, a) << "each sensor keeps its own last packet";
  }
  EXPECT_EQ(JexSearchInfo(21), &jexDeviceInfo[19]);
  EXPECT_EQ(JexGetLast(21, 0), nullptr);
  // Every slot still has an entry of its own.
  for (int i = 0; i < kJexMaxDevices; ++i) {
    for (int j = i + 1; j < kJexMaxDevices; ++j) {
      EXPECT_NE(jexDeviceInfo[i].entry[0], jexDeviceInfo[j].entry[0]) << i << "," << j;
    }
  }
}

TEST_F(JexRxTest, NamePacketsKeepSafeCharactersOnly) {
  struct Case {
    std::string payload;
    const char* name;
  };
  const Case kCases[] = {
      {"Office-2A", "Office-2A"},
      {"Hall #1", "Hall _1"},
      {"\x80"
       "Caf\xE9\x7F.",
       "_Caf___"},
      {std::string("Den\0junk", 8), "Den"},
      {"ABCDEFGHIJKLMNOPQR", "ABCDEFGHIJKLMNO"},  // 15 at most
      {std::string(16, '\0'), ""},
  };
  Pair(0x42D89A75, KeyOf(4));
  for (const Case& c : kCases) {
    Name(0x42D89A75, c.payload);
    const char* name = JexGetName(0x42D89A75);
    ASSERT_NE(name, nullptr);
    EXPECT_STREQ(name, c.name);
    EXPECT_EQ(name[15], '\0');
  }
  // Each name packet is logged as one more record.
  EXPECT_EQ(FileBytes().size(), (1 + std::size(kCases)) * 64);

  Name(0x0BADF00D, "Stranger");
  EXPECT_EQ(JexGetName(0x0BADF00D), nullptr);
  EXPECT_EQ(FileBytes().size(), (1 + std::size(kCases)) * 64) << "unknown sender: no record";
}

TEST_F(JexRxTest, SnapshotOfFiveSensorsReloads) {
  for (std::uint32_t a = 0; a < 5; ++a) Pair(0x42D89A70 + a, KeyOf(static_cast<std::uint8_t>(a)));
  Name(0x42D89A72, "Office-2A");
  EXPECT_EQ(FileBytes().size(), 6u * 64) << "pairing and name packets append";

  JexSaveInfoFile();
  const std::string bytes = FileBytes();
  ASSERT_EQ(bytes.size(), 1280u);
  EXPECT_EQ(bytes.substr(2 * 64, 64), Record(0x42D89A72, KeyOf(2), "Office-2A"));
  EXPECT_EQ(bytes.substr(2 * 64, 4), "\x72\x9A\xD8\x42") << "address little-endian";
  EXPECT_EQ(bytes.substr(5 * 64), std::string(15 * 64, '\0')) << "empty slots saved as zeros";

  JexRxInit();
  EXPECT_EQ(pairedDevices, 5u);
  for (std::uint32_t a = 0; a < 5; ++a) {
    const JexDeviceInfo_t* d = JexSearchInfo(0x42D89A70 + a);
    ASSERT_EQ(d, &jexDeviceInfo[a]);
    EXPECT_EQ(std::memcmp(d->info.key, KeyOf(static_cast<std::uint8_t>(a)).data(), 16), 0);
    EXPECT_EQ(JexGetLast(0x42D89A70 + a, 0), nullptr);
  }
  EXPECT_STREQ(JexGetName(0x42D89A72), "Office-2A");
  EXPECT_STREQ(JexGetName(0x42D89A70), "");
}

TEST_F(JexRxTest, LogReplaysWithLaterRecordsWinning) {
  struct Case {
    const char* name;
    std::string file;
    std::uint32_t paired;
  };
  const std::string a1 = Record(0xA, KeyOf(1)), b = Record(0xB, KeyOf(2)),
                    a2 = Record(0xA, KeyOf(3), "Kitchen");
  const Case kCases[] = {
      {"log", a1 + b + a2, 2},
      {"damaged tail", a1 + b + a2 + std::string(30, '\x5A'), 2},
      {"only a fragment", std::string(63, '\x01'), 0},
      {"empty records", std::string(128, '\0') + b, 1},
  };
  for (const Case& c : kCases) {
    WriteFile(c.file);
    JexRxInit();
    EXPECT_EQ(pairedDevices, c.paired) << c.name;
  }
  WriteFile(a1 + b + a2);
  JexRxInit();
  const JexDeviceInfo_t* a = JexSearchInfo(0xA);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(std::memcmp(a->info.key, KeyOf(3).data(), 16), 0);
  EXPECT_STREQ(a->info.name, "Kitchen");
}

TEST_F(JexRxTest, AppendAfterDamagedTailLandsOnARecordBoundary) {
  WriteFile(Record(0xA, KeyOf(1)) + Record(0xB, KeyOf(2)) + std::string(30, '\x5A'));
  JexRxInit();
  Pair(0xC, KeyOf(3));
  const std::string bytes = FileBytes();
  ASSERT_EQ(bytes.size(), 192u) << "the torn record is overwritten";
  EXPECT_EQ(bytes.substr(128), Record(0xC, KeyOf(3)));
  JexRxInit();
  EXPECT_EQ(pairedDevices, 3u);
  EXPECT_NE(JexSearchInfo(0xC), nullptr);
}

// A name of 16 bytes without a terminator, whether it comes from the file
// or from a caller, is stored cut to 15 so that readers of the name stop
// inside the field.
TEST_F(JexRxTest, UnterminatedNamesAreCutTo15) {
  WriteFile(Record(0xA, KeyOf(1), "ABCDEFGHIJKLMNOP"));
  JexRxInit();
  JexInfo_t given;
  given.address = 0xB;
  std::memcpy(given.name, "QRSTUVWXYZ012345", 16);
  JexAddNewInfo(&given);
  EXPECT_EQ(given.name[15], '5') << "the caller's record is left alone";
  struct Case {
    std::uint32_t address;
    const char* name;
  };
  static constexpr Case kCases[] = {{0xA, "ABCDEFGHIJKLMNO"}, {0xB, "QRSTUVWXYZ01234"}};
  for (const Case& c : kCases) {
    const char* name = JexGetName(c.address);
    ASSERT_NE(name, nullptr) << c.address;
    EXPECT_EQ(name[15], '\0') << c.address;
    EXPECT_STREQ(name, c.name);
  }
}

TEST_F(JexRxTest, RecordReadsAndWritesStickToBoundaries) {
  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  const std::string two = Record(0x1, KeyOf(1)) + Record(0x2, KeyOf(2), "Two") + "tail";
  std::fwrite(two.data(), 1, two.size(), f);

  JexInfo_t got;
  std::fseek(f, 70, SEEK_SET);  // inside the second record
  ASSERT_TRUE(JexLoadInfoFromFile(f, &got));
  EXPECT_EQ(got.address, 2u);
  EXPECT_STREQ(got.name, "Two");
  EXPECT_EQ(std::ftell(f), 128);
  EXPECT_FALSE(JexLoadInfoFromFile(f, &got)) << "4 bytes left";
  EXPECT_EQ(std::ftell(f), 128);

  JexInfo_t three;
  three.address = 3;
  std::fseek(f, 100, SEEK_SET);
  ASSERT_TRUE(JexAddInfoToFile(f, &three));
  EXPECT_EQ(std::ftell(f), 128);
  std::fseek(f, 64, SEEK_SET);
  ASSERT_TRUE(JexLoadInfoFromFile(f, &got));
  EXPECT_EQ(got.address, 3u);
  EXPECT_STREQ(got.name, "");
  EXPECT_FALSE(JexLoadInfoFromFile(nullptr, &got));
  EXPECT_FALSE(JexAddInfoToFile(nullptr, &three));
  std::fclose(f);
}

TEST_F(JexRxTest, UnwritableFileLeavesStoreWorking) {
  std::filesystem::create_directory(kJexInfoFileName);
  JexRxInit();
  Pair(0xA, KeyOf(1));
  EXPECT_EQ(pairedDevices, 1u);
  JexSaveInfoFile();
  EXPECT_TRUE(std::filesystem::is_directory(kJexInfoFileName));
}

TEST_F(JexRxTest, CallbackIsToldAtOnceAndCanBeRemoved) {
  Pair(0xA, KeyOf(1));
  JexSetDevicePairedCB(RecordCall);
  EXPECT_EQ(gCalls, (std::vector<std::uint32_t>{1}));
  JexSetDevicePairedCB(nullptr);
  Pair(0xB, KeyOf(2));
  EXPECT_EQ(gCalls.size(), 1u);
  JexSetDevicePairedCB(RecordCall);
  JexRxInit();
  Pair(0xC, KeyOf(3));
  EXPECT_EQ(gCalls, (std::vector<std::uint32_t>{1, 2})) << "init removes the callback";
}

TEST(MakeKey, MacTwiceThenSessionLittleEndian) {
  const std::uint8_t mac[6] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0xFE};
  std::uint8_t key[17];
  key[16] = 0xEE;
  MakeKey(key, mac, 0x12345678);
  const std::uint8_t want[17] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0xFE, 0x00, 0x1A, 0x2B,
                                 0x3C, 0x4D, 0xFE, 0x78, 0x56, 0x34, 0x12, 0xEE};
  EXPECT_EQ(std::memcmp(key, want, 17), 0);
}

// Deciphers the five blocks of a request datagram in place, the way its
// receiver does: the block at 65 is under MakeKey walked back five times,
// each later block under the last round key left by the one before.
void OpenPetition(std::uint8_t (&dgram)[82], const std::uint8_t* mac, std::uint32_t sId) {
  std::uint8_t key[16], dummy[16] = {};
  MakeKey(key, mac, sId);
  for (int i = 0; i < 5; ++i) aes_decrypt_128(dummy, dummy, key, key);
  std::uint8_t keys[5][16];
  for (auto& k : keys) {
    aes_encrypt_128(dummy, dummy, key, key);
    std::memcpy(k, key, 16);
  }
  static constexpr int kOrder[] = {65, 49, 33, 17, 1};
  for (int b = 0; b < 5; ++b) {
    std::uint8_t first[16];
    aes_decrypt_128(dgram + kOrder[b], dgram + kOrder[b], keys[b], first);
  }
}

// The datagram deciphers, block by block in the order it was enciphered,
// back to its clear layout.
TEST(UdpMakePetition, EnciphersTheLayoutInChainedBlocks) {
  const std::uint8_t mac[6] = {0x02, 0x00, 0x5E, 0x10, 0x20, 0x30};
  char un[32] = "operator";
  char pw[32] = "s3cret-pass";
  std::uint8_t dgram[84];
  dgram[82] = dgram[83] = 0xEE;
  UdpMakePetition(dgram, 0x3D876151, mac, un, pw, 0xCAFEF00D);
  EXPECT_EQ(dgram[0], '<');
  EXPECT_EQ(dgram[81], '>');
  EXPECT_EQ(dgram[82], 0xEE) << "nothing written past 82 bytes";

  std::uint8_t clear[82] = {'<'};
  std::memcpy(clear + 1, un, 32);
  std::memcpy(clear + 33, pw, 32);
  std::memcpy(clear + 65, mac, 6);
  const std::uint8_t tail[10] = {0x51, 0x61, 0x87, 0x3D, 0x0D, 0xF0, 0xFE, 0xCA, 0, 0};
  std::memcpy(clear + 71, tail, 10);
  clear[81] = '>';

  // The starting key is MakeKey walked back five times through the
  // expansion: five forward walks from it give MakeKey again.
  std::uint8_t made[16], walked[16], dummy[16] = {};
  MakeKey(made, mac, 0xCAFEF00D);
  std::memcpy(walked, made, 16);
  for (int i = 0; i < 5; ++i) aes_decrypt_128(dummy, dummy, walked, walked);
  for (int i = 0; i < 5; ++i) aes_encrypt_128(dummy, dummy, walked, walked);
  ASSERT_EQ(std::memcmp(walked, made, 16), 0);

  std::uint8_t opened[82];
  std::memcpy(opened, dgram, 82);
  OpenPetition(opened, mac, 0xCAFEF00D);
  EXPECT_EQ(std::memcmp(opened, clear, 82), 0);
}

TEST(UdpMakePetition, CopiesTheFieldsByteForByte) {
  const std::uint8_t mac[6] = {1, 2, 3, 4, 5, 6};
  std::uint8_t un[32], pw[32];
  for (int i = 0; i < 32; ++i) {
    un[i] = static_cast<std::uint8_t>(i);         // begins with a zero byte
    pw[i] = static_cast<std::uint8_t>(0xE0 + i);  // no zero byte at all
  }
  pw[3] = 0;  // a zero byte inside the field
  struct Case {
    const char* name;
    const void* un;
    const void* pw;
    std::uint8_t unWant[32];
    std::uint8_t pwWant[32];
  };
  Case kCases[2] = {{"bytes as given", un, pw, {}, {}}, {"no fields", nullptr, nullptr, {}, {}}};
  std::memcpy(kCases[0].unWant, un, 32);
  std::memcpy(kCases[0].pwWant, pw, 32);
  for (const Case& c : kCases) {
    std::uint8_t dgram[82];
    std::memset(dgram, 0xEE, sizeof dgram);
    UdpMakePetition(dgram, 7, mac, c.un, c.pw, 9);
    OpenPetition(dgram, mac, 9);
    EXPECT_EQ(std::memcmp(dgram + 1, c.unWant, 32), 0) << c.name;
    EXPECT_EQ(std::memcmp(dgram + 33, c.pwWant, 32), 0) << c.name;
    const std::uint8_t tail[16] = {1, 2, 3, 4, 5, 6, 7, 0, 0, 0, 9, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(dgram + 65, tail, 16), 0) << c.name;
  }

  // A char datagram, a char MAC and char fields work the same way.
  char charMac[6] = {1, 2, 3, 4, 5, 6}, charUn[32] = "op", charPw[32] = {};
  std::uint8_t a[82];
  char b[82];
  const std::uint8_t byteUn[32] = {'o', 'p'};
  UdpMakePetition(a, 7, mac, byteUn, nullptr, 9);
  UdpMakePetition(b, 7, charMac, charUn, charPw, 9);
  EXPECT_EQ(std::memcmp(a, b, 82), 0);
  UdpMakePetition(b, 8, charMac, charUn, charPw, 9);
  EXPECT_NE(std::memcmp(a, b, 82), 0) << "the time is part of the datagram";

  // Short text literals are copied into zero-filled fields, never read past.
  char fromLiterals[82];
  UdpMakePetition(fromLiterals, 7, charMac, "op", "", 9);
  EXPECT_EQ(std::memcmp(a, fromLiterals, 82), 0);
}

}  // namespace
}  // namespace jex
