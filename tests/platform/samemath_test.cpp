#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "platform/samemath.h"

namespace {
const double inf = std::numeric_limits<double>::infinity();

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Ulps between a result and the long double one, in units of the double's.
double Ulps(double got, long double exact) {
  const double e = static_cast<double>(exact);
  return static_cast<double>(std::fabs(got - exact)) / (std::nextafter(std::fabs(e), inf) - std::fabs(e));
}
}  // namespace

// The desktop's replays stay as they were: hypot keeps the system's bits.
TEST(SameMath, HypotIsTheSystemsBitForBit) {
  std::mt19937_64 random(5);
  std::uniform_real_distribution<double> unit(-1, 1);
  for (int i = 0; i < 200000; ++i) {
    const double scale = std::pow(10.0, 8 * unit(random));
    const double x = unit(random) * scale, y = unit(random) * scale * (i % 4 ? 1 : 1e-6);
    ASSERT_TRUE(SameBits(SameHypot(x, y), std::hypot(x, y))) << std::hexfloat << x << " " << y;
  }
  for (double x : {0.0, -3.0, 1e300, 3e-310, inf, -inf})
    for (double y : {0.0, 4.0, -1e300, 5e-324, -inf})
      EXPECT_TRUE(SameBits(SameHypot(x, y), std::hypot(x, y))) << x << " " << y;
  EXPECT_TRUE(std::isnan(SameHypot(NAN, 1)));
  EXPECT_EQ(SameHypot(NAN, inf), inf);
}

TEST(SameMath, ArcTangentsAreWithinAFewUlpsWithEveryQuadrantAndEdgeRight) {
  std::mt19937_64 random(6);
  std::uniform_real_distribution<double> unit(-1, 1);
  for (int i = 0; i < 200000; ++i) {
    const double scale = std::pow(10.0, 6 * unit(random));
    const double x = unit(random) * scale, y = unit(random) * scale;
    ASSERT_LT(Ulps(SameAtan(x), atanl(x)), 4) << std::hexfloat << x;
    ASSERT_LT(Ulps(SameAtan2(y, x), atan2l(y, x)), 4) << std::hexfloat << y << " " << x;
  }
  for (double y : {0.0, -0.0, 1.0, -1.0, inf, -inf, 1e-300})
    for (double x : {0.0, -0.0, 2.0, -2.0, inf, -inf, 1e300})
      EXPECT_TRUE(SameBits(SameAtan2(y, x), std::atan2(y, x))) << y << " " << x;
  EXPECT_TRUE(std::isnan(SameAtan2(NAN, 1)) && std::isnan(SameAtan(NAN)));
  EXPECT_TRUE(SameBits(SameAtan(-inf), std::atan(-inf)));
}

// Both builds hold these bits; a change to the functions parts every replay
// recorded before it.
TEST(SameMath, KnownBitsStay) {
  EXPECT_TRUE(SameBits(SameAtan2(0x1.d9002969ed666p+10, -0x1.178009eb8ce49p+9), 0x1.dbaaf8a430c22p+0));
  EXPECT_TRUE(SameBits(SameAtan(0x1.3p-2), 0x1.278372057ef46p-2));
}
