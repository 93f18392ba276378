#include "physics/link.h"

#include <gtest/gtest.h>

#include <cmath>

#include "physics/ragobject.h"
#include "physics_helpers.h"

namespace {
struct linkedpair {
  ragobject rag;
  ball* a;
  ball* b;
  linkedpair(double length, double rest, double ma = 1, double mb = 1) {
    a = placedball(0, 0, 15, ma);
    b = placedball(length, 0, 15, mb);
    rag.balllist = {a, b};
    rag.linklist.push_back(joined(a, b, rest));
  }
};
}  // namespace

TEST(Link, EachPassRemovesThirtyPercentOfTheError) {
  linkedpair p(110, 100);
  p.rag.shiftballs();
  EXPECT_NEAR(p.a->x, 1.5, 1e-6);
  EXPECT_NEAR(p.b->x, 108.5, 1e-6);
  EXPECT_NEAR(separation(*p.a, *p.b) - 100, 7, 1e-6);

  linkedpair q(110, 100);
  q.rag.shiftandtensions(1);
  EXPECT_NEAR(separation(*q.a, *q.b) - 100, 10 * std::pow(0.7, 21), 1e-6);
}

TEST(Link, LighterBallTakesTheLargerShare) {
  linkedpair p(110, 100, 1, 99);
  p.rag.shiftballs();
  const double total = 3;
  EXPECT_NEAR(p.a->x, total * 99 / 100, 1e-6);
  EXPECT_NEAR(110 - p.b->x, total * 1 / 100, 1e-6);
}

TEST(Link, BallsAtOnePointStayTogether) {
  linkedpair p(0, 50);
  p.rag.shiftandtensions(1);
  EXPECT_EQ(p.a->x, 0);
  EXPECT_EQ(p.b->x, 0);
  EXPECT_TRUE(finiterag(p.rag));
}

TEST(Link, WeightlessBallsNeverMakeTheStateUndefined) {
  linkedpair both(110, 100, 0, 0);
  both.rag.shiftballs();
  EXPECT_NEAR(both.a->x, 1.5, 1e-6);  // an even split
  EXPECT_NEAR(both.b->x, 108.5, 1e-6);

  linkedpair one(110, 100, 0, 1);
  one.rag.shiftballs();
  EXPECT_NEAR(one.a->x, 3, 1e-6);  // the weightless end takes it all
  EXPECT_EQ(one.b->x, 110);

  linkedpair negative(110, 100, -1, 1);
  negative.rag.shiftandtensions(1);
  EXPECT_TRUE(finiterag(negative.rag));
}
