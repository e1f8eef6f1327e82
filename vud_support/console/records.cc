// Definitions of the process-wide shared records.
#include "vud_support/console/records.h"

#include "qesh_blk/qesh_blk.h"
#include "vud_support/console/channels.h"
#include "vud_support/console/journal.h"

namespace vud {

Outin outin;
Spad spad;
Textbuf textbuf;
Textbufl textbufl;
Curfile curfile;
Rpath rpath;
Pophelp pophelp;
Journopt journopt;
Pmenu pmenu;
Pmenusv pmenusv;
Pbydat pbydat;
Datemem datemem;

void reset_shared_records() {
  channel_reset_all();
  outin = {};
  spad = {};
  textbuf = {};
  textbufl = {};
  curfile = {};
  rpath = {};
  pophelp = {};
  journopt = {};
  pmenu = {};
  pmenusv = {};
  pbydat = {};
  set_journal_clock(nullptr);
  datemem = {};
  ezero();
}

}  // namespace vud
