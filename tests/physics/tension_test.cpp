#include "physics/tension.h"

#include <gtest/gtest.h>

#include <cmath>

#include "physics/ragobject.h"
#include "physics_helpers.h"

namespace {
// Three balls bent at b2; b1 to the left of the vertex, b3 where asked.
struct joint {
  ragobject rag;
  ball *b1, *b2, *b3;
  tension* t;
  joint(double x3, double y3, double angle, double strength) {
    b1 = placedball(-40, 0);
    b2 = placedball(0, 0);
    b3 = placedball(x3, y3);
    rag.balllist = {b1, b2, b3};
    t = new tension();
    t->ball1 = b1;
    t->ball2 = b2;
    t->ball3 = b3;
    t->angle = angle;
    t->strength = strength;
    rag.TensionList.push_back(t);
  }
  void pass() {
    for (ball* b : rag.balllist) b->shiftx = b->shifty = 0;
    t->partialtension(0, 1);
  }
  bool still() const {
    for (ball* b : rag.balllist) {
      if (b->shiftx != 0 || b->shifty != 0) return false;
    }
    return true;
  }
};
}  // namespace

TEST(Wrap, ReducesIntoRange) {
  EXPECT_EQ(wrap360(360), 0);
  EXPECT_EQ(wrap360(-90), 270);
  EXPECT_EQ(wrap360(725), 5);
  EXPECT_EQ(wrap180(190), -170);
  EXPECT_EQ(wrap180(-180), -180);
  EXPECT_EQ(wrap180(180), 180);
  // Angles from a hostile body file must not hang the loops.
  const float big = wrap180(1e30f);
  EXPECT_GE(big, -180);
  EXPECT_LE(big, 180);
  EXPECT_LT(wrap360(-3e20f), 360);
}

TEST(Tension, ActsOnlyAboveStrengthTen) {
  joint weak(30, 30, 180, 10);
  weak.pass();
  EXPECT_TRUE(weak.still());
  joint strong(30, 30, 180, 10.5);
  strong.pass();
  EXPECT_FALSE(strong.still());
}

TEST(Tension, StraightLineAtRestAngleStaysStill) {
  joint j(40, 0, 180, 500);
  j.pass();
  EXPECT_TRUE(j.still());
}

TEST(Tension, ErrorOf190DegreesTurnsTheShortWay) {
  // Straight joint (180) aiming at -10: the error 190 is taken as -170, which
  // opens the angle; both outer balls move down on screen.
  joint shortway(40, 0, -10, 500);
  shortway.pass();
  EXPECT_GT(shortway.b1->shifty, 0);
  EXPECT_GT(shortway.b3->shifty, 0);
  joint same(40, 0, 350, 500);
  same.pass();
  EXPECT_EQ(same.b3->shifty, shortway.b3->shifty);
  joint other(40, 0, 10, 500);
  other.pass();
  EXPECT_LT(other.b3->shifty, 0);
}

TEST(Tension, CorrectionsBalanceAndTheTurnIsCapped) {
  joint j(0, 40, 180, 1e9);  // a right angle, stiffness limited only by the cap
  j.b1->actualmass = 2;
  j.b3->actualmass = 3;
  j.pass();
  const double sumx = j.b1->shiftx * 2 + j.b2->shiftx + j.b3->shiftx * 3;
  const double sumy = j.b1->shifty * 2 + j.b2->shifty + j.b3->shifty * 3;
  EXPECT_NEAR(sumx, 0, 1e-9);
  EXPECT_NEAR(sumy, 0, 1e-9);
  const double err = 90;
  const double maxturn = 0.7 * err / 400;  // radians per pass
  EXPECT_LE(std::hypot(j.b1->shiftx, j.b1->shifty) / 40, maxturn + 1e-9);
  EXPECT_LE(std::hypot(j.b3->shiftx, j.b3->shifty) / 40, maxturn + 1e-9);
}

TEST(Tension, AnchoredBallsSkipOrMostlyMoveTheFreeOne) {
  joint all(30, 30, 180, 500);
  for (ball* b : all.rag.balllist) b->anchored = 1;
  all.pass();
  EXPECT_TRUE(all.still());

  joint two(30, 30, 180, 500);
  two.b1->anchored = two.b2->anchored = 1;
  two.rag.updatemass();
  two.pass();
  const double free = std::hypot(two.b3->shiftx, two.b3->shifty);
  EXPECT_GT(free, 0);
  EXPECT_GT(free, 10 * std::hypot(two.b1->shiftx, two.b1->shifty));
  EXPECT_GT(free, 10 * std::hypot(two.b2->shiftx, two.b2->shifty));
}

TEST(Tension, DegenerateJointsStayFinite) {
  joint collapsed(30, 30, 90, 500);
  collapsed.b1->x = 0;  // the first segment has zero length
  collapsed.rag.shiftandtensions(1);
  EXPECT_TRUE(finiterag(collapsed.rag));

  joint weightless(30, 30, 90, 500);
  weightless.b2->actualmass = 0;
  weightless.pass();
  EXPECT_TRUE(weightless.still());
  weightless.rag.shiftandtensions(1);
  EXPECT_TRUE(finiterag(weightless.rag));
}

TEST(Tension, HoldsAnElbowAtItsRestAngle) {
  // An elbow bent a quarter turn (270 measured from the upper arm toward the
  // forearm), pulled straight, then released.
  joint j(0, 40, 270, 500);
  j.rag.linklist.push_back(joined(j.b1, j.b2, 40));
  j.rag.linklist.push_back(joined(j.b2, j.b3, 40));
  j.b3->x = 40;  // pulled straight
  j.b3->y = 0;
  for (int f = 0; f < 300; f++) stepframe(j.rag, 0);
  const double a = std::atan2(j.b3->y - j.b2->y, j.b3->x - j.b2->x) -
                   std::atan2(j.b1->y - j.b2->y, j.b1->x - j.b2->x);
  const double degrees = std::fmod(a * 180 / M_PI + 720, 360);
  EXPECT_NEAR(degrees, 270, 1);
}
