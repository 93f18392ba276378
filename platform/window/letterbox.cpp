#include "platform/window/letterbox.h"

#include <algorithm>
#include <cmath>

namespace plat {

PixelRect FitFrame(int frameW, int frameH, int drawableW, int drawableH) {
  PixelRect r;
  if (frameW <= 0 || frameH <= 0 || drawableW <= 0 || drawableH <= 0) return r;
  // Compare cross products in 64 bits so an exact fit stays exact (no
  // rounding shaves a pixel off a 2x high-DPI drawable).
  const long long wideW = static_cast<long long>(drawableW) * frameH;
  const long long wideH = static_cast<long long>(drawableH) * frameW;
  if (wideW >= wideH) {  // bars left and right (or none)
    r.h = drawableH;
    r.w = static_cast<int>(std::llround(static_cast<double>(frameW) * drawableH / frameH));
  } else {  // bars top and bottom
    r.w = drawableW;
    r.h = static_cast<int>(std::llround(static_cast<double>(frameH) * drawableW / frameW));
  }
  r.w = std::clamp(r.w, 1, drawableW);
  r.h = std::clamp(r.h, 1, drawableH);
  r.x = (drawableW - r.w) / 2;
  r.y = (drawableH - r.h) / 2;
  return r;
}

}  // namespace plat
