// The overwrite and rename dialogue: what opening a file with existence mode 4
// does when the file is already there.
#ifndef VUD_SUPPORT_PARSE_OVERWRITE_H_
#define VUD_SUPPORT_PARSE_OVERWRITE_H_

#include <cstdint>

#include "vud_support/text/fixed_text.h"

namespace vud {

enum class OverwriteOutcome {
  kCreated,      // the file was created anew on the channel (open result in open_status)
  kRevisedName,  // longtfile now holds a revised full name to be tried from the start
  kRefused,      // no answer could be had: the existing file is left untouched
};

// Asks whether the existing file longtfile (a full name) may be overwritten on
// channel iun; otherwise asks for another name. sfile is the caller's name
// field (it takes the revised name when the user asks to remember it); ier is
// the caller's error flag, handed to the revised-name question. open_status
// receives 0 or the platform's error code of the final create.
//
// The name question starts from the caller's name: an empty answer keeps it
// (" The existing string (...) will be used.") and that name is then tested
// again, so its overwrite question comes back. A name that comes back blank
// (the blank default, confirmed) asks for the name again at once; so does one
// longer than the 144 characters of a full name, after "EFOPSEQ: a file name
// holds at most 144 characters, please give a shorter one.". A remembered
// name goes into sfile whole.
// At the end of the terminal input nothing is written over the file: the
// channel is freed, one line says so, and the outcome is kRefused.
OverwriteOutcome overwrite_dialogue(std::int32_t iun, Field sfile, Text<144>& longtfile,
                                    std::int32_t& ier, std::int32_t& open_status);

}  // namespace vud

#endif  // VUD_SUPPORT_PARSE_OVERWRITE_H_
