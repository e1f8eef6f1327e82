// File opening and paths: every file of the statistics tool is opened on a
// channel through efopseq, by an existence mode; erpfree releases a channel
// and efdelet releases it and deletes its file.
#ifndef VUD_SUPPORT_PARSE_FILES_H_
#define VUD_SUPPORT_PARSE_FILES_H_

#include <cstdint>

#include "vud_support/text/fixed_text.h"

namespace vud {

// Existence modes of efopseq.
inline constexpr std::int32_t kExistOpen = 0;     // open an existing file; missing: silent -301
inline constexpr std::int32_t kExistMust = 1;     // as 0, but a missing file is warned about
inline constexpr std::int32_t kExistMustNot = 2;  // create a new file; an existing one: -300
inline constexpr std::int32_t kExistEither = 3;   // open an existing file or create a new one
inline constexpr std::int32_t kExistAskOverwrite =
    4;  // create; an existing file goes to the dialogue

// Error flag values of efopseq. A positive value other than 1 is the
// platform's error code of a failed open.
inline constexpr std::int32_t kIerNoFile = -301;      // blank or "UNKN..." name, or missing file
inline constexpr std::int32_t kIerFileExists = -300;  // mode 2 and the file exists
inline constexpr std::int32_t kIerOverwriteRefused =
    -302;                                           // mode 4: no answer, file left untouched
inline constexpr std::int32_t kIerUnknownMode = 1;  // iexist not 0 to 4

// Width of a full file name built by addpath.
inline constexpr std::int32_t kFullNameWidth = 144;

// Opens the file named in sfile on channel iun as a sequential text file.
// A name whose first two characters are blank, or that begins "UNKN" or
// "unkn", gives ier -301 at once. Otherwise the full name comes from addpath,
// iun (unless 0) is released first, and the mode decides:
//   0: exists -> opened read-only; missing -> ier -301, nothing shown.
//   1: exists -> opened read-only; missing -> warning "Could not find" + full
//      name, -301.
//   2: exists -> warning full name + "already exists (and should not)!", -300;
//      missing -> created.
//   3: exists -> opened for reading and writing, content kept (read-only
//      when it may only be read); missing -> created.
//   4: missing -> created; exists -> the overwrite dialogue, which creates it
//      anew or hands back a revised name that is tried from the release on;
//      when the dialogue can get no answer, ier -302, the file is untouched and
//      iun is left free.
//   other: ier 1, nothing opened.
// A failed open shows "Error (" code ") opening the file" with the full name
// (kind "W") and sets ier to the platform's positive code. On success ier is
// left as the caller set it (callers clear it first), except that the mode 4
// dialogue's revised-name question receives it. sfile may be replaced by a
// revised name (mode 4) or a converted drive path (addpath).
void efopseq(std::int32_t iun, Field sfile, std::int32_t iexist, std::int32_t& ier);

// Full name of sfile in tfile: rpath.path (trimmed) in front of sfile
// (trimmed), unless the path is blank or the current-directory prefix "./" (or
// "." and a backslash), or sfile begins with "/"; concat tells whether the
// prefix was put in front. A drive path ("C:\...") met with a real prefix is
// rewritten in sfile as "/usr/" + the name from its fourth character with
// backslashes turned to "/", and two warning lines are shown on outin.iuout.
// tfile is cut to its width (efopseq passes a full-name field of 144).
void addpath(Field sfile, Field tfile, bool& concat);

// Closes channel iun if it holds an open file; istat 0. Channel 0 cannot be
// freed: " Unable to free error channel!" is shown (kind "W") and istat is 1.
void erpfree(std::int32_t iun, std::int32_t& istat);

// As erpfree, and the closed file is deleted; channel 0 shows
// " Unable to delete error channel!" and gives istat 1.
void efdelet(std::int32_t iun, std::int32_t& istat);

}  // namespace vud

#endif  // VUD_SUPPORT_PARSE_FILES_H_
