// The parts of a frame that may differ from the one before, for a window
// whose back buffer keeps its picture between presents: only there is the
// frame cleared, drawn again and shown. A software rasteriser pays for
// every pixel it fills, and a menu changes a few words at a time.
#pragma once

#include "platform/window/letterbox.h"

namespace plat {

class Damage {
 public:
  static constexpr int kMaxRects = 2;

  // Nothing changed yet, in a frame of w x h pixels.
  void Reset(int w, int h);
  // Pixels touched by a quad whose corners span [x0, x1] x [y0, y1] (frame
  // pixels, y down) changed. Out-of-frame parts are dropped.
  void Add(float x0, float y0, float x1, float y1);
  void AddAll();
  // Whether a quad spanning [x0, x1] x [y0, y1] reaches into a rectangle,
  // and whether one rectangle holds all of it (all of it in the frame).
  bool Touches(float x0, float y0, float x1, float y1) const;
  bool Holds(float x0, float y0, float x1, float y1) const;

  // At most kMaxRects rectangles, clipped to the frame and apart from one
  // another; one covering the whole frame once most of it changed.
  int Count() const { return count_; }
  bool Whole() const { return count_ == 1 && rects_[0].w == w_ && rects_[0].h == h_; }
  const PixelRect& Rect(int k) const { return rects_[k]; }

 private:
  void Merge();
  // The pixels Add would count for such a quad (empty when none).
  PixelRect Cover(float x0, float y0, float x1, float y1) const;

  int w_ = 0, h_ = 0;
  int count_ = 0;
  PixelRect rects_[kMaxRects + 1];
};

// Rows counted from the bottom, as GL counts them.
PixelRect FlipRows(const PixelRect& r, int frameH);

}  // namespace plat
