// The capture converter: reads the command line, then the capture in blocks
// of 32-byte records whose lines the block formatter writes (a capture file
// by position, in ordered chunks on two threads where two processors are
// free), or counts packets per sensor for the listing on standard error.
#include "jex2csv/jex2csv.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "jex2csv/JexCsv.h"
#include "jex2csv/platform.h"

namespace jex {

Settings_t gSettings;
int gExitStatus = 0;
int ilist = 0;
int focus = 0;
std::string focusname;
int topic = 0;
char envname[kMaxSensors][8];
std::int32_t mapsenhits[kMaxSensors];
std::int32_t howmany = -1;
std::FILE* gMessages = stderr;
OpenFileFn gOpenFile = &std::fopen;
ReadCaptureFn gReadCapture = &platform::ReadFull;
WriteOutputFn gWriteOutput = &platform::WriteAll;
int gWorkers = 0;

namespace {

// Names used in messages about the streams.
std::string inputName;
std::string outputName;

// A write to the output was refused: the run stops converting and says so once.
bool outputFailed = false;

// Records per block read from the capture: 256 KiB, so that a block and its
// lines stay in the processor's cache.
constexpr std::size_t kBlockRecords = 8192;
constexpr std::size_t kBlockBytes = kBlockRecords * kRecordSize;
constexpr std::size_t kBlockTextBytes = kBlockRecords * kCsvRoomPerRecord;
// Threads that format a capture at most: two keep the output at the pace of
// the disk.
constexpr int kMaxWorkers = 2;
// A pipe into the converter holds this much, so that the program feeding it
// and the converter take turns less often.
constexpr int kPipeBytes = 1 << 20;
// A stream's output file is set aside on disk this far ahead of what has
// been written (its final size is not known in advance).
constexpr std::int64_t kReserveStep = std::int64_t{64} << 20;
// Longest wait for stream input before a refused write is looked at.
constexpr int kPollMs = 100;

// Relative humidity "whole.hh": the high byte, then the low byte (256ths)
// as hundredths, low * 39 / 100 with the remainder dropped.
std::string HumidityText(std::uint16_t humidSat) {
  char text[8];
  std::snprintf(text, sizeof text, "%u.%02u", static_cast<unsigned>(humidSat >> 8),
                static_cast<unsigned>((humidSat & 0xFFu) * 39u / 100u));
  return text;
}

// The layout the mode variables ask for, as the block formatter reads it.
CsvLayout_t CurrentLayout() {
  CsvLayout_t layout;
  layout.focus = focus;
  layout.topic = topic;
  layout.printEncryptedPackets = gSettings.printEncryptedPackets;
  layout.focusComplete = focusname.size() >= 8;
  if (layout.focusComplete) std::memcpy(layout.focusname, focusname.data(), 8);
  return layout;
}

// The capture block and the text block of one reader, in one piece of
// work memory (platform::MapWorkMemory: large pages where the system has
// them). Only the part a block fills is touched.
class Blocks {
 public:
  explicit Blocks(std::size_t textBytes)
      : bytes_(kBlockBytes + textBytes), memory_(platform::MapWorkMemory(bytes_)) {
    if (memory_ == nullptr) throw std::bad_alloc();
  }
  ~Blocks() { platform::FreeWorkMemory(memory_, bytes_); }
  Blocks(const Blocks&) = delete;
  Blocks& operator=(const Blocks&) = delete;

  std::uint8_t* in() const { return static_cast<std::uint8_t*>(memory_); }
  char* text() const { return static_cast<char*>(memory_) + kBlockBytes; }

 private:
  std::size_t bytes_;
  void* memory_;
};

// How a pass over the capture ended.
struct PassEnd {
  bool readFailed = false;   // a read error ended the capture early
  bool writeFailed = false;  // the output refused lines
};

// The slow twin of the chunked conversion, and the only way through a pipe:
// reads the capture in blocks from its current position to its end and
// formats each block's whole records (or counts them with -l) before the next
// read. Part of a record at the end of a block waits for the next block; at
// the end of the capture it is dropped.
PassEnd ReadAsStream(int inFd, int outFd, std::int64_t reserve) {
  const Blocks blocks(ilist == 0 ? kBlockTextBytes : 0);
  std::uint8_t* const in = blocks.in();
  char* const text = blocks.text();
  CsvBlockState_t state;
  state.layout = CurrentLayout();
  if (reserve > 0) platform::ReserveSpace(outFd, reserve);
  PassEnd end;
  std::size_t have = 0;
  for (;;) {
    const std::size_t want = kBlockBytes - have;
    const std::size_t got = gReadCapture(inFd, in + have, want, -1, &end.readFailed);
    have += got;
    const std::size_t whole = have / kRecordSize;
    if (ilist == 0) {
      const char* stop = FormatCsvRecords(state, in, whole, text);
      end.writeFailed = !gWriteOutput(outFd, text, static_cast<std::size_t>(stop - text));
    } else {
      binUnit_t unit;
      for (std::size_t i = 0; i < whole; ++i) {
        JexCountEntry(*ParseFileEntryToUnit(in + i * kRecordSize, &unit));
      }
    }
    std::memmove(in, in + whole * kRecordSize, have - whole * kRecordSize);
    have -= whole * kRecordSize;
    if (end.writeFailed || end.readFailed || got < want) break;
  }
  if (reserve > 0) platform::ReleaseSpace(outFd);
  return end;
}

// A conversion in ordered chunks of kBlockRecords, each worker formatting
// its chunks while the others read, format or write theirs; a chunk's lines
// are written when its turn comes, so they leave strictly in capture order.
// A seekable capture is read by position: worker w takes chunks w, w + n,
// w + 2n, ... A stream is read one chunk after the other from its current
// position by whichever worker is free, each chunk whole (only the last is
// shorter), so its records fall into the same chunks as in a file.
struct ChunkRun {
  int inFd = -1;
  int outFd = -1;
  std::int64_t start = -1;  // capture offset of chunk 0; negative for a stream
  int workers = 1;          // workers running, settled before any takes a chunk
  CsvLayout_t layout;
  std::mutex mutex;
  std::condition_variable turnTaken;
  std::uint64_t turn = 0;  // the chunk whose lines go out next
  bool over = false;       // the end, a read error or a refused write was met
  PassEnd end;
  // Output set aside on disk ahead of the lines, in steps; only the worker
  // whose turn it is touches these.
  bool reserving = false;
  std::int64_t written = 0;
  std::int64_t reserved = 0;
  // A stream: one worker reads at a time, taking the next chunk number.
  std::mutex readMutex;
  std::uint64_t nextChunk = 0;
  bool readEnded = false;                 // the stream ended or failed
  std::atomic<bool> writeRefused{false};  // readers stop waiting for input
};

// Reads the next whole chunk of a stream into buffer: kBlockBytes, or fewer
// at its end or after a read error (*failed). Input is taken as it arrives,
// and a wait for it is cut short when a write was refused meanwhile, so that
// a source that sends slowly does not hold up the end of the run.
std::size_t ReadStreamChunk(ChunkRun& run, std::uint8_t* buffer, bool* failed) {
  std::size_t got = 0;
  *failed = false;
  while (got < kBlockBytes) {
    while (!platform::WaitReadable(run.inFd, kPollMs)) {
      if (run.writeRefused.load()) return got;
    }
    // What is waiting when the stream tells; else up to the chunk's end.
    const int waiting = platform::BytesWaiting(run.inFd);
    const std::size_t left = kBlockBytes - got;
    const std::size_t want = waiting > 0 ? std::min(left, static_cast<std::size_t>(waiting)) : left;
    const std::size_t r = gReadCapture(run.inFd, buffer + got, want, -1, failed);
    got += r;
    if (*failed || r == 0 || (waiting <= 0 && r < want)) break;
  }
  return got;
}

// Writes a chunk's lines, setting aside disk space ahead of them first
// where the run reserves.
bool WriteChunk(ChunkRun& run, const char* text, std::size_t n) {
  if (run.reserving && run.written + static_cast<std::int64_t>(n) > run.reserved) {
    const std::int64_t from = run.reserved;
    run.reserved = run.written + static_cast<std::int64_t>(n) + kReserveStep;
    platform::ReserveSpaceFrom(run.outFd, from, run.reserved - from);
  }
  run.written += static_cast<std::int64_t>(n);
  return gWriteOutput(run.outFd, text, n);
}

void ConvertChunks(ChunkRun& run, int worker) {
  int workers = 1;
  {
    // Waits until every worker that could be started is known.
    std::lock_guard<std::mutex> lock(run.mutex);
    workers = run.workers;
  }
  const bool stream = run.start < 0;
  const Blocks blocks(kBlockTextBytes);
  std::uint8_t* const in = blocks.in();
  char* const text = blocks.text();
  CsvBlockState_t state;
  state.layout = run.layout;
  for (auto k = static_cast<std::uint64_t>(worker);; k += static_cast<std::uint64_t>(workers)) {
    bool readFailed = false;
    std::size_t got = 0;
    if (stream) {
      std::lock_guard<std::mutex> lock(run.readMutex);
      if (run.readEnded) return;
      k = run.nextChunk++;
      got = ReadStreamChunk(run, in, &readFailed);
      run.readEnded = readFailed || got < kBlockBytes;
    } else {
      got = gReadCapture(run.inFd, in, kBlockBytes,
                         run.start + static_cast<std::int64_t>(k * kBlockBytes), &readFailed);
    }
    const char* stop = FormatCsvRecords(state, in, got / kRecordSize, text);
    std::unique_lock<std::mutex> lock(run.mutex);
    run.turnTaken.wait(lock, [&] { return run.over || run.turn == k; });
    // A chunk before this one ended the capture: what this one read (a file
    // that grew meanwhile) is not part of it.
    if (run.over) return;
    lock.unlock();
    const bool wrote = WriteChunk(run, text, static_cast<std::size_t>(stop - text));
    if (!wrote) run.writeRefused.store(true);
    lock.lock();
    run.end.writeFailed = !wrote;
    run.end.readFailed = readFailed;
    run.over = !wrote || readFailed || got < kBlockBytes;
    ++run.turn;
    run.turnTaken.notify_all();
    if (run.over) return;
  }
}

// Converts the capture on inFd in ordered chunks with `workers` threads:
// from offset start by position, or as a stream when start is negative.
// reserve > 0 sets that much of the output aside first; reserve < 0 sets it
// aside in steps as the lines grow.
PassEnd ReadInChunks(int inFd, int outFd, std::int64_t start, int workers, std::int64_t reserve) {
  ChunkRun run;
  run.inFd = inFd;
  run.outFd = outFd;
  run.start = start;
  run.workers = workers;
  run.layout = CurrentLayout();
  if (reserve > 0) platform::ReserveSpace(outFd, reserve);
  run.reserving = reserve < 0;
  std::vector<std::thread> helpers;
  {
    // A thread the system refuses leaves its chunks to the workers that run:
    // the count is settled before any of them takes its first chunk.
    std::lock_guard<std::mutex> lock(run.mutex);
    for (int w = 1; w < workers; ++w) {
      try {
        helpers.emplace_back(ConvertChunks, std::ref(run), w);
      } catch (const std::system_error&) {
        break;
      }
    }
    run.workers = 1 + static_cast<int>(helpers.size());
  }
  ConvertChunks(run, 0);
  for (std::thread& t : helpers) t.join();
  if (reserve != 0) platform::ReleaseSpace(outFd);
  return run.end;
}

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

// The address of each listed sensor, beside its name: a record is matched
// by one number comparison instead of forming and comparing its name.
std::uint32_t listedAddress[kMaxSensors];

void EmptyList() {
  howmany = -1;
  std::memset(listedAddress, 0, sizeof listedAddress);
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
constexpr TopicKeyword kTopics[] = {{"dbt", 1},  {"rh", 2}, {"lux", 3},
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
  EmptyList();
  inputName.clear();
  outputName.clear();
  outputFailed = false;
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

void JexNewEntry(const binUnit_t& unit) {
  if (outputFailed) return;
  JexPacket_t pkt;
  JexUnpackPkt(unit.data, &pkt);
  char name[9];
  JexSensorName(pkt.address, name);
  if (focus == 1 || focus == 2) {
    // Only the first 8 characters of the value count; a shorter one never matches.
    if (focusname.size() < 8 || std::memcmp(name, focusname.data(), 8) != 0) return;
  }
  if (!gSettings.printEncryptedPackets && !HasValuesInClear(pkt.pktType)) return;

  std::string line = focus == 2 ? RtcToStringSql(unit.dataTime) : RtcToString(unit.dataTime);
  line += ',';
  if (focus != 2) line += name;
  if (topic == 0) {
    line += ',' + std::to_string(RssiToDbm(pkt.rssi)) + ',' + std::to_string(pkt.pktType) + ',';
  }
  if (IsEncryptedType(pkt.pktType)) {
    line += "\tencrypted packet\n";
  } else {
    JexSensorPacket_t v;
    JexUnpackSensorVals(&pkt, &v);
    if (topic == 0) {
      line += std::to_string(v.pktId) + ',' + std::to_string(v.xmitPwrdBm) + ',' +
              std::to_string(v.battmv) + ',' + HumidityText(v.humidSat) + ',' +
              std::to_string(v.tempCx10) + ',' + std::to_string(v.lightLux) + ',' +
              std::to_string(v.pirCounts) + ',' + std::to_string(v.pirEnergy) + ',' +
              std::to_string(v.swCountStat);
    } else {
      if (focus != 2) line += ',';
      switch (topic) {
        case 1:
          line += std::to_string(v.tempCx10);
          break;
        case 2:
          line += HumidityText(v.humidSat);
          break;
        case 3:
          line += std::to_string(v.lightLux);
          break;
        case 4:
          line += std::to_string(v.pirCounts);
          break;
        case 5:
          line += std::to_string(v.swCountStat);
          break;
        default:
          line += std::to_string(v.battmv);
          break;
      }
    }
    line += '\n';
  }
  std::FILE* out = gSettings.outputFile != nullptr ? gSettings.outputFile : stdout;
  if (std::fwrite(line.data(), 1, line.size(), out) != line.size() || std::fflush(out) != 0) {
    outputFailed = true;
    gExitStatus = 1;
    std::fprintf(gMessages, "Could not write file %s!\n", outputName.c_str());
  }
}

void JexCountEntry(const binUnit_t& unit) {
  const auto type = static_cast<std::int8_t>(Unpack8(unit.data, 5));
  if (!HasValuesInClear(type)) return;
  // A name stands for exactly one address, so addresses compare as names do.
  const std::uint32_t address = UnpackLE32(unit.data, 0);
  for (std::int32_t k = 0; k <= howmany; ++k) {
    if (listedAddress[k] == address) {
      if (mapsenhits[k] < std::numeric_limits<std::int32_t>::max()) ++mapsenhits[k];
      return;
    }
  }
  // A full table refuses the new name; the sensors already in it go on counting.
  if (howmany + 1 < kMaxSensors) {
    ++howmany;
    char name[9];
    JexSensorName(address, name);
    std::memcpy(envname[howmany], name, 8);
    listedAddress[howmany] = address;
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
  std::FILE* in = gSettings.inputFile;
  if (in == nullptr) {
    if (ilist == 1) PrintList();
    return;
  }
  const int inFd = fileno(in);
  std::FILE* out = gSettings.outputFile != nullptr ? gSettings.outputFile : stdout;
  // Lines go to the output's descriptor in large writes: nothing may wait in
  // the stream before them.
  if (ilist == 0 && std::fflush(out) != 0) outputFailed = true;
  const int outFd = fileno(out);

  // A capture opened by name on a regular file is read by position, in
  // chunks that several threads format; standard input, pipes and devices
  // are read as a stream, also in chunks on several threads when converting.
  const bool seekable = in != stdin && platform::IsRegularFile(inFd);
  const std::int64_t start = seekable ? platform::CurrentOffset(inFd) : -1;
  const std::int64_t size = seekable && start >= 0 ? platform::FileSize(inFd) - start : -1;
  // A new output file of the full layout gets its likely size set aside
  // first (2.1 bytes of CSV per capture byte): the file system then finds the
  // blocks of each write ready. The unused part is given back at the end.
  // From a stream the size is not known: an empty output file is then set
  // aside in steps ahead of the lines.
  std::int64_t reserve = 0;
  if (ilist == 0 && out != stdout && focus == 0 && topic == 0 && size > 0 &&
      platform::IsRegularFile(outFd) && platform::FileSize(outFd) == 0) {
    reserve = size / 10 * 21;
  }
  if (ilist == 0 && start < 0 && focus == 0 && topic == 0 && platform::IsRegularFile(outFd) &&
      platform::FileSize(outFd) == 0) {
    reserve = -1;
  }
  if (start < 0 && platform::IsPipe(inFd)) platform::EnlargePipe(inFd, kPipeBytes);
  int workers = gWorkers > 0 ? gWorkers : std::min(platform::UsableProcessors(), kMaxWorkers);
  if (ilist == 1) workers = 1;

  PassEnd end;
  if (!outputFailed) {
    if (workers > 1) {
      end = ReadInChunks(inFd, outFd, start, workers, reserve);
    } else {
      end = ReadAsStream(inFd, outFd, std::max<std::int64_t>(reserve, 0));
    }
  }
  if (end.writeFailed || outputFailed) {
    outputFailed = true;
    gExitStatus = 1;
    std::fprintf(gMessages, "Could not write file %s!\n", outputName.c_str());
  }
  if (ilist == 1) {
    PrintList();
    // The listing is this mode's result: one that did not reach its stream
    // (a full disk behind standard error) fails the run. No message can
    // follow it there.
    if (std::fflush(gMessages) != 0 || std::ferror(gMessages)) gExitStatus = 1;
  }
  if (end.readFailed) {
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
    const bool ok =
        out == stdout ? std::fflush(out) == 0 && !std::ferror(out) : std::fclose(out) == 0;
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
