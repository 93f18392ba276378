// One whole frame of a four-player match on arena 11: physics, computer
// players, camera, background and every drawing call into the headless
// backend, with the trace off. PARVANE_BENCH_PADS=N plugs in N controllers
// (up to 8) with their sticks pushed, all steering player 1 as in a
// single-player match, to show what reading them costs.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "bench/soak.h"
#include "controls/controls.h"

namespace {

struct platform {
  platform() {
    std::string script;
    const char* pads = std::getenv("PARVANE_BENCH_PADS");
    const int n = pads != nullptr ? std::atoi(pads) : 0;
    if (n > 0) {
      script = "/tmp/parvane-bench-pads.txt";
      FILE* f = std::fopen(script.c_str(), "w");
      if (f == nullptr) std::exit(1);
      for (int k = 1; k <= n && k <= maxpads; k++)
        std::fprintf(f, "0 pad %d connect\n0 pad %d axis leftx 0.%d\n", k, k, k);
      std::fclose(f);
    }
    if (!startheadless(media, script)) std::exit(1);
    if (!script.empty()) std::remove(script.c_str());
    begincontrols(true);
    std::fprintf(stderr, "controllers plugged in: %d\n", n);
  }
  ~platform() {
    endcontrols();
    PlatformShutdown();
  }
  matchmedia media;
};

platform& shared() {
  static platform p;
  return p;
}

std::unique_ptr<tlevel> fourplayers() {
  auto level = shared().media.newmatch();
  matchsetup setup = matchmedia::setup("custom");
  setup.custom.numplayers = 4;
  setup.custom.arenanum = 11;
  level->startmatch(setup);
  return level;
}

// In play: past the opening zoom, before anyone has won.
void BM_MatchFrame(benchmark::State& state) {
  auto level = fourplayers();
  auto loop = std::make_unique<matchloop>(*level);
  for (int f = 0; f < 300; f++) loop->playframe();
  int frames = 0;
  for (auto _ : state) {
    loop->playframe();
    // Stay in the contested phase: restart the match before a bar fills.
    if (++frames % 1200 == 0) {
      state.PauseTiming();
      loop.reset();
      level = fourplayers();
      loop = std::make_unique<matchloop>(*level);
      for (int f = 0; f < 300; f++) loop->playframe();
      state.ResumeTiming();
    }
  }
}
BENCHMARK(BM_MatchFrame)->Unit(benchmark::kMicrosecond);

// The end screen with fireworks running behind the arena.
void BM_MatchFrameWithFireworks(benchmark::State& state) {
  auto level = fourplayers();
  matchloop loop(*level);
  for (int f = 0; f < 300; f++) loop.playframe();
  level->men[0]->owntime = level->maxowntime + 10;
  for (int f = 0; f < 100; f++) loop.playframe();
  for (auto _ : state) loop.playframe();
  state.counters["fireworks"] = static_cast<double>(level->fireworkslist.size());
}
BENCHMARK(BM_MatchFrameWithFireworks)->Unit(benchmark::kMicrosecond);

// What the match reads of its players in one frame: four players' keys and
// pads, as a multiplayer match does.
void BM_ReadFourPlayers(benchmark::State& state) {
  shared();
  int pushed = 0;
  for (auto _ : state) {
    for (int p = 0; p < maxinputplayers; p++) pushed += playerinput(p).stickx != 0;
  }
  benchmark::DoNotOptimize(pushed);
}
BENCHMARK(BM_ReadFourPlayers)->Unit(benchmark::kNanosecond);

}  // namespace

BENCHMARK_MAIN();
