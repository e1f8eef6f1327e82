// The message sink of the library: one line (edisp), a long text wrapped at
// word boundaries (edisp248), two-part user messages with a kind letter
// (usrmsg, lusrmsg), the terminal mode (epages) and page control.
#ifndef VUD_SUPPORT_CONSOLE_MESSAGES_H_
#define VUD_SUPPORT_CONSOLE_MESSAGES_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "vud_support/text/fixed_text.h"

namespace vud {

// Shows msg (trimmed; a blank text shows as one blank) as one line on channel
// itru and keeps its first 144 characters in the message buffer. In graph mode
// a line for the terminal channel goes to the text area (egdisp) instead. A
// failed write is reported on channel 6 ("edisp: error writing text: " and its
// kin) and not to the caller.
void edisp(std::int32_t itru, std::string_view msg);

// Shows msg on channel itru wrapped at word boundaries into at most six lines,
// each normally at most iwid characters (24 to 144); a word longer than the
// width runs on to the next blank and a line is cut at 143 characters. Text
// past the sixth line is not shown. Another width shows only the line
// "edisp248 width is overly short or long" on the terminal channel.
void edisp248(std::int32_t itru, std::string_view msg, std::int32_t iwid);

// Position (1-based) where the nearest run of blanks and tabs before ipos
// begins; 1 when there is none. An ipos past the width of string gives the
// width, past the trimmed text the trimmed length; a control character other
// than a tab met on the way gives ipos back.
std::int32_t iprevblnk(std::string_view string, std::int32_t ipos);
// Position (1-based) where the next run of blanks and tabs after ipos ends,
// that is its last blank before a word; the trimmed length when there is none.
// Past the width and past the text, and at a control character, as iprevblnk.
std::int32_t inextblnk(std::string_view string, std::int32_t ipos);

// The text as it may be shown on the terminal: every control byte (below 0x20
// other than the tab, and 0x7F) becomes "?", so that text quoted from a
// damaged or hostile file cannot drive the user's terminal. The length stays.
std::string terminal_safe(std::string_view text);

// Two-part message of kind level: "-", "P", "W", "F" (ends the program with
// status 1), "?" (a prompt without line end). A second part beginning with "-"
// counts as blank; the Field forms also blank the caller's field then. Lines
// are composed 124 characters wide: a longer part is cut, in both forms.
void usrmsg(std::string_view msg1, std::string_view msg2, char level);
void usrmsg(std::string_view msg1, Field msg2, char level);
// As usrmsg, cutting each part to fit its line.
void lusrmsg(std::string_view msg1, std::string_view msg2, char level);
void lusrmsg(std::string_view msg1, Field msg2, char level);
// A caller's own Text field as second part is taken as writable (it is blanked
// when it begins with "-"); without these both forms above would match.
template <std::size_t N>
void usrmsg(std::string_view msg1, Text<N>& msg2, char level) {
  usrmsg(msg1, Field(msg2), level);
}
template <std::size_t N>
void lusrmsg(std::string_view msg1, Text<N>& msg2, char level) {
  lusrmsg(msg1, Field(msg2), level);
}
// The same with the kind given as a one-character text ("W"); an empty text
// is an unknown kind.
inline char message_kind(std::string_view level) { return level.empty() ? ' ' : level.front(); }
inline void usrmsg(std::string_view msg1, std::string_view msg2, std::string_view level) {
  usrmsg(msg1, msg2, message_kind(level));
}
inline void usrmsg(std::string_view msg1, Field msg2, std::string_view level) {
  usrmsg(msg1, msg2, message_kind(level));
}
template <std::size_t N>
void usrmsg(std::string_view msg1, Text<N>& msg2, std::string_view level) {
  usrmsg(msg1, Field(msg2), message_kind(level));
}
inline void lusrmsg(std::string_view msg1, std::string_view msg2, std::string_view level) {
  lusrmsg(msg1, msg2, message_kind(level));
}
inline void lusrmsg(std::string_view msg1, Field msg2, std::string_view level) {
  lusrmsg(msg1, msg2, message_kind(level));
}
template <std::size_t N>
void lusrmsg(std::string_view msg1, Text<N>& msg2, std::string_view level) {
  lusrmsg(msg1, Field(msg2), message_kind(level));
}

// Whether the host uses Unix conventions: always true here.
void isunix(bool& yes);
bool isunix();

// Settles the terminal mode mmod from model (-6, -2, -1 or 8; model takes the
// settled code too). Any other model asks on iout and reads answers from iin
// until one of the four codes comes; at the end of the input, or after three
// failed reads in a row, it settles on text mode (-1).
void epages(std::int32_t& model, std::int32_t iin, std::int32_t iout, std::int32_t iappwi,
            std::int32_t iapphi, std::int32_t iappx, std::int32_t iappy, std::int32_t menuchw,
            std::string_view title);

// Page control worker and its four callers: epage (1,0,0), epagew (1,1,0),
// epwait (0,1,0), epagend (1,0,1). Mode -1 marks a page break with a line of two
// blanks; mode -2 shows a separator and waits for one line of input (at the end
// of the input it goes on); mode -6 shows nothing.
void empage(std::int32_t ipag, std::int32_t iw, std::int32_t iend);
void epage();
void epagew();
void epwait();
void epagend();

// Empties the message buffer.
void clrtextbuf();

}  // namespace vud

#endif  // VUD_SUPPORT_CONSOLE_MESSAGES_H_
