// Free-form number and text items, and free-format terminal lines.
#include "vud_stats/freeform.h"

#include <algorithm>
#include <cstdio>

#include "vud_support/console/channels.h"
#include "vud_support/console/messages.h"

namespace vud {

namespace {

bool ends_item(char c) { return c == ' ' || c == ',' || c == '/'; }

// Finds the one item of a free-form number: leading blanks are passed over,
// the item ends at a blank, comma, slash or the end of text, and a leading
// "+" is dropped. Returns kFreeBlank when there is no item and kFreeBad for a
// sign alone; otherwise kFreeRead with item set.
std::int32_t free_item(std::string_view text, std::string_view& item) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  std::size_t e = i;
  while (e < text.size() && !ends_item(text[e])) ++e;
  item = text.substr(i, e - i);
  if (item.empty()) return kFreeBlank;
  if (item.front() == '+') item.remove_prefix(1);
  return item.empty() ? kFreeBad : kFreeRead;
}

}  // namespace

std::int32_t read_free_int(std::string_view text, std::int32_t& value) {
  std::string_view item;
  if (const std::int32_t got = free_item(text, item); got != kFreeRead) return got;
  return read_whole_number(item, value) ? kFreeRead : kFreeBad;
}

std::int32_t read_free_real(std::string_view text, float& value) {
  std::string_view item;
  if (const std::int32_t got = free_item(text, item); got != kFreeRead) return got;
  // Whole numbers of up to seven digits are exact in a 4-byte real: the
  // common seconds field of a stamp takes this short way.
  if (item.size() <= 7 &&
      std::all_of(item.begin(), item.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    std::int32_t whole = 0;
    for (char c : item) whole = whole * 10 + (c - '0');
    value = static_cast<float>(whole);
    return kFreeRead;
  }
  // A point alone or a sign alone is no number; digits with a point are.
  bool digit = false;
  for (char c : item) {
    if (c >= '0' && c <= '9') digit = true;
    if (c == 'e' || c == 'E') break;
  }
  if (!digit) return kFreeBad;
  return read_whole_number(item, value) ? kFreeRead : kFreeBad;
}

FreeLine& FreeLine::num(std::int32_t i) {
  char b[16];
  const int n = std::snprintf(b, sizeof b, " %d", static_cast<int>(i));
  s_.append(b, static_cast<std::size_t>(n));
  return *this;
}

FreeLine& FreeLine::num(std::int32_t i, int width) {
  char b[24];
  const int n = std::snprintf(b, sizeof b, "%*d", width, static_cast<int>(i));
  s_.append(b, static_cast<std::size_t>(n));
  return *this;
}

FreeLine& FreeLine::real(float x) {
  char b[48];
  b[0] = ' ';
  const auto r = std::to_chars(b + 1, b + sizeof b, x);
  s_.append(b, static_cast<std::size_t>(r.ptr - b));
  return *this;
}

std::int32_t FreeLine::write(std::int32_t ch) {
  std::size_t n = s_.size();
  while (n > 1 && s_[n - 1] == ' ') --n;
  return channel_write(ch, terminal_safe(std::string_view(s_).substr(0, n)));
}

void read_free_text(std::string_view value, Field out) {
  std::size_t i = 0;
  while (i < value.size() && value[i] == ' ') ++i;
  if (i == value.size()) return;
  std::size_t e = i;
  if (value[i] == '\'' || value[i] == '"') {
    const char q = value[i++];
    e = i;
    while (e < value.size() && value[e] != q) ++e;
  } else {
    while (e < value.size() && !ends_item(value[e])) ++e;
    if (e == i) return;  // an empty item leaves the value as it was
  }
  out.assign(value.substr(i, e - i));
}

}  // namespace vud
