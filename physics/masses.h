// Mass weighting and the small constants shared by the constraint and
// collision passes.
#pragma once

#include <cmath>

namespace physicsconst {
// Smallest length, squared length or direction component the passes divide
// by (single precision, as the game always had it).
constexpr double smallest = 0.00001f;
constexpr double degrees = 57.295779513082320876798;  // per radian
}  // namespace physicsconst

// Share of a correction taken by a ball of mass `mine` against a partner of
// mass `other`: other / (mine + other), so the lighter side moves more. A
// side that weighs nothing (zero, negative or undefined mass) takes all of
// it, and two such sides split it evenly, so no pass divides by zero.
inline double lightershare(double mine, double other) {
  const bool heavy = mine > 0;
  const bool otherheavy = other > 0;
  if (heavy && otherheavy) {
    const double share = 1 / (1 + mine / other);
    return std::isnan(share) ? 0.5 : share;
  }
  if (heavy) return 0;
  if (otherheavy) return 1;
  return 0.5;
}

// Clamps a divisor away from zero the way every pass does: a magnitude
// below `smallest` becomes +smallest.
inline double atleastsmallest(double v) {
  return std::fabs(v) < physicsconst::smallest ? physicsconst::smallest : v;
}
