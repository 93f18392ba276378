// Drawing of balls, links, ragdolls and main balls.
#include "physics/link.h"
#include "physics/mainball.h"
#include "physics/ragobject.h"
#include "physics/view.h"

int ball::updateapp(double xc, double yc, double zoom, double xwin, double ywin) {
  xapp = toscreen(x, xc, zoom, xwin);
  yapp = toscreen(y, yc, zoom, ywin);
  rapp = r * zoom;
  return 0;
}

int ball::draw(double, double, double, double, double) { return 0; }
int Tmainball::draw(double, double, double, double, double) { return 0; }
int link::Draw(double, double, double, double, double) { return 0; }
int ragobject::draw(double, double, double, double, double) { return 0; }
