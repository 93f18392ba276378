#include "platform/window/sub_buffer.h"

#include <SDL_syswm.h>
#include <epoxy/glx.h>

#include <algorithm>

namespace plat {

void SubBufferPresenter::Setup(SDL_Window* window) {
  usable_ = false;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (window == nullptr || !SDL_GetWindowWMInfo(window, &info) ||
      info.subsystem != SDL_SYSWM_X11) {
    return;
  }
  Display* display = glXGetCurrentDisplay();
  const GLXDrawable drawable = glXGetCurrentDrawable();
  if (display == nullptr || drawable == 0) return;
  const int screen = DefaultScreen(display);
  if (!epoxy_has_glx_extension(display, screen, "GLX_MESA_copy_sub_buffer") ||
      !epoxy_has_glx_extension(display, screen, "GLX_MESA_query_renderer")) {
    return;
  }
  // A graphics card redraws a whole frame for next to nothing, and there a
  // copy would stand in the way of its own ways of presenting.
  unsigned int accelerated = 1;
  if (!glXQueryCurrentRendererIntegerMESA(GLX_RENDERER_ACCELERATED_MESA, &accelerated) ||
      accelerated != 0) {
    return;
  }
  display_ = display;
  drawable_ = drawable;
  usable_ = true;
}

void SubBufferPresenter::Show(const PixelRect* rects, int count) const {
  if (!usable_ || count <= 0) return;
  Display* display = static_cast<Display*>(display_);
  // The window may have shrunk since the game last heard of it, and the
  // driver's back buffer with it: a rectangle past its edge is an X error,
  // which ends the program. Clipped to the window's size now, it fits either.
  Window root = 0;
  int x = 0, y = 0;
  unsigned int w = 0, h = 0, border = 0, depth = 0;
  if (!XGetGeometry(display, drawable_, &root, &x, &y, &w, &h, &border, &depth)) return;
  for (int k = 0; k < count; ++k) {
    const PixelRect& r = rects[k];
    const int x1 = std::min(r.x + r.w, static_cast<int>(w));
    const int y1 = std::min(r.y + r.h, static_cast<int>(h));
    const int x0 = std::max(r.x, 0), y0 = std::max(r.y, 0);
    if (x0 < x1 && y0 < y1) glXCopySubBufferMESA(display, drawable_, x0, y0, x1 - x0, y1 - y0);
  }
}

}  // namespace plat
