#include "platform/window/sub_buffer.h"

#include <SDL_syswm.h>
#include <epoxy/glx.h>

namespace plat {

void SubBufferPresenter::Setup(SDL_Window* window) {
  usable_ = false;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (window == nullptr || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) {
    return;
  }
  // A context made through EGL (no GLX on this system, or SDL told to use
  // EGL) has no GLX drawable to copy from; and where the GLX library is
  // missing altogether, calling into it would end the program.
  if (!epoxy_has_glx(info.info.x11.display) || glXGetCurrentContext() == nullptr) return;
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

namespace {

bool gCopyRefused = false;

int NoteCopyRefused(Display*, XErrorEvent*) {
  gCopyRefused = true;
  return 0;
}

}  // namespace

bool SubBufferPresenter::Show(const PixelRect* rects, int count) const {
  if (!usable_ || count <= 0) return true;
  Display* display = static_cast<Display*>(display_);
  // The window may have shrunk since the game last heard of it, and the
  // driver's back buffer with it: a rectangle past its edge is then an X
  // error, by default the end of the program. Asking the window's size
  // first would cost a trip to the server every frame; the driver already
  // waits for the server after each copy (its shared memory must be free
  // again), so the error, if any, arrives while this handler is in place.
  gCopyRefused = false;
  XErrorHandler previous = XSetErrorHandler(NoteCopyRefused);
  for (int k = 0; k < count; ++k) {
    const PixelRect& r = rects[k];
    if (r.w > 0 && r.h > 0) glXCopySubBufferMESA(display, drawable_, r.x, r.y, r.w, r.h);
  }
  XSetErrorHandler(previous);
  return !gCopyRefused;
}

}  // namespace plat
