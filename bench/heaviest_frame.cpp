// The heaviest frame of a match: four men, the trail at high quality and
// three live fireworks (1200 sparks), every drawing call made. Measured on
// the headless platform with the trace off, then, when a display is set,
// in a window with the quad batcher on and off.
#include <benchmark/benchmark.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "match/setup.h"
#include "effects/fireworks.h"
#include "effects/trail.h"
#include "match/tlevel.h"
#include "platform/platform.h"

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int kFireworks = 3;

struct Media {
  Image *scia, *mezball, *ball, *bigball, *mainball, *rect, *star, *spark;
};
Media gMedia{};

bool LoadMedia() {
  SetDefaultImageFlags(7);
  struct Entry {
    Image** field;
    const char* name;
    bool centred;
  } entries[] = {
      {&gMedia.scia, "scia.png", false},          {&gMedia.mezball, "mezball2.png", false},
      {&gMedia.ball, "ball.png", true},           {&gMedia.bigball, "bigball.png", true},
      {&gMedia.mainball, "mainball+0.png", true}, {&gMedia.rect, "rect.png", true},
      {&gMedia.star, "smallstar.png", true},      {&gMedia.spark, "spark.png", true}};
  for (Entry& e : entries) {
    *e.field = LoadSprite(std::string("media/") + e.name, -1);
    if (*e.field == nullptr) return false;
    if (e.centred) CentreHandle(*e.field);
  }
  Font* font = LoadLabelFont("media/font.ttf", 128, 4);
  if (font == nullptr) return false;
  SetLabelFont(font);
  return true;
}

std::unique_ptr<tlevel> NewMatch() {
  auto level = std::make_unique<tlevel>();
  level->sciaimage = gMedia.scia;
  level->mezball = gMedia.mezball;
  level->ballimage = gMedia.ball;
  level->bigballimage = gMedia.bigball;
  level->mainballimage = gMedia.mainball;
  level->rectimage = gMedia.rect;
  level->starimage = gMedia.star;
  level->sparki = gMedia.spark;
  matchsetup setup;
  setup.mode = "custom";
  setup.custom.numplayers = 4;
  setup.xwin = kWidth;
  setup.ywin = kHeight;
  setup.trail = 2;
  setup.fireworks = 0;  // the benchmark keeps its own three alive
  if (level->startmatch(setup) != 0) return nullptr;
  return level;
}

// Three fireworks, relaunched over the camera's centre before they fade so
// that all 1200 sparks stay alive and mostly on screen.
void KeepFireworks(tlevel& level) {
  while (level.fireworkslist.size() < kFireworks) {
    level.fireworkslist.push_back(std::make_unique<Tfirework>());
    level.fireworkslist.back()->alpha = 0;
  }
  for (auto& f : level.fireworkslist) {
    if (f->alpha < 0.5f) {
      f->init(level.xcenter, level.ycenter, -2000, 0, 0, 20, 200, 120, 40, 400, level.starimage, 0);
    }
  }
}

double ProcessCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

bool StartPlatform(bool headless) {
  PlatformConfig config;
  config.headless = headless;
  config.fakeClock = true;  // frame pacing must not wait in real time
  config.seeded = true;
  config.seed = 1;
  // A trace shows what the frame draws; it is off for the figures.
  if (const char* trace = std::getenv("PARVANE_BENCH_TRACE")) config.trace = trace;
  std::string error;
  if (PlatformInit(config, &error) != 0) {
    std::fprintf(stderr, "bench_heaviest_frame: %s\n", error.c_str());
    return false;
  }
  if (!OpenDisplay(kWidth, kHeight, 0, 60, 0) || !LoadMedia()) {
    PlatformShutdown();
    return false;
  }
  SetBlend(3);
  return true;
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
