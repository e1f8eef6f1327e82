// Line reader and delimiters: the next meaningful line of a text channel with
// "#" comments removed, word counts, delimiter rewriting, and moving text to
// the left of a fixed-width field. Words are separated by blanks, commas and
// tabs here ("|" is not a separator for these routines).
#ifndef VUD_SUPPORT_PARSE_LINES_H_
#define VUD_SUPPORT_PARSE_LINES_H_

#include <cstdint>
#include <string_view>

#include "vud_support/text/fixed_text.h"

namespace vud {

// Width of the line field that stripc1k delivers; longer records are cut.
inline constexpr std::int32_t kLineWidth = 1000;

// Error flag values of stripc1k (0 = a line was delivered).
inline constexpr std::int32_t kStripReadFailed = 1;
inline constexpr std::int32_t kStripEndOfFile = 2;

// Values of iexp that stripc1k gives a meaning of their own.
inline constexpr std::int32_t kItemsCount = 99;  // items = word count, no check
inline constexpr std::int32_t kItemsZero = 0;    // items = 0

// Reads the next non-comment line of channel inpch into outstr.
// A line whose first character is "#" is skipped; in any other line the text
// from the first "#" on is dropped (the rest is blank-padded), so a line of
// blanks before a "#" comes back as a blank line. Blank lines are delivered.
// iexp: 99 sets items to the word count; 0 sets it to 0; a negative value
// leaves it alone; any other positive n sets it to the word count and a count
// other than n is fatal (the item message, kind "F": the program ends).
// ier: 0 a line was delivered; 1 the read failed; 2 end of the file. On 1 and
// 2 outstr and items are unchanged, and with ir == 1 the failure is shown
// (through lusrmsg, naming curfile.currentfile when it is not blank, and msg).
void stripc1k(std::int32_t inpch, Text<kLineWidth>& outstr, std::int32_t iexp, std::int32_t& items,
              std::int32_t ir, std::string_view msg, std::int32_t& ier);

// As stripc1k, for a caller that reads into the same field again and again:
// used tells how many leading characters of outstr may be other than blank
// (all after them are blank) and receives that count for the line delivered,
// so that only those are blanked again rather than the whole field.
void stripc1k(std::int32_t inpch, Text<kLineWidth>& outstr, std::int32_t iexp, std::int32_t& items,
              std::int32_t ir, std::string_view msg, std::int32_t& ier, std::size_t& used);

// Number of words in the trimmed text of cstring: positions holding a
// non-separator that are first or follow a separator. A blank text counts 0.
std::int32_t icountwords(std::string_view cstring);

// Rewrites the words of a into b with one delimiter between them: delm "T" a
// tab, "S" a blank, "C" a comma, "N" nothing, any other letter a blank. Runs
// of blanks, commas and tabs (empty fields included) become one delimiter;
// the result has no leading or trailing delimiter. b is blanked first and is
// meant to be at least as wide as a; a narrower b receives the result cut at
// its width. iw is accepted and not used.
void sdelim(std::string_view a, Field b, char delm, std::int32_t iw);

// Moves the text of line to the left: leading blanks are dropped and the copy
// stops at the first control character (code below 32); the rest is blanked.
// Meant for lines of at most 124 characters; a wider field is handled whole.
void strip_leading_space(Field line);

}  // namespace vud

#endif  // VUD_SUPPORT_PARSE_LINES_H_
