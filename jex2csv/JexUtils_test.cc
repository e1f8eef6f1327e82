#include "jex2csv/JexUtils.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace jex {
namespace {

TEST(RtcToString, ThresholdsAndFields) {
  struct Case {
    DateTime value;
    std::string_view text, sql;
  };
  static constexpr Case kCases[] = {
      {0, "0", "0"},
      {0x0041FFFF, "0", "0"},
      {0x00420000, "2000/01/01,00:00:00", "2000-01-01 00:00:00"},
      {0x3D876151, "2015/06/03,22:05:17", "2015-06-03 22:05:17"},
      {0xFF3F7EFB, "2063/12/31,23:59:59", "2063-12-31 23:59:59"},
      {0xFF3F7EFC, "-1", "-1"},
      {0xFFFFFFFF, "-1", "-1"},
      // Fields print as they stand: month 0, and month 13 with day 31.
      {0x04020000, "2001/00/01,00:00:00", "2001-00-01 00:00:00"},
      {(15u << 26) | (13u << 22) | (31u << 17), "2015/13/31,00:00:00", "2015-13-31 00:00:00"},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(std::string(RtcToString(c.value)), c.text) << std::hex << c.value;
    EXPECT_EQ(std::string(RtcToStringSql(c.value)), c.sql) << std::hex << c.value;
  }
}

TEST(RtcToString, EachRoutineOwnsItsBuffer) {
  const char* plain = RtcToString(0x3D876151);
  const char* sql = RtcToStringSql(0x00420000);
  EXPECT_STREQ(plain, "2015/06/03,22:05:17");
  EXPECT_STREQ(sql, "2000-01-01 00:00:00");
  RtcToString(0);
  EXPECT_STREQ(plain, "0");  // the same buffer, overwritten by the next call
}

TEST(RtcFromString, ReadsSixNumbersWithAnySeparators) {
  struct Case {
    std::string_view text;
    DateTime value;
  };
  static constexpr Case kCases[] = {
      {"", 0},
      {"0", 0},
      {"-", 0xFFFFFFFF},
      {"-1", 0xFFFFFFFF},
      {"-2015/06/03 22:05:17", 0xFFFFFFFF},
      {"2015/06/03,22:05:17", 0x3D876151},
      {"2015-06-03 22:05:17", 0x3D876151},
      {"15/06/03 22:05:17", 0x3D876151},
      {"  x2015//06--03   22h05m17s and more 99", 0x3D876151},
      {"2015/06/03 22:05:17:99", 0x3D876151},  // a seventh number is ignored
      {"2015/06/03 22:05", 0},                 // five numbers
      {"2000/01/01 00:00:00", 0x00420000},
      {"2063/12/31 23:59:59", 0xFF3F7EFB},
      {"2016/02/29 10:00:00", (16u << 26) | (2u << 22) | (29u << 17) | (10u << 12)},
      {"2015/02/29 10:00:00", (15u << 26) | (3u << 22) | (1u << 17) | (10u << 12)},
      {"2015/02/30 10:00:00", 0},
      {"2015/04/31 10:00:00", 0},
      {"2015/00/10 10:00:00", 0},
      {"2015/13/10 10:00:00", 0},
      {"2015/06/00 10:00:00", 0},
      {"2015/06/03 24:00:00", 0},
      {"2015/06/03 23:60:00", 0},
      {"2015/06/03 23:59:60", 0},
      // Each number is kept in 8 bits: 257 is month 1.
      {"2015/257/03 22:05:17",
       (15u << 26) | (1u << 22) | (3u << 17) | (22u << 12) | (5u << 6) | 17u},
      // Years past 2063 lose their high bits: 2064 packs as year field 0.
      {"2064/01/01 00:00:00", 0x00420000},
      // Digit runs of any length: 2^32 and 10^30 are years of 2000 and more,
      // (y - 2000) mod 256 = 48; leading zeros change nothing.
      {"4294967296/06/03 22:05:17", (48u << 26) | 0x01876151u},
      {"1000000000000000000000000000000/06/03 22:05:17", (48u << 26) | 0x01876151u},
      {"000000000000000000002015/0000000000006/03 22:05:17", 0x3D876151},
      {"0", 0},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(RtcFromString(c.text), c.value) << "'" << c.text << "'";
  }
}

TEST(RtcFromString, RoundTripsEveryPrintedForm) {
  for (DateTime v : {0x00420000u, 0x3D876151u, 0xFF3F7EFBu, 0x5A8B7AFBu}) {
    EXPECT_EQ(RtcFromString(RtcToString(v)), v);
    EXPECT_EQ(RtcFromString(RtcToStringSql(v)), v);
  }
}

TEST(RtcNow, PacksAValidLocalTime) {
  const DateTime now = RtcNow();
  EXPECT_EQ(RtcFromString(RtcToString(now)), now);
  EXPECT_GT(MillisecondsEpoch(), 1500000000000ull);  // after 2017
}

TEST(UnpackLE, AssemblesLittleEndianBytes) {
  const std::uint8_t b[] = {0x75, 0x9A, 0xD8, 0x42, 0xFF};
  EXPECT_EQ(Unpack8(b, 4), 0xFF);
  EXPECT_EQ(UnpackLE16(b, 0), 0x9A75);
  EXPECT_EQ(UnpackLE16(b, 3), 0xFF42);
  EXPECT_EQ(UnpackLE32(b, 0), 0x42D89A75u);
  EXPECT_EQ(UnpackLE32(b, 1), 0xFF42D89Au);
}

TEST(JexSensorName, HexOfTheAddressMostSignificantFirst) {
  struct Case {
    std::uint8_t bytes[4];  // in file order
    std::string_view name;
  };
  static constexpr Case kCases[] = {
      {{0x75, 0x9A, 0xD8, 0x42}, "42D89A75"}, {{0x00, 0x00, 0x00, 0x01}, "01000000"},
      {{0x01, 0x00, 0x00, 0x00}, "00000001"}, {{0xAB, 0xCD, 0xEF, 0x0A}, "0AEFCDAB"},
      {{0xFF, 0xFF, 0xFF, 0xFF}, "FFFFFFFF"},
  };
  for (const Case& c : kCases) {
    char name[9];
    std::memset(name, '#', sizeof name);
    JexSensorName(UnpackLE32(c.bytes, 0), name);
    EXPECT_EQ(std::string_view(name, 8), c.name);
    EXPECT_EQ(name[8], '\0');
  }
}

TEST(RssiToDbm, HalvedMinus128) {
  EXPECT_EQ(RssiToDbm(0), -128);
  EXPECT_EQ(RssiToDbm(1), -128);
  EXPECT_EQ(RssiToDbm(101), -78);
  EXPECT_EQ(RssiToDbm(255), -1);
}

// A record with every byte distinct, so a field read from the wrong offset shows.
void FillDistinct(std::uint8_t* rec) {
  for (int i = 0; i < 32; ++i) rec[i] = static_cast<std::uint8_t>(0x80 + i);
}

TEST(ParseFileEntryToUnit, TakesEachFieldFromItsOffset) {
  std::uint8_t rec[32];
  FillDistinct(rec);
  binUnit_t unit;
  EXPECT_EQ(ParseFileEntryToUnit(rec, &unit), &unit);
  EXPECT_EQ(unit.dataNumber, 0x80u);  // byte 0 only
  EXPECT_EQ(unit.dataTime, 0x87868584u);
  EXPECT_EQ(unit.continuation, 0x88);
  EXPECT_EQ(0, std::memcmp(unit.data, rec + 9, 23));
}

TEST(JexUnpackPkt, SignedFieldsAndRoundTrip) {
  std::uint8_t raw[22];
  for (int i = 0; i < 22; ++i) raw[i] = static_cast<std::uint8_t>(0xE0 + i);
  raw[5] = 0x81;  // type -127: an encrypted packet, not a type beyond 5
  JexPacket_t pkt;
  JexUnpackPkt(raw, &pkt);
  EXPECT_EQ(pkt.address, 0xE3E2E1E0u);
  EXPECT_EQ(pkt.rssi, 0xE4);
  EXPECT_EQ(pkt.pktType, -127);
  EXPECT_EQ(pkt.data[0], 0xE6);
  EXPECT_EQ(pkt.data[15], 0xF5);

  std::uint8_t back[22] = {};
  JexRepackPkt(&pkt, back);
  EXPECT_EQ(0, std::memcmp(raw, back, 22));
  const auto b = pkt.b();
  EXPECT_EQ(0, std::memcmp(raw, b.data(), 22));
  JexPacket_t copy;
  copy.set_b(b);
  EXPECT_EQ(copy.b(), b);

  // Missing arguments leave everything alone.
  JexUnpackPkt(nullptr, &pkt);
  JexUnpackPkt(raw, nullptr);
  JexRepackPkt(nullptr, back);
  JexRepackPkt(&pkt, nullptr);
  EXPECT_EQ(pkt.b(), b);
}

TEST(JexUnpackSensorVals, ReadsThePayloadWithSigns) {
  JexPacket_t pkt;
  const std::uint8_t payload[16] = {7,    0xFD, 0xC4, 0x0B, 0x80, 0x32, 0x29, 0xFF,
                                    0x78, 0x00, 0x03, 0x00, 0x2D, 0x00, 0xFF, 0xFF};
  std::memcpy(pkt.data, payload, 16);
  JexSensorPacket_t s;
  JexUnpackSensorVals(&pkt, &s);
  EXPECT_EQ(s.pktId, 7);
  EXPECT_EQ(s.xmitPwrdBm, -3);
  EXPECT_EQ(s.battmv, 3012);
  EXPECT_EQ(s.humidSat, 0x3280);
  EXPECT_EQ(s.tempCx10, -215);
  EXPECT_EQ(s.lightLux, 120);
  EXPECT_EQ(s.pirCounts, 3);
  EXPECT_EQ(s.pirEnergy, 45);
  EXPECT_EQ(s.swCountStat, 65535);
  JexSensorPacket_t untouched;
  untouched.pktId = 99;
  JexUnpackSensorVals(nullptr, &untouched);
  JexUnpackSensorVals(&pkt, nullptr);
  EXPECT_EQ(untouched.pktId, 99);
}

class FSfgetUnitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = std::tmpfile();
    ASSERT_NE(file_, nullptr);
  }
  void TearDown() override { std::fclose(file_); }
  void Write(const std::uint8_t* bytes, std::size_t n) {
    ASSERT_EQ(std::fwrite(bytes, 1, n, file_), n);
    std::rewind(file_);
  }
  std::FILE* file_ = nullptr;
};

TEST_F(FSfgetUnitTest, RewindsToTheRecordStartAndMarksShortReads) {
  std::uint8_t two[64];
  FillDistinct(two);
  FillDistinct(two + 32);
  two[32] = 0x11;  // tell the second record's first byte apart
  Write(two, 40);  // one record and 8 bytes of the next

  binUnit_t unit;
  ASSERT_EQ(std::fseek(file_, 5, SEEK_SET), 0);
  ASSERT_EQ(FSfgetUnit(&unit, file_), &unit);  // back to byte 0
  EXPECT_EQ(unit.dataNumber, 0x83828180u);     // all four bytes
  EXPECT_EQ(unit.dataTime, 0x87868584u);

  ASSERT_EQ(std::fseek(file_, 36, SEEK_SET), 0);  // inside the second record
  ASSERT_EQ(FSfgetUnit(&unit, file_), &unit);
  EXPECT_EQ(unit.dataNumber, 0x83828111u);  // 8 bytes read over the marker
  EXPECT_EQ(unit.dataTime, 0x87868584u);
  EXPECT_EQ(unit.continuation, 0);

  // Now the stream is at its end: no record, and the markers stay.
  EXPECT_EQ(FSfgetUnit(&unit, file_), nullptr);
  EXPECT_EQ(unit.dataNumber, 0xFFFFFFFFu);
  EXPECT_EQ(unit.dataTime, 0xFFFFFFFFu);
  EXPECT_STREQ(RtcToString(unit.dataTime), "-1");
  EXPECT_EQ(FSfgetUnit(&unit, nullptr), nullptr);
  EXPECT_EQ(FSfgetUnit(nullptr, file_), nullptr);
}

TEST_F(FSfgetUnitTest, EndsRightAfterTheLastRecord) {
  std::uint8_t one[32];
  FillDistinct(one);
  binUnit_t unit;
  EXPECT_EQ(FSfgetUnit(&unit, file_), nullptr);  // an empty capture holds no record
  EXPECT_EQ(unit.dataTime, 0xFFFFFFFFu);
  std::rewind(file_);  // a write may follow a read only after a seek
  Write(one, 32);
  ASSERT_EQ(FSfgetUnit(&unit, file_), &unit);
  EXPECT_EQ(unit.dataTime, 0x87868584u);
  EXPECT_EQ(unit.data[22], 0x9F);
  EXPECT_EQ(FSfgetUnit(&unit, file_), nullptr);  // the stream stands at its end
  EXPECT_EQ(unit.dataTime, 0xFFFFFFFFu);
}

}  // namespace
}  // namespace jex
