#include "physics/ragobject.h"

namespace {
constexpr int constraintiterations = 21;
constexpr double anchoredmass = 99;
constexpr double damping = 0.995;

// The mean of two fields over the balls. An empty ragdoll has no mean and
// keeps its last.
void mean(const std::vector<ball*>& balls, double ball::*fx, double ball::*fy, double& mx,
          double& my) {
  if (balls.empty()) return;
  double sx = 0, sy = 0;
  for (const ball* b : balls) {
    sx += b->*fx;
    sy += b->*fy;
  }
  mx = sx / balls.size();
  my = sy / balls.size();
}

void clearshifts(const std::vector<ball*>& balls) {
  for (ball* b : balls) b->shiftx = b->shifty = 0;
}

void applyshifts(const std::vector<ball*>& balls) {
  for (ball* b : balls) {
    b->x += b->shiftx;
    b->y += b->shifty;
  }
}
}  // namespace

ragobject::~ragobject() { clear(); }

void ragobject::clear() {
  for (tension* t : TensionList) delete t;
  for (class link* l : linklist) delete l;
  for (ball* b : balllist) delete b;
  TensionList.clear();
  linklist.clear();
  balllist.clear();
}

int ragobject::updatemed() {
  mean(balllist, &ball::x, &ball::y, xmed, ymed);
  return 0;
}

int ragobject::updatemedvel() {
  mean(balllist, &ball::xv, &ball::yv, xvmed, yvmed);
  return 0;
}

int ragobject::updatemass() {
  for (ball* b : balllist) {
    b->actualmass = b->m;
    if (b->anchored != 0) b->actualmass = anchoredmass;
  }
  return 0;
}

// Velocity from the displacement of the frame; the 0.995 is the only damping
// every ball feels.
int ragobject::updatev(double s) {
  for (ball* b : balllist) {
    b->xv = (b->x - b->oldx) / s * damping;
    b->yv = (b->y - b->oldy) / s * damping;
  }
  return 0;
}

int ragobject::updateold() {
  for (ball* b : balllist) {
    b->oldx = b->x;
    b->oldy = b->y;
  }
  return 0;
}

int ragobject::move(double s, double g) {
  for (ball* b : balllist) {
    b->yv += g;
    b->x += b->xv * s;
    b->y += b->yv * s;
  }
  return 0;
}

int ragobject::doanchor() {
  for (ball* b : balllist) {
    if (b->anchored != 1) continue;
    b->yv = 0;
    b->xv = 0;
    b->x = b->anchorx;
    b->y = b->anchory;
    b->oldx = b->anchorx;
    b->oldy = b->anchory;
  }
  return 0;
}

int ragobject::shiftandtensions(double s) {
  for (int i = 0; i < constraintiterations; i++) {
    shiftballs();
    tensionballs(s);
  }
  return 0;
}

// Every link sees the positions of the start of the pass: corrections are
// gathered first and applied together.
int ragobject::shiftballs() {
  clearshifts(balllist);
  for (class link* l : linklist) {
    if (l->ball1 && l->ball2) linkshift(*l->ball1, *l->ball2, l->distance);
  }
  applyshifts(balllist);
  return 0;
}

int ragobject::tensionballs(double s) {
  clearshifts(balllist);
  for (tension* t : TensionList) t->partialtension(0, s);
  applyshifts(balllist);
  return 0;
}

int ragobject::bordercollision(Tborder& border) {
  for (ball* b : balllist) b->bordercollision(border);
  return 0;
}
