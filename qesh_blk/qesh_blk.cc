// Start-up clearing: puts the menu records of the graphic interface back to
// their start values and empties the message buffer.
#include "qesh_blk/qesh_blk.h"

#include "vud_support/console/messages.h"
#include "vud_support/console/records.h"

namespace vud {

void ezero() {
  pmenu.mhead = 0;
  pmenu.mctl = 0;
  pmenu.mifull = 0;
  pmenu.mfull = 0;
  pmenu.ist = 0;
  pmenu.ilen = 0;
  pmenu.ipm = 1;
  pmenu.mpm = 1;
  pmenu.ipflg = 0;
  // The saved menu levels are cleared; the level counter milev is left as it is.
  pmenusv.mhead1.fill(0);
  pmenusv.mctl1.fill(0);
  pmenusv.miful1.fill(0);
  pmenusv.mful1.fill(0);
  pmenusv.ist1.fill(0);
  pmenusv.ilen1.fill(0);
  pmenusv.ipm1.fill(0);
  pmenusv.mpm1.fill(0);
  pmenusv.ipflg1.fill(0);
  pbydat.ips = 1;
  clrtextbuf();
}

}  // namespace vud
