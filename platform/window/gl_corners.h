// A quad as the window's shader reads it.
#pragma once

#include <cstdint>

namespace plat {

// A corner: the texture coordinate already in the flat layer at the quad's
// mipmap level, then layer and blend mode, the same on all four corners of
// a quad.
struct Corner {
  float x, y;
  float u, v;
  uint8_t r, g, b, a;
  uint8_t layer;
  uint8_t light;  // 1: adds light; 0: blends by alpha
  uint8_t unused[2];
};
static_assert(sizeof(Corner) == 24, "corners are uploaded as they are");

// Corners top-left, top-right, bottom-right, bottom-left.
struct CornerQuad {
  Corner c[4];
};

}  // namespace plat
