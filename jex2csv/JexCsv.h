// Block formatter of the converter's CSV lines: turns a run of whole 32-byte
// capture records into their lines in one pass, with small digit tables that
// stay in the processor's cache. It reads no global setting, so every thread
// may format its own block with its own state.
#ifndef JEX2CSV_JEXCSV_H_
#define JEX2CSV_JEXCSV_H_

#include <cstddef>
#include <cstdint>

namespace jex {

// The line layout the command line chose (-n / -N, -f, -e).
struct CsvLayout_t {
  int focus = 0;               // 0 all sensors, 1 one sensor (-n), 2 tuple output (-N)
  char focusname[8] = {};      // the first 8 characters of the -n / -N value
  bool focusComplete = false;  // the value had 8 characters or more; a shorter one matches nothing
  int topic = 0;               // 0 all fields, 1 dbt, 2 rh, 3 lux, 4 pirc, 5 sw, 6 bat
  bool printEncryptedPackets = false;
};

// What a formatter carries from one block to the next: the layout and the
// text of the last minute written (captures hold long runs of packets from
// the same minute). Start each stream of blocks with a fresh state; the text
// produced does not depend on it.
struct CsvBlockState_t {
  CsvLayout_t layout;
  std::uint32_t minuteKey = 0;  // the time's bits 31 to 6, plus 1; 0 while none is held
  char minuteText[24] = {};     // "YYYY/MM/DD,hh:mm:" or "YYYY-MM-DD hh:mm:"
};

// Output room a caller provides per record: the longest line (92 bytes) plus
// the 8-byte stores that may run past the end of a line.
inline constexpr std::size_t kCsvRoomPerRecord = 112;

// Writes the CSV lines of `count` whole records starting at `records` to out,
// exactly as JexNewEntry writes them one by one, and returns the end of the
// text. out must hold count * kCsvRoomPerRecord bytes; bytes past the
// returned end may be overwritten.
char* FormatCsvRecords(CsvBlockState_t& state, const std::uint8_t* records, std::size_t count,
                       char* out);

}  // namespace jex

#endif  // JEX2CSV_JEXCSV_H_
