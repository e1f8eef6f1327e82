// Number texts chosen by magnitude, the packed value list of report rows and
// the tolerance test. Every layout is formatted into a small stack buffer and
// copied left-justified into the caller's fixed-width field.
#include "vud_support/parse/numtext.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace vud {
namespace {

// A formatted value text, at most a few dozen characters.
struct Work {
  char c[48];
  std::size_t n = 0;
  std::string_view view() const { return {c, n}; }
};

void set_text(Work& w, int written) {
  w.n = written < 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(written), sizeof w.c - 1);
}

// Infinite values read 'Infinity' or '-Infinity' in every layout.
bool infinite_text(float v, Work& w) {
  if (!std::isinf(v)) return false;
  set_text(w, std::snprintf(w.c, sizeof w.c, "%s", v < 0 ? "-Infinity" : "Infinity"));
  return true;
}

// One digit, the point, `decimals` decimals, "E", sign, two exponent digits.
void scientific(float v, int decimals, Work& w) {
  if (infinite_text(v, w)) return;
  set_text(w, std::snprintf(w.c, sizeof w.c, "%.*E", decimals, static_cast<double>(v)));
}

// "0.", `digits` significant digits, "E", sign, two exponent digits.
void scientific_fraction(float v, int digits, Work& w) {
  if (infinite_text(v, w)) return;
  char m[48];
  std::snprintf(m, sizeof m, "%.*e", digits - 1, static_cast<double>(std::fabs(v)));
  // m is "d.ddd...e±xx": the digits move behind the point, the exponent up by one.
  const char* e = m;
  while (*e != '\0' && *e != 'e') ++e;
  const int exponent = (*e == 'e') ? std::atoi(e + 1) + 1 : 0;
  char digits_text[24];
  int nd = 0;
  for (const char* p = m; p < e && nd < static_cast<int>(sizeof digits_text) - 1; ++p) {
    if (*p != '.') digits_text[nd++] = *p;
  }
  digits_text[nd] = '\0';
  set_text(w, std::snprintf(w.c, sizeof w.c, "%s0.%sE%c%02d", v < 0 ? "-" : "", digits_text,
                            exponent < 0 ? '-' : '+', std::abs(exponent)));
}

// Fixed point with `decimals` decimals; no decimals keeps the trailing point.
void fixed(float v, int decimals, Work& w) {
  if (infinite_text(v, w)) return;
  set_text(w, std::snprintf(w.c, sizeof w.c, "%#.*f", decimals, static_cast<double>(v)));
}

// Decimal exponent of v once rounded to five significant digits.
int rounded_exponent5(float v) {
  char m[48];
  std::snprintf(m, sizeof m, "%.4e", static_cast<double>(v));
  const char* e = m;
  while (*e != '\0' && *e != 'e') ++e;
  return *e == 'e' ? std::atoi(e + 1) : 0;
}

// Copies the text into fstr from the left (stopping at a control character),
// or asterisks across the layout's width when the text is wider than it.
template <std::size_t N>
void put_text(const Work& w, std::size_t layout_width, Text<N>& fstr, std::int32_t& iswd) {
  fstr.blank();
  if (w.n > layout_width) {
    for (std::size_t i = 1; i <= layout_width && i <= N; ++i)
      fstr(static_cast<std::int32_t>(i)) = '*';
  } else {
    std::size_t e = 0;
    while (e < w.n && static_cast<unsigned char>(w.c[e]) >= 32) ++e;
    fstr.assign(std::string_view(w.c, e));
  }
  iswd = fstr.trimmed_length();
}

// The steps shared by the three value texts: flags cleared, the zero text,
// then the layout that layout() selects by magnitude, left-justified. layout()
// formats into w and returns its layout's width, or 0 when no magnitude test
// held (a value that is not a number), which gives 'NaN'.
template <std::size_t N, typename Layout>
void value_text(float relin, Text<N>& fstr, std::int32_t& iswd, std::int32_t& iflag,
                Layout layout) {
  iflag = 0;
  iswd = 0;
  fstr.blank();
  if (eclose(relin, 0.0F, kZeroTolerance)) {
    fstr.assign("0.00");
    iswd = 4;
    return;
  }
  Work w;
  std::size_t width = layout(relin, std::fabs(relin), w);
  if (width == 0) {
    set_text(w, std::snprintf(w.c, sizeof w.c, "%s", "NaN"));
    width = N;
  }
  put_text(w, width, fstr, iswd);
}

}  // namespace

void rel16str(float relin, Text<16>& fstr, std::int32_t& iswd, std::int32_t& iflag) {
  value_text(relin, fstr, iswd, iflag, [](float v, float m, Work& w) -> std::size_t {
    if (m > 1.0e6F) {
      scientific(v, 6, w);
      return 14;
    }
    if (m > 1.0e4F) {
      if (rounded_exponent5(v) >= 5) {
        scientific_fraction(v, 5, w);
      } else {
        fixed(v, 0, w);
      }
      return 15;
    }
    if (m > 0.1F) {
      fixed(v, std::max(0, 4 - rounded_exponent5(v)), w);
      return 14;
    }
    if (m > 1.0e-5F) {
      fixed(v, 7, w);
      return 10;
    }
    if (m <= 1.0e-5F) {
      scientific(v, 6, w);
      return 14;
    }
    return 0;
  });
}

void relstr(float relin, Text<12>& fstr, std::int32_t& iswd, std::int32_t& iflag) {
  value_text(relin, fstr, iswd, iflag, [](float v, float m, Work& w) -> std::size_t {
    if (m > 1.0e6F) {
      scientific(v, 6, w);
      return 12;
    }
    if (m > 1.0e4F) {
      fixed(v, 3, w);
      return 12;
    }
    if (m > 0.1F) {
      fixed(v, 5, w);
      return 11;
    }
    if (m > 1.0e-5F) {
      fixed(v, 10, w);
      return 12;
    }
    if (m <= 1.0e-5F) {
      fixed(v, 4, w);
      return 12;
    }
    return 0;
  });
}

void relestr(float relin, Text<16>& fstr, std::int32_t& iswd, std::int32_t& iflag) {
  value_text(relin, fstr, iswd, iflag, [](float v, float m, Work& w) -> std::size_t {
    if (m > 1.0e6F) {
      scientific_fraction(v, 4, w);
      return 11;
    }
    if (m > 1.0e4F) {
      fixed(v, 0, w);
      return 8;
    }
    if (m > 100.0F) {
      fixed(v, 0, w);
      return 6;
    }
    if (m > 0.001F) {
      fixed(v, 3, w);
      return 7;
    }
    if (m <= 0.001F) {
      scientific_fraction(v, 4, w);
      return 11;
    }
    return 0;
  });
}

void arlist(std::int32_t inst, std::int32_t inrl, std::span<const float> rlist, std::int32_t inrs,
            char delm, Field pckstr, std::int32_t& length, std::int32_t& itrunc) {
  itrunc = 0;
  length = 0;
  pckstr.blank();
  // Only entries that exist in the table are read.
  const std::int64_t last =
      std::min<std::int64_t>({static_cast<std::int64_t>(inrl), static_cast<std::int64_t>(inrs),
                              static_cast<std::int64_t>(rlist.size())});
  const std::int64_t first = std::max<std::int64_t>(inst, 1);
  char delimiter = ' ';
  if (delm == 'T') delimiter = '\t';
  if (delm == 'C') delimiter = ',';

  const std::int64_t width = pckstr.width();
  std::int64_t p = 1;
  Text<16> text;
  for (std::int64_t i = first; i <= last; ++i) {
    std::int32_t w = 0, iflag = 0;
    rel16str(rlist[static_cast<std::size_t>(i - 1)], text, w, iflag);
    // A text must end at least two positions before the end of the field.
    if (p + w >= width) {
      length = static_cast<std::int32_t>(p);
      itrunc = static_cast<std::int32_t>(i - 1);
      return;
    }
    pckstr.put(static_cast<std::int32_t>(p), sub1(text, 1, w));
    if (i < last) pckstr(static_cast<std::int32_t>(p + w)) = delimiter;
    length = static_cast<std::int32_t>(p + w - 1);
    p += w + 1;
  }
}

}  // namespace vud
