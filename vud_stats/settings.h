// Run settings of the statistics tool: the command line (partfa), the help
// text, the start-up of a run up to the opening of the log and the report, the
// naming of the report file and the action check.
#ifndef VUD_STATS_SETTINGS_H_
#define VUD_STATS_SETTINGS_H_

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "vud_support/console/records.h"
#include "vud_support/text/fixed_text.h"

namespace vud {

inline constexpr std::int32_t kMaxExcluded = 4;  // entries of ixsen

// Stage results: a stage either lets the run go on or ends it with an exit
// status (0 for the orderly ends that did their job, 1 for every failure).
inline constexpr std::int32_t kRunGoesOn = -1;
inline constexpr std::int32_t kExitDone = 0;
inline constexpr std::int32_t kExitFailed = 1;

// The settings of one run, set before the first pass and read-only afterwards.
struct RunSettings {
  std::int32_t modl = kModeText;  // terminal mode handed to epages
  Text<144> inf{"UNKNOWN"};       // input log as given
  Text<16> act{"NONE"};           // action; only its first character counts
  std::int32_t itol = 30;         // tolerance in seconds
  std::int32_t irepsen = 0;       // restrict to this sensor index (0 none)
  Text<8> repsen{"-"};            // restrict to this sensor name ("-..." none)
  std::int32_t incdbt = 1, incrh = 1, inclux = 1, incpir = 1, incsw = 1;
  std::int32_t nbixsen = 0;  // excluded names in use
  Table<Text<8>, kMaxExcluded> ixsen;
  bool restrictreport = false;
  char fs = '/';            // path separator
  Text<144> inter;          // input log as used from step 7 on
  Text<144> lfout;          // report file name
  std::int32_t iunit = 10;  // log channel
  std::int32_t iuf = 11;    // report channel
};

// The first character of act, the letter every later stage looks at.
inline char action_letter(const RunSettings& rs) { return rs.act(1); }

// Results of partfa.
inline constexpr std::int32_t kPartfaRead = 0;         // settings read; the run goes on
inline constexpr std::int32_t kPartfaHelp = 1;         // help shown; the run ends
inline constexpr std::int32_t kPartfaNameTooLong = 2;  // input name refused; the run ends

// Reads the command line args (the arguments after the program name) into the
// settings. Every output is set to its default first. Shows the help text and
// returns kPartfaHelp when "-help" is met; a value that cannot be read shows
// "Problem with command line parameter." and stops the parse with the settings
// read so far (kPartfaRead). A fifth "-ex" is refused the same way. An input
// file name (bare or after "-file") is taken whole, trailing blanks dropped;
// one longer than the 144 characters of inf is never cut into another name:
// "ERROR: input file name longer than 144 characters: " and the name are shown
// and the result is kPartfaNameTooLong.
std::int32_t partfa(std::int32_t& termtype, Text<144>& inf, Text<16>& act, std::int32_t& itol,
                    std::int32_t& irepsen, std::int32_t& incdbt, std::int32_t& incrh,
                    std::int32_t& inclux, std::int32_t& incpir, std::int32_t& incsw,
                    Text<8>& repsen, std::int32_t& nbixsen, Table<Text<8>, kMaxExcluded>& ixsen,
                    std::span<const char* const> args);

// Shows the help text through edisp on the terminal channel (20 lines in the
// variant build, which leaves out the JEX 1 line and the three -name lines).
void show_help();

// Start-up of a run: clearing, terminal channels, partfa, terminal mode, the
// blank line, the input-file check and " the input file is: ". Returns
// kRunGoesOn, or the exit status of a run that ends here (help shown: 0; no
// input file or a refused one: 1).
std::int32_t start_up(RunSettings& rs, std::span<const char* const> args);

// Opens the log on channel iunit, names and opens the report on iuf (unless
// the action is scan-and-list), writes " processing..." and checks the action.
// A log that is not a regular file (a pipe, a terminal) cannot be read a
// second time: unless the action is scan-and-list, which reads it once, it is
// refused with a warning naming it, before any report is made. Returns
// kRunGoesOn or the exit status 1.
std::int32_t open_files(RunSettings& rs);

// Ends a run that failed once its files were open: releases the log and the
// report channels, waits for the page and ends it. Returns kExitFailed.
std::int32_t end_failed_run(const RunSettings& rs);

// A sensor index as text: three digits with leading zeros up to 999, every
// digit from 1000 on (so that no index turns into asterisks).
std::string index_text(std::int32_t index);

// The report file name made from the log name inter (see the naming rules:
// "site.csv" -> "site.text", index 7 -> "site-007.text", "site.log" ->
// "site.logtext"). irepsen > 0 restricts by index, else a repsen not
// beginning with "-" restricts by name; the name goes in without blanks
// ("-name 2613" gives "site-2613.text"). A name longer than lfout is not cut
// into another name: lfout is left blank and the result is false.
bool compose_report_name(std::string_view inter, std::int32_t irepsen, const Text<8>& repsen,
                         Text<144>& lfout);

// Whether the action letter names something the tool can do: b, B, s, S, u,
// U, -, l, L or 2.
bool is_usable_action(char letter);

// Whether the letter asks for the scan-and-list action.
inline bool is_scan_and_list(char letter) { return letter == 'l' || letter == 'L'; }

}  // namespace vud

#endif  // VUD_STATS_SETTINGS_H_
