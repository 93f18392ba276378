#include "effects/trail.h"

#include "physics/teamcolours.h"
#include "physics/view.h"
#include "platform/platform.h"

namespace {

constexpr double dotradius = 40.0;
constexpr double dotfade = 0.9;

}  // namespace

int dotburst::init(double x, double y, double xv, double yv, const float* colour, Image* image,
                   double alpha) {
  this->image = image;
  for (int c = 0; c < 3; c++) color[c] = static_cast<int32_t>(colour[c]);
  this->alpha = alpha;
  r = dotradius;
  this->x = static_cast<int32_t>(x);
  this->y = static_cast<int32_t>(y);
  this->xv = static_cast<int32_t>(xv);
  this->yv = static_cast<int32_t>(yv);
  return 0;
}

int dotburst::update(double /*slower*/) {
  alpha *= dotfade;
  x += xv;
  y += yv;
  return alpha > 0.01 ? 0 : 1;
}

int dotburst::draw(double zoom, double xcenter, double ycenter, double xwin, double ywin) {
  SetBlend(4);
  SetAlpha(alpha);
  const teamrgb c = shownballcolour(color[0], color[1], color[2]);
  SetColor(c.r, c.g, c.b);
  double sx = toscreen(x, xcenter, zoom, xwin);
  double sy = toscreen(y, ycenter, zoom, ywin);
  double s = zoom * 2 * r / 50;
  SetDrawScale(s, s);
  DrawSprite(image, sx, sy, 0);
  SetDrawScale(1, 1);
  SetAlpha(1.0);
  SetBlend(3);
  return 0;
}
