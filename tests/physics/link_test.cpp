#include "physics/link.h"

#include <gtest/gtest.h>

#include <cmath>

#include "physics_helpers.h"

namespace {
// Two balls on the x axis joined by one link.
struct linkedpair {
  ragobject rag;
  ball* a;
  ball* b;
  linkedpair(double length, double rest, double ma = 1, double mb = 1)
      : a(placedball(0, 0, 15, ma)), b(placedball(length, 0, 15, mb)) {
    rag.balllist = {a, b};
    rag.linklist.push_back(joined(a, b, rest));
  }
};
}  // namespace

TEST(Link, EachPassRemovesThirtyPercentOfTheError) {
  linkedpair p(110, 100);
  p.rag.shiftballs();
  EXPECT_NEAR(p.a->x, 1.5, 1e-6);
  EXPECT_NEAR(separation(*p.a, *p.b), 107, 1e-6);
  linkedpair q(110, 100);
  q.rag.shiftandtensions(1);
  EXPECT_NEAR(separation(*q.a, *q.b) - 100, 10 * std::pow(0.7, 21), 1e-6);
}

TEST(Link, SharesFollowTheMasses) {
  linkedpair anchored(110, 100, 1, 99);
  anchored.rag.shiftballs();
  EXPECT_NEAR(anchored.a->x, 3 * 0.99, 1e-6);
  EXPECT_NEAR(110 - anchored.b->x, 3 * 0.01, 1e-6);
  // A weightless end takes all; two weightless ends split evenly.
  linkedpair one(110, 100, 0, 1);
  one.rag.shiftballs();
  EXPECT_NEAR(one.a->x, 3, 1e-6);
  linkedpair both(110, 100, 0, 0);
  both.rag.shiftballs();
  EXPECT_NEAR(both.a->x, 1.5, 1e-6);
}

TEST(Link, DegenerateLinksStayFinite) {
  linkedpair together(0, 50);
  together.rag.shiftandtensions(1);
  EXPECT_TRUE(together.a->x == 0 && together.b->x == 0);
  linkedpair negative(110, 100, -1, 1);
  negative.rag.shiftandtensions(1);
  EXPECT_TRUE(finiterag(negative.rag));
}
