#include "physics/ragobject.h"

#include <gtest/gtest.h>

#include "physics_helpers.h"

TEST(Ball, NewBallHasItsDefaults) {
  SeedRandom(7);
  for (int i = 0; i < 50; i++) {
    ball b;
    EXPECT_EQ(b.r, 15);
    EXPECT_EQ(b.m, 1);
    EXPECT_EQ(b.kind, "normal");
    EXPECT_EQ(b.xv, 0);
    EXPECT_EQ(b.yv, 0);
    EXPECT_EQ(b.x, b.oldx);
    EXPECT_EQ(b.y, b.oldy);
    EXPECT_EQ(b.x, std::floor(b.x));
    EXPECT_GE(b.x, 0);
    EXPECT_LE(b.x, 800);
    EXPECT_GE(b.y, 0);
    EXPECT_LE(b.y, 600);
    EXPECT_GE(b.col, 0);
    EXPECT_LE(b.col, 4);
  }
  class link l;
  EXPECT_EQ(l.width, 3);
  EXPECT_EQ(l.distance, 0);
}

TEST(Ragobject, FreeBallFallsHalfAUnitInItsFirstFrame) {
  ragobject rag;
  rag.balllist.push_back(placedball(0, 0));
  stepframe(rag, 0.5);
  EXPECT_DOUBLE_EQ(rag.balllist[0]->y, 0.5);
  EXPECT_DOUBLE_EQ(rag.balllist[0]->yv, 0.5 * 0.995);
  EXPECT_EQ(rag.balllist[0]->xv, 0);
}

TEST(Ball, OwnStepHasNoDamping) {
  ball b;
  b.x = b.oldx = 10;
  b.y = b.oldy = 20;
  b.xv = 2;
  b.move(1, 0.5);
  b.updatev(1);
  EXPECT_DOUBLE_EQ(b.xv, 2);
  EXPECT_DOUBLE_EQ(b.yv, 0.5);
}

TEST(Ragobject, AnchorWeighsAnyNonZeroFlagButPinsOnlyOne) {
  ragobject rag;
  ball* pinned = placedball(0, 0);
  ball* heavy = placedball(100, 0);
  pinned->anchored = 1;
  pinned->anchorx = 5;
  pinned->anchory = 6;
  heavy->anchored = 2;
  heavy->m = 3;
  rag.balllist = {pinned, heavy};
  rag.updatemass();
  EXPECT_EQ(pinned->actualmass, 99);
  EXPECT_EQ(heavy->actualmass, 99);
  heavy->xv = 4;
  rag.move(1, 0);
  rag.doanchor();
  EXPECT_EQ(heavy->x, 104);
  EXPECT_EQ(pinned->x, 5);
  EXPECT_EQ(pinned->oldy, 6);
}

TEST(Ragobject, AnchoredBallPulledByALinkReturnsToItsAnchorAtRest) {
  ragobject rag;
  ball* anchor = placedball(0, 0);
  anchor->anchored = 1;
  ball* free = placedball(100, 0);
  rag.balllist = {anchor, free};
  rag.linklist.push_back(joined(anchor, free, 50));
  stepframe(rag, 0);
  EXPECT_GT(anchor->x, 0);  // the heavy pull moved it a little
  rag.updatemass();
  rag.updateold();
  rag.move(1, 0);
  rag.doanchor();
  EXPECT_EQ(anchor->x, 0);
  EXPECT_EQ(anchor->y, 0);
  EXPECT_EQ(anchor->xv, 0);
  EXPECT_EQ(anchor->yv, 0);
}

TEST(Ragobject, MeansOfAnEmptyRagdollStayFinite) {
  ragobject rag;
  rag.updatemed();
  rag.updatemedvel();
  EXPECT_EQ(rag.xmed, 0);
  EXPECT_EQ(rag.yvmed, 0);
  rag.balllist.push_back(placedball(10, 20));
  rag.balllist.push_back(placedball(30, 40));
  rag.balllist[1]->xv = 4;
  rag.updatemed();
  rag.updatemedvel();
  EXPECT_EQ(rag.xmed, 20);
  EXPECT_EQ(rag.ymed, 30);
  EXPECT_EQ(rag.xvmed, 2);
  rag.clear();
  EXPECT_TRUE(rag.balllist.empty());
  rag.updatemed();
  EXPECT_EQ(rag.xmed, 20);
}
