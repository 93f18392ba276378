#include "physics/ragobject.h"

namespace {
constexpr int constraintiterations = 21;
constexpr double anchoredmass = 99;
constexpr double damping = 0.995;
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

// An empty ragdoll has no mean; its last one is kept.
int ragobject::updatemed() {
  if (balllist.empty()) return 0;
  double sx = 0, sy = 0;
  for (ball* b : balllist) {
    sx += b->x;
    sy += b->y;
  }
  xmed = sx / balllist.size();
  ymed = sy / balllist.size();
  return 0;
}

int ragobject::updatemedvel() {
  if (balllist.empty()) return 0;
  double sx = 0, sy = 0;
  for (ball* b : balllist) {
    sx += b->xv;
    sy += b->yv;
  }
  xvmed = sx / balllist.size();
  yvmed = sy / balllist.size();
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
  for (ball* b : balllist) {
    b->shiftx = 0;
    b->shifty = 0;
  }
  for (class link* l : linklist) {
    if (l->ball1 && l->ball2) linkshift(*l->ball1, *l->ball2, l->distance);
  }
  for (ball* b : balllist) {
    b->x += b->shiftx;
    b->y += b->shifty;
  }
  return 0;
}

int ragobject::tensionballs(double s) {
  for (ball* b : balllist) {
    b->shiftx = 0;
    b->shifty = 0;
  }
  for (tension* t : TensionList) t->partialtension(0, s);
  for (ball* b : balllist) {
    b->x += b->shiftx;
    b->y += b->shifty;
  }
  return 0;
}

int ragobject::bordercollision(Tborder& border) {
  for (ball* b : balllist) b->bordercollision(border);
  return 0;
}
