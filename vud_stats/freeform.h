// Free-form reading and writing of the statistics tool: the readers of
// numbers and text items in option values and date fields, and the writer of
// free-format terminal lines.
#ifndef VUD_STATS_FREEFORM_H_
#define VUD_STATS_FREEFORM_H_

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>

#include "vud_support/text/fixed_text.h"

namespace vud {

// Reads the whole of text as one number (an integer, or a 4-byte real in the
// general form) into value. False, value unchanged, when text is no such
// number or anything is left over after it. Every number reader of the tool
// ends in it, so that all of them refuse trailing characters alike.
template <typename T>
bool read_whole_number(std::string_view text, T& value) {
  T v{};
  const char* const end = text.data() + text.size();
  const auto [p, ec] = std::from_chars(text.data(), end, v);
  if (ec != std::errc() || p != end) return false;
  value = v;
  return true;
}

// Results of the free-form readers.
inline constexpr std::int32_t kFreeRead = 0;   // a value was read
inline constexpr std::int32_t kFreeBlank = 1;  // nothing but blanks: the value stays
inline constexpr std::int32_t kFreeBad = 2;    // not a number: the value stays

// Reads an integer in free form from text: blanks, an optional sign and
// decimal digits, ended by a blank, a comma, a slash or the end of the text.
std::int32_t read_free_int(std::string_view text, std::int32_t& value);

// Reads a 4-byte real in free form from text (optional sign, digits with an
// optional point, optional exponent), ended as read_free_int.
std::int32_t read_free_real(std::string_view text, float& value);

// Reads one text item in free form into out: leading blanks are passed over,
// then a quoted item (' or ") runs to its closing quote or the end of value,
// any other item to a blank, comma or slash. A blank value, or an empty
// unquoted item, leaves out as it was.
void read_free_text(std::string_view value, Field out);

// A free-format terminal line: one leading blank, then the items in order.
// Text items are written as given; an integer is written as one blank and its
// digits, or right-aligned in a given width; a real as one blank and the
// shortest text that reads back to the same 4-byte value. Trailing blanks of
// the line are not written, and control bytes show as "?" (items quote sensor
// names and stamps from the log, which must not drive the terminal).
class FreeLine {
 public:
  FreeLine() : s_(1, ' ') {}
  FreeLine& text(std::string_view t) {
    s_.append(t);
    return *this;
  }
  FreeLine& num(std::int32_t i);
  FreeLine& num(std::int32_t i, int width);
  FreeLine& real(float x);
  // Writes the line to channel ch; returns the channel's write result.
  std::int32_t write(std::int32_t ch);

 private:
  std::string s_;
};

}  // namespace vud

#endif  // VUD_STATS_FREEFORM_H_
