#include "vud_stats/freeform.h"

#include <gtest/gtest.h>

#include <string>

#include "vud_stats/stats_test_util.h"

namespace vud {
namespace {

using FreeForm = StatsTest;

TEST_F(FreeForm, FreeFormReaders) {
  struct Case {
    std::string_view text;
    std::int32_t result, value;
  };
  const Case ints[] = {{"  12", kFreeRead, 12},      {"-7 ", kFreeRead, -7},   {"+3", kFreeRead, 3},
                       {"14/", kFreeRead, 14},       {"    ", kFreeBlank, 99}, {"1-", kFreeBad, 99},
                       {"4.5", kFreeBad, 99},        {"x", kFreeBad, 99},      {"-", kFreeBad, 99},
                       {"99999999999", kFreeBad, 99}};
  for (const Case& c : ints) {
    std::int32_t v = 99;
    EXPECT_EQ(read_free_int(c.text, v), c.result) << c.text;
    EXPECT_EQ(v, c.value) << c.text;
  }
  struct RealCase {
    std::string_view text;
    std::int32_t result;
    float value;
  };
  const RealCase reals[] = {{"53.518", kFreeRead, 53.518F}, {"05", kFreeRead, 5.0F},
                            {" 7.", kFreeRead, 7.0F},       {"1e2", kFreeRead, 100.0F},
                            {"  ", kFreeBlank, -1.0F},      {"5x", kFreeBad, -1.0F},
                            {".", kFreeBad, -1.0F}};
  for (const RealCase& c : reals) {
    float v = -1.0F;
    EXPECT_EQ(read_free_real(c.text, v), c.result) << c.text;
    EXPECT_EQ(v, c.value) << c.text;
  }
}

TEST_F(FreeForm, FreeFormatLines) {
  FreeLine().text(" reporting to > ").text("site.text").write(kOutputChannel);
  FreeLine().text("at end of file ").num(2).write(kOutputChannel);
  FreeLine().text("how many sensors found: ").num(3, 3).write(kOutputChannel);
  FreeLine().text("AB      ").num(12).real(300.0F).real(356.5702F).write(kOutputChannel);
  FreeLine().text("excluding ").text("AB      ").write(kOutputChannel);
  FreeLine().write(kOutputChannel);
  EXPECT_EQ(shown(),
            "  reporting to > site.text\n"
            " at end of file  2\n"
            " how many sensors found:   3\n"
            " AB       12 300 356.5702\n"
            " excluding AB\n"
            " \n");
}

}  // namespace
}  // namespace vud
