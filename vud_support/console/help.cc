// Help pages shown a page at a time, their page arithmetic, and the helpers
// that hand the help table to the graphic help routines.
#include "vud_support/console/help.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "qesh_fc/qesh_fc.h"
#include "vud_support/console/channels.h"
#include "vud_support/console/journal.h"
#include "vud_support/console/messages.h"
#include "vud_support/console/prompts.h"

namespace vud {
namespace {

constexpr std::int32_t kDisplayLines = 30;

// Page numbers of the page starting at ist, in single-precision arithmetic.
void page_numbers(std::int32_t ilen, std::int32_t mifull, std::int32_t ist, std::int32_t& ipm,
                  std::int32_t& mpm) {
  const float step = static_cast<float>(mifull);
  ipm = std::max(1, static_cast<std::int32_t>(static_cast<float>(ist + mifull - 1) / step));
  const float pages = static_cast<float>(ilen) / step;
  mpm = static_cast<std::int32_t>(std::ceil(pages));
  if (mpm < 1) mpm = 1;
}

// Hands the help table to the graphic help routines, which show nothing here.
void graphic_help(std::int32_t nhelp, std::int32_t ipflg) {
  std::int32_t width = 0, ier = 0, response = 0;
  phelpw(nhelp, width, ier);
  Table<Text<72>, kHelpLines> copy;
  dupphelp(copy);
  updhelp(copy, nhelp, width);
  egphelp(0, 0, ipflg, 0, response);
}

}  // namespace

void hpage(std::string_view act, std::int32_t& ilen, std::int32_t& mifull, std::int32_t& mfull,
           std::int32_t& ist, std::int32_t& ipm, std::int32_t& mpm, std::int32_t& ipflg) {
  const std::string_view a = trimmed(act);
  if (a == "create") {
    ist = 1;
    mfull = spad.limtty - 2;
    mifull = mfull - 2;
    if (ilen <= mifull) {
      ipflg = 0;
      ipm = 1;
      mpm = 1;
      return;
    }
    ipflg = 1;
  } else if (a == "next") {
    if (ist + mifull < ilen) ist += mifull;
  } else if (a == "prev") {
    if (ipm >= 2) ist -= mifull;
  } else {
    return;
  }
  // A page size of limtty 4 or less leaves no help line to step by.
  if (mifull < 1) {
    ipm = 1;
    mpm = 1;
    return;
  }
  page_numbers(ilen, mifull, ist, ipm, mpm);
}

void helpwithblank(std::string_view ermsg, std::int32_t nbhelp, std::int32_t& newnbhelp,
                   std::int32_t& /*ier*/) {
  if (nbhelp >= 1) {
    newnbhelp = nbhelp;
    return;
  }
  newnbhelp = 1;
  constexpr std::string_view kHead = "No help available for ";
  const std::int32_t room = 72 - static_cast<std::int32_t>(kHead.size()) - 1;
  const std::string_view topic = sub1(ermsg, 1, std::min(trimmed_length(ermsg), room));
  Text<72>& line = pophelp.h(1);
  line = kHead;
  line.put(static_cast<std::int32_t>(kHead.size()) + 1, topic);
  line.put(static_cast<std::int32_t>(kHead.size() + topic.size()) + 1, "!");
}

void phelpw(std::int32_t il, std::int32_t& ihw, std::int32_t& ier) {
  ier = 0;
  ihw = 0;
  const std::int32_t n = std::min(il, kHelpLines);
  for (std::int32_t i = 1; i <= n; ++i) ihw = std::max(ihw, pophelp.h(i).trimmed_length());
}

void dupphelp(Table<Text<72>, kHelpLines>& dh) {
  for (std::int32_t i = 1; i <= kHelpLines; ++i) dh(i) = pophelp.h(i).trimmed();
}

void phelpd(std::string_view msg, std::int32_t nhelp, std::string_view /*other*/,
            std::int32_t /*ibx*/, std::int32_t /*iby*/, std::int32_t& ier) {
  ier = 0;
  const std::int32_t iuout = outin.iuout;
  if (nhelp == 0) {
    constexpr std::string_view kHead = "No help available for ";
    Text<124> line = kHead;
    const std::string_view topic = sub1(msg, 1, std::min(trimmed_length(msg), 50));
    line.put(static_cast<std::int32_t>(kHead.size()) + 1, topic);
    line.put(static_cast<std::int32_t>(kHead.size() + topic.size()) + 1, ".");
    if (spad.mmod == kModeGraph) {
      pophelp.h(1) = line.view();
      graphic_help(1, 0);
      return;
    }
    edisp(iuout, " ");
    edisp(iuout, line.view());
    edisp(iuout, " ");
    return;
  }

  // The header kept for the journal: "HELP: " and at most 67 characters of the topic.
  Text<73> header = "HELP: ";
  header.put(7, sub1(msg, 1, std::min(trimmed_length(msg), 67)));
  tstamp('>', header.view());

  std::int32_t ilen = std::min(nhelp, kHelpLines);
  std::int32_t mifull = 0, mfull = 0, ist = 0, ipm = 0, mpm = 0, ipflg = 0;
  hpage("create", ilen, mifull, mfull, ist, ipm, mpm, ipflg);

  if (spad.mmod == kModeGraph) {
    graphic_help(ilen, ipflg);
    return;
  }

  Table<Text<72>, kDisplayLines> shown;
  for (;;) {
    std::int32_t n = 0;
    for (std::int32_t i = std::max(1, ist); i <= ilen && i <= ist + mifull; ++i) {
      if (n == kDisplayLines) break;
      Text<72>& line = shown(++n);
      line = " ";
      line.put(2, pophelp.h(i).view());  // the last character of a full-width line does not fit
    }
    if (ipflg == 1 && n + 2 <= kDisplayLines) {
      shown(++n) = " ___________________________";
      char footer[48];
      std::snprintf(footer, sizeof footer, " Page --- Part: %2d of %2d ---", static_cast<int>(ipm),
                    static_cast<int>(mpm));
      shown(++n) = footer;
    }
    for (std::int32_t i = 1; i <= n; ++i) edisp(iuout, shown(i).trimmed());
    if (ipflg == 0) return;

    const std::string_view choices = ipm == 1     ? " Options:  a) -, b) next, c) continue"
                                     : ipm == mpm ? " Options:  a) previous, b) -, c) continue"
                                                  : " Options:  a) previous, b) next, c) continue";
    char pick = 0;
    while (pick == 0) {
      edisp(iuout, choices);
      std::string answer;
      if (read_terminal_line(answer) != kReadLine) {
        edisp(iuout, "EHELPD: error writing help message");
        return;
      }
      const char c = answer.empty() ? ' ' : answer[0];
      if (c == 'a' || c == 'A') pick = 'a';
      if (c == 'b' || c == 'B') pick = 'b';
      if (c == 'c' || c == 'C') pick = 'c';
    }
    channel_write(iuout, "  ");
    if (pick == 'c') return;
    hpage(pick == 'a' ? "prev" : "next", ilen, mifull, mfull, ist, ipm, mpm, ipflg);
  }
}

}  // namespace vud
