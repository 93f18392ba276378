#include "platform/window/sub_buffer.h"

#include <SDL_syswm.h>
#include <epoxy/glx.h>

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

void SubBufferPresenter::Show(const PixelRect& r) const {
  if (!usable_ || r.w <= 0 || r.h <= 0) return;
  glXCopySubBufferMESA(static_cast<Display*>(display_), drawable_, r.x, r.y, r.w, r.h);
}

}  // namespace plat
