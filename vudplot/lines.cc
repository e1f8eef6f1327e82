// Buffered line reading with one line of look-ahead.
#include "vudplot/lines.h"

#include <cstring>
#include <utility>

namespace vudplot {

LineReader::LineReader(std::FILE* f, std::size_t cap) : f_(f), cap_(cap), block_(1 << 16) {}

LineStatus LineReader::read_line(std::string& into, bool& ended) {
  into.clear();
  ended = false;
  for (;;) {
    if (pos_ == len_) {
      if (eof_) break;
      len_ = std::fread(block_.data(), 1, block_.size(), f_);
      pos_ = 0;
      if (len_ == 0) {
        if (std::ferror(f_)) return LineStatus::kError;
        eof_ = true;
        break;
      }
    }
    const char* start = block_.data() + pos_;
    const void* nl = std::memchr(start, '\n', len_ - pos_);
    const std::size_t n =
        nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - start) : len_ - pos_;
    if (into.size() + n > cap_) return LineStatus::kTooLong;
    into.append(start, n);
    pos_ += n;
    if (nl) {
      ++pos_;
      ended = true;
      break;
    }
  }
  if (!ended && into.empty()) return LineStatus::kEnd;
  if (!into.empty() && into.back() == '\r') into.pop_back();
  return LineStatus::kLine;
}

LineStatus LineReader::next(std::string_view& line) {
  LineStatus st;
  if (has_ahead_) {
    has_ahead_ = false;
    std::swap(cur_, ahead_);
    ended_ = ahead_ended_;
    st = ahead_status_;
  } else {
    st = read_line(cur_, ended_);
  }
  if (st == LineStatus::kLine) {
    ++number_;
    line = cur_;
  } else {
    line = {};
  }
  return st;
}

LineStatus LineReader::peek(std::string_view& line) {
  if (!has_ahead_) {
    ahead_status_ = read_line(ahead_, ahead_ended_);
    has_ahead_ = true;
  }
  line = ahead_status_ == LineStatus::kLine ? std::string_view(ahead_) : std::string_view();
  return ahead_status_;
}

}  // namespace vudplot
