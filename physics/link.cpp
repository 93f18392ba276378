#include "physics/link.h"

#include <cmath>

#include "physics/masses.h"

namespace {
// Share of a link's length error removed per pass.
constexpr double linkcorrection = 0.3f;
}  // namespace

// e = D - rest; b1 moves e * m2 / (m1 + m2) toward b2, b2 the rest toward b1,
// each scaled by linkcorrection.
int linkshift(ball& b1, ball& b2, double rest) {
  const double dx = b2.x - b1.x;
  const double dy = b2.y - b1.y;
  double D = std::sqrt(dx * dx + dy * dy);
  if (std::fabs(D) < physicsconst::smallest) D = physicsconst::smallest;
  const double e = D - rest;
  const double e1 = e * lightershare(b1.actualmass, b2.actualmass);
  const double e2 = e * lightershare(b2.actualmass, b1.actualmass);
  b1.shiftx += e1 * dx / D * linkcorrection;
  b1.shifty += e1 * dy / D * linkcorrection;
  b2.shiftx -= e2 * dx / D * linkcorrection;
  b2.shifty -= e2 * dy / D * linkcorrection;
  return 0;
}
