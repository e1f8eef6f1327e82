// File opening and paths: names become full names through the path prefix,
// files are opened on channels by existence mode, and channels are released
// (with or without their file).
#include "vud_support/parse/files.h"

#include <cstdio>
#include <string>

#include "vud_support/console/channels.h"
#include "vud_support/console/messages.h"
#include "vud_support/console/records.h"
#include "vud_support/parse/overwrite.h"

namespace vud {

namespace {

bool is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// A name that stands for "no file": blank, or beginning "UNKN"/"unkn".
bool names_no_file(std::string_view name) {
  if (is_blank(name)) return true;
  const std::string_view head = name.substr(0, 4);
  return head == "UNKN" || head == "unkn";
}

// Opens an existing file with its content kept; a file that may only be read
// (a log handed out read-only) is still opened, for reading.
std::int32_t open_old(std::int32_t iun, std::string_view name) {
  const std::int32_t code = channel_open(iun, name, FileAccess::kOld);
  if (code == 0) return 0;
  return channel_open(iun, name, FileAccess::kRead) == 0 ? 0 : code;
}

void report_open_failure(std::int32_t code, std::string_view full_name) {
  char text[48];
  std::snprintf(text, sizeof text, "Error (%5d) opening the file", static_cast<int>(code));
  lusrmsg(text, full_name, 'W');
}

void release(std::int32_t iun, std::int32_t& istat, bool remove_file, std::string_view refusal) {
  if (iun == kErrorChannel) {
    usrmsg(" ", refusal, 'W');
    istat = 1;
    return;
  }
  if (channel_is_open(iun)) channel_close(iun, remove_file);
  istat = 0;
}

}  // namespace

void addpath(Field sfile, Field tfile, bool& concat) {
  const std::string_view path = rpath.path.view();
  concat = true;
  if (is_blank(path) || path.substr(0, 2) == "./" || path.substr(0, 2) == ".\\") {
    concat = false;
  } else if (sfile.width() >= 1 && sfile(1) == '/') {
    concat = false;
  } else if (sfile.width() >= 2 && is_letter(sfile(1)) && sfile(2) == ':') {
    // A drive path written on another platform: mapped under /usr/.
    concat = false;
    std::string name = "/usr/";
    if (sfile.width() >= 4) name.append(sub1(sfile, 4, sfile.trimmed_length()));
    for (char& c : name) {
      if (c == '\\') c = '/';
    }
    sfile.assign(name);
    edisp(outin.iuout, " addpath: warning found windows path changing to unix.");
    edisp(outin.iuout, std::string(" addpath: ") + std::string(sfile.trimmed()));
  }
  if (concat) {
    std::string full(trimmed(path));
    full.append(sfile.trimmed());
    tfile.assign(full);
  } else {
    tfile.assign(sfile.trimmed());
  }
}

void efopseq(std::int32_t iun, Field sfile, std::int32_t iexist, std::int32_t& ier) {
  if (names_no_file(sfile)) {
    ier = kIerNoFile;
    return;
  }
  Text<kFullNameWidth> longtfile;
  bool concat = false;
  addpath(sfile, longtfile, concat);

  std::int32_t code = 0;
  for (;;) {
    if (iun != kErrorChannel) {
      std::int32_t istat = 0;
      erpfree(iun, istat);
    }
    const std::string_view full = longtfile.trimmed();
    const bool exists = file_exists(full);
    switch (iexist) {
      case kExistOpen:
      case kExistMust:
        if (!exists) {
          if (iexist == kExistMust) lusrmsg("Could not find", full, 'W');
          ier = kIerNoFile;
          return;
        }
        // The file is only read: opened read-only, even when it is writable.
        code = channel_open(iun, full, FileAccess::kRead);
        break;
      case kExistMustNot:
        if (exists) {
          lusrmsg(full, "already exists (and should not)!", 'W');
          ier = kIerFileExists;
          return;
        }
        code = channel_open(iun, full, FileAccess::kCreate);
        break;
      case kExistEither:
        code = exists ? open_old(iun, full) : channel_open(iun, full, FileAccess::kCreate);
        break;
      case kExistAskOverwrite:
        if (!exists) {
          code = channel_open(iun, full, FileAccess::kCreate);
          break;
        }
        switch (overwrite_dialogue(iun, sfile, longtfile, ier, code)) {
          case OverwriteOutcome::kCreated:
            break;
          case OverwriteOutcome::kRevisedName:
            continue;  // the revised name is tested from the release on
          case OverwriteOutcome::kRefused: {
            // Nothing may be written over the existing file: leave the
            // channel free and tell the caller.
            std::int32_t istat = 0;
            if (iun != kErrorChannel) erpfree(iun, istat);
            ier = kIerOverwriteRefused;
            return;
          }
        }
        break;
      default:
        ier = kIerUnknownMode;
        return;
    }
    break;
  }
  if (code != 0) {
    report_open_failure(code, longtfile.trimmed());
    ier = code;
  }
}

void erpfree(std::int32_t iun, std::int32_t& istat) {
  release(iun, istat, false, " Unable to free error channel!");
}

void efdelet(std::int32_t iun, std::int32_t& istat) {
  release(iun, istat, true, " Unable to delete error channel!");
}

}  // namespace vud
