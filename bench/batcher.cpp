// The quad batcher under a busy frame: 1500 additive sprites, 200 lines and
// 40 labels, batched and then one draw call per quad; and a frame of bodies,
// sprites and lines alternating as balls and links do. Needs a display (runs
// under Xvfb); without one it says so and does nothing. cpu_ms counts every
// thread of the process, the driver's rasteriser threads included.
#include <benchmark/benchmark.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/platform.h"

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int kSprites = 1500;
constexpr int kLines = 200;
constexpr int kLabels = 40;

Image* gSpark = nullptr;
Font* gFont = nullptr;

// Drawn in the order a match draws: effects, then lines, then text.
void DrawFrame(double spriteScale) {
  Cls();
  SetAlpha(1);
  SetBlend(4);
  SetDrawScale(spriteScale, spriteScale);
  for (int i = 0; i < kSprites; ++i) {
    SetColor(255, (i * 7) % 256, (i * 13) % 256);
    SetDrawAngle(i * 3.0);
    DrawSprite(gSpark, (i * 37) % kWidth, (i * 53) % kHeight, 0);
  }
  SetDrawAngle(0);
  SetDrawScale(1, 1);
  SetBlend(3);
  SetLineWidth(3);
  SetColor(200, 200, 255);
  for (int i = 0; i < kLines; ++i) {
    DrawLine((i * 41) % kWidth, (i * 29) % kHeight, (i * 83) % kWidth, (i * 61) % kHeight);
  }
  SetDrawScale(0.2, 0.2);
  SetColor(255, 255, 255);
  for (int i = 0; i < kLabels; ++i) DrawLabel("LEVEL 12  SCORE 3400", 20, 18.0 * i);
  SetDrawScale(1, 1);
  Flip(0);
}

double ProcessCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Runs `frame` for the benchmark and reports its draw calls and the CPU it
// cost per frame across all threads.
template <typename Frame>
void Measure(benchmark::State& state, Frame frame) {
  const double start = ProcessCpuMs();
  for (auto _ : state) frame();
  state.counters["draw_calls"] = LastFrameDrawCalls();
  if (state.iterations() > 0) {
    state.counters["cpu_ms"] = (ProcessCpuMs() - start) / static_cast<double>(state.iterations());
  }
}

// Every frame here is timed alike: wall time, long enough for a software
// rasteriser's threads to settle.
void Timed(benchmark::internal::Benchmark* b) {
  b->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
}

// A frame measured with its one switch on, then off.
void OnThenOff(benchmark::internal::Benchmark* b) { Timed(b->Arg(1)->Arg(0)); }

void BM_Frame(benchmark::State& state) {
  SetBatching(state.range(0) != 0);
  const double scale = state.range(1) / 100.0;
  Measure(state, [scale] { DrawFrame(scale); });
  SetBatching(true);
}
// Sprites at half size (a busy match), then shrunk to a pixel or two so the
// cost of issuing draws shows rather than the cost of filling pixels.
BENCHMARK(BM_Frame)
    ->ArgNames({"batched", "scale_pct"})
    ->Args({1, 50})
    ->Args({0, 50})
    ->Args({1, 2})
    ->Args({0, 2})
    ->Apply(Timed);

// Four bodies of 30 balls and 30 links, each link drawn after its ball:
// two textures taking turns within one blend mode.
void DrawBodies() {
  Cls();
  SetAlpha(1);
  SetBlend(3);
  SetLineWidth(4);
  for (int body = 0; body < 4; ++body) {
    SetColor(255, 60 * body, 255 - 60 * body);
    for (int i = 0; i < 30; ++i) {
      const double x = 150 + 220 * body + (i % 5) * 30, y = 150 + (i / 5) * 60;
      SetDrawScale(0.3, 0.3);
      DrawSprite(gSpark, x, y, 0);
      SetDrawScale(1, 1);
      DrawLine(x, y, x + 30, y + 60);
    }
  }
  Flip(0);
}

void BM_Bodies(benchmark::State& state) {
  SetBatching(state.range(0) != 0);
  Measure(state, DrawBodies);
  SetBatching(true);
}
BENCHMARK(BM_Bodies)->ArgNames({"batched"})->Apply(OnThenOff);

// The title menu's frame: seven large labels, the title and the chosen item
// in colours that change every frame as the menus' do, the rest grey.
void DrawMenu() {
  static int step = 0;
  step = (step + 2) % 200;
  static const char* const items[] = {"SINGLE PLAYER", "MULTIPLAYER", "OPTIONS",
                                      "SCORES",        "HELP",        "QUIT"};
  Cls();
  SetAlpha(1);
  SetBlend(3);
  SetColor(200, 30 + step, 40);
  SetDrawScale(0.7, 0.7);
  DrawLabelCentred("PARVANE", 50, kWidth);
  SetDrawScale(0.6, 0.6);
  for (int k = 0; k < 6; ++k) {
    if (k == 0) {
      SetColor(180, 180, 60 + step);
    } else {
      SetColor(100, 100, 100);
    }
    DrawLabelCentred(items[k], 50 + (k + 2) * 70, kWidth);
  }
  SetDrawScale(1, 1);
  Flip(0);
}
// Arguments: only_changes (0: every frame drawn and shown whole).
void BM_MenuFrame(benchmark::State& state) {
  SetRedrawOnlyChanges(state.range(0) != 0);
  Measure(state, DrawMenu);
  SetRedrawOnlyChanges(false);
}
BENCHMARK(BM_MenuFrame)->ArgNames({"only_changes"})->Apply(OnThenOff);

// The floor under every frame that is drawn whole: clearing, showing in the
// window.
void BM_EmptyFrame(benchmark::State& state) {
  Measure(state, [] {
    Cls();
    Flip(0);
  });
}
BENCHMARK(BM_EmptyFrame)->Apply(Timed);

}  // namespace

int main(int argc, char** argv) {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') {
    std::printf("bench_batcher: no DISPLAY, nothing measured\n");
    return 0;
  }
  benchmark::Initialize(&argc, argv);
  PlatformConfig config;
  std::string error;
  if (PlatformInit(config, &error) != 0) {
    std::fprintf(stderr, "bench_batcher: %s\n", error.c_str());
    return 1;
  }
  int status = 0;
  if (!OpenDisplay(kWidth, kHeight, 0, 60, 0)) {
    status = 1;
  } else {
    SetDefaultImageFlags(7);
    gSpark = LoadSprite("media/spark.png", -1);
    gFont = LoadLabelFont("media/font.ttf", 128, 4);
    if (gSpark == nullptr || gFont == nullptr) {
      std::fprintf(stderr, "bench_batcher: media missing\n");
      status = 1;
    } else {
      CentreHandle(gSpark);
      SetLabelFont(gFont);
      // These frames repeat exactly; drawing only what changed would draw
      // nothing. The menu frame measures both.
      SetRedrawOnlyChanges(false);
      // The first frames pay for shader and texture set-up in the driver.
      for (int i = 0; i < 10; ++i) DrawFrame(0.5);
      benchmark::RunSpecifiedBenchmarks();
    }
  }
  benchmark::Shutdown();
  PlatformShutdown();
  return status;
}
