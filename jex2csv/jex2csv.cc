// The capture converter: reads the command line, streams the capture in large
// blocks of 32-byte records and writes CSV lines into a large output buffer
// (integers formatted by hand, no printf per field), or counts packets per
// sensor for the listing on standard error.
#include "jex2csv/jex2csv.h"

#include "jex2csv/platform.h"

#include <array>
#include <cstring>
#include <limits>

namespace jex {

Settings_t gSettings;
int gExitStatus = 0;
int ilist = 0;
int focus = 0;
std::string focusname;
int topic = 0;
std::string topicname;
char envname[kMaxSensors][8];
std::int32_t mapsenhits[kMaxSensors];
std::int32_t howmany = -1;
std::FILE* gMessages = stderr;
OpenFileFn gOpenFile = &std::fopen;

namespace {

// Names used in messages about the streams.
std::string inputName;
std::string outputName;

// CSV lines collect here and leave in large writes. A line is far shorter
// than kMaxLine, so a record always fits once the buffer has that much room.
constexpr std::size_t kOutSize = 1u << 20;
constexpr std::size_t kMaxLine = 192;
char outBuf[kOutSize];
std::size_t outLen = 0;
bool outputFailed = false;  // a write was refused; the run stops converting
// True while JexDataRead runs: lines then leave in large writes. A line made
// outside the read loop goes to the output stream at once.
bool inReadLoop = false;

// Ends the line that stops at p; outside the read loop it is written and
// flushed straight away.
void EndLine(char* p) {
  outLen = static_cast<std::size_t>(p - outBuf);
  if (inReadLoop) return;
  if (JexFlushOutput()) {
    std::fflush(gSettings.outputFile != nullptr ? gSettings.outputFile : stdout);
  }
}

// The date part of the last reception time written ("2015/06/03," or
// "2015-06-03 "): captures hold long runs of packets from the same day.
std::uint32_t cachedDay = 0;  // the time's bits 31 to 17, plus 1 for the SQL form
bool haveCachedDay = false;
char cachedDayText[24];  // RtcFormat writes the whole time; the first 11 are kept

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Unsigned decimal of a value below 100000 (every field is at most 16 bits).
inline char* PutUnsigned(char* p, std::uint32_t v) {
  if (v < 10) {
    *p++ = static_cast<char>('0' + v);
  } else if (v < 100) {
    std::memcpy(p, kDigitPairs + 2 * v, 2);
    p += 2;
  } else if (v < 1000) {
    *p++ = static_cast<char>('0' + v / 100);
    std::memcpy(p, kDigitPairs + 2 * (v % 100), 2);
    p += 2;
  } else if (v < 10000) {
    std::memcpy(p, kDigitPairs + 2 * (v / 100), 2);
    std::memcpy(p + 2, kDigitPairs + 2 * (v % 100), 2);
    p += 4;
  } else {
    *p++ = static_cast<char>('0' + v / 10000);
    v %= 10000;
    std::memcpy(p, kDigitPairs + 2 * (v / 100), 2);
    std::memcpy(p + 2, kDigitPairs + 2 * (v % 100), 2);
    p += 4;
  }
  return p;
}

// Decimal texts of every 16-bit value, built once at start-up: one 8-byte
// copy and a length replace the digit loop for the fields of each record.
struct DecimalText {
  char digits[7];
  std::uint8_t length;
};
const DecimalText* BuildDecimals() {
  static std::array<DecimalText, 65536> table;
  for (std::uint32_t v = 0; v < table.size(); ++v) {
    DecimalText& e = table[v];
    e.length = static_cast<std::uint8_t>(PutUnsigned(e.digits, v) - e.digits);
  }
  return table.data();
}
const DecimalText* const decimals = BuildDecimals();

// Unsigned decimal of a 16-bit value; writes 8 bytes, keeps `length` of them.
inline char* PutU16(char* p, std::uint16_t v) {
  const DecimalText& e = decimals[v];
  std::memcpy(p, &e, sizeof e);
  return p + e.length;
}

inline char* PutS16(char* p, std::int16_t v) {
  if (v < 0) {
    *p++ = '-';
    return PutU16(p, static_cast<std::uint16_t>(-static_cast<std::int32_t>(v)));
  }
  return PutU16(p, static_cast<std::uint16_t>(v));
}

// Relative humidity "whole.hh": the high byte, then the low byte (256ths)
// as hundredths, low * 39 / 100 with the remainder dropped.
inline char* PutHumidity(char* p, std::uint16_t humidSat) {
  p = PutU16(p, static_cast<std::uint16_t>(humidSat >> 8));
  *p++ = '.';
  std::memcpy(p, kDigitPairs + 2 * ((humidSat & 0xFFu) * 39u / 100u), 2);
  return p + 2;
}

inline char* PutText(char* p, const char* text, std::size_t n) {
  std::memcpy(p, text, n);
  return p + n;
}

// Two uppercase hexadecimal digits for every byte value.
constexpr auto kHexPairs = [] {
  std::array<char, 512> t{};
  constexpr char kHex[] = "0123456789ABCDEF";
  for (int b = 0; b < 256; ++b) {
    t[static_cast<std::size_t>(2 * b)] = kHex[b >> 4];
    t[static_cast<std::size_t>(2 * b + 1)] = kHex[b & 15];
  }
  return t;
}();

// The sensor name of the packet at pkt: its address bytes, last first, in hex.
inline void PutName(char* name, const std::uint8_t* pkt) {
  std::memcpy(name, kHexPairs.data() + 2 * pkt[3], 2);
  std::memcpy(name + 2, kHexPairs.data() + 2 * pkt[2], 2);
  std::memcpy(name + 4, kHexPairs.data() + 2 * pkt[1], 2);
  std::memcpy(name + 6, kHexPairs.data() + 2 * pkt[0], 2);
}

inline char* PutTwo(char* p, std::uint32_t v) {
  std::memcpy(p, kDigitPairs + 2 * v, 2);
  return p + 2;
}

// The reception time as RtcToString (or RtcToStringSql) writes it.
inline char* PutTime(char* p, DateTime value, bool sql) {
  if (value < kDateTimeFirst || value > kDateTimeLast) return p + RtcFormat(value, sql, p);
  const std::uint32_t day = ((value >> 17) << 1) | (sql ? 1u : 0u);
  if (!haveCachedDay || day != cachedDay) {
    RtcFormat(value, sql, cachedDayText);  // its first 11 characters are the date
    cachedDay = day;
    haveCachedDay = true;
  }
  std::memcpy(p, cachedDayText, 11);
  p = PutTwo(p + 11, (value >> 12) & 0x1Fu);
  *p++ = ':';
  p = PutTwo(p, (value >> 6) & 0x3Fu);
  *p++ = ':';
  return PutTwo(p, value & 0x3Fu);
}

// Packets that carry no readable sensor values: pairing, name, enciphered
// and the unused negative types.
inline bool IsEncryptedType(std::int8_t type) { return type <= 0 || type == 4; }

void CloseStreams() {
  if (gSettings.inputFile != nullptr && gSettings.inputFile != stdin) {
    std::fclose(gSettings.inputFile);
  }
  if (gSettings.outputFile != nullptr && gSettings.outputFile != stdout) {
    std::fclose(gSettings.outputFile);
  }
  gSettings.inputFile = nullptr;
  gSettings.outputFile = nullptr;
}

void EmptyList() {
  howmany = -1;
  std::memset(envname, ' ', sizeof envname);
  std::memset(mapsenhits, 0, sizeof mapsenhits);
}

// Says that the output would be the capture and fails the run.
void RefuseCaptureAsOutput(const char* output) {
  std::fprintf(gMessages, "Will not write %s: it is the same file as the capture %s!\n", output,
               inputName.c_str());
  gExitStatus = 1;
}

struct TopicKeyword {
  const char* word;
  int topic;
};
constexpr TopicKeyword kTopics[] = {{"dbt", 1}, {"rh", 2},  {"lux", 3},
                                    {"pirc", 4}, {"sw", 5}, {"bat", 6}};

// Applies one file name: the capture first, then the output; later names are
// ignored. False after the open failed (message written, gExitStatus 1).
bool TakeFileName(const char* name) {
  if (gSettings.inputFile == nullptr) {
    gSettings.inputFile = gOpenFile(name, "rb");
    if (gSettings.inputFile == nullptr) {
      std::fprintf(gMessages, "Could not open file %s for reading!\n", name);
      return false;
    }
    // Blocks go straight from the system into the read loop's buffer.
    std::setvbuf(gSettings.inputFile, nullptr, _IONBF, 0);
    inputName = name;
  } else if (gSettings.outputFile == nullptr) {
    // Opening for writing empties the file: never the capture itself, under
    // whatever name or link it is given.
    if (platform::IsOpenRegularFile(name, fileno(gSettings.inputFile))) {
      RefuseCaptureAsOutput(name);
      return false;
    }
    gSettings.outputFile = gOpenFile(name, "w");
    if (gSettings.outputFile == nullptr) {
      std::fprintf(gMessages, "Could not open file %s for writing!\n", name);
      return false;
    }
    outputName = name;
  }
  return true;
}

}  // namespace

void JexResetState() {
  gSettings = Settings_t{};
  gExitStatus = 0;
  ilist = 0;
  focus = 0;
  focusname.clear();
  topic = 0;
  topicname.clear();
  EmptyList();
  inputName.clear();
  outputName.clear();
  outLen = 0;
  outputFailed = false;
  inReadLoop = false;
  haveCachedDay = false;
}

void PrintHelp() {
  static const char kUsage[] =
      "JEX pkt2csv converter\n"
      "Usage: pkt2csv [-hsel] [-n name] [-f <topic>] [IN FILE] [OUT FILE]\n"
      "\n"
      "Options:\n"
      "\t-h\tDisplay this message\n"
      "\t-s\tStream data from stdin (for use with pipe)\n"
      "\t-e\tPrint encrypted and un-decodable packets\n"
      "\t-l\tList EVN sensors and their frequency and then exit\n"
      "\t-n name\t extract a specific ENV sensor name and for the\n"
      "\tyou can also FILTER for a single measurement via\n"
      "\t-f dbt -f rh -f lux -f pirc -f sw or -f bat\n"
      "\n"
      "\t-N name\t extract a specific ENV sensor single measurement\n"
      "\tas a tuple with SQL timings\n"
      "\n"
      "Example convert all data in fetch.jex into data.csv: \n"
      "\tjex2csv fetch.jex data.csv\n"
      "\n"
      "Example convert and extract RH data in fetch.jex into datarh.csv: \n"
      "\tjex2csv -f rh fetch.jex datarh.csv\n"
      "\n"
      "Example list the sensors and their frequency found in fetch.jex: \n"
      "\tjex2csv fetch.jex -l\n"
      "\n"
      "Example filter for the sensor named 42D89A75: \n"
      "\tjex2csv fetch.jex 42D89A75.csv -n 42D89A75\n"
      "\n"
      "Example filter for relative humidity from the sensor named 42D89A75: \n"
      "\tjex2csv fetch.jex 42D89A75.csv -n 42D89A75 -f rh\n"
      "\n"
      "Example as above but with output as a tuple with SQL timings: \n"
      "\tjex2csv fetch.jex 42D89A75.csv -N 42D89A75 -f rh\n"
      "\n"
      "When no output file is specified (i.e. by drag and dropping a\n"
      "file onto the executable), decoded data is written to stdout.\n";
  std::fputs(kUsage, gMessages);
}

int JexParseCommandLine(int argc, const char* const* argv) {
  int next = 1;  // the next argument not yet taken
  while (next < argc) {
    const char* arg = argv[next++];
    if (arg[0] != '-') {
      if (!TakeFileName(arg)) return 1;
      continue;
    }
    // A group of letters, taken one by one; "-" alone holds none.
    for (const char* letter = arg + 1; *letter != '\0'; ++letter) {
      switch (*letter) {
        case 'h':
          PrintHelp();
          return 0;
        case 's':
          if (gSettings.inputFile != nullptr && gSettings.inputFile != stdin) {
            std::fclose(gSettings.inputFile);
          }
          gSettings.inputFile = stdin;
          std::setvbuf(stdin, nullptr, _IONBF, 0);
          inputName = "stdin";
          break;
        case 'e':
          gSettings.printEncryptedPackets = true;
          break;
        case 'l':
          ilist = 1;
          EmptyList();
          std::fputs("Listing of ENV sensors follows:\n", gMessages);
          break;
        case 'n':
        case 'N':
        case 'f': {
          if (next >= argc) {
            std::fprintf(gMessages, "Missing value for option -%c\n", *letter);
            PrintHelp();
            return 1;
          }
          const char* value = argv[next++];
          if (*letter == 'f') {
            topicname = value;
            for (const TopicKeyword& k : kTopics) {
              if (std::strncmp(value, k.word, std::strlen(k.word)) == 0) {
                topic = k.topic;
                break;
              }
            }
            std::fprintf(gMessages, "Filter on topic: %s %d\n", value, topic);
          } else {
            focus = *letter == 'n' ? 1 : 2;
            focusname = value;
            std::fprintf(gMessages,
                         focus == 1 ? "Focus on the sensor: %s\n"
                                    : "Focus on the sensor with tuple output: %s\n",
                         value);
          }
          break;
        }
        default:
          std::fprintf(gMessages, "Unknown option in %s\n", arg);
          PrintHelp();
          return 1;
      }
    }
  }
  if (argc <= 1 || gSettings.inputFile == nullptr) {
    std::fputs("Did not receive a valid argument set. Exiting...\n\n", gMessages);
    PrintHelp();
    return 1;
  }
  if (gSettings.outputFile == nullptr) {
    gSettings.outputFile = stdout;
    outputName = "stdout";
  }
  // Standard output appending to the capture, or a capture that -s replaced
  // after the output was named: reading on would convert the run's own lines.
  if (platform::SameRegularFile(fileno(gSettings.inputFile), fileno(gSettings.outputFile))) {
    RefuseCaptureAsOutput(outputName.c_str());
    return 1;
  }
  return kGoOn;
}

bool JexFlushOutput() {
  if (outputFailed) {
    outLen = 0;
    return false;
  }
  if (outLen == 0) return true;
  // Lines made before any output was set go where the run's output defaults to.
  std::FILE* out = gSettings.outputFile != nullptr ? gSettings.outputFile : stdout;
  const std::size_t written = std::fwrite(outBuf, 1, outLen, out);
  const bool ok = written == outLen;
  outLen = 0;
  if (!ok) {
    outputFailed = true;
    gExitStatus = 1;
    std::fprintf(gMessages, "Could not write file %s!\n", outputName.c_str());
  }
  return ok;
}

void JexNewEntry(const binUnit_t& unit) {
  const std::uint8_t* pkt = unit.data;  // the radio packet inside the record
  char name[8];
  PutName(name, pkt);
  if (focus == 1 || focus == 2) {
    // Only the first 8 characters of the value count; a shorter one never matches.
    if (focusname.size() < 8 || std::memcmp(name, focusname.data(), 8) != 0) return;
  }
  const auto type = static_cast<std::int8_t>(Unpack8(pkt, 5));
  if (!gSettings.printEncryptedPackets && (type < 1 || type > 3)) return;

  if (kOutSize - outLen < kMaxLine && !JexFlushOutput()) return;
  char* p = outBuf + outLen;
  p = PutTime(p, unit.dataTime, focus == 2);
  *p++ = ',';
  if (focus != 2) p = PutText(p, name, 8);
  if (topic == 0) {
    *p++ = ',';
    p = PutS16(p, static_cast<std::int16_t>(RssiToDbm(Unpack8(pkt, 4))));
    *p++ = ',';
    p = PutS16(p, type);
    *p++ = ',';
  }
  if (IsEncryptedType(type)) {
    EndLine(PutText(p, "\tencrypted packet\n", 18));
    return;
  }
  const std::uint8_t* values = pkt + 6;  // the sensor values in the payload
  switch (topic) {
    case 0:
      p = PutU16(p, Unpack8(values, 0));
      *p++ = ',';
      p = PutS16(p, static_cast<std::int8_t>(Unpack8(values, 1)));
      *p++ = ',';
      p = PutU16(p, UnpackLE16(values, 2));
      *p++ = ',';
      p = PutHumidity(p, UnpackLE16(values, 4));
      *p++ = ',';
      p = PutS16(p, static_cast<std::int16_t>(UnpackLE16(values, 6)));
      *p++ = ',';
      p = PutU16(p, UnpackLE16(values, 8));
      *p++ = ',';
      p = PutU16(p, UnpackLE16(values, 10));
      *p++ = ',';
      p = PutU16(p, UnpackLE16(values, 12));
      *p++ = ',';
      p = PutU16(p, UnpackLE16(values, 14));
      break;
    default: {
      if (focus != 2) *p++ = ',';
      switch (topic) {
        case 1:
          p = PutS16(p, static_cast<std::int16_t>(UnpackLE16(values, 6)));
          break;
        case 2:
          p = PutHumidity(p, UnpackLE16(values, 4));
          break;
        case 3:
          p = PutU16(p, UnpackLE16(values, 8));
          break;
        case 4:
          p = PutU16(p, UnpackLE16(values, 10));
          break;
        case 5:
          p = PutU16(p, UnpackLE16(values, 14));
          break;
        default:  // 6
          p = PutU16(p, UnpackLE16(values, 2));
          break;
      }
      break;
    }
  }
  *p++ = '\n';
  EndLine(p);
}

void JexCountEntry(const binUnit_t& unit) {
  const auto type = static_cast<std::int8_t>(Unpack8(unit.data, 5));
  if (type < 1 || type > 3) return;
  char name[8];
  PutName(name, unit.data);
  for (std::int32_t k = 0; k <= howmany; ++k) {
    if (std::memcmp(envname[k], name, 8) == 0) {
      if (mapsenhits[k] < std::numeric_limits<std::int32_t>::max()) ++mapsenhits[k];
      return;
    }
  }
  // A full table refuses the new name; the sensors already in it go on counting.
  if (howmany + 1 < kMaxSensors) {
    ++howmany;
    std::memcpy(envname[howmany], name, 8);
    mapsenhits[howmany] = 1;
  }
}

void PrintList() {
  std::fprintf(gMessages, " Sensors found %d\n", static_cast<int>(howmany + 1));
  std::fputs(" Name   Number of hits\n", gMessages);
  for (std::int32_t k = 0; k <= howmany; ++k) {
    std::fprintf(gMessages, " %.8s %d\n", envname[k], static_cast<int>(mapsenhits[k]));
  }
}

void JexDataRead() {
  // Whole records are taken from large blocks; a block's trailing part of a
  // record moves to the front and is completed by the next read.
  static std::uint8_t inBuf[1u << 20];
  std::FILE* in = gSettings.inputFile;
  std::size_t have = 0;
  binUnit_t unit;
  bool atEnd = in == nullptr;
  inReadLoop = true;
  while (!atEnd && !outputFailed) {
    const std::size_t want = sizeof inBuf - have;
    const std::size_t got = std::fread(inBuf + have, 1, want, in);
    atEnd = got < want;  // fread comes back short only at the end or on an error
    have += got;
    const std::size_t whole = have - have % kRecordSize;
    for (std::size_t at = 0; at < whole; at += kRecordSize) {
      ParseFileEntryToUnit(inBuf + at, &unit);
      if (ilist == 0) {
        JexNewEntry(unit);
      } else {
        JexCountEntry(unit);
      }
    }
    std::memmove(inBuf, inBuf + whole, have - whole);
    have -= whole;
  }
  inReadLoop = false;
  // A final fragment shorter than a record is dropped.
  if (ilist == 0) JexFlushOutput();
  if (ilist == 1) {
    PrintList();
    // The listing is this mode's result: one that did not reach its stream
    // (a full disk behind standard error) fails the run. No message can
    // follow it there.
    if (std::fflush(gMessages) != 0 || std::ferror(gMessages)) gExitStatus = 1;
  }
  if (in != nullptr && std::ferror(in)) {
    std::fprintf(gMessages, "Could not read file %s!\n", inputName.c_str());
    gExitStatus = 1;
  }
}

int JexFinish() {
  if (gSettings.inputFile != nullptr && gSettings.inputFile != stdin) {
    std::fclose(gSettings.inputFile);
  }
  std::FILE* out = gSettings.outputFile;
  if (out != nullptr) {
    const bool ok = out == stdout ? std::fflush(out) == 0 && !std::ferror(out)
                                  : std::fclose(out) == 0;
    // One message per run: a refused write has already been reported.
    if (!ok && !outputFailed) {
      std::fprintf(gMessages, "Could not write file %s!\n", outputName.c_str());
    }
    if (!ok) gExitStatus = 1;
  }
  gSettings.inputFile = nullptr;
  gSettings.outputFile = nullptr;
  return gExitStatus;
}

int JexMain(int argc, const char* const* argv) {
  JexResetState();
  const int status = JexParseCommandLine(argc, argv);
  if (status != kGoOn) {
    CloseStreams();
    return status;
  }
  JexDataRead();
  return JexFinish();
}

}  // namespace jex
