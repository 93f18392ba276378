#include "platform/window/damage.h"

#include <algorithm>
#include <cmath>

namespace plat {
namespace {

long long Area(const PixelRect& r) { return static_cast<long long>(r.w) * r.h; }

PixelRect Union(const PixelRect& a, const PixelRect& b) {
  const int x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
  const int x1 = std::max(a.x + a.w, b.x + b.w), y1 = std::max(a.y + a.h, b.y + b.h);
  return {x0, y0, x1 - x0, y1 - y0};
}

// Touching counts: two rectangles that share an edge draw as well as one.
bool Meet(const PixelRect& a, const PixelRect& b) {
  return a.x <= b.x + b.w && b.x <= a.x + a.w && a.y <= b.y + b.h && b.y <= a.y + a.h;
}

}  // namespace

void Damage::Reset(int w, int h) {
  w_ = std::max(0, w);
  h_ = std::max(0, h);
  count_ = 0;
}

void Damage::AddAll() {
  if (w_ == 0 || h_ == 0) return;
  count_ = 1;
  rects_[0] = {0, 0, w_, h_};
}

PixelRect Damage::Cover(float x0, float y0, float x1, float y1) const {
  // A pixel is filled when its centre is inside; one more on every side
  // keeps filtering and rounding inside the rectangle.
  const float fx0 = std::floor(std::max(x0, -1.0f)) - 1, fy0 = std::floor(std::max(y0, -1.0f)) - 1;
  const float fx1 = std::ceil(std::min(x1, w_ + 1.0f)) + 1, fy1 = std::ceil(std::min(y1, h_ + 1.0f)) + 1;
  if (!(fx0 < fx1 && fy0 < fy1)) return {};  // NaN too
  const int ix0 = std::max(0, static_cast<int>(fx0)), iy0 = std::max(0, static_cast<int>(fy0));
  const int ix1 = std::min(w_, static_cast<int>(fx1)), iy1 = std::min(h_, static_cast<int>(fy1));
  if (ix0 >= ix1 || iy0 >= iy1) return {};
  return {ix0, iy0, ix1 - ix0, iy1 - iy0};
}

void Damage::Add(float x0, float y0, float x1, float y1) {
  if (Whole()) return;
  const PixelRect r = Cover(x0, y0, x1, y1);
  if (r.w == 0) return;
  rects_[count_++] = r;
  Merge();
}

bool Damage::Touches(float x0, float y0, float x1, float y1) const {
  const PixelRect r = Cover(x0, y0, x1, y1);
  for (int k = 0; k < count_ && r.w > 0; ++k) {
    const PixelRect& d = rects_[k];
    if (r.x < d.x + d.w && d.x < r.x + r.w && r.y < d.y + d.h && d.y < r.y + r.h) return true;
  }
  return false;
}

bool Damage::Holds(float x0, float y0, float x1, float y1) const {
  const PixelRect r = Cover(x0, y0, x1, y1);
  for (int k = 0; k < count_ && r.w > 0; ++k) {
    const PixelRect& d = rects_[k];
    if (r.x >= d.x && r.y >= d.y && r.x + r.w <= d.x + d.w && r.y + r.h <= d.y + d.h) return true;
  }
  return false;
}

// Joins rectangles that meet, then, while there are too many, the pair whose
// union adds the least area; past half the frame, the whole frame.
void Damage::Merge() {
  for (bool joined = true; joined;) {
    joined = false;
    for (int a = 0; a < count_ && !joined; ++a) {
      for (int b = a + 1; b < count_ && !joined; ++b) {
        if (!Meet(rects_[a], rects_[b])) continue;
        rects_[a] = Union(rects_[a], rects_[b]);
        rects_[b] = rects_[--count_];
        joined = true;
      }
    }
    if (!joined && count_ > kMaxRects) {
      int bestA = 0, bestB = 1;
      long long best = -1;
      for (int a = 0; a < count_; ++a) {
        for (int b = a + 1; b < count_; ++b) {
          const long long grow = Area(Union(rects_[a], rects_[b])) - Area(rects_[a]) - Area(rects_[b]);
          if (best < 0 || grow < best) {
            best = grow;
            bestA = a;
            bestB = b;
          }
        }
      }
      rects_[bestA] = Union(rects_[bestA], rects_[bestB]);
      rects_[bestB] = rects_[--count_];
      joined = true;
    }
  }
  long long total = 0;
  for (int k = 0; k < count_; ++k) total += Area(rects_[k]);
  if (2 * total > static_cast<long long>(w_) * h_) AddAll();
}

PixelRect FlipRows(const PixelRect& r, int frameH) { return {r.x, frameH - r.y - r.h, r.w, r.h}; }

}  // namespace plat
