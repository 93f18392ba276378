// The heaviest frame of a match (bench/heaviest_scene.h), measured on the
// headless platform with the trace off, then, when a display is set, in a
// window with the quad batcher on and off.
#include <benchmark/benchmark.h>
#include <time.h>

#include <cstdlib>

#include "bench/heaviest_scene.h"

namespace {

using namespace heaviest;

double ProcessCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Arguments: window (0 headless, 1 a real window), batched (0 one draw call
// per quad).
void BM_HeaviestFrame(benchmark::State& state) {
  if (!StartPlatform(state.range(0) == 0)) {
    state.SkipWithError("no display or media");
    return;
  }
  SetBatching(state.range(1) != 0);
  auto level = NewMatch();
  if (!level) {
    state.SkipWithError("the match could not be set up");
    PlatformShutdown();
    return;
  }
  // Steady state: the trail at full length, the view settled.
  for (int i = 0; i < 200; i++) {
    KeepFireworks(*level);
    level->playframe();
  }
  long drawcalls = 0;
  const double cpuStart = ProcessCpuMs();
  for (auto _ : state) {
    KeepFireworks(*level);
    level->playframe();
    drawcalls += LastFrameDrawCalls();
  }
  // Every thread of the process, the driver's rasteriser threads included.
  if (state.iterations() > 0)
    state.counters["cpu_ms"] =
        (ProcessCpuMs() - cpuStart) / static_cast<double>(state.iterations());
  state.counters["dots"] = static_cast<double>(level->dotlist.size());
  state.counters["fireworks"] = static_cast<double>(level->fireworkslist.size());
  state.counters["draw_calls"] =
      state.iterations() > 0 ? static_cast<double>(drawcalls) / state.iterations() : 0;
  level.reset();
  SetBatching(true);
  PlatformShutdown();
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  auto* b = benchmark::RegisterBenchmark("HeaviestFrame", BM_HeaviestFrame);
  b->ArgNames({"window", "batched"})->Args({0, 1})->Unit(benchmark::kMillisecond)->UseRealTime();
  const char* display = std::getenv("DISPLAY");
  if (display != nullptr && *display != '\0') b->Args({1, 1})->Args({1, 0});
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
