// Fixed-width text fields and 1-based tables: the two shapes every routine of
// the statistics tool and its library works on. A field has a declared width,
// is blank-padded on the right, and nothing is ever written past its width.
#ifndef VUD_SUPPORT_TEXT_FIXED_TEXT_H_
#define VUD_SUPPORT_TEXT_FIXED_TEXT_H_

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace vud {

// Character at 1-based position i of a field; 0-based indexing starts here only.
inline char at1(std::string_view f, std::int32_t i) { return f[static_cast<std::size_t>(i - 1)]; }

// Trimmed length: characters up to the last non-blank, at least 1. Wide
// fields hold mostly blanks after their text: those go eight at a time.
inline std::int32_t trimmed_length(std::string_view f) {
  constexpr std::uint64_t kBlanks = 0x2020202020202020ULL;
  std::size_t n = f.size();
  while (n >= 8) {
    std::uint64_t w = 0;
    std::memcpy(&w, f.data() + n - 8, sizeof w);
    if (w != kBlanks) break;
    n -= 8;
  }
  while (n > 0 && f[n - 1] == ' ') --n;
  return n == 0 ? 1 : static_cast<std::int32_t>(n);
}

// The trimmed text (an all-blank field gives its first character, a blank).
inline std::string_view trimmed(std::string_view f) {
  if (f.empty()) return f;
  return f.substr(0, static_cast<std::size_t>(trimmed_length(f)));
}

// The trimmed text as every message shows it: an empty or all-blank text
// gives one blank, so that a line is never empty.
inline std::string_view trimmed_or_blank(std::string_view f) {
  return f.empty() ? std::string_view(" ") : trimmed(f);
}

// A field counts as blank when its first two characters are blank.
inline bool is_blank(std::string_view f) {
  const std::size_t n = std::min<std::size_t>(2, f.size());
  for (std::size_t i = 0; i < n; ++i) {
    if (f[i] != ' ') return false;
  }
  return true;
}

// Positions from..to (1-based, inclusive) of a field, clamped to its width.
inline std::string_view sub1(std::string_view f, std::int32_t from, std::int32_t to) {
  const std::int32_t w = static_cast<std::int32_t>(f.size());
  if (from < 1) from = 1;
  if (to > w) to = w;
  if (to < from) return {};
  return f.substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(to - from + 1));
}

template <std::size_t N>
class Text;

// A writable view of a caller's field: its storage and declared width.
// Routines that fill "a text of any width" take a Field.
class Field {
 public:
  Field(char* data, std::int32_t width) : p_(data), w_(width) {}
  template <std::size_t N>
  // Any Text passes where a field of any width is taken.
  // NOLINTNEXTLINE(google-explicit-constructor)
  Field(Text<N>& t) : p_(t.data()), w_(static_cast<std::int32_t>(N)) {}

  std::int32_t width() const { return w_; }
  char* data() { return p_; }
  const char* data() const { return p_; }
  // A field reads as its whole text, padding included.
  // NOLINTNEXTLINE(google-explicit-constructor)
  operator std::string_view() const { return {p_, static_cast<std::size_t>(w_)}; }
  std::string_view view() const { return *this; }

  // 1-based character access; a position outside the field is a programming error.
  char& operator()(std::int32_t i) {
    if (i < 1 || i > w_) out_of_range(i);
    return p_[i - 1];
  }
  char operator()(std::int32_t i) const {
    if (i < 1 || i > w_) out_of_range(i);
    return p_[i - 1];
  }

  void blank() { std::memset(p_, ' ', static_cast<std::size_t>(w_)); }
  // Copies s from the left, cut to the width, and pads with blanks.
  void assign(std::string_view s) {
    const std::size_t n = std::min<std::size_t>(s.size(), static_cast<std::size_t>(w_));
    if (n > 0) std::memmove(p_, s.data(), n);
    std::memset(p_ + n, ' ', static_cast<std::size_t>(w_) - n);
  }
  // Writes s at 1-based position pos, cut at the end of the field; the rest is untouched.
  void put(std::int32_t pos, std::string_view s) {
    if (pos < 1 || pos > w_) return;
    const std::size_t room = static_cast<std::size_t>(w_ - pos + 1);
    const std::size_t n = std::min(room, s.size());
    if (n > 0) std::memmove(p_ + pos - 1, s.data(), n);
  }
  std::int32_t trimmed_length() const { return vud::trimmed_length(*this); }
  std::string_view trimmed() const { return vud::trimmed(*this); }
  bool is_blank() const { return vud::is_blank(*this); }

 private:
  [[noreturn]] void out_of_range(std::int32_t i) const {
    std::fprintf(stderr, "text position %d outside 1..%d\n", static_cast<int>(i),
                 static_cast<int>(w_));
    std::abort();
  }
  char* p_;
  std::int32_t w_;
};

// A fixed-width, blank-padded text field that owns its N characters.
template <std::size_t N>
class Text {
 public:
  static_assert(N > 0, "a text field has at least one character");
  static constexpr std::int32_t kWidth = static_cast<std::int32_t>(N);

  Text() { c_.fill(' '); }
  // Fields are made from literals and texts freely.
  Text(std::string_view s) { field().assign(s); }     // NOLINT(google-explicit-constructor)
  Text(const char* s) : Text(std::string_view(s)) {}  // NOLINT(google-explicit-constructor)
  Text& operator=(std::string_view s) {
    field().assign(s);
    return *this;
  }
  Text& operator=(const char* s) { return *this = std::string_view(s); }

  static constexpr std::int32_t width() { return kWidth; }
  char* data() { return c_.data(); }
  const char* data() const { return c_.data(); }
  // A text reads as its whole width, padding included.
  // NOLINTNEXTLINE(google-explicit-constructor)
  operator std::string_view() const { return {c_.data(), N}; }
  std::string_view view() const { return *this; }
  Field field() { return Field(c_.data(), kWidth); }

  char& operator()(std::int32_t i) { return field()(i); }
  char operator()(std::int32_t i) const {
    if (i < 1 || i > kWidth) Field(const_cast<char*>(c_.data()), kWidth)(i);
    return c_[static_cast<std::size_t>(i - 1)];
  }

  void blank() { c_.fill(' '); }
  void assign(std::string_view s) { field().assign(s); }
  void put(std::int32_t pos, std::string_view s) { field().put(pos, s); }
  std::int32_t trimmed_length() const { return vud::trimmed_length(*this); }
  std::string_view trimmed() const { return vud::trimmed(*this); }
  bool is_blank() const { return vud::is_blank(*this); }

  friend bool operator==(const Text& a, const Text& b) { return a.c_ == b.c_; }

 private:
  std::array<char, N> c_;
};

// A table of N entries counted from 1, as the system's tables are.
template <typename T, std::int32_t N>
class Table {
 public:
  static_assert(N > 0, "a table has at least one entry");
  static constexpr std::int32_t size() { return N; }

  T& operator()(std::int32_t i) {
    if (i < 1 || i > N) out_of_range(i);
    return v_[static_cast<std::size_t>(i - 1)];
  }
  const T& operator()(std::int32_t i) const {
    if (i < 1 || i > N) out_of_range(i);
    return v_[static_cast<std::size_t>(i - 1)];
  }
  void fill(const T& value) { v_.fill(value); }
  // Storage in order, for routines that walk the whole table.
  T* begin() { return v_.data(); }
  T* end() { return v_.data() + N; }
  const T* begin() const { return v_.data(); }
  const T* end() const { return v_.data() + N; }

 private:
  [[noreturn]] static void out_of_range(std::int32_t i) {
    std::fprintf(stderr, "table index %d outside 1..%d\n", static_cast<int>(i),
                 static_cast<int>(N));
    std::abort();
  }
  std::array<T, static_cast<std::size_t>(N)> v_{};
};

// A table of the last N entries added, counted from 1 as the oldest held.
// roll() makes the oldest entry the newest (entry N) without moving any
// entry, so a store that keeps the last N lines costs the same per line when
// it is full as when it is filling. fill() also puts storage order back.
template <typename T, std::int32_t N>
class RingTable {
 public:
  static constexpr std::int32_t size() { return N; }

  T& operator()(std::int32_t i) { return v_(slot(i)); }
  const T& operator()(std::int32_t i) const { return v_(slot(i)); }
  void roll() { first_ = first_ == N - 1 ? 0 : first_ + 1; }
  void fill(const T& value) {
    v_.fill(value);
    first_ = 0;
  }

 private:
  // The storage entry of entry i; an i out of range goes to the table as it
  // is, which stops the program there.
  std::int32_t slot(std::int32_t i) const {
    if (i < 1 || i > N) return i;
    const std::int32_t s = first_ + i;
    return s > N ? s - N : s;
  }
  Table<T, N> v_;
  std::int32_t first_ = 0;  // storage index (0-based) of entry 1
};

// fstr = cstr without its leading blanks, up to the first control character
// (code below 32, such as a terminating zero byte), cut to the width of fstr,
// blank-padded. cstr may overlap fstr: the text is moved before the padding.
inline void c2fstr(std::string_view cstr, Field fstr) {
  const std::size_t width = static_cast<std::size_t>(fstr.width());
  std::size_t from = 0;
  while (from < cstr.size() && cstr[from] == ' ') ++from;
  std::size_t n = 0;
  while (from + n < cstr.size() && n < width && static_cast<unsigned char>(cstr[from + n]) >= 32)
    ++n;
  if (n > 0) std::memmove(fstr.data(), cstr.data() + from, n);
  std::memset(fstr.data() + n, ' ', width - n);
}

}  // namespace vud

#endif  // VUD_SUPPORT_TEXT_FIXED_TEXT_H_
