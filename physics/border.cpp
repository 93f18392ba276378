#include "physics/border.h"

#include <cmath>

#include "physics/ball.h"
#include "physics/masses.h"
#include "physics/ragobject.h"

namespace {
constexpr double wallbounce = 0.8f;   // straight walls, ball not rolling
constexpr double wallmargin = 0.01f;  // left between a ball and a straight wall
}  // namespace

// Works in coordinates relative to P: the line is y = k x + c, and the foot
// of the perpendicular from the origin is where x = -c / (k + 1 / k).
point2 closestpoint(double px, double py, double ax, double ay, double bx, double by) {
  const double ux = ax - px;
  const double uy = ay - py;
  const double Dx = atleastsmallest(bx - ax);
  const double Dy = atleastsmallest(by - ay);
  const double k = Dy / Dx;
  const double c = uy - ux * k;
  const double X = -c / (k + 1 / k);
  const double Y = k * X + c;
  return {X + px, Y + py};
}

namespace {
// Keeps a ball within the end circle centred at (cx, cy) of radius H: moved
// back onto the circle of radius H - r, its radial velocity reversed in full.
void endcircle(ball& b, double cx, double cy, double H) {
  const double D = std::sqrt((b.x - cx) * (b.x - cx) + (b.y - cy) * (b.y - cy));
  if (D <= H - b.r) return;
  const double nx = cx + (b.x - cx) * (H - b.r) / D;
  const double ny = cy + (b.y - cy) * (H - b.r) / D;
  b.x = nx;
  b.y = ny;
  const point2 p = closestpoint(b.xv, b.yv, 0, 0, b.x - cx, b.y - cy);
  b.xv -= 2 * p.x;
  b.yv -= 2 * p.y;
}
}  // namespace

int ball::bordercollision(Tborder& border) {
  const double H = (border.down - border.up) / 2;
  const double cy = (border.up + border.down) / 2;
  const double bounce = rolling == 1 ? 1.0 : wallbounce;
  if (x > border.Right) {
    endcircle(*this, border.Right, cy, H);
  } else if (x < border.Left) {
    endcircle(*this, border.Left, cy, H);
  } else if (y > border.down - r) {
    y = border.down - r - wallmargin;
    yv = -bounce * yv;
  } else if (y < border.up + r) {
    y = border.up + r + wallmargin;
    yv = -bounce * yv;
  }
  return 0;
}
