// Questions put to the user on the terminal: yes or no (askok), a text value
// (easks), one of two to seven labelled options (easkatog). Each reads its
// answer a line at a time from the terminal input channel outin.iuin, so a
// script of answer lines drives them. In mode 8 the questions go to the inert
// dialog routines and their outcome is fixed (see each routine).
//
// None of them asks forever: each asks again after an answer it does not
// accept, but a failed read or the end of the input channel shows the
// routine's one-line diagnostic and returns false with the value as it was.
#ifndef VUD_SUPPORT_CONSOLE_PROMPTS_H_
#define VUD_SUPPORT_CONSOLE_PROMPTS_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "vud_support/text/fixed_text.h"

namespace vud {

// Flushes every channel, so that a question already written is on the
// terminal, then reads one answer line from outin.iuin. Returns the outcome
// of channel_read_line (kReadLine, kReadEnd, kReadFailed).
std::int32_t read_terminal_line(std::string& line);

// Yes or no. Shows trimmed msg1 as one line, then trimmed msg2 followed by
// " [Y]es (default) or [N]o ?" (default dok true), " [Y]es or [N]o (default) ?"
// (dok false) or " [Y]es [N]o ?" (no default: nhelp is -1), as one line, and
// reads the answer: y/Y sets ok true, n/N false, d/D (with a default) ok = dok.
// Anything else, an empty line included, shows an empty line and "You must
// make a choice!" and asks again. A question too long for the 124-character
// line is cut so that the choice text still ends it. The text modes offer no
// help; help line 1 may be set by helpwithblank (topic "Ok dialog").
// At a failed read or the end of input: shows "ASKOK: error composing
// prompt.", leaves ok unchanged and returns false; true once answered.
// Mode 8: the answer is the default (ok unchanged without one).
bool askok(std::string_view msg1, std::string_view msg2, bool& ok, bool dok, std::int32_t nhelp);

// The value of the ier flag of easks (set when its help text cannot be composed).
inline constexpr std::int32_t kIerEasksHelp = 1;

// A text value. Shows the current value ("(currently blank)" or
// "(currently: " + value + ")", the value cut to 111 characters), then promp1
// and promp2 as a prompt (usrmsg kind '?'), and reads a line (its first 248
// characters) as the answer:
//   - "d"/"D" alone: "The default is `" + trimmed dstr + "`." and askok
//     "Is this ok?"; yes sets strval to trimmed dstr, no asks again;
//   - "h"/"H"/"?" alone: the help pages (topic "ask user string"), then asks
//     again;
//   - first two characters blank: the value given is kept, told as
//     " The existing string (" + value + ") will be used."; when it was blank
//     too, warns " The current string is blank!" / " Please re-enter." and
//     asks again;
//   - anything else: strval = its first istrw characters (istrw at most 248),
//     blank-padded to the width of strval.
// A current value that begins with "UNKNOWN", "unknown" or "Unknown" and is
// longer than six characters is shown as blank but kept for an empty answer.
// ier is set by the help routines only (see kIerEasksHelp). nhelp lines of
// pophelp.h are offered; below 1 a "No help available for " + ermsg line is.
// At a failed read or the end of input: shows "EASKS: error composing
// prompt.", leaves strval as given and returns false; true once answered.
// Mode 8: the inert dialog leaves the value as it is, so strval comes back as
// given (or as remembered); a blank value there cannot be answered at all and
// comes back blank after the warning, with false.
bool easks(Field strval, std::string_view promp1, std::string_view promp2, std::int32_t istrw,
           std::string_view dstr, std::string_view ermsg, std::int32_t& ier, std::int32_t nhelp);

// One of two to seven labelled options. aopt and bopt are always offered;
// the first of copt to gopt whose trimmed length is at most 1 ends the list.
// Shows msg1 as one line and the option line (" " + msg2 + "  a) ..., b) ..."
// for up to five options, " a) ... b) ... c) ... e) ... f) ... g) ... i) ..."
// for six or seven, then " ? ") as a prompt. The answer's first character
// chooses: a 1, b 2, c 3, e 4, f 5, g 6, i 7 (whatever the number offered);
// h/H/? shows help (topic "multi-choice dialog") and asks again; a blank
// answer warns "The current answer is blank!" / "Please re-enter."; anything
// else shows "You must make a choice!"; both ask again.
// At a failed read or the end of input: shows "EASKATOG: error composing
// prompt.", sets iwhich 0 (no choice) and returns false.
// Mode 8: iwhich is the choice the dialog gives, 0 in this system.
bool easkatog(std::string_view msg1, std::string_view msg2, std::string_view aopt,
              std::string_view bopt, std::string_view copt, std::string_view dopt,
              std::string_view eopt, std::string_view fopt, std::string_view gopt,
              std::int32_t& iwhich, std::int32_t nhelp);

}  // namespace vud

#endif  // VUD_SUPPORT_CONSOLE_PROMPTS_H_
