// libFuzzer entry: the first byte picks the date-time reader, the command line
// or record decoding, and the rest of the input feeds it.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "jex2csv/JexCsv.h"
#include "jex2csv/jex2csv.h"

namespace {

// Every name opens an empty scratch file, so nothing reaches the disk.
std::FILE* ScratchOpen(const char*, const char*) { return std::tmpfile(); }

std::FILE* Sink() {
  static std::FILE* sink = std::fopen("/dev/null", "w");
  return sink;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  jex::JexResetState();
  jex::gMessages = Sink();
  jex::gOpenFile = &ScratchOpen;
  switch (data[0] % 3) {
    case 0: {
      const jex::DateTime v = jex::RtcFromString(rest);
      if (v != 0 && v != 0xFFFFFFFFu && jex::RtcFromString(jex::RtcToString(v)) != v)
        __builtin_trap();
      break;
    }
    case 1: {
      // Arguments are the NUL-separated pieces of the input.
      std::vector<std::string> args{"jex2csv"};
      std::string piece;
      for (char c : rest) {
        if (c == '\0') {
          args.push_back(piece);
          piece.clear();
        } else {
          piece += c;
        }
      }
      args.push_back(piece);
      std::vector<const char*> argv;
      for (const std::string& a : args) argv.push_back(a.c_str());
      const int status = jex::JexParseCommandLine(static_cast<int>(argv.size()), argv.data());
      if (jex::gSettings.inputFile == stdin) jex::gSettings.inputFile = nullptr;
      if (jex::gSettings.outputFile == stdout) jex::gSettings.outputFile = nullptr;
      if (status != jex::kGoOn && status != 0 && status != 1) __builtin_trap();
      jex::JexFinish();
      break;
    }
    default: {
      // Settings from the second byte, records from the rest.
      if (size < 2) break;
      jex::focus = data[1] % 3;
      jex::focusname = "42D89A75";
      jex::topic = (data[1] / 3) % 7;
      jex::gSettings.printEncryptedPackets = (data[1] & 0x80) != 0;
      jex::gSettings.outputFile = Sink();
      jex::binUnit_t unit;
      for (std::size_t at = 2; at + jex::kRecordSize <= size; at += jex::kRecordSize) {
        jex::ParseFileEntryToUnit(data + at, &unit);
        jex::JexNewEntry(unit);
        jex::JexCountEntry(unit);
      }
      jex::gSettings.outputFile = nullptr;
      // The block formatter over the same records, with the same layout.
      jex::CsvBlockState_t state;
      state.layout.focus = jex::focus;
      std::memcpy(state.layout.focusname, "42D89A75", 8);
      state.layout.focusComplete = true;
      state.layout.topic = jex::topic;
      state.layout.printEncryptedPackets = jex::gSettings.printEncryptedPackets;
      const std::size_t count = (size - 2) / jex::kRecordSize;
      std::vector<char> text(count * jex::kCsvRoomPerRecord);
      jex::FormatCsvRecords(state, data + 2, count, text.data());
      break;
    }
  }
  return 0;
}
