#include "physics/tension.h"

#include <algorithm>
#include <cmath>

#include "physics/masses.h"

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
  const double a1 = std::atan2(dy1, -dx1) * physicsconst::degrees;
  const double a2 = std::atan2(dy2, -dx2) * physicsconst::degrees;
  const float theta = wrap360(static_cast<float>(a1 - a2 + 180));
  const float err = wrap180(static_cast<float>(theta - angle));

  double L1 = dx1 * dx1 + dy1 * dy1;
  double L2 = dx2 * dx2 + dy2 * dy2;
  if (std::fabs(L1) < physicsconst::smallest) L1 = physicsconst::smallest;
  if (std::fabs(L2) < physicsconst::smallest) L2 = physicsconst::smallest;

  double k = std::min(stability * L1 * mmin, stability * L2 * mmin);
  k = std::min(k, strength + 10000.0 * i);
  const double F = k * err / tensionscale * s;

  B1.shiftx += F * dy1 / L1 / m1;
  B1.shifty += F * (-dx1) / L1 / m1;
  B2.shiftx += (-F * dy1 / L1 - F * dy2 / L2) / m2;
  B2.shifty += (F * dx1 / L1 + F * dx2 / L2) / m2;
  B3.shiftx += F * dy2 / L2 / m3;
  B3.shifty += F * (-dx2) / L2 / m3;
  return 0;
}
