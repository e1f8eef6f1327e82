// Eight characters at a time: the pieces of the fast line and stamp readers
// that look at a whole 8-byte word of text at once. A word holds the
// characters in memory order, the first in its lowest byte, whatever the
// processor's byte order.
#ifndef VUD_SUPPORT_PARSE_EIGHT_CHARS_H_
#define VUD_SUPPORT_PARSE_EIGHT_CHARS_H_

#include <bit>
#include <cstdint>
#include <cstring>

namespace vud {

inline constexpr std::uint64_t kEachByte = 0x0101010101010101ULL;

// The eight characters from c as one word.
inline std::uint64_t load_eight(const char* c) {
  std::uint64_t w = 0;
  std::memcpy(&w, c, sizeof w);
  if constexpr (std::endian::native == std::endian::big) w = __builtin_bswap64(w);
  return w;
}

// The top bit of a byte set where the byte is no digit: below "0", above
// "9", or from 0x80 up. Exact for the lowest such byte (the bytes below it
// carry nothing into it); bytes above it may be marked as well.
inline std::uint64_t non_digit_bytes(std::uint64_t w) {
  return (w | (w - kEachByte * '0') | (w + kEachByte * 0x46)) & (kEachByte * 0x80);
}

// The number of digits at the start of w (8 when all are).
inline unsigned leading_digits(std::uint64_t w) {
  const std::uint64_t bad = non_digit_bytes(w);
  return bad == 0 ? 8 : static_cast<unsigned>(std::countr_zero(bad)) / 8;
}

// The value of the first count (1 to 8) characters of w, all digits: the
// digits are moved to the top, the empty bytes below them count as leading
// zeros, and pairs, fours and eights of digits are joined by multiplication.
inline std::uint32_t digits_value(std::uint64_t w, unsigned count) {
  w = (w & 0x0F0F0F0F0F0F0F0FULL) << (8 * (8 - count));
  w = (w * 2561) >> 8;                                // 10 * 256 + 1
  w = ((w & 0x00FF00FF00FF00FFULL) * 6553601) >> 16;  // 100 * 65536 + 1
  return static_cast<std::uint32_t>(((w & 0x0000FFFF0000FFFFULL) * 42949672960001ULL) >> 32);
}

// A fixed text form of up to 24 characters: "9" where a digit stands, any
// other character as itself, checked a word at a time: each word of the
// text must hold the form's fixed characters in their places and a digit
// wherever the form has "9". Forms are made when the program is built.
struct TextForm {
  static constexpr std::size_t kWords = 3;
  std::uint64_t digits[kWords] = {};  // 0xFF in each byte where a digit stands
  std::uint64_t fixed[kWords] = {};   // 0xFF in each byte of a fixed character
  std::uint64_t chars[kWords] = {};   // the fixed characters in their bytes
  std::size_t size = 0;
};

template <std::size_t N>
constexpr TextForm text_form(const char (&form)[N]) {
  static_assert(N - 1 <= TextForm::kWords * 8, "a form of at most 24 characters");
  TextForm f;
  f.size = N - 1;
  for (std::size_t i = 0; i + 1 < N; ++i) {
    const unsigned shift = 8 * (i % 8);
    const std::uint64_t byte = std::uint64_t{0xFF} << shift;
    if (form[i] == '9') {
      f.digits[i / 8] |= byte;
    } else {
      f.fixed[i / 8] |= byte;
      f.chars[i / 8] |= static_cast<std::uint64_t>(static_cast<unsigned char>(form[i])) << shift;
    }
  }
  return f;
}

// Whether the text of n characters at c begins with form f.
inline bool fits_form(const char* c, std::size_t n, const TextForm& f) {
  if (n < f.size) return false;
  const std::size_t words = (f.size + 7) / 8;
  if (n < words * 8) {
    // Too short to read whole words from: one character at a time.
    for (std::size_t i = 0; i < f.size; ++i) {
      const unsigned shift = 8 * (i % 8);
      const bool digit = ((f.digits[i / 8] >> shift) & 0xFF) != 0;
      const auto want = static_cast<char>((f.chars[i / 8] >> shift) & 0xFF);
      if (digit ? !(c[i] >= '0' && c[i] <= '9') : c[i] != want) return false;
    }
    return true;
  }
  std::uint64_t bad = 0;
  for (std::size_t k = 0; k < words; ++k) {
    const std::uint64_t w = load_eight(c + 8 * k);
    bad |= (w & f.fixed[k]) ^ f.chars[k];
    // The digit bytes, every other byte made "0".
    bad |= non_digit_bytes((w & f.digits[k]) | (kEachByte * '0' & ~f.digits[k]));
  }
  return bad == 0;
}

}  // namespace vud

#endif  // VUD_SUPPORT_PARSE_EIGHT_CHARS_H_
