// The receiver front end: command line, store folder, sources (file,
// standard input, serial device, datagrams), the pass of each record through
// the receiver library, and the capture output. Records are taken and
// written in large blocks; a live source's records are written as soon as
// they arrive, so a stop loses nothing already received.
#include "jex2csv/JexRxFilter.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "jex2csv/JexRx.h"
#include "jex2csv/JexUtils.h"
#include "jex2csv/Serial.h"
#include "jex2csv/UDP.h"
#include "jex2csv/platform.h"

namespace jex {

volatile std::sig_atomic_t gRxStop = 0;

namespace {

constexpr std::size_t kPacketOffset = 9;  // the radio packet inside a record
constexpr std::size_t kInfoRecord = kJexInfoRecord;
// Records taken and written at a time: 256 KiB, so that a block stays in the
// processor's cache from reading to writing.
constexpr std::size_t kBlockSize = 1u << 18;
constexpr std::size_t kDatagramMax = 65536;    // room for the longest datagram
constexpr int kPollMs = 100;                   // longest wait before the stop flag is looked at
constexpr std::uint32_t kPortTimeoutMs = 100;  // the serial line's read time-out
constexpr const char* kNewStoreName = "JEX_INFO.BIN.new";

enum class SourceKind { kStream, kSerial, kDatagrams };

// Everything a run holds between its stages.
struct Run {
  RxSettings_t settings;
  int status = 0;
  int storeDir = -1;  // the store folder, open while the run lasts
  SourceKind kind = SourceKind::kStream;
  int source = -1;         // descriptor of the capture, device or socket
  std::string sourceName;  // for messages
  sockaddr_in* endpoint = nullptr;
  int output = -1;
  std::string outputName;
  bool outputFailed = false;
  std::string storeFile;  // "<folder>/JEX_INFO.BIN", for messages
};

// Records taken from the source; whole records leave from the front. The
// block is work memory (large pages where the system gives them: one page
// fault instead of sixty-four) while records are received.
std::uint8_t* block = nullptr;

void Fail(Run& run, const char* fmt, const char* a, const char* b = "") {
  std::fputs("jexrx: ", stderr);
  std::fprintf(stderr, fmt, a, b);
  std::fputc('\n', stderr);
  run.status = 1;
}

const char* ErrnoText() { return std::strerror(errno); }

// ---------------------------------------------------------------- signals

void OnStopSignal(int) { gRxStop = 1; }

// SIGINT and SIGTERM set gRxStop. System calls restart, so that a write of
// records under way is never cut short; every wait of the read loops is
// bounded, so the flag is seen within kPollMs.
void CatchStopSignals(struct sigaction (&saved)[2]) {
  struct sigaction sa {};
  sa.sa_handler = OnStopSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  sigaction(SIGINT, &sa, &saved[0]);
  sigaction(SIGTERM, &sa, &saved[1]);
}

void RestoreSignals(const struct sigaction (&saved)[2]) {
  sigaction(SIGINT, &saved[0], nullptr);
  sigaction(SIGTERM, &saved[1], nullptr);
}

// ------------------------------------------------------------ command line

bool ReadCount(const char* text, std::uint32_t& value) {
  if (*text < '0' || *text > '9') return false;
  char* end = nullptr;
  errno = 0;
  const unsigned long long v = std::strtoull(text, &end, 10);
  if (*end != '\0' || errno != 0 || v > 0x7FFFFFFFull) return false;
  value = static_cast<std::uint32_t>(v);
  return true;
}

// "[host:]port" with a port of 1 to 65535.
bool ValidPort(const std::string& text) {
  const std::size_t colon = text.rfind(':');
  const std::string digits = colon == std::string::npos ? text : text.substr(colon + 1);
  std::uint32_t port = 0;
  return ReadCount(digits.c_str(), port) && port >= 1 && port <= 65535;
}

int BadCommandLine(const char* fmt, const char* a) {
  std::fputs("jexrx: ", stderr);
  std::fprintf(stderr, fmt, a);
  std::fputc('\n', stderr);
  RxPrintHelp(stderr);
  return 1;
}

// --------------------------------------------------------------- the store

// Opens the store folder; it must exist already.
bool OpenStoreFolder(Run& run) {
  const std::string& dir = run.settings.storeDir;
  run.storeFile = dir + "/" + kJexInfoFileName;
  run.storeDir = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (run.storeDir < 0) {
    Fail(run, "cannot use the store folder %s: %s", dir.c_str(), ErrnoText());
    return false;
  }
  return true;
}

// A run that reads records may add pairings and names to the store file:
// it must be writable (it is made, empty, when missing). A listing only
// reads it, and a missing file is an empty store.
bool CheckStoreFile(Run& run, bool writing) {
  const int fd = writing ? ::openat(run.storeDir, kJexInfoFileName,
                                    O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666)
                         : ::openat(run.storeDir, kJexInfoFileName, O_RDONLY | O_CLOEXEC);
  if (fd < 0 && !(errno == ENOENT && !writing)) {
    Fail(run, "cannot use the store file %s: %s", run.storeFile.c_str(), ErrnoText());
    return false;
  }
  if (fd >= 0) ::close(fd);
  return true;
}

// Reads the whole of a paired-sensor file given with -L; it must be whole
// 64-byte records.
bool ReadSnapshot(Run& run, std::vector<std::uint8_t>& bytes) {
  const char* name = run.settings.snapshot.c_str();
  const int fd = ::open(name, O_RDONLY | O_CLOEXEC);
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    Fail(run, "cannot read the snapshot %s: %s", name, fd < 0 ? ErrnoText() : "not a file");
    if (fd >= 0) ::close(fd);
    return false;
  }
  if (st.st_size % static_cast<off_t>(kInfoRecord) != 0) {
    Fail(run, "%s is no paired-sensor file: its length is not a whole number of 64-byte records",
         name);
    ::close(fd);
    return false;
  }
  bytes.resize(static_cast<std::size_t>(st.st_size));
  std::size_t got = 0;
  errno = 0;
  while (got < bytes.size()) {
    const long r = platform::ReadSome(fd, bytes.data() + got, bytes.size() - got);
    if (r <= 0) break;
    got += static_cast<std::size_t>(r);
  }
  ::close(fd);
  if (got != bytes.size()) {
    Fail(run, "cannot read the snapshot %s: %s", name, errno != 0 ? ErrnoText() : "it shrank");
    return false;
  }
  return true;
}

// Replaces the store file with the snapshot: written beside it under a
// temporary name and renamed over it once complete, so that a failure
// leaves the old store in place.
bool InstallSnapshot(Run& run) {
  std::vector<std::uint8_t> bytes;
  if (!ReadSnapshot(run, bytes)) return false;
  const int fd =
      ::openat(run.storeDir, kNewStoreName, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  bool ok = fd >= 0 && platform::WriteAll(fd, bytes.data(), bytes.size());
  ok = fd >= 0 && ::close(fd) == 0 && ok;
  ok = ok && ::renameat(run.storeDir, kNewStoreName, run.storeDir, kJexInfoFileName) == 0;
  if (!ok) {
    Fail(run, "cannot install the snapshot in %s: %s", run.storeFile.c_str(), ErrnoText());
    ::unlinkat(run.storeDir, kNewStoreName, 0);
  }
  return ok;
}

// Makes the store folder the working directory (the receiver library keeps
// "JEX_INFO.BIN" there) and loads the store.
bool EnterStore(Run& run) {
  if (::fchdir(run.storeDir) != 0) {
    Fail(run, "cannot use the store folder %s: %s", run.settings.storeDir.c_str(), ErrnoText());
    return false;
  }
  JexRxInit();
  return true;
}

// Size of the store file now; -1 when it cannot be told.
long StoreFileSize() {
  struct stat st {};
  if (::stat(kJexInfoFileName, &st) != 0) return -1;
  return static_cast<long>(st.st_size);
}

// ----------------------------------------------------------------- sources

bool OpenSource(Run& run) {
  const RxSettings_t& s = run.settings;
  if (!s.device.empty()) {
    run.kind = SourceKind::kSerial;
    run.sourceName = s.device;
    run.source = openport(s.device.c_str(), 0, kPortTimeoutMs);
    if (run.source < 0) {
      run.status = 1;  // openport has said why
      return false;
    }
    return true;
  }
  if (!s.port.empty()) {
    run.kind = SourceKind::kDatagrams;
    run.endpoint = makeServer();
    const std::string& text = s.port;
    const bool hasHost = text.find(':') != std::string::npos;
    std::uint32_t port = 0;
    if (!hasHost) ReadCount(text.c_str(), port);
    run.source = opensocket(hasHost ? text.c_str() : nullptr, static_cast<int>(port), run.endpoint);
    if (run.source < 0) {
      run.status = 1;  // opensocket has said why
      return false;
    }
    char dotted[INET_ADDRSTRLEN] = "";
    ::inet_ntop(AF_INET, &run.endpoint->sin_addr, dotted, sizeof dotted);
    run.sourceName = std::string(dotted) + ":" + std::to_string(ntohs(run.endpoint->sin_port));
    return true;
  }
  run.kind = SourceKind::kStream;
  if (s.capture.empty() || s.capture == "-") {
    if (::isatty(STDIN_FILENO)) {
      Fail(run, "no capture to read: name one, a device (-d) or a port (-u), or pipe one in%s", "");
      RxPrintHelp(stderr);
      return false;
    }
    run.source = STDIN_FILENO;
    run.sourceName = "standard input";
    return true;
  }
  run.sourceName = s.capture;
  run.source = ::open(s.capture.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st {};
  if (run.source >= 0 && ::fstat(run.source, &st) == 0 && S_ISDIR(st.st_mode)) {
    errno = EISDIR;
    ::close(run.source);
    run.source = -1;
  }
  if (run.source < 0) {
    Fail(run, "cannot read %s: %s", s.capture.c_str(), ErrnoText());
    return false;
  }
  return true;
}

void CloseSource(Run& run) {
  switch (run.kind) {
    case SourceKind::kSerial:
      if (run.source >= 0) closeport(run.source);
      break;
    case SourceKind::kDatagrams:
      if (run.endpoint != nullptr || run.source >= 0) UdpCleanup(run.endpoint, run.source);
      run.endpoint = nullptr;
      break;
    case SourceKind::kStream:
      if (run.source > STDIN_FILENO) ::close(run.source);
      break;
  }
  run.source = -1;
}

// ------------------------------------------------------------------ output

// Opens the capture output. A file that is the capture being read is
// refused before it is emptied, and so is a terminal: the output is binary.
bool OpenOutput(Run& run) {
  const std::string& name = run.settings.output;
  struct stat in {};
  const bool haveInput = run.kind == SourceKind::kStream && ::fstat(run.source, &in) == 0;
  if (name.empty() || name == "-") {
    run.output = STDOUT_FILENO;
    run.outputName = "standard output";
#ifdef F_SETPIPE_SZ
    // A pipe (to jex2csv, usually) that holds four blocks: a block then goes
    // in one piece instead of four, and the next is being made while the
    // reader takes the ones before.
    struct stat out {};
    if (::fstat(STDOUT_FILENO, &out) == 0 && S_ISFIFO(out.st_mode)) {
      (void)::fcntl(STDOUT_FILENO, F_SETPIPE_SZ, static_cast<int>(4 * kBlockSize));
    }
#endif
    if (::isatty(STDOUT_FILENO)) {
      Fail(run,
           "will not write a binary capture to a terminal: redirect standard output or use -o%s",
           "");
      return false;
    }
    // Appended to the capture it reads, the output would be read again, and
    // again.
    struct stat now {};
    if (haveInput && S_ISREG(in.st_mode) && ::fstat(STDOUT_FILENO, &now) == 0 &&
        now.st_dev == in.st_dev && now.st_ino == in.st_ino) {
      Fail(run, "standard output is the capture being read (%s); name another output",
           run.sourceName.c_str());
      return false;
    }
    return true;
  }
  run.outputName = name;
  struct stat out {};
  if (haveInput && S_ISREG(in.st_mode) && ::stat(name.c_str(), &out) == 0 &&
      out.st_dev == in.st_dev && out.st_ino == in.st_ino) {
    Fail(run, "%s is the capture being read; name another output", name.c_str());
    return false;
  }
  run.output = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (run.output < 0) {
    Fail(run, "cannot write %s: %s", name.c_str(), ErrnoText());
    return false;
  }
  return true;
}

// Writes whole records; after a refused write the run stops reading.
bool WriteRecords(Run& run, const std::uint8_t* bytes, std::size_t n) {
  if (n == 0) return true;
  if (platform::WriteAll(run.output, bytes, n)) return true;
  Fail(run, "cannot write %s: %s", run.outputName.c_str(), ErrnoText());
  run.outputFailed = true;
  return false;
}

bool CloseOutput(Run& run) {
  if (run.output < 0) return true;
  const int fd = run.output;
  run.output = -1;
  if (fd == STDOUT_FILENO) return true;
  if (::close(fd) == 0) return true;
  if (!run.outputFailed) Fail(run, "cannot write %s: %s", run.outputName.c_str(), ErrnoText());
  return false;
}

// ------------------------------------------------------------- record pass

// Passes the whole records at the front of block[0..have), writes them and
// moves the torn rest to the front. False when the output refused them.
bool PassAndWrite(Run& run, std::size_t& have) {
  const std::size_t whole = have - have % kRecordSize;
  if (RxPassRecords(block, whole / kRecordSize) != 0) {
    Fail(run, "could not record a pairing or name in %s", run.storeFile.c_str());
  }
  const bool ok = WriteRecords(run, block, whole);
  std::memmove(block, block + whole, have - whole);
  have -= whole;
  return ok;
}

void ReportTornEnd(const Run& run, std::size_t have) {
  if (have == 0) return;
  std::fprintf(stderr, "jexrx: %s: the last record is torn (%zu of 32 bytes); dropped it\n",
               run.sourceName.c_str(), have);
}

// Reads the descriptor of a capture, standard input or a serial device until
// end of input, a hang-up or a stop signal. A serial line carries no record
// marks: records are consecutive 32-byte groups from the first byte read,
// and a partial record followed by gapMs of silence is dropped, so the next
// byte starts a record again.
void ReadStream(Run& run) {
  const bool serial = run.kind == SourceKind::kSerial;
  const std::uint32_t gap = serial ? run.settings.gapMs : 0;
  std::size_t have = 0;
  std::uint64_t lastByte = MillisecondsEpoch();
  bool stopping = false;
  std::uint64_t stopBy = 0;
  while (true) {
    if (gRxStop != 0 && !stopping) {
      // Bytes already waiting on a line were received before the stop;
      // they are taken, for a moment, and nothing after that.
      if (!serial) break;
      stopping = true;
      stopBy = MillisecondsEpoch() + 2 * kPollMs;
    }
    const bool readable = platform::WaitReadable(run.source, kPollMs);
    if (stopping && (!readable || MillisecondsEpoch() > stopBy)) break;
    if (!readable) {
      if (gap != 0 && have != 0 && MillisecondsEpoch() - lastByte >= gap) {
        std::fprintf(stderr,
                     "jexrx: %s: %zu bytes of a record, then %u ms of silence; dropped them to "
                     "find the start of the next record\n",
                     run.sourceName.c_str(), have, static_cast<unsigned>(gap));
        have = 0;
      }
      continue;
    }
    const int n = readport(run.source, block + have, static_cast<int>(kBlockSize - have), 0);
    if (n > 0) {
      have += static_cast<std::size_t>(n);
      lastByte = MillisecondsEpoch();
      if (!PassAndWrite(run, have)) return;
      continue;
    }
    if (n == 0 || stopping) break;  // end of input, or nothing more waiting
    // A terminal whose other end has gone reports an input error: a hang-up.
    if (serial && errno == EIO) break;
    Fail(run, "cannot read %s: %s", run.sourceName.c_str(), ErrnoText());
    break;
  }
  ReportTornEnd(run, have);
}

// Takes datagrams until a stop signal; each carries whole records. A
// datagram whose length is not a multiple of 32 keeps its whole records and
// loses the torn one at its end.
void ReadDatagrams(Run& run) {
  std::size_t have = 0;
  while (true) {
    const bool stopping = gRxStop != 0;
    if (!stopping && !platform::WaitReadable(run.source, kPollMs)) continue;
    // Everything waiting, as much as the block holds.
    bool failed = false;
    while (kBlockSize - have >= kDatagramMax) {
      sockaddr_in from{};
      const int n = receive(run.source, &from, block + have, static_cast<int>(kDatagramMax));
      if (n == 0) break;
      if (n < 0) {
        failed = true;  // receive has said why
        run.status = 1;
        break;
      }
      const std::size_t torn = static_cast<std::size_t>(n) % kRecordSize;
      if (torn != 0) {
        char dotted[INET_ADDRSTRLEN] = "";
        ::inet_ntop(AF_INET, &from.sin_addr, dotted, sizeof dotted);
        std::fprintf(stderr,
                     "jexrx: datagram of %d bytes from %s:%d ends in a torn record (%zu bytes); "
                     "dropped it\n",
                     n, dotted, ntohs(from.sin_port), torn);
      }
      have += static_cast<std::size_t>(n) - torn;
    }
    const bool full = kBlockSize - have < kDatagramMax;
    if (!PassAndWrite(run, have) || failed) return;
    if (stopping && !full) return;
  }
}

// Starts reading a live source: says where it listens, since a recorder
// may wait long for its first record.
void AnnounceLiveSource(const Run& run) {
  if (run.kind == SourceKind::kSerial) {
    std::fprintf(stderr, "jexrx: receiving from %s\n", run.sourceName.c_str());
  } else if (run.kind == SourceKind::kDatagrams) {
    std::fprintf(stderr, "jexrx: receiving datagrams on %s\n", run.sourceName.c_str());
  }
}

void ReceiveRecords(Run& run) {
  block = static_cast<std::uint8_t*>(platform::MapWorkMemory(kBlockSize));
  if (block == nullptr) {
    Fail(run, "cannot receive from %s: %s", run.sourceName.c_str(), ErrnoText());
    return;
  }
  struct sigaction saved[2];
  gRxStop = 0;
  CatchStopSignals(saved);
  AnnounceLiveSource(run);
  if (run.kind == SourceKind::kDatagrams) {
    ReadDatagrams(run);
  } else {
    ReadStream(run);
  }
  RestoreSignals(saved);
  platform::FreeWorkMemory(block, kBlockSize);
  block = nullptr;
}

int Finish(Run& run) {
  CloseOutput(run);
  CloseSource(run);
  if (run.storeDir >= 0) ::close(run.storeDir);
  run.storeDir = -1;
  return run.status;
}

}  // namespace

void RxPrintHelp(std::FILE* out) {
  static const char kUsage[] =
      "jexrx: receiver front end for JEX captures\n"
      "Usage: jexrx [-hl] [-S dir] [-L snapshot] [-o OUT FILE] [IN FILE | -d device | -u "
      "[host:]port]\n"
      "\n"
      "Reads 32-byte capture records, passes every packet through the receiver\n"
      "(pairing and name packets teach keys and names, kept in JEX_INFO.BIN of the\n"
      "store folder) and writes the capture with the enciphered packets of paired\n"
      "sensors deciphered; every other record is written unchanged.\n"
      "\n"
      "Options:\n"
      "\t-h\tDisplay this message\n"
      "\t-S dir\tStore folder holding JEX_INFO.BIN (default: the current folder)\n"
      "\t-L file\tInstall this JEX_INFO.BIN snapshot in the store folder first\n"
      "\t-l\tList the paired sensors on standard output (after reading, if a\n"
      "\t\tsource is named; the capture must then go to -o)\n"
      "\t-o file\tWrite the capture to file (default: standard output)\n"
      "\t-d dev\tRead from a serial device (8N1, its speed kept)\n"
      "\t-u port\tRead datagrams on a local UDP port ([host:]port)\n"
      "\t-g ms\tSerial only: drop a partial record after ms of silence (default\n"
      "\t\t1000, 0 never)\n"
      "\n"
      "Without IN FILE, or with -, the capture comes from standard input.\n"
      "A live source (-d, -u) runs until a hang-up, SIGINT or SIGTERM.\n"
      "\n"
      "Example decipher fetch.jex and convert it to CSV:\n"
      "\tjexrx fetch.jex | jex2csv -s > data.csv\n";
  std::fputs(kUsage, out);
}

int RxParseCommandLine(int argc, const char* const* argv, RxSettings_t& s) {
  bool gapGiven = false;
  bool captureGiven = false;
  for (int next = 1; next < argc;) {
    const char* arg = argv[next++];
    if (arg[0] != '-' || arg[1] == '\0') {
      if (captureGiven) return BadCommandLine("one capture at a time: %s is one too many", arg);
      s.capture = arg;
      captureGiven = true;
      continue;
    }
    for (const char* letter = arg + 1; *letter != '\0'; ++letter) {
      const char c = *letter;
      if (c == 'h') {
        RxPrintHelp(stderr);
        return 0;
      }
      if (c == 'l') {
        s.list = true;
        continue;
      }
      if (std::strchr("SLodug", c) == nullptr) {
        const char text[2] = {c, '\0'};
        return BadCommandLine("unknown option -%s", text);
      }
      // A value: the rest of this group, or else the next argument.
      const char* value = letter[1] != '\0' ? letter + 1 : (next < argc ? argv[next++] : nullptr);
      const char text[2] = {c, '\0'};
      if (value == nullptr || value[0] == '\0')
        return BadCommandLine("option -%s needs a value", text);
      switch (c) {
        case 'S':
          s.storeDir = value;
          break;
        case 'L':
          s.snapshot = value;
          break;
        case 'o':
          s.output = value;
          break;
        case 'd':
          s.device = value;
          break;
        case 'u':
          if (!ValidPort(value))
            return BadCommandLine("-u takes [host:]port, port 1 to 65535: %s", value);
          s.port = value;
          break;
        default:  // 'g'
          if (!ReadCount(value, s.gapMs)) return BadCommandLine("-g takes milliseconds: %s", value);
          gapGiven = true;
          break;
      }
      break;  // the value ended the group
    }
  }
  const int sources =
      (captureGiven ? 1 : 0) + (s.device.empty() ? 0 : 1) + (s.port.empty() ? 0 : 1);
  if (sources > 1) return BadCommandLine("read one source at a time%s", "");
  if (gapGiven && s.device.empty()) return BadCommandLine("-g goes with -d%s", "");
  if (s.list && sources == 1 && (s.output.empty() || s.output == "-")) {
    return BadCommandLine("-l lists on standard output: write the capture with -o%s", "");
  }
  if (s.list && sources == 0 && !s.output.empty()) {
    return BadCommandLine("-l alone reads no capture, so it writes none to %s", s.output.c_str());
  }
  return kRxGoOn;
}

bool RxReadsRecords(const RxSettings_t& s) {
  return !s.list || !s.capture.empty() || !s.device.empty() || !s.port.empty();
}

bool RxPassRecord(std::uint8_t* record) {
  std::uint8_t* raw = record + kPacketOffset;
  // Clear packets (types 1 to 3) come back from the library unchanged and
  // unused types are ignored by it: neither needs the trip.
  const auto rawType = static_cast<std::int8_t>(raw[5]);
  if (rawType > 0 && rawType != 4) return true;
  JexPacket_t pkt;
  JexUnpackPkt(raw, &pkt);
  const std::int8_t type = pkt.pktType;
  // Pairing packets and name packets of paired senders add a record to the
  // store file; the library cannot say when that failed, so the file's
  // growth is checked here.
  const bool addsRecord = type == 0 || (type == 4 && JexSearchInfo(pkt.address) != nullptr);
  const long before = addsRecord ? StoreFileSize() : 0;
  const JexPacket_t* got = JexReadPacket(&pkt);
  if (got != nullptr && type < 0) JexRepackPkt(got, raw);
  if (!addsRecord) return true;
  const long boundary = before < 0 ? 0 : before - before % static_cast<long>(kInfoRecord);
  return StoreFileSize() >= boundary + static_cast<long>(kInfoRecord);
}

std::size_t RxPassRecords(std::uint8_t* records, std::size_t count) {
  // Enciphered packets go to the library in runs (JexReadPackets, which
  // deciphers several at once); clear packets do not break a run, and any
  // other packet is passed on its own once the run before it is done.
  constexpr std::size_t kRun = 64;
  JexPacket_t run[kRun];
  std::uint8_t* raws[kRun];
  bool kept[kRun];
  std::size_t n = 0;
  auto finish = [&] {
    JexReadPackets(run, n, kept);
    for (std::size_t i = 0; i < n; ++i) {
      if (kept[i]) JexRepackPkt(&run[i], raws[i]);
    }
    n = 0;
  };
  std::size_t failed = 0;
  for (std::size_t i = 0; i < count; ++i) {
    std::uint8_t* record = records + i * kRecordSize;
    std::uint8_t* raw = record + kPacketOffset;
    const auto type = static_cast<std::int8_t>(raw[5]);
    if (type > 0 && type != 4) continue;  // clear: comes back unchanged
    if (type >= -3 && type <= -1) {
      JexUnpackPkt(raw, &run[n]);
      raws[n] = raw;
      if (++n == kRun) finish();
      continue;
    }
    finish();
    if (!RxPassRecord(record)) ++failed;
  }
  finish();
  return failed;
}

void RxListStore(std::FILE* out) {
  std::fputs("address\tname\tlast packet\n", out);
  for (const JexDeviceInfo_t& device : jexDeviceInfo) {
    if (device.info.address == 0) continue;
    char name[9];
    JexSensorName(device.info.address, name);
    const bool last = JexGetLast(device.info.address, 0) != nullptr;
    std::fprintf(out, "%s\t%s\t%s\n", name, device.info.name, last ? "yes" : "no");
  }
}

int RxMain(int argc, const char* const* argv) {
  Run run;
  const int parsed = RxParseCommandLine(argc, argv, run.settings);
  if (parsed != kRxGoOn) return parsed;
  const bool reading = RxReadsRecords(run.settings);
  // Everything named on the command line is opened before the store folder
  // becomes the working directory, and nothing is emptied or changed before
  // the store is known to be usable.
  if (!OpenStoreFolder(run)) return Finish(run);
  if (reading && !OpenSource(run)) return Finish(run);
  if (!CheckStoreFile(run, reading)) return Finish(run);
  if (!run.settings.snapshot.empty() && !InstallSnapshot(run)) return Finish(run);
  if (reading && !OpenOutput(run)) return Finish(run);
  if (!EnterStore(run)) return Finish(run);
  if (reading) ReceiveRecords(run);
  if (run.settings.list) {
    RxListStore(stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
      Fail(run, "cannot write the listing to %s: %s", "standard output", ErrnoText());
    }
  }
  return Finish(run);
}

}  // namespace jex
