#include "qesh_blk/qesh_blk.h"

#include <gtest/gtest.h>

#include <sstream>

#include "vud_support/console/channels.h"
#include "vud_support/console/console_fixture.h"
#include "vud_support/console/messages.h"
#include "vud_support/console/records.h"

namespace vud {
namespace {

using EzeroTest = ConsoleTest;

TEST_F(EzeroTest, EzeroResetsMenusAndBufferButNotTheMenuLevel) {
  edisp(6, "one");
  pmenu.mhead = 5;
  pmenu.ipm = 7;
  pmenu.mpm = 0;
  pmenu.ipflg = 2;
  pmenusv.mctl1(3) = 9;
  pmenusv.ipflg1(10) = 4;
  pmenusv.milev = 6;
  pbydat.ips = 0;
  ezero();
  EXPECT_EQ(pmenu.mhead, 0);
  EXPECT_EQ(pmenu.ipm, 1);
  EXPECT_EQ(pmenu.mpm, 1);
  EXPECT_EQ(pmenu.ipflg, 0);
  EXPECT_EQ(pmenusv.mctl1(3), 0);
  EXPECT_EQ(pmenusv.ipflg1(10), 0);
  EXPECT_EQ(pmenusv.milev, 6);
  EXPECT_EQ(pbydat.ips, 1);
  EXPECT_EQ(textbufl.indexbuf, 0);
  edisp(6, "after");
  EXPECT_EQ(textbufl.indexbuf, 1);
  EXPECT_EQ(textbuf.dispbuf(1), Text<144>("after"));
}

}  // namespace
}  // namespace vud
