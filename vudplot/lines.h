// vudplot/lines.h: a buffered reader of text lines from a file, with one line
// of look-ahead and a cap on the length of a line.
#ifndef VUDPLOT_LINES_H_
#define VUDPLOT_LINES_H_

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace vudplot {

// Result of LineReader::next.
enum class LineStatus {
  kLine,     // a line was read; `line` holds it without its line end
  kEnd,      // the file has no more lines
  kTooLong,  // a line is longer than the cap; reading stops here
  kError,    // the file could not be read
};

// Reads lines from an open file in large blocks. A line ends at "\n"; a "\r"
// before it is dropped. The last line of a file need not end with "\n":
// ended() tells whether it did. The buffers are reused from line to line.
class LineReader {
 public:
  // `f` stays owned by the caller; `cap` is the longest line accepted.
  explicit LineReader(std::FILE* f, std::size_t cap = kDefaultCap);

  // The next line, valid until the next call. Counts lines from 1.
  LineStatus next(std::string_view& line);
  // Returns the next line without consuming it (the following next() gives it).
  LineStatus peek(std::string_view& line);
  // Number of the last line returned by next().
  std::int64_t number() const { return number_; }
  // Whether the last line returned by next() ended with a line end.
  bool ended() const { return ended_; }

  static constexpr std::size_t kDefaultCap = std::size_t{1} << 20;

 private:
  LineStatus read_line(std::string& into, bool& ended);

  std::FILE* f_;
  std::size_t cap_;
  std::vector<char> block_;
  std::size_t pos_ = 0, len_ = 0;
  bool eof_ = false;
  std::string cur_, ahead_;
  bool has_ahead_ = false, ahead_ended_ = false;
  LineStatus ahead_status_ = LineStatus::kEnd;
  std::int64_t number_ = 0;
  bool ended_ = true;
};

}  // namespace vudplot

#endif  // VUDPLOT_LINES_H_
