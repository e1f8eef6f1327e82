// Number texts: a 4-byte real as a short left-justified text whose layout is
// chosen by magnitude (rel16str, relstr, relestr), a run of reals packed into
// one delimited line (arlist), and the tolerance test eclose.
#ifndef VUD_SUPPORT_PARSE_NUMTEXT_H_
#define VUD_SUPPORT_PARSE_NUMTEXT_H_

#include <cmath>
#include <cstdint>
#include <span>

#include "vud_support/text/fixed_text.h"

namespace vud {

// Magnitude below which a value is written "0.00".
inline constexpr float kZeroTolerance = 1.0e-6F;

// Value text of relin, left-justified and blank-padded in fstr, its trimmed
// length in iswd; iflag is always 0.
//   |v| < 1e-6          "0.00"
//   |v| > 1e6           '1.234567E+06'
//   1e4 < |v| <= 1e6    five significant digits: '12346.', or '0.12346E+06'
//                       once the value rounds to 100000 or more
//   0.1 < |v| <= 1e4    five significant digits: '0.12346' .. '1234.6', '10000.'
//   1e-5 < |v| <= 0.1   '0.0123456' (7 decimals)
//   |v| <= 1e-5         '5.000000E-06'
// A value that is not a number gives 'NaN'; an infinite one 'Infinity' or
// '-Infinity'.
void rel16str(float relin, Text<16>& fstr, std::int32_t& iswd, std::int32_t& iflag);

// As rel16str into 12 characters, with its own layouts: scientific above 1e6,
// 3 decimals above 1e4, 5 decimals above 0.1, 10 decimals above 1e-5, else 4
// decimals. A value too wide for its layout fills that layout's width with "*".
void relstr(float relin, Text<12>& fstr, std::int32_t& iswd, std::int32_t& iflag);

// As rel16str with its own layouts: '0.1235E+07' above 1e6 and at or below
// 1e-3, no decimals with a trailing point above 100, 3 decimals above 1e-3.
// A value too wide for its layout fills that layout's width with "*".
void relestr(float relin, Text<16>& fstr, std::int32_t& iswd, std::int32_t& iflag);

// Packs the texts (rel16str) of rlist entries inst..inrl (1-based: entry i is
// rlist[i - 1]) into pckstr, separated by the delimiter of delm ("T" tab,
// "S" blank, "C" comma, any other letter a blank); no delimiter follows the
// last entry. inrs is the declared size of rlist; entries beyond inrs or
// beyond rlist are not read.
//
// A text must end at least two positions before the end of pckstr. When the
// next text does not fit, packing stops: length is the position where that
// text would have begun and itrunc the index of the last entry packed.
// Otherwise length is the position of the last character written (0 when
// nothing was) and itrunc is 0. pckstr is blanked first. Allocates nothing.
void arlist(std::int32_t inst, std::int32_t inrl, std::span<const float> rlist, std::int32_t inrs,
            char delm, Field pckstr, std::int32_t& length, std::int32_t& itrunc);
// The same over inrs reals starting at rlist.
inline void arlist(std::int32_t inst, std::int32_t inrl, const float* rlist, std::int32_t inrs,
                   char delm, Field pckstr, std::int32_t& length, std::int32_t& itrunc) {
  const std::size_t n = rlist == nullptr || inrs < 0 ? 0 : static_cast<std::size_t>(inrs);
  arlist(inst, inrl, std::span<const float>(rlist, n), inrs, delm, pckstr, length, itrunc);
}
// The same over a 1-based table of reals.
template <std::int32_t N>
void arlist(std::int32_t inst, std::int32_t inrl, const Table<float, N>& rlist, std::int32_t inrs,
            char delm, Field pckstr, std::int32_t& length, std::int32_t& itrunc) {
  arlist(inst, inrl, std::span<const float>(rlist.begin(), rlist.end()), inrs, delm, pckstr, length,
         itrunc);
}

// close = |r1 - r2| < tol (strictly; a difference that is not a number is
// not close). Inline: the step assignment asks it dozens of times a line.
inline void eclose(float r1, float r2, float tol, bool& close) { close = std::fabs(r1 - r2) < tol; }
inline bool eclose(float r1, float r2, float tol) { return std::fabs(r1 - r2) < tol; }

}  // namespace vud

#endif  // VUD_SUPPORT_PARSE_NUMTEXT_H_
