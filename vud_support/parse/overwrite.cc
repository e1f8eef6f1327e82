// The overwrite and rename dialogue of efopseq mode 4: an existing file is
// only created anew once the user agrees; otherwise another name is asked for
// and handed back to be tested from the start.
#include "vud_support/parse/overwrite.h"

#include "vud_support/console/channels.h"
#include "vud_support/console/messages.h"
#include "vud_support/console/prompts.h"
#include "vud_support/console/records.h"
#include "vud_support/parse/files.h"

namespace vud {
namespace {

constexpr std::string_view kOverwriteHelp[] = {
    "The displayed file exists. Please confirm if you",
    "want to overwrite it. A no allows you to rename.",
    "You might want to rename the current file, if",
    "for example you made a mistake and want to",
    "create a temporary file name.",
};
constexpr std::string_view kRenameHelp[] = {
    "Give the file name relative to the configuration file",
    "location.",
    "If you choose to remember the new file name, it will",
    "be included in the model. If, for example you made a",
    "mistake and enter a temporary file name, this will",
    "not affect your model.",
};

template <std::size_t N>
std::int32_t set_help(const std::string_view (&lines)[N]) {
  std::int32_t i = 0;
  for (std::string_view line : lines) pophelp.h(++i) = line;
  return i;
}

// The terminal gave no answer: nothing is written over the existing file.
OverwriteOutcome refuse(std::int32_t iun) {
  std::int32_t istat = 0;
  if (iun != kErrorChannel) erpfree(iun, istat);
  edisp(outin.iuout, "EFOPSEQ: no answer, the existing file is left as it was.");
  return OverwriteOutcome::kRefused;
}

}  // namespace

OverwriteOutcome overwrite_dialogue(std::int32_t iun, Field sfile, Text<144>& longtfile,
                                    std::int32_t& ier, std::int32_t& open_status) {
  // Held open so that a yes can delete it through its channel.
  channel_open(iun, longtfile.trimmed(), FileAccess::kOld);

  const std::int32_t nhelp = set_help(kOverwriteHelp);
  bool ok = true;
  if (!askok(longtfile.view(), "Overwrite this file?", ok, true, nhelp)) return refuse(iun);
  std::int32_t istat = 0;
  if (ok) {
    efdelet(iun, istat);
    open_status = channel_open(iun, longtfile.trimmed(), FileAccess::kCreate);
    return OverwriteOutcome::kCreated;
  }

  // One character wider than a full name, so that a longer answer is seen
  // and refused rather than cut into the name of another file.
  Text<kFullNameWidth + 1> lfil;
  std::int32_t nrename = 0;
  for (;;) {
    erpfree(iun, istat);
    nrename = set_help(kRenameHelp);
    lfil = sfile.trimmed();
    if (!easks(lfil, "Revised file name?", " ", lfil.width(), " ", "revised file name", ier,
               nrename)) {
      return refuse(iun);
    }
    if (lfil.trimmed_length() > kFullNameWidth) {
      edisp(outin.iuout,
            "EFOPSEQ: a file name holds at most 144 characters, please give a shorter one.");
      continue;
    }
    if (!lfil.is_blank()) break;
  }

  bool concat = false;
  addpath(lfil, longtfile, concat);
  bool remember = true;
  if (!askok(" ", " Remember the new file name?", remember, true, nrename)) return refuse(iun);
  if (remember) sfile.assign(lfil.view());
  return OverwriteOutcome::kRevisedName;
}

}  // namespace vud
