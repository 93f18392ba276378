#include "physics/collision.h"

#include <algorithm>
#include <cmath>

#include "physics/masses.h"
#include "platform/samemath.h"

namespace {
constexpr double restitution = 0.88f * 2;  // applied to the normal relative velocity
constexpr double separation = 0.1f;        // left between the two sides after a hit
constexpr double linkfriction = 0.1;       // of the sliding velocity, non-rolling balls
// The separation loop of a ball against a link ends by itself in a few
// repeats; this bound only guards against a pathological state.
constexpr int maxseparationrepeats = 64;

// P strictly between the two lines through E1 and E2 perpendicular to the
// link (q = -Dx / Dy is their slope).
bool betweenends(const ball& P, const ball& E1, const ball& E2, double Dx, double Dy) {
  const double q = -Dx / Dy;
  const double a1 = P.y - E1.y, b1 = q * (P.x - E1.x);
  const double a2 = P.y - E2.y, b2 = q * (P.x - E2.x);
  return (a1 > b1 && a2 < b2) || (a1 < b1 && a2 > b2);
}

// Squared approach speed of end E toward P: |v(E) - v(P)|² when they close
// in, else 0.
double approachsquared(const ball& E, const ball& P) {
  const double wx = E.xv - P.xv, wy = E.yv - P.yv;
  if (wx * (E.x - P.x) + wy * (E.y - P.y) <= 0) return wx * wx + wy * wy;
  return 0;
}

// Most pairs tested in a frame are far apart; these cheap tests leave them
// out before the exact test, and only when they are clearly out of reach, so
// the exact test decides every close case.
constexpr double reachslack = 1.000001;
constexpr double bandslack = 1;  // world units; covers the slant of clamped directions
}  // namespace

double linedistance(double px, double py, double ax, double ay, double bx, double by) {
  const double Dx = atleastsmallest(bx - ax);
  const double Dy = atleastsmallest(by - ay);
  const double k = Dy / Dx;
  return std::fabs((ax - px) * k - (ay - py)) / std::sqrt(k * k + 1);
}

int ballcollision(ball& A, ball& B, double d) {
  double dx = B.x - A.x;
  double dy = B.y - A.y;
  const double wx = B.xv - A.xv;
  const double wy = B.yv - A.yv;
  const double radii = A.r + B.r;
  if (radii >= 0) {
    double reachsquared = radii * radii;
    if (wx * dx + wy * dy <= 0) reachsquared = std::max(reachsquared, wx * wx + wy * wy);
    if (dx * dx + dy * dy > reachsquared * reachslack + 1) return 0;
  }
  double D = std::sqrt(dx * dx + dy * dy);

  // A fast approach counts as contact from up to one frame's travel away.
  double reach = A.r + B.r;
  if (wx * dx + wy * dy <= 0) reach = std::max(reach, std::sqrt(wx * wx + wy * wy));
  if (D >= reach) return 0;

  D = atleastsmallest(D);
  dx = atleastsmallest(dx);
  dy = atleastsmallest(dy);
  const double k = atleastsmallest(dy / dx);

  double Jx, Jy;
  if (d <= 0) {
    // The component of w along the line of centres, reversed.
    Jx = -(wy + wx / k) / (k + 1 / k);
    Jy = Jx * k;
  } else {
    Jx = d * dx / D;
    Jy = d * dy / D;
  }

  const double shareB = lightershare(B.actualmass, A.actualmass);
  const double shareA = lightershare(A.actualmass, B.actualmass);
  const double s = reach + separation - D;
  B.x += s * dx / D * shareB;
  B.y += s * dy / D * shareB;
  A.x -= s * dx / D * shareA;
  A.y -= s * dy / D * shareA;

  B.xv += Jx * restitution * shareB;
  B.yv += Jy * restitution * shareB;
  A.xv -= Jx * restitution * shareA;
  A.yv -= Jy * restitution * shareA;
  return 1;
}

int balllinkcollision(ball& P, class link& L, double d) {
  if (!L.ball1 || !L.ball2) return 0;
  ball& E1 = *L.ball1;
  ball& E2 = *L.ball2;
  const double m1 = E1.actualmass, m2 = E2.actualmass, mP = P.actualmass;

  // Out of reach of the link's bounding box: (touch + slack)² is at most the
  // larger of (P.r + width + slack)² and 2 sreach² + 2 for a slack of 1.
  const double approach = std::max(approachsquared(E1, P), approachsquared(E2, P));
  const double outx =
      std::max(std::max(std::min(E1.x, E2.x) - P.x, P.x - std::max(E1.x, E2.x)), 0.0);
  const double outy =
      std::max(std::max(std::min(E1.y, E2.y) - P.y, P.y - std::max(E1.y, E2.y)), 0.0);
  const double base = P.r + L.width + bandslack;
  const double bound = std::max(base > 0 ? base * base : 0, 2 * approach + 2);
  if (outx * outx + outy * outy > bound) return 0;
  const double sreach = std::sqrt(approach);
  const double touch = std::max(P.r + L.width, sreach);
  double Dx = atleastsmallest(E2.x - E1.x);
  double Dy = atleastsmallest(E2.y - E1.y);
  double pd = linedistance(P.x, P.y, E1.x, E1.y, E2.x, E2.y);
  // Contacts beyond the ends are left to the end balls.
  if (!betweenends(P, E1, E2, Dx, Dy)) return 0;
  if (pd >= touch) return 0;

  const double k = Dy / Dx;
  const point2 F = closestpoint(P.x, P.y, E1.x, E1.y, E2.x, E2.y);
  const double t1 = SameHypot(F.x - E1.x, F.y - E1.y);
  const double t2 = SameHypot(F.x - E2.x, F.y - E2.y);
  const double T = t1 + t2;
  const double pd2 = SameHypot(F.x - P.x, F.y - P.y);
  const double W = t1 * m1 + t2 * m2;

  // Velocity of the link at the foot; each end weighted by its own distance.
  double vlx, vly;
  if (T > 0) {
    vlx = (E1.xv * t1 + E2.xv * t2) / T;
    vly = (E1.yv * t1 + E2.yv * t2) / T;
  } else {
    vlx = (E1.xv + E2.xv) / 2;
    vly = (E1.yv + E2.yv) / 2;
  }

  // The component of w perpendicular to the link.
  const double wx = vlx - P.xv, wy = vly - P.yv;
  double Jx = (k * wx - wy) / (k + 1 / k);
  double Jy = (-1 / k) * Jx;
  if (P.rolling == 0) {
    const point2 t = closestpoint(P.xv - vlx, P.yv - vly, 0, 0, Dx, Dy);
    Jx -= linkfriction * t.x;
    Jy -= linkfriction * t.y;
  }
  const double M = 2 * std::min(m1, m2);

  // Unit vector from the foot to P; a ball exactly on the line is pushed
  // along the link's normal.
  double nx, ny;
  if (pd2 > 0) {
    nx = (P.x - F.x) / pd2;
    ny = (P.y - F.y) / pd2;
  } else {
    const double len = SameHypot(Dx, Dy);
    nx = -Dy / len;
    ny = Dx / len;
  }
  if (d > 0) {
    Jx = d * nx;
    Jy = d * ny;
  }

  // How a push on the link is shared by its ends: the end nearer the foot
  // takes more.
  double share1 = 0.5, share2 = 0.5;
  if (W > 0) {
    share1 = t2 * m2 / W;
    share2 = t1 * m1 / W;
  }
  const double shareP = lightershare(mP, M);
  const double shareL = lightershare(M, mP);

  P.xv += Jx * restitution * shareP;
  P.yv += Jy * restitution * shareP;
  E1.xv -= Jx * share1 * restitution * shareL;
  E1.yv -= Jy * share1 * restitution * shareL;
  E2.xv -= Jx * share2 * restitution * shareL;
  E2.yv -= Jy * share2 * restitution * shareL;

  const double R = std::max(P.r + L.width + separation, sreach);
  const double hx = (F.x + R * nx - P.x) / 2;
  const double hy = (F.y + R * ny - P.y) / 2;
  for (int repeat = 0; repeat < maxseparationrepeats; repeat++) {
    E1.x -= hx * share1 * 2 * shareL;
    E1.y -= hy * share1 * 2 * shareL;
    E2.x -= hx * share2 * 2 * shareL;
    E2.y -= hy * share2 * 2 * shareL;
    P.x += hx * 2 * shareP;
    P.y += hy * 2 * shareP;
    Dx = atleastsmallest(E2.x - E1.x);
    Dy = atleastsmallest(E2.y - E1.y);
    pd = linedistance(P.x, P.y, E1.x, E1.y, E2.x, E2.y);
    if (pd > touch || !betweenends(P, E1, E2, Dx, Dy)) break;
  }
  return 1;
}

namespace {
// What a ragdoll can reach at this instant: the box of its ball centres, its
// largest ball radius and link width, and the speed of its fastest ball.
struct extent {
  bool bounded = true;  // false when a value is not finite: never culled
  double minx = 0, maxx = 0, miny = 0, maxy = 0;
  double radius = 0, width = 0, speed = 0;
};

extent extentof(const ragobject& R) {
  extent e;
  double speedsquared = 0;
  bool first = true;
  for (const ball* b : R.balllist) {
    if (!std::isfinite(b->x) || !std::isfinite(b->y) || !std::isfinite(b->xv) ||
        !std::isfinite(b->yv) || !std::isfinite(b->r)) {
      e.bounded = false;
      return e;
    }
    if (first) {
      e.minx = e.maxx = b->x;
      e.miny = e.maxy = b->y;
      first = false;
    }
    e.minx = std::min(e.minx, b->x);
    e.maxx = std::max(e.maxx, b->x);
    e.miny = std::min(e.miny, b->y);
    e.maxy = std::max(e.maxy, b->y);
    e.radius = std::max(e.radius, b->r);
    speedsquared = std::max(speedsquared, b->xv * b->xv + b->yv * b->yv);
  }
  for (const class link* l : R.linklist) {
    if (!std::isfinite(l->width)) {
      e.bounded = false;
      return e;
    }
    e.width = std::max(e.width, l->width);
  }
  e.speed = std::sqrt(speedsquared);
  return e;
}

// True when no ball of one can touch a ball or link of the other: every
// contact needs the two within the radii, the link width and the relative
// speed of the two parts.
bool outofreach(const extent& a, const extent& b) {
  if (!a.bounded || !b.bounded) return false;
  const double reach =
      std::max(a.radius + std::max(b.radius, b.width), b.radius + std::max(a.radius, a.width)) +
      a.speed + b.speed + bandslack;
  if (!std::isfinite(reach)) return false;
  return a.minx - b.maxx > reach || b.minx - a.maxx > reach || a.miny - b.maxy > reach ||
         b.miny - a.maxy > reach;
}
}  // namespace

namespace {
// The links of one ragdoll against the balls of another, link by link. A
// ball clearly out of a link's reach (the link's box grown by the largest
// radius, the width and the speeds of both sides) is passed over; the reach
// is measured anew after every contact, which moves and speeds up balls.
int linkpass(ragobject& linkowner, ragobject& ballowner, double d) {
  int hit = 0;
  extent balls = extentof(ballowner);
  for (class link* L : linkowner.linklist) {
    if (!L->ball1 || !L->ball2) continue;
    const ball& E1 = *L->ball1;
    const ball& E2 = *L->ball2;
    double minx = 0, maxx = 0, miny = 0, maxy = 0;
    bool bounded = false;
    auto measure = [&] {
      const double endspeed =
          std::sqrt(std::max(E1.xv * E1.xv + E1.yv * E1.yv, E2.xv * E2.xv + E2.yv * E2.yv));
      const double margin =
          balls.radius + std::max(L->width, 0.0) + balls.speed + endspeed + bandslack;
      bounded = balls.bounded && std::isfinite(margin);
      minx = std::min(E1.x, E2.x) - margin;
      maxx = std::max(E1.x, E2.x) + margin;
      miny = std::min(E1.y, E2.y) - margin;
      maxy = std::max(E1.y, E2.y) + margin;
    };
    measure();
    for (ball* P : ballowner.balllist) {
      if (bounded && (P->x < minx || P->x > maxx || P->y < miny || P->y > maxy)) continue;
      if (balllinkcollision(*P, *L, d) == 1) {
        hit = 1;
        balls = extentof(ballowner);
        measure();
      }
    }
  }
  return hit;
}
}  // namespace

int ragcollision(ragobject& R1, ragobject& R2, double d) {
  // Ragdolls far apart are left out at once: none of the tests below could
  // find a contact, and a test without contact changes nothing.
  if (R1.balllist.empty() || R2.balllist.empty()) return 0;
  if (outofreach(extentof(R1), extentof(R2))) return 0;
  int hit = 0;
  if (linkpass(R1, R2, d) == 1) hit = 1;
  if (linkpass(R2, R1, d) == 1) hit = 1;
  for (ball* b2 : R2.balllist) {
    for (ball* b1 : R1.balllist) {
      if (ballcollision(*b2, *b1, d) == 1) hit = 1;
    }
  }
  return hit;
}
