#include "physics/ragobject.h"

#include <gtest/gtest.h>

#include "physics_helpers.h"

TEST(Ball, NewBallStartsAtRestOnAWholeNumberPosition) {
  SeedRandom(7);
  for (int i = 0; i < 50; i++) {
    ball b;
    EXPECT_TRUE(b.r == 15 && b.m == 1 && b.kind == "normal" && b.xv == 0 && b.yv == 0);
    EXPECT_TRUE(b.x == b.oldx && b.y == b.oldy && b.x == std::floor(b.x));
    EXPECT_TRUE(b.x >= 0 && b.x <= 800 && b.y >= 0 && b.y <= 600);
  }
}

TEST(Ragobject, FreeBallFallsHalfAUnitInItsFirstFrame) {
  ragobject rag;
  rag.balllist.push_back(placedball(0, 0));
  stepframe(rag, 0.5);
  EXPECT_DOUBLE_EQ(rag.balllist[0]->y, 0.5);
  EXPECT_DOUBLE_EQ(rag.balllist[0]->yv, 0.5 * 0.995);
}

// At time scale s a ball advances by its velocity times s, while gravity
// adds g to the velocity whatever s is; the velocity read back from the
// displacement is per unit of s again.
TEST(Ragobject, TimeScaleScalesTheTravelButNotGravity) {
  for (double s : {2.0, 0.25}) {
    SCOPED_TRACE(s);
    ragobject rag;
    ball* b = placedball(10, 20);
    b->xv = 3;
    rag.balllist.push_back(b);
    rag.updateold();
    rag.move(s, 0.5);
    EXPECT_DOUBLE_EQ(b->yv, 0.5);
    EXPECT_DOUBLE_EQ(b->x, 10 + 3 * s);
    EXPECT_DOUBLE_EQ(b->y, 20 + 0.5 * s);
    rag.shiftandtensions(s);  // nothing to hold: no change
    rag.updatev(s);
    EXPECT_DOUBLE_EQ(b->xv, 3 * 0.995);
    EXPECT_DOUBLE_EQ(b->yv, 0.5 * 0.995);
    // A ball stepped alone: the same travel, its velocity kept undamped.
    ball lone;
    lone.x = lone.oldx = 0;
    lone.y = lone.oldy = 0;
    lone.xv = -4;
    lone.move(s, 0.5);
    EXPECT_DOUBLE_EQ(lone.x, -4 * s);
    EXPECT_DOUBLE_EQ(lone.y, 0.5 * s);
    lone.updatev(s);
    EXPECT_DOUBLE_EQ(lone.xv, -4);
    EXPECT_DOUBLE_EQ(lone.yv, 0.5);
  }
}

TEST(Ragobject, AnchorsWeighAnyNonZeroFlagButPinOnlyOne) {
  ragobject rag;
  ball* pinned = placedball(0, 0);
  ball* heavy = placedball(300, 0);
  ball* free = placedball(100, 0);
  pinned->anchored = 1;
  heavy->anchored = 2;
  heavy->xv = 4;
  rag.balllist = {pinned, heavy, free};
  rag.linklist.push_back(joined(pinned, free, 50));
  stepframe(rag, 0);
  EXPECT_EQ(heavy->actualmass, 99);
  EXPECT_NEAR(heavy->x, 304, 1e-9);  // weighed, not pinned
  EXPECT_GT(pinned->x, 0);           // the pull moved the anchored ball a little
  rag.updateold();
  rag.move(1, 0);
  rag.doanchor();
  EXPECT_TRUE(pinned->x == 0 && pinned->y == 0 && pinned->xv == 0 && pinned->yv == 0);
}

TEST(Ragobject, EmptyRagdollKeepsItsLastMean) {
  ragobject rag;
  rag.balllist = {placedball(10, 20), placedball(30, 40)};
  rag.updatemed();
  rag.clear();
  rag.updatemed();
  rag.updatemedvel();
  EXPECT_EQ(rag.xmed, 20);
  EXPECT_EQ(rag.ymed, 30);
  EXPECT_EQ(rag.xvmed, 0);
}
