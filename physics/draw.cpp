// Drawing of balls, links, ragdolls and main balls: the only physics code
// that talks to the screen.
#include <cmath>

#include "physics/link.h"
#include "physics/mainball.h"
#include "physics/masses.h"
#include "platform/samemath.h"
#include "physics/ragobject.h"
#include "physics/teamcolours.h"
#include "physics/view.h"

namespace {
// Image sizes the scales are made for: a ball image 300 pixels across, a
// big-ball image 800 across, a link image 280 long and 280 high.
constexpr double ballscale = 1.0f / 150;
constexpr double bigballscale = 0.0025;
constexpr double linkscale = 1.0f / 280;
// Below this screen width a link is taken as vertical for its angle.
constexpr double steepest = 0.00001f;
}  // namespace

int ball::updateapp(double xc, double yc, double zoom, double xwin, double ywin) {
  xapp = toscreen(x, xc, zoom, xwin);
  yapp = toscreen(y, yc, zoom, ywin);
  rapp = r * zoom;
  return 0;
}

int ball::draw(double xc, double yc, double zoom, double xwin, double ywin) {
  updateapp(xc, yc, zoom, xwin, ywin);
  if (bigball != 0) {
    SetDrawScale(rapp * bigballscale, rapp * bigballscale);
  } else {
    SetDrawScale(rapp * ballscale, rapp * ballscale);
  }
  if (image) DrawSprite(image, xapp, yapp, 0);
  SetDrawScale(1, 1);
  SetAlpha(1);
  return 0;
}

int link::Draw(double xc, double yc, double zoom, double xwin, double ywin) {
  if (!ball1 || !ball2) return 0;
  ball1->updateapp(xc, yc, zoom, xwin, ywin);
  ball2->updateapp(xc, yc, zoom, xwin, ywin);
  const double x1 = ball1->xapp, y1 = ball1->yapp;
  const double x2 = ball2->xapp, y2 = ball2->yapp;
  double dx = x2 - x1;
  const double dy = y2 - y1;
  const double L = std::sqrt(dx * dx + dy * dy);
  if (std::fabs(dx) < steepest) dx = steepest;
  double a = SameAtan(dy / dx) * physicsconst::degrees;
  // Turned by half a turn past 45 degrees; the image is symmetric.
  if (a > 45) a -= 180;
  SetDrawAngle(a);
  SetDrawScale(L * linkscale, width * 2 * zoom * linkscale);
  if (image) DrawSprite(image, (x1 + x2) / 2, (y1 + y2) / 2, 0);
  SetDrawScale(1, 1);
  SetDrawAngle(0);
  return 0;
}

// Balls first, then links, so links lie over balls. The caller sets the colour.
int ragobject::draw(double xc, double yc, double zoom, double xwin, double ywin) {
  for (ball* b : balllist) b->draw(xc, yc, zoom, xwin, ywin);
  for (class link* l : linklist) l->Draw(xc, yc, zoom, xwin, ywin);
  return 0;
}

void Tmainball::updatecolor() {
  realcolor = {130, 130, 130};
  switch (team) {
    case 0:
      realcolor = {255, 255, 255};
      break;
    case 1:
      realcolor[0] = 255;
      break;
    case 2:
      realcolor[2] = 255;
      break;
    case 3:
      realcolor[1] = 255;
      break;
    case 4:
      realcolor[0] = 255;
      realcolor[1] = 255;
      break;
    default:
      break;
  }
}

int Tmainball::draw(double xc, double yc, double zoom, double xwin, double ywin) {
  updatecolor();
  const teamrgb c = shownballcolour(static_cast<int>(realcolor[0]), static_cast<int>(realcolor[1]),
                                    static_cast<int>(realcolor[2]));
  SetColor(c.r, c.g, c.b);
  // The image turns with the ball's position seen from the world point (0, -3000).
  SetDrawAngle(SameAtan2(y + 3000, x) * physicsconst::degrees - 45);
  ball::draw(xc, yc, zoom, xwin, ywin);
  SetDrawAngle(0);
  return 0;
}
