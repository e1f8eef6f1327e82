// Help pages: the help lines a question offers (pophelp.h, filled by the
// caller before it asks), shown a page at a time with a choice of previous
// page, next page or continue; the page arithmetic; the one-line "no help"
// text; and the width and copy of the table for the graphic help routines.
#ifndef VUD_SUPPORT_CONSOLE_HELP_H_
#define VUD_SUPPORT_CONSOLE_HELP_H_

#include <cstdint>
#include <string_view>

#include "vud_support/console/records.h"
#include "vud_support/text/fixed_text.h"

namespace vud {

// Values of the ier flag of helpwithblank and phelpd.
inline constexpr std::int32_t kIerHelpCompose = 1;
inline constexpr std::int32_t kIerHelpPermission = 2;

// Shows help lines 1 to nhelp of pophelp.h under the topic msg. ier is set to
// 0 at entry. other, ibx and iby are not used.
//
// With nhelp not 0, "HELP: " + msg (trimmed, at most 67 characters) is first
// offered to the journal (tstamp '>'); a negative count then shows nothing.
// In the text modes each page shows up to mifull + 1 help lines, each as one
// blank and the line (its first 71 characters); a help that needs more than
// one page adds a footer (" ___..." and " Page --- Part:  i of  n ---") and
// the choice line, and reads an answer from the terminal input channel: a
// previous page, b next page, c continue (each shown page is followed by a
// line of two blanks). Any other answer shows the choice line again. A failed
// read or the end of input shows "EHELPD: error writing help message" and
// ends the display. In mode 8 the table goes to the graphic help routines and
// nothing is shown.
//
// With nhelp 0: an empty line, "No help available for " + msg (trimmed, at
// most 50 characters) + ".", an empty line; in mode 8 that text replaces help
// line 1 and goes to the graphic help routines. A count above 60 is taken as 60.
void phelpd(std::string_view msg, std::int32_t nhelp, std::string_view other, std::int32_t ibx,
            std::int32_t iby, std::int32_t& ier);

// Page arithmetic of one help display, by act ("create", "next", "prev"; any
// other text does nothing). Uses spad.limtty: a full page mfull is limtty - 2
// lines and a page steps by mifull = mfull - 2 help lines. ist is the first
// help line of the page shown, ipm its number, mpm the number of pages, ipflg
// 1 when the help needs more than one page. "next" beyond the last line and
// "prev" on the first page keep the page as it is.
void hpage(std::string_view act, std::int32_t& ilen, std::int32_t& mifull, std::int32_t& mfull,
           std::int32_t& ist, std::int32_t& ipm, std::int32_t& mpm, std::int32_t& ipflg);

// The help count to use for a question: nbhelp when it is 1 or more;
// otherwise 1, with help line 1 set to "No help available for " + trimmed
// ermsg + "!" (a topic too long for the 72-character line is cut so that the
// "!" still ends it). Leaves ier alone.
void helpwithblank(std::string_view ermsg, std::int32_t nbhelp, std::int32_t& newnbhelp,
                   std::int32_t& ier);

// ihw = the largest trimmed length (each at least 1) of help lines 1 to il
// (at most 60; 0 when il is below 1); ier = 0.
void phelpw(std::int32_t il, std::int32_t& ihw, std::int32_t& ier);

// Copies every help line into dh, each trimmed (blank-padded again).
void dupphelp(Table<Text<72>, kHelpLines>& dh);

}  // namespace vud

#endif  // VUD_SUPPORT_CONSOLE_HELP_H_
