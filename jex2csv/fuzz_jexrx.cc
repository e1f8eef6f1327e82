// libFuzzer entry for jexrx: the first byte picks the command line or the
// record pass, and the rest of the input feeds it. The record pass runs in a
// scratch store folder made once; its store file is emptied now and then so
// that it does not grow without end. Run it with -close_fd_mask=2 to keep
// the usage texts of bad command lines off the terminal.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "jex2csv/JexRx.h"
#include "jex2csv/JexRxFilter.h"

namespace {

void EnterScratchStore() {
  static bool entered = false;
  if (entered) return;
  char dir[] = "/tmp/jexrx_fuzz_XXXXXX";
  if (mkdtemp(dir) == nullptr || chdir(dir) != 0) std::abort();
  entered = true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  EnterScratchStore();
  if (data[0] % 2 == 0) {
    // Arguments are the NUL-separated pieces of the input.
    std::vector<std::string> args{"jexrx"};
    std::string piece;
    for (std::size_t i = 1; i < size; ++i) {
      if (data[i] == 0) {
        args.push_back(piece);
        piece.clear();
      } else {
        piece += static_cast<char>(data[i]);
      }
    }
    args.push_back(piece);
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    jex::RxSettings_t settings;
    (void)jex::RxParseCommandLine(static_cast<int>(argv.size()), argv.data(), settings);
    return 0;
  }
  static unsigned runs = 0;
  if (runs++ % 256 == 0) std::remove(jex::kJexInfoFileName);
  jex::JexRxInit();
  std::vector<std::uint8_t> records(data + 1, data + size);
  records.resize(records.size() - records.size() % 32);
  jex::RxPassRecords(records.data(), records.size() / 32);
  return 0;
}
