#include "match/pacer.h"

#include <cmath>

#include "platform/platform.h"

namespace {

constexpr float frametime = 15.873f;  // 1000 / 63 ms: a little under 60 Hz

}  // namespace

framepacer::framepacer() : oldtime(Clock()) {}

void framepacer::count() {
  fpscycles++;
  if (Clock() - fpstime > 1000) {
    fpstime = Clock();
    fps = fpscycles;
    fpscycles = 0;
  }
}

void framepacer::wait() {
  for (;;) {
    int elapsed = Clock() - oldtime;
    if (elapsed >= frametime) break;
    Sleep(static_cast<int>(std::ceil(frametime - elapsed)));
  }
  oldtime = Clock();
}
