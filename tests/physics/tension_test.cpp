#include "physics/tension.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "physics_helpers.h"

namespace {
// b1 left of the vertex b2, b3 where asked; one tension at the vertex.
struct joint {
  ragobject rag;
  ball *b1, *b2, *b3;
  tension* t = new tension();
  joint(double x3, double y3, double angle, double strength)
      : b1(placedball(-40, 0)), b2(placedball(0, 0)), b3(placedball(x3, y3)) {
    rag.balllist = {b1, b2, b3};
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
  double moved(const ball* b) const { return std::hypot(b->shiftx, b->shifty); }
};
}  // namespace

TEST(Tension, ActsOnlyAboveStrengthTen) {
  joint weak(30, 30, 180, 10), strong(30, 30, 180, 10.5);
  weak.pass();
  strong.pass();
  EXPECT_EQ(weak.moved(weak.b3), 0);
  EXPECT_GT(strong.moved(strong.b3), 0);
}

TEST(Tension, ErrorOf190DegreesTurnsTheShortWay) {
  // Straight (180) aiming at -10: the error 190 counts as -170, which opens
  // the angle: both outer balls move down on screen, as with a target of 350.
  joint shortway(40, 0, -10, 500), same(40, 0, 350, 500), other(40, 0, 10, 500);
  shortway.pass();
  same.pass();
  other.pass();
  EXPECT_GT(shortway.b1->shifty, 0);
  EXPECT_GT(shortway.b3->shifty, 0);
  EXPECT_EQ(same.b3->shifty, shortway.b3->shifty);
  EXPECT_LT(other.b3->shifty, 0);
}

TEST(Tension, CorrectionsBalanceAndTheTurnIsCapped) {
  joint j(0, 40, 180, 1e9);  // a right angle, stiffness limited only by the cap
  j.b1->actualmass = 2;
  j.b3->actualmass = 3;
  j.pass();
  EXPECT_NEAR(j.b1->shiftx * 2 + j.b2->shiftx + j.b3->shiftx * 3, 0, 1e-9);
  EXPECT_NEAR(j.b1->shifty * 2 + j.b2->shifty + j.b3->shifty * 3, 0, 1e-9);
  const double maxturn = 0.7 * 90 / 400;  // radians per pass
  EXPECT_LE(j.moved(j.b1) / 40, maxturn + 1e-9);
  EXPECT_LE(j.moved(j.b3) / 40, maxturn + 1e-9);
}

TEST(Tension, AnchoredBallsSkipOrMostlyMoveTheFreeOne) {
  joint all(30, 30, 180, 500), two(30, 30, 180, 500);
  for (ball* b : all.rag.balllist) b->anchored = 1;
  all.pass();
  EXPECT_EQ(all.moved(all.b3), 0);
  two.b1->anchored = two.b2->anchored = 1;
  two.rag.updatemass();
  two.pass();
  EXPECT_GT(two.moved(two.b3), 10 * std::max(two.moved(two.b1), two.moved(two.b2)));
}

TEST(Tension, DegenerateJointsStayFinite) {
  joint collapsed(30, 30, 90, 500), weightless(30, 30, 90, 500);
  collapsed.b1->x = 0;  // the first segment has no length
  collapsed.rag.shiftandtensions(1);
  EXPECT_TRUE(finiterag(collapsed.rag));
  weightless.b2->actualmass = 0;
  weightless.rag.shiftandtensions(1);
  EXPECT_TRUE(finiterag(weightless.rag));
  joint wild(30, 30, 1e30, 500);  // a rest angle no loop could wrap
  wild.pass();
  EXPECT_TRUE(std::isfinite(wild.b3->shiftx));
  EXPECT_EQ(wrap180(190), -170);
}

TEST(Tension, HoldsAnElbowAtItsRestAngle) {
  // Bent a quarter turn (270 from the upper arm toward the forearm), pulled
  // straight, then released.
  joint j(0, 40, 270, 500);
  j.rag.linklist = {joined(j.b1, j.b2, 40), joined(j.b2, j.b3, 40)};
  j.b3->x = 40;
  j.b3->y = 0;
  for (int f = 0; f < 300; f++) stepframe(j.rag, 0);
  const double a = std::atan2(j.b3->y - j.b2->y, j.b3->x - j.b2->x) -
                   std::atan2(j.b1->y - j.b2->y, j.b1->x - j.b2->x);
  EXPECT_NEAR(std::fmod(a * 180 / M_PI + 720, 360), 270, 1);
}

// The corrections of a right angle (270) held at 180, an error of 90
// degrees; b1 = (-40, 0), b2 = (0, 0), b3 = (0, y3), masses 2, 4 and 1.
// Below the cap the push grows with the strength and the step; past it the
// lightest ball's segment, when it is the shorter, turns by exactly the cap,
// 0.7 * 90 / 400 radians, however strong the joint.
TEST(Tension, CorrectionsFollowStrengthAndStepUpToTheCap) {
  auto push = [](double y3, double strength, double s, double lightest = 1) {
    joint j(0, y3, 180, strength);
    j.b1->actualmass = 2;
    j.b2->actualmass = 4;
    j.b3->actualmass = lightest;
    for (ball* b : j.rag.balllist) b->shiftx = b->shifty = 0;
    j.t->partialtension(0, s);
    EXPECT_NEAR(j.b1->shiftx, 0, 1e-12);
    EXPECT_NEAR(j.b3->shifty, 0, 1e-12);
    return std::vector<double>{j.b1->shifty, j.b2->shiftx, j.b2->shifty, j.b3->shiftx};
  };
  // A figure of a known-good run: strength 500 moves b3 by 2.8125.
  const std::vector<double> base = push(40, 500, 1);
  EXPECT_NEAR(base[3], 2.8125, 1e-9);
  EXPECT_LT(base[0], 0);  // b1 and b3 close the angle, b2 pushes back
  const std::vector<double> stepped = push(40, 500, 2.5), doubled = push(40, 1000, 1);
  for (size_t k = 0; k < base.size(); ++k) {
    EXPECT_NEAR(stepped[k], 2.5 * base[k], 1e-9) << k;
    EXPECT_NEAR(doubled[k], 2 * base[k], 1e-9) << k;
  }
  const double cap = 0.7 * 90 / 400;
  for (double y3 : {40.0, 20.0}) {
    const std::vector<double> strong = push(y3, 1e9, 1), stronger = push(y3, 1e12, 1);
    EXPECT_NEAR(strong[3] / y3, cap, 1e-6) << y3;
    for (size_t k = 0; k < base.size(); ++k) EXPECT_EQ(strong[k], stronger[k]) << k;
    // The cap follows the lightest mass.
    EXPECT_NEAR(push(y3, 1e9, 1, 0.5)[0], strong[0] / 2, 1e-9) << y3;
  }
}
