#include "physics/border.h"

#include <gtest/gtest.h>

#include <cmath>

#include "physics/ragobject.h"
#include "physics_helpers.h"

TEST(Closestpoint, FootOfThePerpendicular) {
  const point2 f = closestpoint(3, 5, 0, 0, 10, 10);
  EXPECT_NEAR(f.x, 4, 1e-9);
  EXPECT_NEAR(f.y, 4, 1e-9);
  // A vertical line is taken as very slightly slanted.
  const point2 v = closestpoint(7, 3, 2, 0, 2, 10);
  EXPECT_NEAR(v.x, 2, 1e-4);
  EXPECT_NEAR(v.y, 3, 1e-4);
  // A vector projected onto a direction.
  const point2 p = closestpoint(5, 3, 0, 0, 1, 0);
  EXPECT_NEAR(p.x, 5, 1e-4);
  EXPECT_NEAR(p.y, 0, 1e-4);
}

TEST(Border, StraightWallsBounceWithLossUnlessRolling) {
  Tborder border;
  ball b;
  b.x = 0;
  b.y = 1240;
  b.xv = 3;
  b.yv = 10;
  b.bordercollision(border);
  EXPECT_DOUBLE_EQ(b.y, 1235 - double(0.01f));
  EXPECT_NEAR(b.yv, -8, 1e-6);
  EXPECT_EQ(b.xv, 3);

  ball rolling;
  rolling.rolling = 1;
  rolling.x = 2500;  // still the straight part
  rolling.y = -1240;
  rolling.yv = -10;
  rolling.bordercollision(border);
  EXPECT_DOUBLE_EQ(rolling.y, -1235 + double(0.01f));
  EXPECT_EQ(rolling.yv, 10);

  ball resting;
  resting.x = 0;
  resting.y = 1235;
  resting.yv = 2;
  resting.bordercollision(border);
  EXPECT_EQ(resting.y, 1235);
  EXPECT_EQ(resting.yv, 2);
}

TEST(Border, EndCircleReversesTheRadialVelocity) {
  Tborder border;
  ball inside;
  inside.x = 2500 + 1200;
  inside.y = 0;
  inside.xv = 5;
  inside.yv = 3;
  inside.bordercollision(border);
  EXPECT_EQ(inside.x, 3700);
  EXPECT_EQ(inside.xv, 5);

  ball out;
  out.x = 2500 + 1240;
  out.y = 0;
  out.xv = 5;
  out.yv = 3;
  out.bordercollision(border);
  EXPECT_NEAR(out.x, 2500 + 1235, 1e-9);
  EXPECT_NEAR(out.y, 0, 1e-9);
  EXPECT_NEAR(out.xv, -5, 1e-6);
  EXPECT_NEAR(out.yv, 3, 1e-6);

  // Already coming back in: the radial part is still turned, now outward.
  ball returning;
  returning.x = -2500 - 1240;
  returning.y = 0;
  returning.xv = 5;
  returning.bordercollision(border);
  EXPECT_NEAR(returning.x, -2500 - 1235, 1e-9);
  EXPECT_NEAR(returning.xv, -5, 1e-6);
}

TEST(Border, CircularArenaKeepsEveryBallWithinItsRadius) {
  Tborder border;
  border.Left = border.Right = 0;
  border.up = -1000;
  border.down = 1000;
  SeedRandom(3);
  ragobject rag;
  for (int i = 0; i < 200; i++) {
    ball* b = placedball(RandomReal(-1500, 1500), RandomReal(-1500, 1500), 20);
    if (b->x == 0) b->x = 1;
    b->xv = RandomReal(-30, 30);
    b->yv = RandomReal(-30, 30);
    rag.balllist.push_back(b);
  }
  std::vector<double> speeds;
  for (ball* b : rag.balllist) speeds.push_back(std::hypot(b->xv, b->yv));
  rag.bordercollision(border);
  for (size_t i = 0; i < rag.balllist.size(); i++) {
    const ball& b = *rag.balllist[i];
    EXPECT_LE(std::hypot(b.x, b.y), 1000 - 20 + 1e-6);
    EXPECT_NEAR(std::hypot(b.xv, b.yv), speeds[i], 1e-6);  // full bounce
  }
  ball centre;  // x exactly 0 meets the straight-wall rule
  centre.x = 0;
  centre.y = 990;
  centre.yv = 10;
  centre.bordercollision(border);
  EXPECT_DOUBLE_EQ(centre.y, 985 - double(0.01f));
  EXPECT_NEAR(centre.yv, -8, 1e-6);
}
