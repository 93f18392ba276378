#include "physics/tension.h"

#include <algorithm>
#include <cmath>

#include "physics/masses.h"
#include "platform/samemath.h"

namespace {
constexpr double tensionthreshold = 10;  // strength at or below this does nothing
constexpr double stability = 0.7f;       // caps the turn per pass
constexpr double tensionscale = 400;     // degrees of error per unit of turn

// Angles far out of range (from a hostile body file) are brought near the
// range in one step; the loops below would never finish on them.
float reduce(float a, float period) {
  if (std::fabs(a) > 16 * period) a = std::fmod(a, period);
  return a;
}

// a1 - a2, up to whole turns, for a1 = atan2(dy1, -dx1) and a2 = atan2(dy2,
// -dx2) in degrees. With both segments of some length one arc tangent of
// their cross and dot products does it; a segment of no length has only the
// direction the two arc tangents give it.
double turn(double dx1, double dy1, double dx2, double dy2) {
  if ((dx1 != 0 || dy1 != 0) && (dx2 != 0 || dy2 != 0)) {
    return SameAtan2(dx1 * dy2 - dy1 * dx2, dx1 * dx2 + dy1 * dy2) * physicsconst::degrees;
  }
  return (SameAtan2(dy1, -dx1) - SameAtan2(dy2, -dx2)) * physicsconst::degrees;
}
}  // namespace

float wrap360(float a) {
  a = reduce(a, 360);
  while (a >= 360) a -= 360;
  while (a < 0) a += 360;
  return a;
}

float wrap180(float a) {
  a = reduce(a, 360);
  while (a > 180) a -= 360;
  while (a < -180) a += 360;
  return a;
}

// Turns the segments B2-B1 and B2-B3 about the vertex B2 in opposite senses so
// that the angle between them moves toward `angle`; B2 takes the opposite of
// both pushes. The stiffness is capped at 0.7 * mmin * (shorter squared
// length), which keeps the turn of either segment at 0.7 * err / 400 radians
// per pass at most.
int tension::partialtension(int i, double s) {
  if (strength <= tensionthreshold) return 0;
  if (!ball1 || !ball2 || !ball3) return 0;
  ball& B1 = *ball1;
  ball& B2 = *ball2;
  ball& B3 = *ball3;
  if (B1.anchored == 1 && B2.anchored == 1 && B3.anchored == 1) return 0;
  const double m1 = B1.actualmass, m2 = B2.actualmass, m3 = B3.actualmass;
  const double mmin = std::min(std::min(m1, m2), m3);
  // A weightless ball caps the stiffness at zero: nothing to push with.
  if (!(mmin > 0)) return 0;

  const double dx1 = B2.x - B1.x, dy1 = B2.y - B1.y;
  const double dx2 = B3.x - B2.x, dy2 = B3.y - B2.y;
  const float theta = wrap360(static_cast<float>(turn(dx1, dy1, dx2, dy2) + 180));
  const float err = wrap180(static_cast<float>(theta - angle));

  double L1 = dx1 * dx1 + dy1 * dy1;
  double L2 = dx2 * dx2 + dy2 * dy2;
  if (std::fabs(L1) < physicsconst::smallest) L1 = physicsconst::smallest;
  if (std::fabs(L2) < physicsconst::smallest) L2 = physicsconst::smallest;

  double k = std::min(stability * L1 * mmin, stability * L2 * mmin);
  k = std::min(k, strength + 10000.0 * i);
  const double F = k * err / tensionscale * s;

  // Each outer ball moves across its segment by F / (L × m); the vertex
  // takes the opposite of both.
  const double f1 = F / L1, f2 = F / L2;
  const double w1 = 1 / m1, w2 = 1 / m2, w3 = 1 / m3;
  B1.shiftx += f1 * dy1 * w1;
  B1.shifty += f1 * (-dx1) * w1;
  B2.shiftx += (-f1 * dy1 - f2 * dy2) * w2;
  B2.shifty += (f1 * dx1 + f2 * dx2) * w2;
  B3.shiftx += f2 * dy2 * w3;
  B3.shifty += f2 * (-dx2) * w3;
  return 0;
}
