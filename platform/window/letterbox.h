// Where the game's frame goes inside a drawable of another size.
#pragma once

namespace plat {

struct PixelRect {
  int x = 0, y = 0, w = 0, h = 0;
};

// The largest rectangle of the frame's aspect that fits the drawable,
// centred; the rest stays black. Empty when either size is not positive.
PixelRect FitFrame(int frameW, int frameH, int drawableW, int drawableH);

}  // namespace plat
