// One whole frame of a four-player match on arena 11: physics, computer
// players, camera, background and every drawing call into the headless
// backend, with the trace off.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "bench/soak.h"

namespace {

struct platform {
  platform() {
    if (!startheadless(media)) std::exit(1);
  }
  ~platform() { PlatformShutdown(); }
  matchmedia media;
};

platform& shared() {
  static platform p;
  return p;
}

std::unique_ptr<tlevel> fourplayers() {
  auto level = shared().media.newmatch();
  Tcustomsettings settings;
  settings.numplayers = 4;
  settings.arenanum = 11;
  int wins[4] = {0, 0, 0, 0};
  level->startmatch("custom", 1, nullptr, &settings, wins);
  return level;
}

// In play: past the opening zoom, before anyone has won.
void BM_MatchFrame(benchmark::State& state) {
  auto level = fourplayers();
  for (int f = 0; f < 300; f++) level->playframe();
  int frames = 0;
  for (auto _ : state) {
    level->playframe();
    // Stay in the contested phase: restart the match before a bar fills.
    if (++frames % 1200 == 0) {
      state.PauseTiming();
      level = fourplayers();
      for (int f = 0; f < 300; f++) level->playframe();
      state.ResumeTiming();
    }
  }
}
BENCHMARK(BM_MatchFrame)->Unit(benchmark::kMicrosecond);

// The end screen with fireworks running behind the arena.
void BM_MatchFrameWithFireworks(benchmark::State& state) {
  auto level = fourplayers();
  for (int f = 0; f < 300; f++) level->playframe();
  level->men[0]->owntime = level->maxowntime + 10;
  for (int f = 0; f < 100; f++) level->playframe();
  for (auto _ : state) level->playframe();
  state.counters["fireworks"] = static_cast<double>(level->fireworkslist.size());
}
BENCHMARK(BM_MatchFrameWithFireworks)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
