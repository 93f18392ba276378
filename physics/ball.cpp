#include "physics/ball.h"

ball::ball() : col(RandomInt(0, 4)), oldx(RandomInt(0, 800)), oldy(RandomInt(0, 600)) {
  x = oldx;
  y = oldy;
}

int ball::move(double s, double g) {
  yv += g;
  x += xv * s;
  y += yv * s;
  return 0;
}

int ball::updatev(double s) {
  xv = (x - oldx) / s;
  yv = (y - oldy) / s;
  return 0;
}
