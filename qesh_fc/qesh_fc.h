// The graphic-interface routines that the library calls in graph mode (mode 8).
// This build has no graphic display: most routines take their arguments and do
// nothing, a few write their text to the standard output (channel 6) so that
// nothing is lost, and a few return fixed values that say no graphics exist.
#ifndef QESH_FC_QESH_FC_H_
#define QESH_FC_QESH_FC_H_

#include <cstdint>
#include <string_view>

#include "vud_support/text/fixed_text.h"

namespace vud {

// --- Routines with an effect -------------------------------------------------
// "A line on the standard output" below is one line on channel 6: one blank,
// then the texts named, each in its full width (trailing blanks included).

// Opens the main window: writes msg as one line on channel 6, without a
// leading blank.
void jwinint(std::int32_t iterm, std::string_view msg);

// Text-area line: a line on the standard output holding msg.
void egdisp(std::string_view msg, std::int32_t line);

// Text at a pixel position: a line on the standard output holding buff.
void wstxpt(std::int32_t ix, std::int32_t iy, std::string_view buff);
void textatxy(std::int32_t ix, std::int32_t iy, std::string_view buff, std::int32_t ixcolid);

// Text label at a user position: a line on the standard output holding msg.
void etlabel(std::string_view msg, float x, float y, std::int32_t ipos, std::int32_t isize);

// Button boxes: a line on the standard output holding a marker ("? ", "def ",
// "ok ", "alt ", "abcd "), the letter act and msg.
void qbox(std::string_view msg, std::int32_t msglen, std::int32_t iasklen, std::int32_t ib_bottom,
          std::int32_t ib_left, char act);
void dbox(std::string_view msg, std::int32_t msglen, std::int32_t iasklen, std::int32_t ib_bottom,
          std::int32_t ib_left, char act);
void okbox(std::string_view msg, std::int32_t msglen, std::int32_t iasklen, std::int32_t ib_bottom,
           std::int32_t ib_left, char act);
void altbox(std::string_view msg, std::int32_t msglen, std::int32_t iasklen, std::int32_t ib_bottom,
            std::int32_t ib_left, char act);
void abcdboxs(std::string_view msg, std::int32_t msglen, std::int32_t iasklen,
              std::int32_t ib_bottom, std::int32_t ib_left, char act);

// Question boxes: one line on the standard output per text, in order.
void openaskbox(std::string_view msg1, std::string_view msg2, std::int32_t iasklen);
void openaskaltbox(std::string_view msg1, std::string_view msg2, std::string_view alt,
                   std::int32_t iasklen);
void openaskcnclbox(std::string_view msg1, std::string_view msg2, std::string_view cncl,
                    std::int32_t iasklen);

// Coordinate conversions and the display corner: every output becomes 0.
void u2pixel(float ux, float uy, std::int32_t& ix, std::int32_t& iy);
void pixel2u(float ux, float uy, float& gx, float& gy);
void findrtb(std::int32_t& iright, std::int32_t& itop, std::int32_t& ibottom);

// Names the graphics library in use: "noX".
void getxlibs(Text<3>& clibrary);

// 0: no graphic display is available.
std::int32_t ixavail();
// 3: the kind of graphics library built in.
std::int32_t igraphiclib();

// A short busy computation; no output, no result.
void pause_effect();

// --- Routines without effect that the library calls --------------------------
// Each returns at once and writes to none of its arguments; out-arguments keep
// the values the caller gave them.

void sizehwxy(std::int32_t isizeh, std::int32_t isizew, std::int32_t iulx, std::int32_t iuly);
void winfnt(std::int32_t n);
void feedbox(std::int32_t menu_char, std::int32_t id_lines, std::int32_t& igw, std::int32_t& igh);
void opengdisp(std::int32_t menu_char, std::int32_t idispl_l, std::int32_t idial_l,
               std::int32_t& igdw, std::int32_t& igdh);
void espad(std::int32_t limit, std::int32_t limtty, std::int32_t line);
void egdispclr();
void winfin();
void msgbox(std::string_view msg1, std::string_view msg2);
void continuebox(std::string_view msg1, std::string_view msg2, std::string_view opta);
void pauses(std::int32_t is);
void askdialog(Field sstr, std::int32_t& id, std::int32_t& iq);
void abcdefbox(std::string_view msg1, std::string_view msg2, std::string_view opta,
               std::string_view optb, std::string_view optc, std::string_view optd,
               std::string_view opte, std::string_view optf, std::string_view optg,
               std::int32_t& iok);
void updhelp(const Table<Text<72>, 60>& dh, std::int32_t ni, std::int32_t iw);
void egphelp(std::int32_t impx, std::int32_t impy, std::int32_t ipflg, std::int32_t ishowmoreflg,
             std::int32_t& iuresp);

}  // namespace vud

#endif  // QESH_FC_QESH_FC_H_
