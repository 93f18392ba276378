#include "platform/window/changed_only.h"

#include <algorithm>
#include <cstring>

namespace plat {
namespace {

void Bounds(const CornerQuad& q, float* x0, float* y0, float* x1, float* y1) {
  *x0 = *x1 = q.c[0].x;
  *y0 = *y1 = q.c[0].y;
  for (const Corner& c : q.c) {
    *x0 = std::min(*x0, c.x);
    *x1 = std::max(*x1, c.x);
    *y0 = std::min(*y0, c.y);
    *y1 = std::max(*y1, c.y);
  }
}

}  // namespace

void ChangedOnly::Set(bool on) {
  on_ = on;
  backHolds_ = false;
  frontStale_ = true;
}

void ChangedOnly::Forget() {
  on_ = backHolds_ = false;
  frontStale_ = true;
  backW_ = backH_ = 0;
}

bool ChangedOnly::Swaps(int drawableW, int drawableH) {
  // A new size is a new back buffer, which the driver makes as the frame
  // is drawn: showing part of it before could reach past the old one's
  // edge. That frame swaps, and leaves the back buffer undefined.
  const bool resized = drawableW != backW_ || drawableH != backH_;
  backW_ = drawableW;
  backH_ = drawableH;
  const bool swap = !on_ || resized;
  if (swap) backHolds_ = false;
  return swap;
}

// A pixel that no changed quad of either frame touches is covered by the
// same quads in the same order, so it keeps its colour.
void ChangedOnly::Plan(const std::vector<CornerQuad>& now, const std::vector<CornerQuad>& before,
                       int frameW, int frameH) {
  damage_.Reset(frameW, frameH);
  float x0, y0, x1, y1;
  if (!backHolds_) {
    damage_.AddAll();
  } else {
    const size_t n = std::max(now.size(), before.size());
    for (size_t i = 0; i < n; ++i) {
      const bool isNow = i < now.size(), wasBefore = i < before.size();
      if (isNow && wasBefore && std::memcmp(&now[i], &before[i], sizeof(CornerQuad)) == 0) {
        continue;
      }
      if (isNow) {
        Bounds(now[i], &x0, &y0, &x1, &y1);
        damage_.Add(x0, y0, x1, y1);
      }
      if (wasBefore) {
        Bounds(before[i], &x0, &y0, &x1, &y1);
        damage_.Add(x0, y0, x1, y1);
      }
    }
  }
  // A quad reaching into a changed rectangle is drawn whole, so the
  // rectangle grows to hold it: then nothing drawn crosses its edge, and
  // one draw call needs no scissor. A chain of quads drawn against the
  // order of its reach could take a pass per quad: after a few, the whole
  // frame.
  for (int pass = 0; pass < 4 && damage_.Count() > 0 && !damage_.Whole(); ++pass) {
    bool grew = false;
    for (const CornerQuad& q : now) {
      Bounds(q, &x0, &y0, &x1, &y1);
      if (damage_.Touches(x0, y0, x1, y1) && !damage_.Holds(x0, y0, x1, y1)) {
        damage_.Add(x0, y0, x1, y1);
        grew = true;
      }
    }
    if (!grew) break;
    if (pass == 3) damage_.AddAll();
  }
}

bool ChangedOnly::Touches(const CornerQuad& q) const {
  float x0, y0, x1, y1;
  Bounds(q, &x0, &y0, &x1, &y1);
  return damage_.Touches(x0, y0, x1, y1);
}

void ChangedOnly::Drawn(int frameW, int frameH, ShownRects* shown) {
  // A swap leaves the back buffer undefined.
  backHolds_ = !shown->swap;
  if (frontStale_) {
    shown->count = 1;
    shown->rects[0] = {0, 0, frameW, frameH};
    frontStale_ = false;
  }
}

}  // namespace plat
