// Questions on the terminal: yes or no, a text value, one of several options.
#include "vud_support/console/prompts.h"

#include <algorithm>

#include "qesh_fc/qesh_fc.h"
#include "vud_support/console/channels.h"
#include "vud_support/console/help.h"
#include "vud_support/console/messages.h"
#include "vud_support/console/records.h"

namespace vud {
namespace {

// The answer of the multiple-choice dialog that asks for help.
constexpr std::int32_t kDialogHelp = 8;
// Answers are read into a field as wide as the library's long texts, room
// for a whole file name and more.
constexpr std::int32_t kAnswerWidth = 248;

// Appends s to a composition field after its first `used` characters; the
// field keeps its width and `used` never passes it.
void append(Field f, std::int32_t& used, std::string_view s) {
  f.put(used + 1, s);
  used = std::min(f.width(), used + static_cast<std::int32_t>(s.size()));
}

char first_char(const std::string& line) { return line.empty() ? ' ' : line[0]; }

// The first two characters of an answer line are blank (or missing).
bool answer_is_blank(const std::string& line) { return is_blank(Text<2>(line).view()); }

bool starts_with_unknown(std::string_view s) {
  const std::string_view head = s.substr(0, 7);
  return head == "UNKNOWN" || head == "unknown" || head == "Unknown";
}

// An answer to easks: a text, a request for the default or for help, or
// nothing (the terminal could not be read).
enum class AnswerKind { kText, kDefault, kHelp, kUnread };
struct StringAnswer {
  AnswerKind kind = AnswerKind::kUnread;
  Text<kAnswerWidth> text;
};

// What an answer to easks comes to: the value is settled, the question has
// failed, or it is asked again.
enum class Settled { kAnswered, kFailed, kAskAgain };

// Ends the line of a prompt that got no answer, so that what is shown next
// starts a line of its own.
void end_prompt_line() { channel_write(outin.iuout, ""); }

}  // namespace

std::int32_t read_terminal_line(std::string& line) {
  channel_flush_all();
  return channel_read_line(outin.iuin, line);
}

bool askok(std::string_view msg1, std::string_view msg2, bool& ok, bool dok, std::int32_t nhelp) {
  const bool has_default = nhelp != -1;
  std::int32_t nh = 0, ier = 0;
  helpwithblank("Ok dialog", nhelp, nh, ier);

  if (spad.mmod == kModeGraph) {
    std::int32_t iwhich = 0;
    if (!has_default) {
      easkatog(msg1, msg2, "yes", "no", " ", " ", " ", " ", " ", iwhich, nh);
    } else if (dok) {
      easkatog(msg1, msg2, "yes (default)", "no", " ", " ", " ", " ", " ", iwhich, nh);
    } else {
      easkatog(msg1, msg2, "yes", "no (default)", " ", " ", " ", " ", " ", iwhich, nh);
    }
    if (iwhich == 1) {
      ok = true;
    } else if (iwhich == 2) {
      ok = false;
    } else if (has_default) {
      ok = dok;
    }
    usrmsg(" ", " ", '-');
    return true;
  }

  const std::string_view choice = !has_default ? " [Y]es [N]o ?"
                                  : dok        ? " [Y]es (default) or [N]o ?"
                                               : " [Y]es or [N]o (default) ?";
  // A question too long for the line is cut so that the choice text still ends it.
  Text<124> line2;
  const std::int32_t room = line2.width() - static_cast<std::int32_t>(choice.size());
  const std::string_view question =
      trimmed_or_blank(msg2).substr(0, static_cast<std::size_t>(room));
  line2 = question;
  line2.put(static_cast<std::int32_t>(question.size()) + 1, choice);

  for (;;) {
    channel_write(outin.iuout, trimmed_or_blank(msg1));
    channel_write(outin.iuout, line2.trimmed());
    std::string answer;
    if (read_terminal_line(answer) != kReadLine) {
      edisp(outin.iuout, "ASKOK: error composing prompt.");
      return false;
    }
    const char c = first_char(answer);
    if (c == 'Y' || c == 'y') {
      ok = true;
      return true;
    }
    if (c == 'N' || c == 'n') {
      ok = false;
      return true;
    }
    if (has_default && (c == 'D' || c == 'd')) {
      ok = dok;
      return true;
    }
    usrmsg(" ", "You must make a choice!", '-');
  }
}

bool easks(Field strval, std::string_view promp1, std::string_view promp2, std::int32_t istrw,
           std::string_view dstr, std::string_view ermsg, std::int32_t& ier, std::int32_t nhelp) {
  const bool graph = spad.mmod == kModeGraph;
  // The value as given is kept whole: an empty answer, an unanswerable
  // question and a help request all come back to it, whatever its width.
  const std::string remembered(strval.view());
  const bool remembered_blank = is_blank(remembered);
  const std::int32_t last = strval.trimmed_length();
  const std::int32_t keep = std::clamp(istrw, 1, std::min(kAnswerWidth, strval.width()));

  auto give_back = [&]() { strval.assign(remembered); };
  auto tell_existing = [&]() {
    constexpr std::string_view kHead = " The existing string (";
    constexpr std::string_view kTail = ") will be used.";
    const std::int32_t room = 124 - static_cast<std::int32_t>(kHead.size() + kTail.size());
    Text<124> line = kHead;
    std::int32_t used = static_cast<std::int32_t>(kHead.size());
    append(line, used, sub1(remembered, 1, std::min(last, room)));
    append(line, used, kTail);
    channel_write(outin.iuout, line.trimmed());
  };

  // Step 1: the answer, from the dialog (mode 8) or from the terminal.
  auto dialog_answer = [&](std::int32_t nh) {
    openaskbox(promp1, promp2, istrw);
    std::int32_t width = 0, wier = 0;
    phelpw(nh, width, wier);
    Table<Text<72>, kHelpLines> copy;
    dupphelp(copy);
    updhelp(copy, nh, width);
    std::int32_t id = 0, iq = 0;
    askdialog(strval, id, iq);
    StringAnswer answer;
    c2fstr(strval.view(), answer.text);
    answer.kind = id == 1 ? AnswerKind::kDefault : AnswerKind::kText;
    return answer;
  };
  auto terminal_answer = [&]() {
    if (strval.is_blank()) {
      edisp(outin.iuout, "(currently blank)");
    } else {
      Text<124> line = "(currently: ";
      std::int32_t used = 12;
      append(line, used, sub1(strval.view(), 1, std::min(last, 111)));
      append(line, used, ")");
      edisp(outin.iuout, line.view());
    }
    usrmsg(promp1, promp2, '?');
    StringAnswer answer;
    std::string input;
    if (read_terminal_line(input) != kReadLine) {
      end_prompt_line();
      edisp(outin.iuout, "EASKS: error composing prompt.");
      answer.kind = AnswerKind::kUnread;
      return answer;
    }
    answer.text = input;
    answer.kind = AnswerKind::kText;
    if (answer.text.trimmed_length() == 1) {
      const char c = answer.text(1);
      if (c == 'D' || c == 'd') answer.kind = AnswerKind::kDefault;
      if (c == 'H' || c == 'h' || c == '?') answer.kind = AnswerKind::kHelp;
    }
    return answer;
  };

  // Step 2: what the answer makes of strval, the same in every mode.
  auto settle = [&](const StringAnswer& answer, std::int32_t nh) {
    switch (answer.kind) {
      case AnswerKind::kUnread:
        give_back();
        return Settled::kFailed;
      case AnswerKind::kDefault: {
        // The default, once the user confirms it.
        Text<124> line = "The default is `";
        std::int32_t used = 16;
        append(line, used, trimmed_or_blank(dstr).substr(0, 106));
        append(line, used, "`.");
        bool ok = true;
        if (!askok(line.view(), "Is this ok?", ok, true, nh)) {
          give_back();
          return Settled::kFailed;
        }
        if (!ok) return Settled::kAskAgain;
        strval.assign(trimmed(dstr));
        return Settled::kAnswered;
      }
      case AnswerKind::kHelp:
        phelpd("ask user string", nh, "-", 0, 0, ier);
        return Settled::kAskAgain;
      case AnswerKind::kText:
        break;
    }
    if (!answer.text.is_blank()) {
      strval.assign(sub1(answer.text.view(), 1, keep));
      return Settled::kAnswered;
    }
    if (!remembered_blank) {
      tell_existing();
      give_back();
      return Settled::kAnswered;
    }
    usrmsg(" The current string is blank!", " Please re-enter.", 'W');
    // The inert dialog cannot supply a value: asking it again would never end.
    return graph ? Settled::kFailed : Settled::kAskAgain;
  };

  for (;;) {
    give_back();
    if (last > 6 && starts_with_unknown(remembered)) strval.blank();
    std::int32_t nh = 0;
    helpwithblank(ermsg, nhelp, nh, ier);
    const Settled settled = settle(graph ? dialog_answer(nh) : terminal_answer(), nh);
    if (settled == Settled::kAskAgain) continue;
    if (graph) usrmsg(" ", " ", '-');  // mode 8 clears its dialog area on the way out
    return settled == Settled::kAnswered;
  }
}

bool easkatog(std::string_view msg1, std::string_view msg2, std::string_view aopt,
              std::string_view bopt, std::string_view copt, std::string_view dopt,
              std::string_view eopt, std::string_view fopt, std::string_view gopt,
              std::int32_t& iwhich, std::int32_t nhelp) {
  if (spad.mmod == kModeGraph) {
    // The dialog hands back the choice, or kDialogHelp for a help request;
    // the inert dialog hands back nothing, so the choice stays 0.
    std::int32_t iok = 0;
    abcdefbox(msg1, msg2, aopt, bopt, copt, dopt, eopt, fopt, gopt, iok);
    while (iok == kDialogHelp) {
      std::int32_t nh = 0, ier = 0;
      helpwithblank("multi-choice dialog", nhelp, nh, ier);
      phelpd("multi-choice", nh, "-", 0, 0, ier);
      abcdefbox(msg1, msg2, aopt, bopt, copt, dopt, eopt, fopt, gopt, iok);
    }
    iwhich = iok;
    return true;
  }

  // The first absent label from copt on ends the list.
  std::int32_t count = 7;
  if (trimmed_length(gopt) <= 1) count = 6;
  if (trimmed_length(fopt) <= 1) count = 5;
  if (trimmed_length(eopt) <= 1) count = 4;
  if (trimmed_length(dopt) <= 1) count = 3;
  if (trimmed_length(copt) <= 1) count = 2;

  Text<248> options;
  std::int32_t used = 0;
  append(options, used, " ");
  append(options, used, trimmed_or_blank(msg2));
  if (count <= 5) {
    append(options, used, "  a) ");
    append(options, used, trimmed_or_blank(aopt));
    append(options, used, ", b) ");
    append(options, used, trimmed_or_blank(bopt));
    if (count >= 3) {
      append(options, used, ", c) ");
      append(options, used, trimmed_or_blank(copt));
    }
    if (count >= 4) {
      append(options, used, ", e) ");
      append(options, used, trimmed_or_blank(dopt));
    }
    if (count >= 5) {
      append(options, used, ", f) ");
      append(options, used, trimmed_or_blank(eopt));
    }
  } else {
    const std::string_view labels[] = {" a) ", " b) ", " c) ", " e) ", " f) ", " g) "};
    const std::string_view texts[] = {aopt, bopt, copt, dopt, eopt, fopt};
    for (int i = 0; i < 6; ++i) {
      append(options, used, labels[i]);
      append(options, used, trimmed_or_blank(texts[i]));
    }
    if (count == 7) {
      append(options, used, " i) ");
      append(options, used, trimmed_or_blank(gopt));
    }
  }
  append(options, used, " ? ");

  for (;;) {
    std::int32_t nh = 0, ier = 0;
    helpwithblank(options.view(), nhelp, nh, ier);
    lusrmsg(msg1, options.view(), '?');
    std::string answer;
    if (read_terminal_line(answer) != kReadLine) {
      end_prompt_line();
      edisp(outin.iuout, "EASKATOG: error composing prompt.");
      iwhich = 0;
      return false;
    }
    switch (first_char(answer)) {
      case 'a':
      case 'A':
        iwhich = 1;
        return true;
      case 'b':
      case 'B':
        iwhich = 2;
        return true;
      case 'c':
      case 'C':
        iwhich = 3;
        return true;
      case 'e':
      case 'E':
        iwhich = 4;
        return true;
      case 'f':
      case 'F':
        iwhich = 5;
        return true;
      case 'g':
      case 'G':
        iwhich = 6;
        return true;
      case 'i':
      case 'I':
        iwhich = 7;
        return true;
      case 'h':
      case 'H':
      case '?': {
        std::int32_t nh2 = 0;
        helpwithblank("multi-choice dialog", nhelp, nh2, ier);
        phelpd("multi-choice dialog", nh2, "-", 0, 0, ier);
        break;
      }
      default:
        if (answer_is_blank(answer)) {
          usrmsg("The current answer is blank!", "Please re-enter.", 'W');
        } else {
          usrmsg(" ", "You must make a choice!", '-');
        }
        break;
    }
  }
}

}  // namespace vud
