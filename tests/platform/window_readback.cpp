#include "window_readback.h"

// Apart from the tests: X11's macros clash with the test framework's names.
#include <X11/Xutil.h>
#include <epoxy/glx.h>

bool ReadShownWindow(int w, int h, std::vector<uint8_t>* rgb) {
  Display* display = glXGetCurrentDisplay();
  if (display == nullptr || glXGetCurrentDrawable() == 0) return false;
  XImage* image = XGetImage(display, glXGetCurrentDrawable(), 0, 0, static_cast<unsigned>(w),
                            static_cast<unsigned>(h), AllPlanes, ZPixmap);
  if (image == nullptr) return false;
  rgb->resize(static_cast<size_t>(w) * h * 3);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      for (int c = 0; c < 3; ++c) {
        (*rgb)[(static_cast<size_t>(y) * w + x) * 3 + c] =
            static_cast<uint8_t>(pixel >> (16 - 8 * c));
      }
    }
  }
  XDestroyImage(image);
  return true;
}
