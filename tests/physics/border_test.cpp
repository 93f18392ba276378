#include "physics/border.h"

#include <gtest/gtest.h>

#include <cmath>

#include "physics_helpers.h"

namespace {
ball moving(double x, double y, double xv, double yv, int rolling = 0) {
  ball b;
  b.x = x;
  b.y = y;
  b.xv = xv;
  b.yv = yv;
  b.rolling = rolling;
  return b;
}
}  // namespace

TEST(Border, StraightWallsBounceWithLossUnlessRolling) {
  Tborder border;
  ball b = moving(0, 1240, 3, 10), rolling = moving(2500, -1240, 0, -10, 1);
  ball resting = moving(0, 1235, 0, 2);
  for (ball* x : {&b, &rolling, &resting}) x->bordercollision(border);
  EXPECT_DOUBLE_EQ(b.y, 1235 - double(0.01f));
  EXPECT_NEAR(b.yv, -8, 1e-6);
  EXPECT_EQ(b.xv, 3);
  EXPECT_DOUBLE_EQ(rolling.y, -1235 + double(0.01f));  // x = Right: still the straight part
  EXPECT_EQ(rolling.yv, 10);
  EXPECT_EQ(resting.y, 1235);
  EXPECT_EQ(resting.yv, 2);
}

TEST(Border, EndCircleReversesTheRadialVelocity) {
  Tborder border;
  ball inside = moving(3700, 0, 5, 3), out = moving(3740, 0, 5, 3);
  ball returning = moving(-3740, 0, 5, 0);  // already coming back in
  for (ball* x : {&inside, &out, &returning}) x->bordercollision(border);
  EXPECT_EQ(inside.x, 3700);
  EXPECT_NEAR(out.x, 3735, 1e-9);
  EXPECT_NEAR(out.xv, -5, 1e-6);
  EXPECT_NEAR(out.yv, 3, 1e-6);
  EXPECT_NEAR(returning.x, -3735, 1e-9);
  EXPECT_NEAR(returning.xv, -5, 1e-6);
}

TEST(Border, CircularArenaKeepsEveryBallWithinItsRadius) {
  Tborder border;
  border.Left = border.Right = 0;
  border.up = -1000;
  border.down = 1000;
  SeedRandom(3);
  for (int i = 0; i < 200; i++) {
    ball b = moving(RandomReal(-1500, 1500), RandomReal(-1500, 1500), RandomReal(-30, 30),
                    RandomReal(-30, 30));
    b.r = 20;
    const double speed = std::hypot(b.xv, b.yv);
    b.bordercollision(border);
    EXPECT_LE(std::hypot(b.x, b.y), 980 + 1e-6);
    EXPECT_NEAR(std::hypot(b.xv, b.yv), speed, 1e-6);  // full bounce
  }
  ball centre = moving(0, 990, 0, 10);  // x exactly 0 meets the straight-wall rule
  centre.bordercollision(border);
  EXPECT_NEAR(centre.yv, -8, 1e-6);
}
