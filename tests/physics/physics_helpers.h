// Small builders shared by the physics tests.
#pragma once

#include <cmath>

#include "physics/ragobject.h"

// A ball at rest at (x, y) whose masses are already refreshed.
inline ball* placedball(double x, double y, double r = 15, double m = 1) {
  ball* b = new ball();
  b->x = b->oldx = x;
  b->y = b->oldy = y;
  b->r = r;
  b->m = b->actualmass = m;
  return b;
}

inline class link* joined(ball* a, ball* b, double rest) {
  auto* l = new class link();
  l->ball1 = a;
  l->ball2 = b;
  l->distance = rest;
  return l;
}

inline double separation(const ball& a, const ball& b) { return std::hypot(b.x - a.x, b.y - a.y); }

inline bool finiteball(const ball& b) {
  return std::isfinite(b.x) && std::isfinite(b.y) && std::isfinite(b.xv) && std::isfinite(b.yv);
}

inline bool finiterag(const ragobject& rag) {
  for (const ball* b : rag.balllist)
    if (!finiteball(*b)) return false;
  return true;
}

// One frame of a ragdoll the way the match steps it, steering its first ball.
inline void stepframe(ragobject& rag, double g, double steerx = 0, double steery = 0) {
  rag.updatemass();
  rag.updateold();
  rag.balllist[0]->xv += steerx;
  rag.balllist[0]->yv += steery;
  rag.move(1, g);
  rag.doanchor();
  rag.shiftandtensions(1);
  rag.updatev(1);
}
