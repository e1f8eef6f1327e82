// Frequency distribution of integer data and its printed table.
#include "sort/freqdist.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "vud_support/console/messages.h"
#include "vud_support/parse/lines.h"
#include "vud_support/text/fixed_text.h"

namespace vud {

namespace {

// Starting values of the range: the smallest is never reported above 10000
// and the largest never below -10000.
constexpr std::int32_t kRangeStartMin = 10000;
constexpr std::int32_t kRangeStartMax = -10000;
constexpr std::int32_t kWidestTestedBin = 11;
constexpr std::int32_t kFallbackBinWidth = 12;

// Integer right-aligned in width characters; asterisks fill a width it does
// not fit.
void put_int(std::string& out, std::int64_t v, int width) {
  char buf[32];
  const int n = std::snprintf(buf, sizeof buf, "%*lld", width, static_cast<long long>(v));
  if (n > width) {
    out.append(static_cast<std::size_t>(width), '*');
  } else {
    out.append(buf, static_cast<std::size_t>(n));
  }
}

// Fixed point with two decimals in width characters; asterisks when too wide,
// "NaN" right-aligned for a value that is not a number.
void put_fixed(std::string& out, float v, int width) {
  char buf[64];
  int n = 0;
  if (std::isnan(v)) {
    n = std::snprintf(buf, sizeof buf, "%*s", width, "NaN");
  } else if (std::isinf(v)) {
    n = std::snprintf(buf, sizeof buf, "%*s", width, v < 0 ? "-Infinity" : "Infinity");
  } else {
    n = std::snprintf(buf, sizeof buf, "%*.2f", width, static_cast<double>(v));
  }
  if (n > width || n < 0) {
    out.append(static_cast<std::size_t>(width), '*');
  } else {
    out.append(buf, static_cast<std::size_t>(n));
  }
}

float percent(std::int32_t count, std::int32_t total) {
  return static_cast<float>(count) / static_cast<float>(total) * 100.0f;
}

// Range label of a bin: "lo-" for width 1, "lo-hi" otherwise, with its blanks
// removed by the delimiter rewrite in its "N" mode.
Text<10> range_label(std::int64_t lo, std::int32_t w) {
  std::string raw;
  put_int(raw, lo, 3);
  raw.push_back('-');
  if (w > 1) put_int(raw, lo + w, 3);
  const Text<10> label(raw);
  Text<10> packed;
  sdelim(label, packed, 'N', 0);
  return packed;
}

}  // namespace

void intfreqb(std::int32_t itrc, std::int32_t itru, const std::int32_t* ix, std::int32_t nx,
              std::int32_t* inbin, std::int32_t* icbin, std::int32_t ny, std::int32_t /*nb*/,
              std::int32_t& iamin, std::int32_t& iamax, std::int32_t& ifreq, std::int32_t& ifreqbin,
              std::int32_t& ibinval) {
  iamax = kRangeStartMax;
  iamin = kRangeStartMin;
  for (std::int32_t p = 0; p < nx; ++p) {
    iamax = std::max(iamax, ix[p]);
    iamin = std::min(iamin, ix[p]);
  }
  if (itrc > 0) {
    std::string line = "The data range is";
    put_int(line, iamin, 8);
    line += " to";
    put_int(line, iamax, 8);
    edisp(itru, line);
  }

  // Widths and bin numbers in 64 bits: the range of two 32-bit values need
  // not fit in 32.
  const std::int64_t range = static_cast<std::int64_t>(iamax) - iamin;
  std::int32_t w = kFallbackBinWidth;
  for (std::int32_t trial = 1; trial <= kWidestTestedBin; ++trial) {
    if (range / trial < ny) {
      w = trial;
      break;
    }
  }
  // Never more bins than the caller's tables hold.
  const std::int64_t wanted = range / w + 1;
  const std::int32_t nbins =
      static_cast<std::int32_t>(std::max<std::int64_t>(0, std::min<std::int64_t>(wanted, ny)));

  for (std::int32_t b = 0; b < nbins; ++b) {
    inbin[b] = 0;
    icbin[b] = 0;
  }
  std::int32_t below = 0;
  std::int32_t above = 0;
  for (std::int32_t p = 0; p < nx; ++p) {
    const std::int64_t bin = (static_cast<std::int64_t>(ix[p]) - iamin) / w + 1;
    if (bin <= 0) {
      ++below;
    } else if (bin > nbins) {
      ++above;
    } else {
      ++inbin[bin - 1];
    }
  }

  ifreq = 0;
  ifreqbin = 0;
  for (std::int32_t b = 1; b <= nbins; ++b) {
    if (inbin[b - 1] > ifreq) {
      ifreq = inbin[b - 1];
      ifreqbin = b;
      ibinval = static_cast<std::int32_t>(iamin + static_cast<std::int64_t>(b - 1) * w);
    }
  }
  for (std::int32_t b = 1; b <= nbins; ++b) {
    icbin[b - 1] = (b == 1 ? 0 : icbin[b - 2]) + inbin[b - 1];
  }
  const std::int32_t total = nbins > 0 ? icbin[nbins - 1] : 0;

  if (itrc <= 0) return;
  edisp(itru, " Bin  data    Distri-  freq.   cumulative  cumulative");
  edisp(itru, "      range   bution    (%)   distribution  freq (%)");
  std::string line;
  line.reserve(124);
  for (std::int32_t b = 1; b <= nbins; ++b) {
    const std::int64_t lo = iamin + static_cast<std::int64_t>(b - 1) * w;
    line.clear();
    put_int(line, b, 3);
    line += "  ";
    line += range_label(lo, w).view();
    put_int(line, inbin[b - 1], 5);
    line += "  ";
    put_fixed(line, percent(inbin[b - 1], total), 6);
    put_int(line, icbin[b - 1], 9);
    put_fixed(line, percent(icbin[b - 1], total), 12);
    if (b == 1) {
      line += "  ";
      put_int(line, below, 6);
      line += " below";
    } else if (b == nbins) {
      line += "  ";
      put_int(line, above, 6);
      line += " above";
    }
    edisp(itru, line);
  }
}

}  // namespace vud
