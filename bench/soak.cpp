// The long soak: many seeded matches between computer players over every
// arena, 2 to 4 players, gravity 0 to 10, ball size and mass 1 to 10, 3000
// frames each, checked after every frame; with a synctest of N frames each
// frame is also rolled back N frames, simulated again and compared.
//   bench_soak [matches] [frames] [synctest]
#include "bench/soak.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  int matches = argc > 1 ? std::atoi(argv[1]) : 500;
  int frames = argc > 2 ? std::atoi(argv[2]) : 3000;
  int synctest = argc > 3 ? std::atoi(argv[3]) : 0;
  matchmedia media;
  if (!startheadless(media)) return 1;
  auto start = std::chrono::steady_clock::now();
  int failed = 0, notstarted = 0;
  double worst = 0;
  long touches = 0;
  for (int m = 1; m <= matches; m++) {
    soakcase c = randomcase(static_cast<uint32_t>(m));
    soakresult r = soakmatch(media, c, frames, 1.0, synctest);
    if (!r.started) {
      notstarted++;
      continue;
    }
    worst = std::max(worst, r.worst);
    touches += r.touches;
    if (r.badframe != 0) {
      failed++;
      std::printf("FAIL seed %u arena %d players %d gravity %d size %d mass %d frame %d: %s\n",
                  c.seed, c.arena, c.players, c.gravity, c.ballsize, c.ballmass, r.badframe,
                  r.fault.c_str());
    }
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf(
      "%d matches of %d frames: %d failed, %d not started; worst excursion beyond the outline "
      "%.6g; ball touched in %.1f%% of frames; %.1f s (%.3f ms a frame)\n",
      matches, frames, failed, notstarted, worst,
      100.0 * touches / (static_cast<double>(matches) * frames), seconds,
      1000 * seconds / (static_cast<double>(matches) * frames));
  PlatformShutdown();
  return failed == 0 && notstarted == 0 ? 0 : 1;
}
