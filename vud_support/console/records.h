// The process-wide shared records of the statistics tool's library, in one
// place. Each record is a small aggregate with its start values in the class;
// reset_shared_records() puts every one of them back.
//
// This header is also the inventory of the process-wide state of the console
// library and the statistics tool's stages. Besides the records below there
// are:
//   - the channel table (channels.cc), released and unbound by
//     reset_shared_records();
//   - the journal's clock (journal.cc, set_journal_clock), put back to the
//     system clock by reset_shared_records();
//   - the memory of datestamptojulian (vud_stats/timestamps.cc), forgotten by
//     reset_datestamp_memory();
//   - buffers kept only to be reused, which hold nothing a later call reads:
//     the standard-input line buffer of the channels, the record of stripc1k, the
//     value texts and row buffers of the report rows (a cache of texts that
//     depend on the value alone) and the line of the inert graphic routines.
#ifndef VUD_SUPPORT_CONSOLE_RECORDS_H_
#define VUD_SUPPORT_CONSOLE_RECORDS_H_

#include <cstdint>

#include "vud_support/text/fixed_text.h"

namespace vud {

// Terminal channels. The main program sets them before any output.
struct Outin {
  std::int32_t iuout = 6;  // terminal output channel
  std::int32_t iuin = 5;   // terminal input channel
};

// Terminal modes (Spad::mmod): script output without page control, text
// with page control, plain text, and graph (the inert dialog routines).
inline constexpr std::int32_t kModeScript = -6;
inline constexpr std::int32_t kModePage = -2;
inline constexpr std::int32_t kModeText = -1;
inline constexpr std::int32_t kModeGraph = 8;

// Terminal mode and page counters.
struct Spad {
  std::int32_t mmod = kModeText;  // one of the kMode codes
  std::int32_t limit = 24;        // lines still free in the current page
  std::int32_t limtty = 24;       // lines in one page
};

// Store of the last 500 lines shown by edisp, oldest first. The two tables
// roll together: entry i of both is the same line.
inline constexpr std::int32_t kTextBufLines = 500;
struct Textbuf {
  RingTable<Text<144>, kTextBufLines> dispbuf;
};
struct Textbufl {
  std::int32_t indexbuf = 0;                     // lines held, 0 to 500
  RingTable<std::int32_t, kTextBufLines> lnbuf;  // kept length of each held line
};

// The file named in parsing messages; blank means "no current file".
struct Curfile {
  Text<144> currentfile;
};

// Prefix put in front of relative file names.
struct Rpath {
  Text<72> path;
};

// Help lines for the next question: entries 1 to n are filled by the caller.
inline constexpr std::int32_t kHelpLines = 60;
struct Pophelp {
  Table<Text<72>, kHelpLines> h;
};

// Journal switch and file; nothing in this system turns it on.
struct Journopt {
  std::int32_t journio = 0;  // 1 = active
  std::int32_t iuj = 0;      // journal channel
  Text<20> journcmd;
  Text<72> jfile;
};

// Menu state of the graphic interface, cleared at start-up only.
struct Pmenu {
  std::int32_t mhead = 0, mctl = 0, mifull = 0, mfull = 0, ist = 0, ilen = 0;
  std::int32_t ipm = 1, mpm = 1, ipflg = 0;
};
struct Pmenusv {
  Table<std::int32_t, 10> mhead1, mctl1, miful1, mful1, ist1, ilen1, ipm1, mpm1, ipflg1;
  std::int32_t milev = 0;
};
struct Pbydat {
  std::int32_t ips = 1;
};

// Date memory of the stamp conversion (datestamptojulian): the fields of the
// last date-time text read, which a blank field keeps, and the base year, the
// year of the first stamp converted with its year read.
struct Datemem {
  std::int32_t iyear = 0, imonth = 0, iday = 0, ihour = 0, imin = 0;
  float sec = 0.0F;
  bool has_base = false;
  std::int32_t base_year = 0;
};

extern Outin outin;
extern Spad spad;
extern Textbuf textbuf;
extern Textbufl textbufl;
extern Curfile curfile;
extern Rpath rpath;
extern Pophelp pophelp;
extern Journopt journopt;
extern Pmenu pmenu;
extern Pmenusv pmenusv;
extern Pbydat pbydat;
extern Datemem datemem;

// Puts every shared record back to its start values, releases every file
// channel, unbinds test streams from the standard channels, puts the journal
// back on the system clock, then runs ezero. Test fixtures call it in SetUp().
void reset_shared_records();

}  // namespace vud

#endif  // VUD_SUPPORT_CONSOLE_RECORDS_H_
