// The heaviest frame (bench/heaviest_scene.h) in the browser, through WebGL
// as the game draws: after 200 frames to settle, FRAMES frames timed by the
// page's clock, the browser's turns between them included, as a player's
// frames include them. Prints "heaviest frame: X ms over N frames".
//   index.html?frames=N   (bench/web.sh serves it and reads the line)
#include <emscripten.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "bench/heaviest_scene.h"

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
  if (!heaviest::StartPlatform(false)) return 1;
  auto level = heaviest::NewMatch();
  if (!level) return 1;
  for (int i = 0; i < 200; i++) {
    heaviest::KeepFireworks(*level);
    level->playframe();
  }
  const double start = emscripten_get_now();
  for (int i = 0; i < frames; i++) {
    heaviest::KeepFireworks(*level);
    level->playframe();
  }
  std::printf("heaviest frame: %.3f ms over %d frames, %d draw calls\n",
              (emscripten_get_now() - start) / frames, frames, LastFrameDrawCalls());
  level.reset();
  PlatformShutdown();
  return 0;
}
