// Placeholder until the dialogue lands: an existing file is created anew.
#include "vud_support/parse/overwrite.h"

#include "vud_support/console/channels.h"

namespace vud {

OverwriteOutcome overwrite_dialogue(std::int32_t iun, Field /*sfile*/, Text<144>& longtfile,
                                    std::int32_t& /*ier*/, std::int32_t& open_status) {
  open_status = channel_open(iun, longtfile.trimmed(), FileAccess::kCreate);
  return OverwriteOutcome::kCreated;
}

}  // namespace vud
