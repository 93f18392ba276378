#include <gtest/gtest.h>

#include <cmath>

#include "platform/internal.h"

namespace {

void ExpectCorner(const plat::Quad& q, int i, float x, float y) {
  EXPECT_NEAR(q.v[i].x, x, 1e-4) << "corner " << i;
  EXPECT_NEAR(q.v[i].y, y, 1e-4) << "corner " << i;
}

}  // namespace

TEST(Quads, ScaleAppliesAlongTheImageAxesAboutTheHandle) {
  plat::Quad q;
  // A 20 x 10 image with its handle at the centre, drawn at (100, 50).
  plat::Placement(100, 50, 2, 0.5, 0).Box(-10, -5, 20, 10, &q);
  ExpectCorner(q, 0, 80, 47.5);
  ExpectCorner(q, 2, 120, 52.5);
}

TEST(Quads, PositiveAnglesTurnClockwiseOnScreen) {
  plat::Quad q;
  // Handle at the left edge: +x of the image must end up pointing down (+y).
  plat::Placement(0, 0, 1, 1, 90).Box(0, 0, 10, 2, &q);
  ExpectCorner(q, 0, 0, 0);
  ExpectCorner(q, 1, 0, 10);
  ExpectCorner(q, 3, -2, 0);
  // Scale before rotation: the image's own x axis is stretched.
  plat::Placement(0, 0, 3, 1, 90).Box(0, 0, 10, 2, &q);
  ExpectCorner(q, 1, 0, 30);
}

TEST(Quads, NegativeScaleMirrorsAboutTheHandle) {
  plat::Quad q;
  plat::Placement(50, 50, -1, 1, 0).Box(-5, -5, 10, 10, &q);
  ExpectCorner(q, 0, 55, 45);  // top-left of the image is now on the right
  ExpectCorner(q, 1, 45, 45);
}

TEST(Quads, LinesHaveTheirWidthAcrossTheSegment) {
  plat::Quad q;
  plat::LineQuad(0, 0, 10, 0, 4, &q);
  ExpectCorner(q, 0, 0, 2);
  ExpectCorner(q, 1, 10, 2);
  ExpectCorner(q, 2, 10, -2);
  ExpectCorner(q, 3, 0, -2);
  plat::LineQuad(3, 3, 3, 3, 4, &q);  // a point: degenerate, but no NaN
  for (const auto& v : q.v) EXPECT_FALSE(std::isnan(v.x) || std::isnan(v.y));
}
