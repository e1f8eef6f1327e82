// Word, phrase and number extraction from a fixed-width line with a cursor
// owned by the caller, with the library's action letters, error flags and the
// warning, failure, conversion and past-the-end messages on the terminal.
#ifndef VUD_SUPPORT_PARSE_WORDS_H_
#define VUD_SUPPORT_PARSE_WORDS_H_

#include <array>
#include <cstdint>
#include <string_view>

#include "vud_support/text/fixed_text.h"

namespace vud {

// Values of the error flag ier.
inline constexpr std::int32_t kIerOk = 0;
inline constexpr std::int32_t kIerPastEnd = 1;     // the line ended before the item
inline constexpr std::int32_t kIerOutOfRange = 1;  // value outside its range under "F"
inline constexpr std::int32_t kIerNotNumber = 2;   // the word is not a valid number

// Width of the internal word egetwi and egetwr read their number into.
inline constexpr std::int32_t kNumberWordWidth = 20;

// Whether c parts the words of a log line: a blank, a comma, a tab or "|".
// Runs of separators count as one.
// A table by character code: the fast line readers ask for every character.
inline constexpr std::array<bool, 256> kWordSeparators = [] {
  std::array<bool, 256> t{};
  for (const unsigned char c : {' ', ',', '\t', '|'}) t[c] = true;
  return t;
}();

inline bool is_word_separator(char c) { return kWordSeparators[static_cast<unsigned char>(c)]; }

// Next word of string into word.
//
// string is the whole line field; its declared width, not its trimmed length,
// is the end of the line. k is the 1-based position of the last character
// consumed (0 before the first call). Separators are blank, comma, tab and
// "|"; runs of them collapse. word is blanked, then filled from the left.
// On return k rests on the separator that ended the word.
//
// A word longer than word is cut to its width: k stays on the first character
// beyond it, which the next call skips, so that character is lost.
// When the line ends before or within the word (also when the word ends on
// the last character of string) ier is set to kIerPastEnd and k is past the
// width; act "-" is silent, any other letter shows the two-line past-the-end
// message naming msg: a failure under "F", a warning under any other letter.
// A cursor below 0 counts as 0.
// Leaves ier alone on success; callers clear it first.
void egetw(std::string_view string, std::int32_t& k, Field word, char act, std::string_view msg,
           std::int32_t& ier);

// Next phrase of string into phrase: as egetw, but ier is set to kIerOk at
// entry, only blank, comma and tab are skipped before the phrase, and the
// phrase ends only at a tab or a comma (blanks and "|" belong to it, so a
// last phrase collects padding blanks until phrase is full). Past the end of
// the line: act "-" returns with ier kIerOk and no message; any other letter
// sets ier to kIerPastEnd and shows the phrase form of the past-the-end message.
void egetp(std::string_view string, std::int32_t& k, Field phrase, char act, std::string_view msg,
           std::int32_t& ier);

// Next word of string read as an integer into iv, checked against mn..mx.
//
// Sets ier to kIerOk first. The word (at most kNumberWordWidth characters) is
// an optional sign and decimal digits, blanks around them allowed. Past the
// end of the line: ier kIerPastEnd, nothing shown. A word that is not such an
// integer, or outside the 32-bit range: the conversion message whatever act
// is, ier kIerNotNumber, iv unchanged. With act "-" there is no range check.
// A value outside mn..mx (inclusive) stays in iv and shows the three-line range
// message: "W" warns with ier kIerOk, "F" fails with ier kIerOutOfRange; any
// other letter returns silently.
void egetwi(std::string_view string, std::int32_t& k, std::int32_t& iv, std::int32_t mn,
            std::int32_t mx, char act, std::string_view msg, std::int32_t& ier);

// Next word of string read as a 4-byte real into rv, checked against rmn..rmx
// under ract. As egetwi, except: the line ending before or within the word is
// a conversion failure (message with the word as collected, ier kIerNotNumber);
// the word is an optional sign, digits with an optional decimal point and an
// optional exponent (E, e, D or d), so "nan", "inf" and "infinity" in any case
// are not numbers; value texts come from rel16str.
void egetwr(std::string_view string, std::int32_t& k, float& rv, float rmn, float rmx, char ract,
            std::string_view msg, std::int32_t& ier);

// Shortest text of intin, left-justified in fstr, its length in iswd (at
// least 1). A value wider than 10 columns gives ten asterisks. iflag is 0.
void intstr(std::int32_t intin, Text<10>& fstr, std::int32_t& iswd, std::int32_t& iflag);

}  // namespace vud

#endif  // VUD_SUPPORT_PARSE_WORDS_H_
