#include "jex2csv/jex2csv.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "jex2csv/platform.h"
#include "tools/seeded_rng.h"

namespace jex {
namespace {

// The files the command line opened, by name and mode.
std::vector<std::string> opened;

// Stands in for fopen: records the name and gives a scratch file, or fails
// for names that begin with "missing".
std::FILE* FakeOpen(const char* name, const char* mode) {
  opened.push_back(std::string(name) + ":" + mode);
  if (std::strncmp(name, "missing", 7) == 0) return nullptr;
  return std::tmpfile();
}

struct Packet {
  DateTime time = 0x3D876151;  // 2015/06/03,22:05:17
  std::uint32_t address = 0x42D89A75;
  std::uint8_t rssi = 101;
  std::uint8_t type = 1;
  std::uint8_t pktId = 7;
  std::uint8_t xmit = 0;
  std::uint16_t battmv = 3012, humid = 0x3280, temp = 215, lux = 120, pirc = 3, pire = 45, sw = 0;
};

binUnit_t MakeUnit(const Packet& p) {
  std::uint8_t rec[32] = {};
  auto le16 = [&](int at, unsigned v) {
    rec[at] = static_cast<std::uint8_t>(v);
    rec[at + 1] = static_cast<std::uint8_t>(v >> 8);
  };
  auto le32 = [&](int at, std::uint32_t v) {
    le16(at, v & 0xFFFFu);
    le16(at + 2, v >> 16);
  };
  le32(4, p.time);
  le32(9, p.address);
  rec[13] = p.rssi;
  rec[14] = p.type;
  rec[15] = p.pktId;
  rec[16] = p.xmit;
  le16(17, p.battmv);
  le16(19, p.humid);
  le16(21, p.temp);
  le16(23, p.lux);
  le16(25, p.pirc);
  le16(27, p.pire);
  le16(29, p.sw);
  binUnit_t unit;
  ParseFileEntryToUnit(rec, &unit);
  return unit;
}

// Resets the converter and catches what it writes to its message stream and
// its output.
class ConverterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    JexResetState();
    opened.clear();
    messages_ = std::tmpfile();
    output_ = std::tmpfile();
    ASSERT_NE(messages_, nullptr);
    ASSERT_NE(output_, nullptr);
    gMessages = messages_;
    gOpenFile = &FakeOpen;
  }
  void TearDown() override {
    if (gSettings.outputFile == output_) gSettings.outputFile = nullptr;  // closed below
    JexFinish();
    gMessages = stderr;
    gOpenFile = &std::fopen;
    std::fclose(messages_);
    std::fclose(output_);
  }
  static std::string Drain(std::FILE* f) {
    std::fflush(f);
    std::string text;
    std::rewind(f);
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    std::rewind(f);
    if (ftruncate(fileno(f), 0) != 0) ADD_FAILURE() << "cannot truncate";
    return text;
  }
  std::string Messages() { return Drain(messages_); }
  // Starts afresh with the CSV lines going to output_.
  void ResetToOutput() {
    JexResetState();
    gSettings.outputFile = output_;
  }
  // The CSV lines written so far.
  std::string Output() { return Drain(output_); }
  static std::string Usage() {
    std::FILE* f = std::tmpfile();
    std::FILE* keep = gMessages;
    gMessages = f;
    PrintHelp();
    gMessages = keep;
    std::string text = Drain(f);
    std::fclose(f);
    return text;
  }
  int Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "jex2csv");
    return JexParseCommandLine(static_cast<int>(args.size()), args.data());
  }
  std::FILE* messages_ = nullptr;
  std::FILE* output_ = nullptr;
};

TEST_F(ConverterTest, UsageTextIs35Lines) {
  const std::string usage = Usage();
  int lines = 0;
  for (char c : usage) lines += c == '\n';
  EXPECT_EQ(lines, 35);
  EXPECT_EQ(usage.rfind("JEX pkt2csv converter\nUsage: pkt2csv [-hsel] [-n name] [-f <topic>] "
                        "[IN FILE] [OUT FILE]\n\nOptions:\n\t-h\tDisplay this message\n",
                        0),
            0u);
  EXPECT_NE(usage.find("\n\nExample convert all data in fetch.jex into data.csv: \n"
                       "\tjex2csv fetch.jex data.csv\n\n"),
            std::string::npos);
  EXPECT_NE(usage.find("\t-l\tList EVN sensors and their frequency and then exit\n"
                       "\t-n name\t extract a specific ENV sensor name and for the\n"),
            std::string::npos);
  const std::string tail =
      "When no output file is specified (i.e. by drag and dropping a\n"
      "file onto the executable), decoded data is written to stdout.\n";
  EXPECT_EQ(usage.substr(usage.size() - tail.size()), tail);
}

TEST_F(ConverterTest, CommandLineOutcomes) {
  const std::string usage = Usage();
  const std::string invalid = "Did not receive a valid argument set. Exiting...\n\n" + usage;
  struct Case {
    std::vector<const char*> args;
    int status;
    std::string messages;
    std::vector<std::string> opened;
  };
  const Case kCases[] = {
      {{}, 1, invalid, {}},
      {{"-l"}, 1, "Listing of ENV sensors follows:\n" + invalid, {}},
      {{"-"}, 1, invalid, {}},
      {{"-h", "cap.jex"}, 0, usage, {}},
      {{"-sh"}, 0, usage, {}},
      {{"missing.jex", "-h"},
       1,
       "Could not open file missing.jex for reading!\n",
       {"missing.jex:rb"}},
      {{"cap.jex", "missing/out.csv"},
       1,
       "Could not open file missing/out.csv for writing!\n",
       {"cap.jex:rb", "missing/out.csv:w"}},
      {{"out.csv", "-x", "cap.jex"}, 1, "Unknown option in -x\n" + usage, {"out.csv:rb"}},
      {{"-sex"}, 1, "Unknown option in -sex\n" + usage, {}},
      {{"cap.jex", "-n"}, 1, "Missing value for option -n\n" + usage, {"cap.jex:rb"}},
      {{"cap.jex", "-N"}, 1, "Missing value for option -N\n" + usage, {"cap.jex:rb"}},
      {{"cap.jex", "-f"}, 1, "Missing value for option -f\n" + usage, {"cap.jex:rb"}},
      {{"-nf", "42D89A75"},
       1,
       "Focus on the sensor: 42D89A75\nMissing value for option -f\n" + usage,
       {}},
      {{"cap.jex", "out.csv", "more.csv"}, kGoOn, "", {"cap.jex:rb", "out.csv:w"}},
      {{"-s", "out.csv", "more.csv"}, kGoOn, "", {"out.csv:w"}},
      {{"in.jex", "-s"}, kGoOn, "", {"in.jex:rb"}},
      {{"-", "cap.jex", "-"}, kGoOn, "", {"cap.jex:rb"}},
  };
  for (const Case& c : kCases) {
    JexResetState();
    opened.clear();
    EXPECT_EQ(Parse(c.args), c.status) << c.args.size() << " args";
    EXPECT_EQ(Messages(), c.messages) << c.args.size() << " args";
    EXPECT_EQ(opened, c.opened) << c.args.size() << " args";
    JexFinish();
  }
}

TEST_F(ConverterTest, StreamsFollowFileNameOrder) {
  ASSERT_EQ(Parse({"-s", "out.csv"}), kGoOn);
  EXPECT_EQ(gSettings.inputFile, stdin);
  EXPECT_NE(gSettings.outputFile, stdout);
  gSettings.inputFile = nullptr;  // never close the test's stdin
  JexFinish();

  JexResetState();
  ASSERT_EQ(Parse({"in.jex", "-s"}), kGoOn);
  EXPECT_EQ(gSettings.inputFile, stdin);
  EXPECT_EQ(gSettings.outputFile, stdout);
  gSettings.inputFile = nullptr;
  gSettings.outputFile = nullptr;
}

TEST_F(ConverterTest, OptionGroupsAndValues) {
  // A value-taking letter takes the next unused argument, whatever it looks
  // like; the letters after it in the group still count.
  ASSERT_EQ(Parse({"-nl", "42D89A75", "cap.jex"}), kGoOn);
  EXPECT_EQ(focus, 1);
  EXPECT_EQ(focusname, "42D89A75");
  EXPECT_EQ(ilist, 1);
  EXPECT_EQ(Messages(), "Focus on the sensor: 42D89A75\nListing of ENV sensors follows:\n");
  JexFinish();

  JexResetState();
  opened.clear();
  ASSERT_EQ(Parse({"-Nfe", "-l", "bat", "cap.jex"}), kGoOn);
  EXPECT_EQ(focus, 2);
  EXPECT_EQ(focusname, "-l");
  EXPECT_EQ(ilist, 0);
  EXPECT_EQ(topic, 6);
  EXPECT_TRUE(gSettings.printEncryptedPackets);
  EXPECT_EQ(Messages(), "Focus on the sensor with tuple output: -l\nFilter on topic: bat 6\n");
  // The values were taken as values: only the capture was opened.
  EXPECT_EQ(opened, std::vector<std::string>{"cap.jex:rb"});
  JexFinish();

  // The last of repeated letters counts.
  JexResetState();
  ASSERT_EQ(Parse({"-N", "AAAAAAAA", "cap.jex", "-n", "BBBBBBBB"}), kGoOn);
  EXPECT_EQ(focus, 1);
  EXPECT_EQ(focusname, "BBBBBBBB");
}

TEST_F(ConverterTest, TopicKeywords) {
  struct Case {
    const char* value;
    int topic;
  };
  static constexpr Case kCases[] = {
      {"dbt", 1}, {"dbtx", 1},    {"db", 0},  {"rh", 2},   {"rhum", 2}, {"r", 0},
      {"lux", 3}, {"pirc", 4},    {"pir", 0}, {"PIRC", 0}, {"sw", 5},   {"switch", 5},
      {"bat", 6}, {"battery", 6}, {"", 0},    {"xdbt", 0},
  };
  for (const Case& c : kCases) {
    JexResetState();
    ASSERT_EQ(Parse({"-f", c.value, "cap.jex"}), kGoOn);
    EXPECT_EQ(topic, c.topic) << c.value;
    EXPECT_EQ(Messages(),
              "Filter on topic: " + std::string(c.value) + " " + std::to_string(c.topic) + "\n");
    JexFinish();
  }
  // A value that selects nothing keeps the earlier topic, and says so.
  JexResetState();
  ASSERT_EQ(Parse({"-f", "lux", "-f", "pir", "cap.jex"}), kGoOn);
  EXPECT_EQ(topic, 3);
  EXPECT_EQ(Messages(), "Filter on topic: lux 3\nFilter on topic: pir 3\n");
}

TEST_F(ConverterTest, LineLayouts) {
  Packet clear;
  Packet name4;
  name4.type = 4;
  Packet negative;
  negative.type = 0x85;  // -123
  Packet unused;
  unused.type = 9;
  struct Case {
    int focus;
    int topic;
    bool encrypted;
    const Packet* packet;
    std::string line;
  };
  const Case kCases[] = {
      {0, 0, false, &clear, "2015/06/03,22:05:17,42D89A75,-78,1,7,0,3012,50.49,215,120,3,45,0\n"},
      {1, 0, false, &clear, "2015/06/03,22:05:17,42D89A75,-78,1,7,0,3012,50.49,215,120,3,45,0\n"},
      {2, 0, false, &clear, "2015-06-03 22:05:17,,-78,1,7,0,3012,50.49,215,120,3,45,0\n"},
      {0, 6, false, &clear, "2015/06/03,22:05:17,42D89A75,3012\n"},
      {1, 2, false, &clear, "2015/06/03,22:05:17,42D89A75,50.49\n"},
      {2, 2, false, &clear, "2015-06-03 22:05:17,50.49\n"},
      {2, 6, false, &clear, "2015-06-03 22:05:17,3012\n"},
      {0, 1, false, &clear, "2015/06/03,22:05:17,42D89A75,215\n"},
      {0, 3, false, &clear, "2015/06/03,22:05:17,42D89A75,120\n"},
      {0, 4, false, &clear, "2015/06/03,22:05:17,42D89A75,3\n"},
      {0, 5, false, &clear, "2015/06/03,22:05:17,42D89A75,0\n"},
      {0, 0, false, &name4, ""},
      {0, 0, false, &unused, ""},
      {0, 0, true, &name4, "2015/06/03,22:05:17,42D89A75,-78,4,\tencrypted packet\n"},
      {0, 0, true, &negative, "2015/06/03,22:05:17,42D89A75,-78,-123,\tencrypted packet\n"},
      {0, 2, true, &negative, "2015/06/03,22:05:17,42D89A75\tencrypted packet\n"},
      {2, 2, true, &negative, "2015-06-03 22:05:17,\tencrypted packet\n"},
      {2, 0, true, &negative, "2015-06-03 22:05:17,,-78,-123,\tencrypted packet\n"},
      {0, 0, true, &unused, "2015/06/03,22:05:17,42D89A75,-78,9,7,0,3012,50.49,215,120,3,45,0\n"},
  };
  for (const Case& c : kCases) {
    ResetToOutput();
    focus = c.focus;
    focusname = "42D89A75";
    topic = c.topic;
    gSettings.printEncryptedPackets = c.encrypted;
    JexNewEntry(MakeUnit(*c.packet));
    EXPECT_EQ(Output(), c.line) << "focus " << c.focus << " topic " << c.topic << " type "
                                << int(c.packet->type);
  }
}

TEST_F(ConverterTest, ALineWrittenOutsideTheReadLoopReachesTheFileAtOnce) {
  ResetToOutput();
  JexNewEntry(MakeUnit(Packet{}));
  char buf[128] = {};
  const ssize_t n = pread(fileno(output_), buf, sizeof buf, 0);  // past stdio's buffer
  EXPECT_EQ(std::string(buf, n > 0 ? static_cast<std::size_t>(n) : 0u),
            "2015/06/03,22:05:17,42D89A75,-78,1,7,0,3012,50.49,215,120,3,45,0\n");
  Output();
}

TEST_F(ConverterTest, NumbersAndHumidityText) {
  struct Case {
    Packet packet;
    std::string tail;  // the line after "T,NAME,"
  };
  auto make = [](std::uint8_t rssi, std::uint8_t xmit, std::uint16_t humid, std::uint16_t temp,
                 std::uint16_t big) {
    Packet p;
    p.rssi = rssi;
    p.xmit = xmit;
    p.humid = humid;
    p.temp = temp;
    p.battmv = big;
    p.pktId = 255;
    p.lux = big;
    p.pirc = big;
    p.pire = big;
    p.sw = big;
    return p;
  };
  const Case kCases[] = {
      {make(0, 0xFD, 0x3280, 0xFF29, 0), "-128,1,255,-3,0,50.49,-215,0,0,0,0\n"},
      {make(255, 0x7F, 0x32FF, 0x7FFF, 65535),
       "-1,1,255,127,65535,50.99,32767,65535,65535,65535,65535\n"},
      {make(1, 0x80, 0x3203, 0x8000, 9), "-128,1,255,-128,9,50.01,-32768,9,9,9,9\n"},
      {make(2, 0x00, 0x3202, 0xFFFF, 10), "-127,1,255,0,10,50.00,-1,10,10,10,10\n"},
      {make(3, 0x01, 0x0000, 0, 99), "-127,1,255,1,99,0.00,0,99,99,99,99\n"},
      {make(4, 0x01, 0xFFFF, 100, 100), "-126,1,255,1,100,255.99,100,100,100,100,100\n"},
      {make(5, 0x01, 0x6419, 999, 999), "-126,1,255,1,999,100.09,999,999,999,999,999\n"},
      {make(6, 0x01, 0x0A0A, 1000, 1000), "-125,1,255,1,1000,10.03,1000,1000,1000,1000,1000\n"},
      {make(7, 0x01, 0x0A0A, 9999, 9999), "-125,1,255,1,9999,10.03,9999,9999,9999,9999,9999\n"},
      {make(8, 0x01, 0x0A0A, 10000, 10000),
       "-124,1,255,1,10000,10.03,10000,10000,10000,10000,10000\n"},
  };
  for (const Case& c : kCases) {
    ResetToOutput();
    JexNewEntry(MakeUnit(c.packet));
    EXPECT_EQ(Output(), "2015/06/03,22:05:17,42D89A75," + c.tail);
  }
}

TEST_F(ConverterTest, SensorFilterComparesTheFirstEightCharacters) {
  struct Case {
    const char* focusname;
    bool written;
  };
  static constexpr Case kCases[] = {
      {"42D89A75", true}, {"42D89A75XYZ", true}, {"42d89a75", false},
      {"42D89A7", false}, {"", false},           {"0A11B3C4", false},
  };
  for (int f : {1, 2}) {
    for (const Case& c : kCases) {
      ResetToOutput();
      focus = f;
      focusname = c.focusname;
      JexNewEntry(MakeUnit(Packet{}));
      EXPECT_EQ(!Output().empty(), c.written) << c.focusname << " focus " << f;
    }
  }
}

TEST_F(ConverterTest, TimeTextsAtTheThresholds) {
  struct Case {
    DateTime time;
    const char* text;
  };
  static constexpr Case kCases[] = {
      {0, "0"}, {0xFFFFFFFF, "-1"}, {0x00420000, "2000/01/01,00:00:00"}};
  for (const Case& c : kCases) {
    ResetToOutput();
    Packet p;
    p.time = c.time;
    topic = 6;
    JexNewEntry(MakeUnit(p));
    JexNewEntry(MakeUnit(p));  // the second line comes from the cached text
    const std::string line = std::string(c.text) + ",42D89A75,3012\n";
    EXPECT_EQ(Output(), line + line);
  }
}

TEST_F(ConverterTest, ListingCountsDecodablePacketsInFirstHeardOrder) {
  ASSERT_EQ(Parse({"-l", "cap.jex"}), kGoOn);
  gSettings.printEncryptedPackets = true;  // makes no difference to counting
  const std::uint32_t a = 0x42D89A75, b = 0x0A11B3C4;
  struct Step {
    std::uint32_t address;
    std::uint8_t type;
  };
  const Step kSteps[] = {{a, 1}, {b, 4}, {b, 0}, {b, 0xFF}, {b, 9}, {b, 2}, {a, 3}, {a, 2}, {b, 3}};
  for (const Step& s : kSteps) {
    Packet p;
    p.address = s.address;
    p.type = s.type;
    JexCountEntry(MakeUnit(p));
  }
  Messages();
  PrintList();
  EXPECT_EQ(Messages(), " Sensors found 2\n Name   Number of hits\n 42D89A75 3\n 0A11B3C4 2\n");

  JexResetState();
  PrintList();
  EXPECT_EQ(Messages(), " Sensors found 0\n Name   Number of hits\n");
}

TEST_F(ConverterTest, FullListingRefusesNewSensorsButKeepsCounting) {
  ASSERT_EQ(Parse({"-l", "cap.jex"}), kGoOn);
  Packet p;
  for (std::uint32_t k = 0; k < 71; ++k) {
    p.address = 0x10000000u + k;
    JexCountEntry(MakeUnit(p));
  }
  p.address = 0x10000000u + 70;  // the refused one, again
  JexCountEntry(MakeUnit(p));
  p.address = 0x10000000u;  // the first one, after the refusal
  JexCountEntry(MakeUnit(p));
  EXPECT_EQ(howmany, 69);
  EXPECT_EQ(mapsenhits[0], 2);
  EXPECT_EQ(mapsenhits[69], 1);
  Messages();
  PrintList();
  const std::string list = Messages();
  EXPECT_EQ(list.rfind(" Sensors found 70\n Name   Number of hits\n 10000000 2\n 10000001 1\n", 0),
            0u);
  EXPECT_NE(list.find(" 10000045 1\n"), std::string::npos);  // the 70th
  EXPECT_EQ(list.find("10000046"), std::string::npos);       // the 71st
}

TEST_F(ConverterTest, ReadLoopTakesWholeRecordsAndDropsTheFragment) {
  std::FILE* capture = std::tmpfile();
  ASSERT_NE(capture, nullptr);
  std::uint8_t rec[32];
  binUnit_t unit = MakeUnit(Packet{});
  // Rebuild the raw record from the unit's fields.
  std::memset(rec, 0, sizeof rec);
  rec[4] = 0x51;
  rec[5] = 0x61;
  rec[6] = 0x87;
  rec[7] = 0x3D;
  std::memcpy(rec + 9, unit.data, 23);
  for (int i = 0; i < 3; ++i) std::fwrite(rec, 1, 32, capture);
  std::fwrite(rec, 1, 31, capture);
  std::rewind(capture);
  gSettings.inputFile = capture;
  gSettings.outputFile = output_;
  topic = 6;
  JexDataRead();
  EXPECT_EQ(gExitStatus, 0);
  EXPECT_EQ(Messages(), "");
  const std::string line = "2015/06/03,22:05:17,42D89A75,3012\n";
  EXPECT_EQ(Drain(output_), line + line + line);
  gSettings.outputFile = nullptr;
  std::fclose(capture);
  gSettings.inputFile = nullptr;
}

// The two ways through a capture, compared on the same bytes: by position in
// ordered chunks on several threads, and as a stream in blocks.

using seeded::Rng;

// A capture of n records: sensors join one by one (the 70th about two thirds
// in, 90 in all), times run on by seconds, types mostly clear with some of
// every other kind, and every 50th record is random bytes.
std::vector<std::uint8_t> MixedCapture(std::size_t n, std::uint64_t seed) {
  Rng rng{seed};
  std::vector<std::uint8_t> bytes(n * 32);
  const std::size_t join = n * 2 / 3 / 70 + 1;  // records between two new sensors
  for (std::size_t i = 0; i < n; ++i) {
    std::uint8_t* rec = &bytes[i * 32];
    for (int b = 0; b < 32; ++b) rec[b] = static_cast<std::uint8_t>(rng.Next());
    if (i % 50 == 49) continue;
    Packet p;
    p.time = 0x3D876151u + static_cast<std::uint32_t>(i / 7);  // runs past 59 seconds too
    const std::uint32_t sensors =
        static_cast<std::uint32_t>(std::min<std::size_t>(90, 1 + i / join));
    p.address = 0x42D89A00u + rng.Below(sensors);
    const std::uint32_t roll = rng.Below(100);
    p.type = roll < 80 ? static_cast<std::uint8_t>(1 + roll % 3)
                       : static_cast<std::uint8_t>(roll < 90   ? 0xFF
                                                   : roll < 95 ? 4
                                                               : roll);
    p.temp = static_cast<std::uint16_t>(rng.Below(600) - 100);
    p.pirc = static_cast<std::uint16_t>(rng.Next());
    const binUnit_t unit = MakeUnit(p);
    rec[4] = static_cast<std::uint8_t>(p.time);
    rec[5] = static_cast<std::uint8_t>(p.time >> 8);
    rec[6] = static_cast<std::uint8_t>(p.time >> 16);
    rec[7] = static_cast<std::uint8_t>(p.time >> 24);
    std::memcpy(rec + 9, unit.data, 22);
  }
  return bytes;
}

// Where injected failures strike: the capture cannot be read at or past
// readFailsAt, and the output takes no byte past writeStopsAt.
std::int64_t readFailsAt = -1;
std::int64_t writeStopsAt = -1;
std::int64_t writtenSoFar = 0;
std::int64_t streamReadSoFar = 0;  // read from the current position (a pipe has none)

std::size_t FailingRead(int fd, void* buffer, std::size_t len, std::int64_t at, bool* failed) {
  const std::int64_t from = at >= 0 ? at : streamReadSoFar;
  std::size_t got = 0;
  if (readFailsAt >= 0 && from + static_cast<std::int64_t>(len) > readFailsAt) {
    const auto before = static_cast<std::size_t>(std::max<std::int64_t>(0, readFailsAt - from));
    got = platform::ReadFull(fd, buffer, before, at, failed);
    *failed = true;
  } else {
    got = platform::ReadFull(fd, buffer, len, at, failed);
  }
  if (at < 0) streamReadSoFar += static_cast<std::int64_t>(got);
  return got;
}

bool FailingWrite(int fd, const void* buffer, std::size_t len) {
  std::size_t take = len;
  if (writeStopsAt >= 0 && writtenSoFar + static_cast<std::int64_t>(len) > writeStopsAt) {
    take = static_cast<std::size_t>(writeStopsAt - writtenSoFar);
  }
  writtenSoFar += static_cast<std::int64_t>(take);
  return platform::WriteAll(fd, buffer, take) && take == len;
}

struct PassResult {
  std::string output, messages;
  int status = 0;
  bool operator==(const PassResult& o) const {
    return output == o.output && messages == o.messages && status == o.status;
  }
};

// Where a pass reads the capture from: a file opened by name, or a pipe
// that a thread fills (as standard input from another program).
enum class Source { kFile, kPipe };

class ReadPathsTest : public ConverterTest {
 protected:
  void SetUp() override {
    ConverterTest::SetUp();
    // A pass that stops early closes its pipe on the thread still filling it.
    savedPipeAction_ = std::signal(SIGPIPE, SIG_IGN);
  }
  void TearDown() override {
    std::signal(SIGPIPE, savedPipeAction_);
    gReadCapture = &platform::ReadFull;
    gWriteOutput = &platform::WriteAll;
    gWorkers = 0;
    readFailsAt = writeStopsAt = -1;
    ConverterTest::TearDown();
  }
  // Parses args with a capture name and sets the run up to read in and
  // write to output_ with `workers` threads.
  void Prepare(std::FILE* in, std::vector<const char*> args, int workers) {
    JexResetState();
    args.push_back("cap.jex");
    EXPECT_EQ(Parse(args), kGoOn);
    std::fclose(gSettings.inputFile);  // the scratch file FakeOpen gave
    gSettings.inputFile = in;
    if (gSettings.outputFile != stdout) std::fclose(gSettings.outputFile);
    gSettings.outputFile = output_;
    gWorkers = workers;
    writtenSoFar = 0;
    streamReadSoFar = 0;
  }
  PassResult Finish() {
    gSettings.outputFile = nullptr;  // output_ stays open for the next pass
    PassResult r;
    r.status = JexFinish();
    r.output = Output();
    r.messages = Messages();
    return r;
  }
  // Runs JexDataRead over capture from source with the command-line options
  // args and `workers` threads.
  PassResult Pass(const std::vector<std::uint8_t>& capture, std::vector<const char*> args,
                  int workers, Source source = Source::kFile) {
    if (source == Source::kPipe) {
      int fds[2];
      EXPECT_EQ(::pipe(fds), 0);
      std::thread feeder([&] {
        platform::WriteAll(fds[1], capture.data(), capture.size());
        ::close(fds[1]);
      });
      Prepare(::fdopen(fds[0], "rb"), args, workers);
      JexDataRead();
      PassResult r = Finish();  // closes the pipe's reading end
      feeder.join();
      return r;
    }
    std::FILE* in = std::tmpfile();
    EXPECT_NE(in, nullptr);
    EXPECT_EQ(std::fwrite(capture.data(), 1, capture.size(), in), capture.size());
    std::rewind(in);
    Prepare(in, args, workers);
    JexDataRead();
    return Finish();
  }
  void (*savedPipeAction_)(int) = SIG_DFL;
};

TEST_F(ReadPathsTest, ChunksAndStreamGiveTheSameBytesForEveryLayout) {
  // More than five chunks, then a torn final record.
  std::vector<std::uint8_t> capture = MixedCapture(45000, 11);
  capture.resize(capture.size() + 17, 0x42);
  const std::vector<std::vector<const char*>> kOptions = {
      {},
      {"-e"},
      {"-n", "42D89A05"},
      {"-N", "42D89A05", "-e"},
      {"-f", "rh"},
      {"-ef", "dbt"},
      {"-N", "42D89A05", "-f", "bat"},
      {"-n", "42D89A0", "-e"},
      {"-l"},
      {"-l", "-e", "-n", "42D89A05"},
      {"-f", "pirc", "-e", "-N", "42D89A05XYZ"},
  };
  for (const auto& args : kOptions) {
    const PassResult stream = Pass(capture, args, 1);
    EXPECT_EQ(stream.status, 0);
    if (args.empty()) {
      EXPECT_GT(stream.output.size(), 45000u * 40);
    }
    for (Source source : {Source::kFile, Source::kPipe}) {
      for (int workers : {1, 2, 3}) {
        if (source == Source::kFile && workers == 1) continue;
        EXPECT_TRUE(Pass(capture, args, workers, source) == stream)
            << (source == Source::kPipe ? "pipe, " : "file, ") << workers << " workers, "
            << args.size() << " options " << (args.empty() ? "" : args[0]);
      }
    }
  }
  // The listing saw the table fill up: 70 names, not 90.
  const PassResult list = Pass(capture, {"-l"}, 2);
  EXPECT_NE(list.messages.find(" Sensors found 70\n"), std::string::npos);
}

TEST_F(ReadPathsTest, FailuresInTheMiddleEndBothPathsAlike) {
  const std::vector<std::uint8_t> capture = MixedCapture(30000, 5);
  gReadCapture = &FailingRead;
  gWriteOutput = &FailingWrite;
  struct Case {
    std::int64_t readFailsAt, writeStopsAt;
    std::vector<const char*> args;
    std::string messages;
  };
  const Case kCases[] = {
      {32 * 20000 + 5, -1, {}, "Could not read file cap.jex!\n"},
      {32 * 8192, -1, {"-e"}, "Could not read file cap.jex!\n"},  // on a chunk boundary
      {0, -1, {"-f", "sw"}, "Could not read file cap.jex!\n"},
      {32 * 9000, -1, {"-l"}, "Could not read file cap.jex!\n"},
      {-1, 700000, {}, "Could not write file stdout!\n"},
      {-1, 0, {"-N", "42D89A01"}, "Could not write file stdout!\n"},
      {32 * 8000, 400000, {"-e"}, "Could not write file stdout!\nCould not read file cap.jex!\n"},
  };
  for (const Case& c : kCases) {
    readFailsAt = c.readFailsAt;
    writeStopsAt = c.writeStopsAt;
    const PassResult stream = Pass(capture, c.args, 1);
    EXPECT_EQ(stream.status, 1) << c.readFailsAt << " " << c.writeStopsAt;
    // After what the options said, or after the listing.
    EXPECT_TRUE(stream.messages.ends_with(c.messages)) << stream.messages;
    if (c.writeStopsAt > 0) {
      EXPECT_EQ(static_cast<std::int64_t>(stream.output.size()), c.writeStopsAt);
    }
    for (Source source : {Source::kFile, Source::kPipe}) {
      EXPECT_TRUE(Pass(capture, c.args, 2, source) == stream)
          << c.readFailsAt << " " << c.writeStopsAt << (source == Source::kPipe ? " pipe" : "");
    }
  }
}

// A source that goes quiet without closing (a live receiver) must not hold
// up the end of a run whose output refused the lines: the thread waiting
// for the next chunk gives up.
TEST_F(ReadPathsTest, ARefusedWriteEndsTheRunWhileAStreamIsQuiet) {
  const std::vector<std::uint8_t> capture = MixedCapture(8192 * 3 / 2, 3);
  gWriteOutput = &FailingWrite;
  writeStopsAt = 100;
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  std::thread feeder([&] { platform::WriteAll(fds[1], capture.data(), capture.size()); });
  Prepare(::fdopen(fds[0], "rb"), {}, 2);
  auto run = std::async(std::launch::async, [] { JexDataRead(); });
  const bool ended = run.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
  EXPECT_TRUE(ended) << "the run waited for more input";
  ::close(fds[1]);  // ends the stream, whatever happened
  run.get();
  feeder.join();
  const PassResult r = Finish();
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.messages, "Could not write file stdout!\n");
  EXPECT_EQ(r.output.size(), 100u);
}

}  // namespace
}  // namespace jex
