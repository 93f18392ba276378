// Shows part of a window's back buffer, where the driver draws on the CPU
// and can copy a rectangle of the back buffer to the window without
// disturbing it: there a frame need be drawn and shown only where it
// changed. Elsewhere (a graphics card, no X11, no such extension) it is
// not usable and the window swaps as usual.
#pragma once

#include <SDL.h>

#include "platform/window/letterbox.h"

namespace plat {

class SubBufferPresenter {
 public:
  // With the window's context current.
  void Setup(SDL_Window* window);
  void Forget() { usable_ = false; }
  bool Usable() const { return usable_; }
  // Rectangles in drawable pixels, rows counted from the bottom. False when
  // the window refused them (it changed size meanwhile).
  bool Show(const PixelRect* rects, int count) const;

 private:
  bool usable_ = false;
  void* display_ = nullptr;
  unsigned long drawable_ = 0;
};

}  // namespace plat
