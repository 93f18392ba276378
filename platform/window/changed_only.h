// Drawing and showing only what changed, the one switch for it. Where the
// window's back buffer keeps its picture between presents (a software
// driver that can show part of it, see SubBufferPresenter), a frame that
// starts with a clear is compared with the one shown, and only what changed
// is cleared, drawn again and shown (see Damage): a software rasteriser pays
// for every pixel it fills, and a menu changes a few words at a time.
// Everywhere else the switch stays off and every frame swaps whole.
#pragma once

#include <vector>

#include "platform/window/damage.h"
#include "platform/window/gl_corners.h"
#include "platform/window/letterbox.h"

namespace plat {

// How a frame reaches the screen: by a swap, or by showing these
// rectangles of the back buffer (drawable pixels, rows counted from the
// bottom; none when nothing changed).
struct ShownRects {
  bool swap = true;
  int count = 0;
  PixelRect rects[Damage::kMaxRects];
};

class ChangedOnly {
 public:
  bool On() const { return on_; }
  // From the next frame on: the window's back buffer keeps its picture
  // from one present to the next, and a present may show part of it.
  void Set(bool on);
  // A new window: off until it says again.
  void Forget();
  // What the window showed is gone (uncovered, say): the next present
  // shows all of it.
  void WindowLost() { frontStale_ = true; }

  // At every present, the window's drawable size: whether the frame swaps.
  bool Swaps(int drawableW, int drawableH);
  // The frame `now` goes into the back buffer, which holds the picture of
  // `before` unless a swap or a scaled frame came between: the rectangles
  // to clear and draw again (Rects), which every quad touching them fills
  // whole.
  void Plan(const std::vector<CornerQuad>& now, const std::vector<CornerQuad>& before, int frameW,
            int frameH);
  const Damage& Rects() const { return damage_; }
  bool Touches(const CornerQuad& q) const;
  // After the planned frame is drawn: what to show of it.
  void Drawn(int frameW, int frameH, ShownRects* shown);
  // After a frame scaled into the window: the back buffer holds no log's
  // picture, and the window all of the frame.
  void Scaled() {
    backHolds_ = false;
    frontStale_ = false;
  }

 private:
  // backHolds_: the window's back buffer holds the shown frame's picture,
  // at drawable size backW_ x backH_.
  bool on_ = false, backHolds_ = false, frontStale_ = true;
  int backW_ = 0, backH_ = 0;
  Damage damage_;
};

}  // namespace plat
