// Tests of the number texts, the packed value list and the tolerance test,
// down to the last blank of each field.
#include "vud_support/parse/numtext.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <string>
#include <string_view>

namespace vud {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

struct TextCase {
  float v;
  std::string_view text;
};

template <std::size_t N, typename Fn>
void check_texts(Fn fn, const TextCase* begin, const TextCase* end) {
  for (const TextCase* c = begin; c != end; ++c) {
    Text<N> fstr("junk junk junk junk");
    std::int32_t iswd = -1, iflag = -1;
    fn(c->v, fstr, iswd, iflag);
    EXPECT_EQ(fstr.view(), Text<N>(c->text).view()) << "value " << c->v;
    EXPECT_EQ(iswd, static_cast<std::int32_t>(c->text.size())) << "value " << c->v;
    EXPECT_EQ(iflag, 0) << "value " << c->v;
  }
}

TEST(Rel16str, LayoutByMagnitude) {
  static const TextCase kCases[] = {
      // zero and values within the zero tolerance
      {0.0F, "0.00"},
      {-0.0F, "0.00"},
      {5.0e-7F, "0.00"},
      {-9.0e-7F, "0.00"},
      // scientific, small
      {1.0e-6F, "1.000000E-06"},
      {2.0e-6F, "2.000000E-06"},
      {-5.0e-6F, "-5.000000E-06"},
      {1.0e-5F, "1.000000E-05"},
      // 7 decimals
      {0.05F, "0.0500000"},
      {0.0123456F, "0.0123456"},
      {-0.00002F, "-0.0000200"},
      {0.1F, "0.1000000"},
      // five significant digits, fixed point
      {0.5F, "0.50000"},
      {0.123456F, "0.12346"},
      {1.5F, "1.5000"},
      {22.5F, "22.500"},
      {-123.456F, "-123.46"},
      {1013.27F, "1013.3"},
      {0.999999F, "1.0000"},
      {9.99996F, "10.000"},
      {9999.95F, "10000."},
      {1.0e4F, "10000."},
      // five significant digits, large
      {12345.6F, "12346."},
      {50000.0F, "50000."},
      {-99999.0F, "-99999."},
      {99999.4F, "99999."},
      {99999.5F, "0.10000E+06"},
      {123456.0F, "0.12346E+06"},
      {-123456.0F, "-0.12346E+06"},
      {1.0e6F, "0.10000E+07"},
      // scientific, large
      {2.0e6F, "2.000000E+06"},
      {1234567.0F, "1.234567E+06"},
      {-2.5e7F, "-2.500000E+07"},
      {std::numeric_limits<float>::max(), "3.402823E+38"},
      // not a number and infinite values
      {kNaN, "NaN"},
      {kInf, "Infinity"},
      {-kInf, "-Infinity"},
  };
  check_texts<16>(rel16str, std::begin(kCases), std::end(kCases));
}

TEST(Relstr, LayoutByMagnitudeAndAsterisks) {
  static const TextCase kCases[] = {
      {0.0F, "0.00"},
      {1234567.0F, "1.234567E+06"},
      {-1234567.0F, "************"},
      {12345.678F, "12345.678"},
      {-1.0e6F, "-1000000.000"},
      {0.5F, "0.50000"},
      {-9999.0F, "-9999.00000"},
      {-1.0e4F, "***********"},
      {0.05F, "0.0500000007"},
      {-0.05F, "************"},
      {5.0e-6F, "0.0000"},
      {-5.0e-6F, "-0.0000"},
      {kNaN, "NaN"},
      {kInf, "Infinity"},
      {-kInf, "-Infinity"},
  };
  check_texts<12>(relstr, std::begin(kCases), std::end(kCases));
}

TEST(Relestr, LayoutByMagnitudeAndAsterisks) {
  static const TextCase kCases[] = {
      {0.0F, "0.00"},
      {1.23456e7F, "0.1235E+08"},
      {-1.23456e7F, "-0.1235E+08"},
      {123456.0F, "123456."},
      {1.0e6F, "1000000."},
      {-1.0e6F, "********"},
      {1234.4F, "1234."},
      {-9999.0F, "-9999."},
      {-1.0e4F, "******"},
      {22.5F, "22.500"},
      {100.0F, "100.000"},
      {-100.0F, "*******"},
      {0.0015F, "0.002"},
      {0.0005F, "0.5000E-03"},
      {-0.0005F, "-0.5000E-03"},
      {0.001F, "0.1000E-02"},
      {kNaN, "NaN"},
      {kInf, "Infinity"},
      {-kInf, "-Infinity"},
  };
  check_texts<16>(relestr, std::begin(kCases), std::end(kCases));
}

TEST(Arlist, PacksWithDelimiters) {
  const std::array<float, 3> values = {1.5F, 0.0F, 22.5F};
  struct Case {
    char delm;
    std::string_view text;
  };
  const Case kCases[] = {
      {'C', "1.5000,0.00,22.500"},
      {'T', "1.5000\t0.00\t22.500"},
      {'S', "1.5000 0.00 22.500"},
      {'x', "1.5000 0.00 22.500"},
  };
  for (const Case& c : kCases) {
    Text<40> pckstr("junk");
    std::int32_t length = -1, itrunc = -1;
    arlist(1, 3, values, 3, c.delm, pckstr, length, itrunc);
    EXPECT_EQ(pckstr.view(), Text<40>(c.text).view()) << c.delm;
    EXPECT_EQ(length, 18) << c.delm;
    EXPECT_EQ(itrunc, 0) << c.delm;
  }
}

TEST(Arlist, StopsTwoPositionsBeforeTheEnd) {
  const std::array<float, 3> values = {1.5F, 2.5F, 3.5F};
  struct Case {
    std::int32_t inst;
    std::string_view text;  // into a 10-character field
    std::int32_t length, itrunc;
  };
  const Case kCases[] = {
      {1, "1.5000,", 8, 1},
      {2, "2.5000,", 8, 2},
      {3, "3.5000", 6, 0},
  };
  for (const Case& c : kCases) {
    Text<10> pckstr("junk");
    std::int32_t length = -1, itrunc = -1;
    arlist(c.inst, 3, values, 3, 'C', pckstr, length, itrunc);
    EXPECT_EQ(pckstr.view(), Text<10>(c.text).view()) << c.inst;
    EXPECT_EQ(length, c.length) << c.inst;
    EXPECT_EQ(itrunc, c.itrunc) << c.inst;
  }
  // A text that would end one position before the end does not fit.
  Text<7> tight;
  std::int32_t length = -1, itrunc = -1;
  arlist(2, 3, values, 3, 'C', tight, length, itrunc);
  EXPECT_EQ(tight.view(), "       ");
  EXPECT_EQ(length, 1);
  EXPECT_EQ(itrunc, 1);
}

TEST(Arlist, ContinuesWhereTheLastPieceStopped) {
  // The report writes a long row in pieces, resuming after itrunc.
  std::array<float, 350> values{};
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = 1000.0F + static_cast<float>(i);
  std::string row;
  Text<200> pckstr;
  std::int32_t ipos = 1, itrunc = 1, length = 0, pieces = 0;
  while (itrunc != 0) {
    arlist(ipos, 350, values, 350, 'C', pckstr, length, itrunc);
    // A cut piece ends with its delimiter; length is where the next text would begin.
    const std::size_t used = static_cast<std::size_t>(itrunc != 0 ? length - 1 : length);
    const std::string piece(pckstr.view().substr(0, used));
    row += piece;
    if (itrunc != 0) {
      EXPECT_EQ(piece.back(), ',');
      EXPECT_EQ(pckstr.view().substr(used), std::string(200 - used, ' '));
    }
    ipos = itrunc + 1;
    ASSERT_LT(++pieces, 100);
  }
  std::string expected;
  for (int i = 0; i < 350; ++i) expected += (i ? "," : "") + std::to_string(1000 + i) + ".0";
  EXPECT_EQ(row, expected);
}

TEST(Arlist, TakesATableOfReals) {
  Table<float, 350> tabular;
  tabular(1) = 1.5F;
  tabular(2) = 22.5F;
  Text<4000> pckstr;
  std::int32_t length = -1, itrunc = -1;
  arlist(1, 2, tabular, 350, 'C', pckstr, length, itrunc);
  EXPECT_EQ(pckstr.view().substr(0, 14), "1.5000,22.500 ");
  EXPECT_EQ(length, 13);
  EXPECT_EQ(itrunc, 0);

  const float plain[] = {0.05F, 2.0e6F};
  Text<30> row;
  arlist(1, 2, plain, 2, 'S', row, length, itrunc);
  EXPECT_EQ(row.view(), Text<30>("0.0500000 2.000000E+06").view());
  EXPECT_EQ(length, 22);
}

TEST(Arlist, ReadsOnlyEntriesOfTheTable) {
  const std::array<float, 2> values = {1.5F, 2.5F};
  struct Case {
    std::int32_t inst, inrl, inrs;
    std::string_view text;
    std::int32_t length;
  };
  const Case kCases[] = {
      {2, 1, 2, "", 0},  // empty run
      {1, 5, 2, "1.5000,2.5000", 13},
      {1, 2, 1, "1.5000", 6},  // declared size below the run
      {-3, 1, 2, "1.5000", 6},
  };
  for (const Case& c : kCases) {
    Text<40> pckstr("junk");
    std::int32_t length = -1, itrunc = -1;
    arlist(c.inst, c.inrl, values, c.inrs, 'C', pckstr, length, itrunc);
    EXPECT_EQ(pckstr.view(), Text<40>(c.text).view()) << c.inst << ".." << c.inrl;
    EXPECT_EQ(length, c.length) << c.inst << ".." << c.inrl;
    EXPECT_EQ(itrunc, 0);
  }
}

TEST(Eclose, StrictlyBelowTheTolerance) {
  struct Case {
    float r1, r2, tol;
    bool close;
  };
  const Case kCases[] = {
      {1.0F, 1.5F, 0.5F, false},   {1.0F, 1.5F, 0.6F, true},  {1.5F, 1.0F, 0.6F, true},
      {0.5F, 0.75F, 0.25F, false}, {2.0F, 2.0F, 0.0F, false}, {kNaN, 1.0F, 1.0e9F, false},
      {kInf, kInf, 1.0F, false},
  };
  for (const Case& c : kCases) {
    bool close = !c.close;
    eclose(c.r1, c.r2, c.tol, close);
    EXPECT_EQ(close, c.close) << c.r1 << " " << c.r2 << " " << c.tol;
    EXPECT_EQ(eclose(c.r1, c.r2, c.tol), c.close);
  }
}

}  // namespace
}  // namespace vud
