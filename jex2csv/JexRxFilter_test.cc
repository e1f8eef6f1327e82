#include "jex2csv/JexRxFilter.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "jex2csv/JexRx.h"
#include "jex2csv/aes.h"
#include "tools/seeded_rng.h"

namespace jex {
namespace {

using Record = std::array<std::uint8_t, 32>;

TEST(RxParseCommandLine, TakesSourcesOutputAndStore) {
  struct Case {
    std::vector<const char*> args;
    int status;
    const char* capture;
    const char* device;
    const char* port;
    const char* output;
    const char* store;
    bool list;
    std::uint32_t gap;
  };
  const Case kCases[] = {
      {{}, kRxGoOn, "", "", "", "", ".", false, 1000},
      {{"fetch.jex"}, kRxGoOn, "fetch.jex", "", "", "", ".", false, 1000},
      {{"-"}, kRxGoOn, "-", "", "", "", ".", false, 1000},
      {{"-S", "st", "-o", "out.jex", "in.jex"},
       kRxGoOn,
       "in.jex",
       "",
       "",
       "out.jex",
       "st",
       false,
       1000},
      {{"-lSst", "-oout.jex", "-d", "/dev/ttyUSB0", "-g", "250"},
       kRxGoOn,
       "",
       "/dev/ttyUSB0",
       "",
       "out.jex",
       "st",
       true,
       250},
      {{"-u", "4000", "-o", "x"}, kRxGoOn, "", "", "4000", "x", ".", false, 1000},
      {{"-u", "127.0.0.1:4000", "-g", "0"}, 1, "", "", "127.0.0.1:4000", "", ".", false, 1000},
      {{"-l"}, kRxGoOn, "", "", "", "", ".", true, 1000},
      {{"-h"}, 0, "", "", "", "", ".", false, 1000},
      {{"-x"}, 1, "", "", "", "", ".", false, 1000},
      {{"-S"}, 1, "", "", "", "", ".", false, 1000},
      {{"a.jex", "b.jex"}, 1, "a.jex", "", "", "", ".", false, 1000},
      {{"a.jex", "-d", "/dev/tty1"}, 1, "a.jex", "/dev/tty1", "", "", ".", false, 1000},
      {{"-u", "0"}, 1, "", "", "", "", ".", false, 1000},
      {{"-u", "host:70000"}, 1, "", "", "", "", ".", false, 1000},
      {{"-d", "/dev/tty1", "-g", "1s"}, 1, "", "/dev/tty1", "", "", ".", false, 1000},
      {{"-l", "a.jex"}, 1, "a.jex", "", "", "", ".", true, 1000},
      {{"-l", "-o", "x.jex"}, 1, "", "", "", "x.jex", ".", true, 1000},
  };
  for (const Case& c : kCases) {
    std::vector<const char*> argv = {"jexrx"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    std::string label;
    for (const char* a : c.args) label += std::string(a) + " ";
    RxSettings_t s;
    testing::internal::CaptureStderr();
    EXPECT_EQ(RxParseCommandLine(static_cast<int>(argv.size()), argv.data(), s), c.status) << label;
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.empty(), c.status == kRxGoOn) << label << err;
    if (c.status != kRxGoOn) {
      EXPECT_NE(err.find("Usage: jexrx"), std::string::npos) << label;
      continue;
    }
    EXPECT_EQ(s.capture, c.capture) << label;
    EXPECT_EQ(s.device, c.device) << label;
    EXPECT_EQ(s.port, c.port) << label;
    EXPECT_EQ(s.output, c.output) << label;
    EXPECT_EQ(s.storeDir, c.store) << label;
    EXPECT_EQ(s.list, c.list) << label;
    EXPECT_EQ(s.gapMs, c.gap) << label;
  }
}

// A run in a fresh store folder that is the working directory, as jexrx
// makes it.
class RxStore : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/jexrx_unit_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    old_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
    JexRxInit();
  }
  void TearDown() override {
    std::filesystem::current_path(old_);
    std::filesystem::remove_all(dir_);
  }

  // A record with a recognisable header and last byte around a packet.
  static Record Make(std::uint32_t address, std::int8_t type, const std::uint8_t (&payload)[16]) {
    Record r{};
    const std::uint8_t header[9] = {0x11, 0x22, 0x33, 0x44, 0x51, 0x61, 0x87, 0x3D, 0x01};
    std::memcpy(r.data(), header, 9);
    for (int i = 0; i < 4; ++i) r[9 + i] = static_cast<std::uint8_t>(address >> (8 * i));
    r[13] = 0x9B;
    r[14] = static_cast<std::uint8_t>(type);
    std::memcpy(r.data() + 15, payload, 16);
    r[31] = 0xEE;
    return r;
  }

  std::filesystem::path dir_, old_;
};

constexpr std::uint8_t kCipherKey[16] = {0x2b, 0x7e, 0x15, 0x16, 0x28, 0xae, 0xd2, 0xa6,
                                         0xab, 0xf7, 0x15, 0x88, 0x09, 0xcf, 0x4f, 0x3c};
constexpr std::uint8_t kClear[16] = {7,    0xFE, 0xB8, 0x0B, 0x40, 0x2F, 0xD2, 0x00,
                                     0x20, 0x03, 0x05, 0x00, 0x10, 0x00, 0x02, 0x00};

TEST_F(RxStore, DeciphersPairedSendersAndLeavesEveryOtherRecord) {
  std::uint8_t stored[16], enciphered[16], zero[16] = {};
  aes_encrypt_128(kClear, enciphered, kCipherKey, stored);
  std::uint8_t name[16] = {'L', 'a', 'b', ' ', '#', '3'};
  const std::uint32_t kSensor = 0x42D89A75, kStranger = 0x01020304;

  struct Step {
    const char* what;
    Record in;
    Record out;
  };
  Record clearOut = Make(kSensor, 2, kClear);
  const Step kSteps[] = {
      {"enciphered before pairing", Make(kSensor, -2, enciphered), Make(kSensor, -2, enciphered)},
      {"pairing", Make(kSensor, 0, stored), Make(kSensor, 0, stored)},
      {"name", Make(kSensor, 4, name), Make(kSensor, 4, name)},
      {"enciphered after pairing", Make(kSensor, -2, enciphered), clearOut},
      {"enciphered type 3", Make(kSensor, -3, enciphered), Make(kSensor, 3, kClear)},
      {"clear", Make(kSensor, 1, kClear), Make(kSensor, 1, kClear)},
      {"unknown sender", Make(kStranger, -1, enciphered), Make(kStranger, -1, enciphered)},
      {"name of unknown sender", Make(kStranger, 4, name), Make(kStranger, 4, name)},
      {"unused negative type", Make(kSensor, -4, enciphered), Make(kSensor, -4, enciphered)},
      {"unused type", Make(kSensor, 5, zero), Make(kSensor, 5, zero)},
  };
  for (const Step& s : kSteps) {
    Record r = s.in;
    EXPECT_TRUE(RxPassRecord(r.data())) << s.what;
    EXPECT_EQ(r, s.out) << s.what;
  }
  EXPECT_STREQ(JexGetName(kSensor), "Lab _3");
  EXPECT_EQ(std::filesystem::file_size(kJexInfoFileName), 128u) << "the pairing and the name";

  testing::internal::CaptureStdout();
  RxListStore(stdout);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "address\tname\tlast packet\n42D89A75\tLab _3\tyes\n");
}

TEST_F(RxStore, AStoreFileThatCannotGrowIsReported) {
  std::uint8_t key[16] = {1};
  std::filesystem::create_directory(kJexInfoFileName);
  Record pairing = Make(0x0A0B0C0D, 0, key);
  Record name = Make(0x0A0B0C0D, 4, key);
  EXPECT_FALSE(RxPassRecord(pairing.data()));
  EXPECT_FALSE(RxPassRecord(name.data()));
  EXPECT_NE(JexSearchInfo(0x0A0B0C0D), nullptr) << "the store in memory has it";
  Record clear = Make(0x0A0B0C0D, 1, key);
  EXPECT_TRUE(RxPassRecord(clear.data()));
}

// Seeded random records, with types and senders drawn so that pairing,
// name and enciphered packets of paired senders are common: the header,
// address, signal strength and last byte of every record stay, and only
// enciphered packets change, to the positive type.
TEST_F(RxStore, RandomRecordsKeepTheirFrame) {
  seeded::Rng rng{20261210};
  constexpr std::size_t kCount = 20000;
  std::vector<std::uint8_t> records(kCount * 32);
  for (std::size_t i = 0; i < records.size(); ++i) records[i] = static_cast<std::uint8_t>(rng());
  for (std::size_t r = 0; r < kCount; ++r) {
    std::uint8_t* rec = &records[r * 32];
    if (rng() % 2 == 0) rec[14] = static_cast<std::uint8_t>(static_cast<int>(rng() % 9) - 4);
    if (rng() % 2 == 0) std::memset(rec + 9, static_cast<int>(rng() % 30), 4);  // few senders
  }
  const std::vector<std::uint8_t> before = records;
  EXPECT_EQ(RxPassRecords(records.data(), kCount), 0u);
  std::size_t deciphered = 0;
  for (std::size_t r = 0; r < kCount; ++r) {
    const std::uint8_t* in = &before[r * 32];
    const std::uint8_t* out = &records[r * 32];
    ASSERT_EQ(std::memcmp(in, out, 9), 0) << r;
    ASSERT_EQ(in[31], out[31]) << r;
    ASSERT_EQ(std::memcmp(in + 9, out + 9, 5), 0) << r;
    const auto type = static_cast<std::int8_t>(in[14]);
    if (type >= -3 && type <= -1 && out[14] != in[14]) {
      EXPECT_EQ(static_cast<std::int8_t>(out[14]), -type) << r;
      ++deciphered;
    } else {
      ASSERT_EQ(std::memcmp(in + 14, out + 14, 17), 0) << r;
    }
  }
  EXPECT_GT(deciphered, 200u) << "the draw pairs senders and deciphers their packets";
  EXPECT_EQ(std::filesystem::file_size(kJexInfoFileName) % 64, 0u);
}

}  // namespace
}  // namespace jex
