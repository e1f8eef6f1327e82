#include "qesh_fc/qesh_fc.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "vud_support/console/channels.h"
#include "vud_support/console/console_fixture.h"
#include "vud_support/console/records.h"

namespace vud {
namespace {

using QeshFcTest = ConsoleTest;

TEST_F(QeshFcTest, TextRoutinesWriteFullWidthLinesOnStandardOutput) {
  // Whatever the terminal channel is, these lines go to channel 6.
  outin.iuout = 0;
  const Text<6> msg("abc");
  struct Case {
    void (*call)(const Text<6>&);
    std::string shown;
  };
  const Case cases[] = {
      {[](const Text<6>& m) { jwinint(8, m); }, "abc   \n"},
      {[](const Text<6>& m) { egdisp(m, 3); }, " abc   \n"},
      {[](const Text<6>& m) { wstxpt(1, 2, m); }, " abc   \n"},
      {[](const Text<6>& m) { textatxy(1, 2, m, 4); }, " abc   \n"},
      {[](const Text<6>& m) { etlabel(m, 1.0F, 2.0F, 0, 1); }, " abc   \n"},
      {[](const Text<6>& m) { qbox(m, 3, 1, 0, 0, 'y'); }, " ? yabc   \n"},
      {[](const Text<6>& m) { dbox(m, 3, 1, 0, 0, 'd'); }, " def dabc   \n"},
      {[](const Text<6>& m) { okbox(m, 3, 1, 0, 0, '-'); }, " ok -abc   \n"},
      {[](const Text<6>& m) { altbox(m, 3, 1, 0, 0, 'a'); }, " alt aabc   \n"},
      {[](const Text<6>& m) { abcdboxs(m, 3, 1, 0, 0, 'b'); }, " abcd babc   \n"},
      {[](const Text<6>& m) { openaskbox(m, "q?", 10); }, " abc   \n q?\n"},
      {[](const Text<6>& m) { openaskaltbox(m, "q?", Text<4>("alt"), 10); },
       " abc   \n q?\n alt \n"},
      {[](const Text<6>& m) { openaskcnclbox(m, "q?", "cancel", 10); }, " abc   \n q?\n cancel\n"},
  };
  for (const Case& c : cases) {
    out_.str("");
    c.call(msg);
    EXPECT_EQ(out_.str(), c.shown);
  }
}

TEST_F(QeshFcTest, QueriesReportNoGraphics) {
  EXPECT_EQ(ixavail(), 0);
  EXPECT_EQ(igraphiclib(), 3);
  Text<3> lib("abc");
  getxlibs(lib);
  EXPECT_EQ(lib, Text<3>("noX"));
  std::int32_t ix = 5, iy = 6, iz = 7;
  u2pixel(1.0F, 2.0F, ix, iy);
  EXPECT_EQ(ix, 0);
  EXPECT_EQ(iy, 0);
  ix = iy = 9;
  findrtb(ix, iy, iz);
  EXPECT_EQ(ix + iy + iz, 0);
  float gx = 1.0F, gy = 1.0F;
  pixel2u(3.0F, 4.0F, gx, gy);
  EXPECT_EQ(gx, 0.0F);
  EXPECT_EQ(gy, 0.0F);
  pause_effect();
  EXPECT_EQ(out_.str(), "");
}

TEST_F(QeshFcTest, DialogsLeaveTheirOutArgumentsAlone) {
  Text<20> value("kept value");
  std::int32_t id = 4, iq = 5, iok = 0, igw = 11, igh = 12, iresp = 13;
  askdialog(value, id, iq);
  abcdefbox("m1", "m2", "a", "b", "c", "d", "e", "f", "g", iok);
  feedbox(24, 2, igw, igh);
  opengdisp(24, 24, 2, igw, igh);
  egphelp(0, 0, 0, 0, iresp);
  updhelp(pophelp.h, 3, 72);
  msgbox("a", "b");
  continuebox("a", "b", "continue");
  pauses(2);
  EXPECT_EQ(value, Text<20>("kept value"));
  EXPECT_EQ(id, 4);
  EXPECT_EQ(iq, 5);
  EXPECT_EQ(iok, 0);
  EXPECT_EQ(igw, 11);
  EXPECT_EQ(igh, 12);
  EXPECT_EQ(iresp, 13);
  EXPECT_EQ(out_.str(), "");
}

}  // namespace
}  // namespace vud
