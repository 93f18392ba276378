#include "effects/fireworks.h"

#include <algorithm>
#include <cmath>

#include "effects/colordrift.h"
#include "physics/view.h"
#include "platform/platform.h"

namespace {

constexpr float sparkdrag = 0.995f;
constexpr double sparkscale = 1.2;

}  // namespace

int tspark::draw(double xcenter, double ycenter, double zoom, double xwin, double ywin,
                 double alpha, const float* colour, int small) {
  // Depth perspective: at z = 0 this is the camera zoom; further back it shrinks.
  double p = 1.0 / (1.0 / zoom - z / 1000.0);
  SetBlend(4);
  SetAlpha(alpha);
  SetColor(static_cast<int>(colour[0]), static_cast<int>(colour[1]), static_cast<int>(colour[2]));
  double s = small != 0 ? sparkscale * p / 2 : sparkscale * p;
  SetDrawScale(s, s);
  double sx = toscreen(x, xcenter, p, xwin);
  double sy = toscreen(y, ycenter, p, ywin);
  if (sx > 0 && sx < xwin && sy > 0 && sy < ywin) DrawSprite(image, sx, sy, 0);
  SetBlend(3);
  SetAlpha(1.0);
  SetDrawScale(1, 1);
  return 0;
}

int Tfirework::init(double x, double y, double z, double bx, double by, double speed, int red,
                    int green, int blue, int n, Image* image, int small) {
  this->small = small;
  numsp = std::clamp(n, 0, maxsparks);
  this->image = image;
  alpha = 1.0f;
  color[0] = static_cast<float>(red);
  color[1] = static_cast<float>(green);
  color[2] = static_cast<float>(blue);
  for (int i = 0; i < numsp; i++) {
    tspark& s = sparks[i];
    s = tspark();
    double a = RandomReal(360, 0);
    double b = RandomReal(360, 0);
    s.image = image;
    s.x = static_cast<float>(x);
    s.y = static_cast<float>(y);
    s.z = static_cast<float>(z);
    s.xv = static_cast<float>(Cosd(a) * Cosd(b) * speed + bx);
    s.yv = static_cast<float>(Cosd(a) * Sind(b) * speed + by);
    s.zv = static_cast<float>(Sind(a) * speed);
  }
  return 0;
}

int Tfirework::update() {
  alpha -= small != 0 ? 0.02f : 0.01f;
  driftcolor(color, adder);
  for (int i = 0; i < numsp; i++) {
    tspark& s = sparks[i];
    s.xv *= sparkdrag;
    s.yv *= sparkdrag;
    s.zv *= sparkdrag;
    s.x += s.xv;
    s.y += s.yv;
    s.z += s.zv;
  }
  return alpha < 0.01f ? 1 : 0;
}

int Tfirework::draw(double xcenter, double ycenter, double zoom, double xwin, double ywin) {
  for (int i = 0; i < numsp; i++) {
    sparks[i].draw(xcenter, ycenter, zoom, xwin, ywin, alpha, color, small);
  }
  return 0;
}
