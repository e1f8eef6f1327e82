// The message sink: one-line messages with their 500-line store, word-wrapped
// long texts, two-part user messages, the terminal mode and page control.
#include "vud_support/console/messages.h"

#include <algorithm>
#include <string>

#include "qesh_fc/qesh_fc.h"
#include "vud_support/console/channels.h"
#include "vud_support/console/records.h"

namespace vud {
namespace {

constexpr std::int32_t kBufWidth = 144;  // width of a buffered line
constexpr std::int32_t kMsgLine = 124;   // width of a composed user-message line
constexpr std::string_view kWarning = " Warning: ";
constexpr std::string_view kFatal = " Fatal error: ";
constexpr std::string_view kBadKind = " Incorrect syntax in USRMSG";

// The first n characters of s, n cut to the length of s.
std::string_view head(std::string_view s, std::int32_t n) {
  return s.substr(0, std::min<std::size_t>(s.size(), static_cast<std::size_t>(std::max(n, 0))));
}

bool is_tab_or_blank(char c) { return c == ' ' || c == '\t'; }
bool is_printable(char c) { return static_cast<unsigned char>(c) > 32; }

// Adds one line to the message buffer, rolling the oldest out when it is full.
void buffer_line(std::string_view text) {
  if (textbufl.indexbuf < kTextBufLines) {
    ++textbufl.indexbuf;
  } else {
    // The oldest line's place takes the new line, which becomes entry 500.
    textbuf.dispbuf.roll();
    textbufl.lnbuf.roll();
  }
  textbuf.dispbuf(textbufl.indexbuf).assign(text);
  textbufl.lnbuf(textbufl.indexbuf) = static_cast<std::int32_t>(text.size());
}

// iprevblnk and inextblnk with the trimmed length t of string given, so that
// the wrapping of one text measures it once rather than at every search.
std::int32_t prev_blank(std::string_view string, std::int32_t ipos, std::int32_t t) {
  const std::int32_t l = static_cast<std::int32_t>(string.size());
  if (ipos > l) return l;
  if (ipos > t) return t;
  for (std::int32_t p = ipos - 1; p >= 1; --p) {
    const char c = at1(string, p);
    if (is_printable(c)) continue;
    if (is_tab_or_blank(c)) {
      if (p == 1 || !is_tab_or_blank(at1(string, p - 1))) return p;
      continue;
    }
    return ipos;  // another control character stops the search
  }
  return 1;
}

std::int32_t next_blank(std::string_view string, std::int32_t ipos, std::int32_t t) {
  const std::int32_t l = static_cast<std::int32_t>(string.size());
  if (ipos > l) return l;
  if (ipos > t) return t;
  for (std::int32_t p = std::max(ipos + 1, 1); p < t; ++p) {
    const char c = at1(string, p);
    if (is_printable(c)) continue;
    if (is_tab_or_blank(c)) {
      if (!is_tab_or_blank(at1(string, p + 1))) return p;
      continue;
    }
    return ipos;  // another control character stops the search
  }
  return t;
}

// Break point after a previous break p (the steps for the second to fifth
// lines of edisp248); the second line does not check for the end of the text.
std::int32_t next_break(std::string_view msg, std::int32_t p, std::int32_t w, std::int32_t h,
                        std::int32_t l) {
  std::int32_t k = prev_blank(msg, w + p, l);
  const std::int32_t n = next_blank(msg, w + p, l);
  if (k == p) {
    if (n >= w + p) {
      k = n;
    } else if (n == l) {
      k = l;
    } else {
      k = prev_blank(msg, w + p + h, l);
      if (k == p) k = prev_blank(msg, p + 2 * w, l);
    }
  }
  return k;
}

// The characters from..to (1-based) as a 144-character line for edisp.
void show_segment(std::int32_t itru, std::string_view msg, std::int32_t from, std::int32_t to) {
  const Text<144> line(sub1(msg, from, to));
  edisp(itru, line);
}

// Shared body of usrmsg and lusrmsg. msg2 is already blanked when it began
// with "-". cut_prompt cuts a first part shown as a prompt to its line width.
void two_part(std::string_view msg1, std::string_view msg2, char level, bool cut_prompt) {
  const std::int32_t iuout = outin.iuout;
  const bool blank2 = is_blank(msg2);
  const std::string_view part1 = trimmed_or_blank(msg1);
  const std::string_view part2 = trimmed_or_blank(msg2);

  if (spad.mmod == kModeGraph) {
    switch (level) {
      case '-':
      case '?':
        msgbox(msg1, msg2);
        return;
      case 'W':
      case 'w':
        continuebox(msg1, msg2, "continue");
        msgbox(" ", " ");
        return;
      case 'P':
      case 'p':
        msgbox(msg1, msg2);
        pauses(1);
        return;
      case 'F':
      case 'f': {
        pauses(2);
        std::string line(kFatal);
        line.append(part1);
        channel_write(iuout, line);
        channel_write(iuout, part2);
        end_program(1);
      }
      default:
        msgbox(" ", " Incorrect syntax in USRMSG.");
        pauses(1);
        return;
    }
  }

  // Lines are composed in a 124-character field: a part that does not fit is cut.
  Text<kMsgLine> line;
  // The first line (label, then the first part), then the second part unless blank.
  auto show_lines = [&](std::string_view label, std::string_view first) {
    line.assign(label);
    line.put(static_cast<std::int32_t>(label.size()) + 1, first);
    edisp(iuout, line);
    if (blank2) return;
    line.assign(part2);
    edisp(iuout, line);
  };
  switch (level) {
    case '-':
    case 'P':
    case 'p':
      show_lines("", part1);
      return;
    case 'W':
    case 'w':
      show_lines(kWarning, part1);
      return;
    case 'F':
    case 'f':
      show_lines(kFatal, part1);
      end_program(1);
    case '?': {
      std::string prompt;
      if (blank2) {
        prompt.assign(cut_prompt ? head(part1, kMsgLine) : part1);
      } else {
        line.assign(part1);
        edisp(iuout, line);
        prompt.assign(part2);
      }
      prompt.push_back(' ');
      channel_write(iuout, prompt, false);
      return;
    }
    default:
      show_lines(kBadKind, "");
      return;
  }
}

// The second part as seen by the message: blank when it begins with "-".
std::string_view second_part(std::string_view msg2) {
  if (!msg2.empty() && msg2[0] == '-') return " ";
  return msg2;
}

void second_part(Field msg2) {
  if (msg2.width() > 0 && msg2(1) == '-') msg2.blank();
}

void settle_text_mode(std::int32_t& model, std::int32_t code) {
  spad.mmod = code;
  model = code;
  spad.limtty = 24;
  spad.limit = 24;
}

void show_mode_choices(std::int32_t iout) {
  static constexpr std::string_view kLines[] = {
      "",
      " This program can be run in either a text mode or a",
      " mixed text and graphic mode on a workstation.",
      " The following choices are available: ",
      "",
      " -6 workstation shell mode (to redirect output)",
      " -2 text based display & user dialogue with page control",
      " -1 text based display & user dialogue",
      "  8 graphic display & user dialogue",
      "",
  };
  for (std::string_view l : kLines) channel_write(iout, l);
}

}  // namespace

void edisp(std::int32_t itru, std::string_view msg) {
  if (msg.empty()) msg = " ";
  const std::int32_t lnm = trimmed_length(msg);
  const std::int32_t lcc = std::min(lnm, kBufWidth);
  const std::string_view kept = head(msg, lcc);
  buffer_line(kept);

  std::int32_t status = kIoOk;
  if (spad.mmod == kModeGraph && itru == outin.iuout) {
    const Text<144> work(kept);
    const std::int32_t line = spad.limtty - spad.limit;
    spad.limit -= 1;
    if (spad.limit <= 0) spad.limit = 1;
    espad(spad.limit, spad.limtty, line);
    egdisp(work, line);
  } else {
    status = channel_write(itru, head(msg, lnm));
  }
  if (status == kIoOk || !isunix()) return;

  std::string report(" ");
  if (status == kIoPermission) {
    report.append(lnm == 1 ? "edisp: permission error writing blank/null "
                           : "edisp: permission error writing text: ");
  } else {
    report.append(lnm == 1 ? "edisp: error writing blank/null " : "edisp: error writing text: ");
  }
  if (lnm > 1) report.append(msg);
  channel_write(kOutputChannel, report);
}

std::int32_t iprevblnk(std::string_view string, std::int32_t ipos) {
  return prev_blank(string, ipos, trimmed_length(string));
}

std::int32_t inextblnk(std::string_view string, std::int32_t ipos) {
  return next_blank(string, ipos, trimmed_length(string));
}

void edisp248(std::int32_t itru, std::string_view msg, std::int32_t iwid) {
  if (iwid < 24 || iwid > 144) {
    edisp(outin.iuout, "edisp248 width is overly short or long");
    return;
  }
  if (msg.empty()) msg = " ";
  const std::int32_t l = trimmed_length(msg);
  const std::int32_t w = iwid;
  const std::int32_t h = w / 2;

  // Break points b[0] to b[6]; line k shows the characters b[k-1]+1 to b[k].
  std::int32_t b[7] = {0, 0, 0, 0, 0, 0, 0};
  b[1] = prev_blank(msg, w, l);
  {
    // The second break is searched without first asking whether the text ends
    // inside the window.
    const std::int32_t n1 = next_blank(msg, w, l);
    std::int32_t k = prev_blank(msg, w + b[1], l);
    if (k == b[1]) {
      if (n1 >= w + b[1]) {
        k = n1;
      } else if (n1 == l) {
        k = l;
      } else {
        k = prev_blank(msg, w + b[1] + h, l);
        if (k == b[1]) k = prev_blank(msg, b[1] + 2 * w, l);
      }
    }
    b[2] = k;
  }
  for (int i = 3; i <= 5; ++i) {
    const std::int32_t p = b[i - 1];
    b[i] = (w + p >= l) ? l : next_break(msg, p, w, h, l);
  }
  b[6] = (w + b[5] >= l) ? l : prev_blank(msg, w + b[5], l);

  // A search that runs past the field's width returns that width, so a break
  // can land in the padding after the text: such a segment is all blank and is
  // not shown, or a short text in a narrow field would gain an empty line.
  show_segment(itru, msg, 1, b[1]);
  for (int i = 2; i <= 5; ++i) {
    if (b[i] <= b[i - 1] || b[i - 1] >= l) continue;
    // A segment too long for a line loses everything after its 143rd character.
    const std::int32_t to = (b[i] - b[i - 1] > kBufWidth) ? b[i - 1] + kBufWidth - 1 : b[i];
    show_segment(itru, msg, b[i - 1] + 1, to);
  }
  if (b[6] > b[5] && b[5] < l) {
    show_segment(itru, msg, b[5] + 1, std::min(b[6], b[5] + kBufWidth));
  }
}

void usrmsg(std::string_view msg1, std::string_view msg2, char level) {
  two_part(msg1, second_part(msg2), level, false);
}

void usrmsg(std::string_view msg1, Field msg2, char level) {
  second_part(msg2);
  two_part(msg1, msg2, level, false);
}

void lusrmsg(std::string_view msg1, std::string_view msg2, char level) {
  two_part(msg1, second_part(msg2), level, true);
}

void lusrmsg(std::string_view msg1, Field msg2, char level) {
  second_part(msg2);
  two_part(msg1, msg2, level, true);
}

std::string terminal_safe(std::string_view text) {
  std::string shown(text);
  for (char& c : shown) {
    const unsigned char u = static_cast<unsigned char>(c);
    if ((u < 0x20 && c != '\t') || u == 0x7F) c = '?';
  }
  return shown;
}

void isunix(bool& yes) { yes = true; }

bool isunix() {
  bool yes = false;
  isunix(yes);
  return yes;
}

void epages(std::int32_t& model, std::int32_t iin, std::int32_t iout, std::int32_t iappwi,
            std::int32_t iapphi, std::int32_t iappx, std::int32_t iappy, std::int32_t menuchw,
            std::string_view title) {
  // Consecutive failed reads after which the question is given up for text mode.
  constexpr int kMaxFailedReads = 3;
  Text<5> answer;
  std::string line;
  int failed_reads = 0;
  for (;;) {
    if (answer == Text<5>("-6") || model == kModeScript) {
      return settle_text_mode(model, kModeScript);
    }
    if (answer == Text<5>("-2") || model == kModePage) return settle_text_mode(model, kModePage);
    if (answer == Text<5>("-1") || model == kModeText) return settle_text_mode(model, kModeText);
    if (answer == Text<5>("8") || model == kModeGraph) {
      spad.mmod = kModeGraph;
      model = kModeGraph;
      const Text<255> heading(title);
      if (iappwi > 99) sizehwxy(iapphi, iappwi, iappx, iappy);
      jwinint(8, heading);
      winfnt(1);
      std::int32_t igfw = 0, igfh = 0, igdw = 0, igdh = 0;
      feedbox(menuchw, 2, igfw, igfh);
      opengdisp(menuchw, spad.limtty, 2, igdw, igdh);
      msgbox(" ", " ");
      return;
    }

    channel_write(iout, " Terminal mode (? gives options): ");
    const std::int32_t got = channel_read_line(iin, line);
    // No more answers can come: go on in text mode rather than ask forever.
    if (got == kReadEnd) return settle_text_mode(model, kModeText);
    if (got != kReadLine) {
      edisp(iout, "Error reading terminal type. Try again.");
      if (++failed_reads >= kMaxFailedReads) return settle_text_mode(model, kModeText);
      continue;
    }
    failed_reads = 0;
    answer = std::string_view(line).substr(0, std::min<std::size_t>(line.size(), 5));
    if (answer == Text<5>("-6") || answer == Text<5>("-2") || answer == Text<5>("-1") ||
        answer == Text<5>("8")) {
      continue;
    }
    if (answer(1) == '?') {
      show_mode_choices(iout);
    } else {
      std::string reply("Did not understand your response: ");
      reply.append(answer.view());
      reply.append(".  Please try again.");
      channel_write(iout, reply);
    }
  }
}

void empage(std::int32_t ipag, std::int32_t iw, std::int32_t iend) {
  switch (spad.mmod) {
    case kModePage:
      if (iend == 1) return;
      if (ipag == 1) {
        channel_write(outin.iuout, "");
        channel_write(outin.iuout, " -------------------------------------------------->>", false);
        // The answer only releases the wait; at the end of input the page goes on.
        std::string answer;
        channel_read_line(outin.iuin, answer);
      }
      spad.limit = spad.limtty;
      return;
    case kModeText:
      if (iend == 1) return;
      if (ipag == 1) channel_write(outin.iuout, "  ");
      spad.limit = spad.limtty;
      return;
    case kModeScript:
      if (iend == 1) return;
      spad.limit = spad.limtty;
      return;
    case kModeGraph:
      if (iend == 1) {
        winfin();
        return;
      }
      if (ipag == 1) {
        egdispclr();
        spad.limit = spad.limtty;
      }
      if (iw == 1) continuebox("  ", "  ", "continue");
      return;
    default:
      return;
  }
}

void epage() { empage(1, 0, 0); }
void epagew() { empage(1, 1, 0); }
void epwait() { empage(0, 1, 0); }
void epagend() { empage(1, 0, 1); }

void clrtextbuf() {
  textbufl.indexbuf = 0;
  textbuf.dispbuf.fill(Text<144>());
  textbufl.lnbuf.fill(1);
}

}  // namespace vud
