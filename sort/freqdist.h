// Frequency distribution of integer data: equal-width bins, counts,
// cumulative counts and percentages, the most frequent bin, and an optional
// table of the whole distribution shown through the message sink.
#ifndef SORT_FREQDIST_H_
#define SORT_FREQDIST_H_

#include <cstdint>

namespace vud {

// Bins the nx values of ix. The range starts from iamin = 10000 and
// iamax = -10000 and takes every value in (so iamin is never above 10000 and
// iamax never below -10000). The bin width w is the first of 1 to 11 for
// which (iamax - iamin) / w < ny, else 12; bin b (from 1) holds
// iamin + (b-1)w <= v < iamin + bw. inbin and icbin (ny entries each) receive
// the counts and cumulative counts of the bins used; ifreq, ifreqbin and
// ibinval the highest count, its bin (the lowest-numbered on ties) and that
// bin's lower bound (ibinval is left alone when every bin is empty; ifreq and
// ifreqbin are then 0). With itrc > 0 the range line, two headings and one
// line per bin are shown on channel itru through edisp. nb is not used.
// When even w = 12 needs more than ny bins, only ny bins are used and values
// beyond the last one are counted in its "above" figure.
void intfreqb(std::int32_t itrc, std::int32_t itru, const std::int32_t* ix, std::int32_t nx,
              std::int32_t* inbin, std::int32_t* icbin, std::int32_t ny, std::int32_t nb,
              std::int32_t& iamin, std::int32_t& iamax, std::int32_t& ifreq, std::int32_t& ifreqbin,
              std::int32_t& ibinval);

}  // namespace vud

#endif  // SORT_FREQDIST_H_
