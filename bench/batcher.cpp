// The quad batcher under a busy frame: 1500 additive sprites, 200 lines and
// 40 labels, batched and then one draw call per quad. Needs a display (runs
// under Xvfb); without one it says so and does nothing.
#include <benchmark/benchmark.h>

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

void BM_Frame(benchmark::State& state) {
  SetBatching(state.range(0) != 0);
  const double scale = state.range(1) / 100.0;
  for (auto _ : state) DrawFrame(scale);
  state.counters["draw_calls"] = LastFrameDrawCalls();
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
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);

// The floor under every frame: clearing, scaling into the window, swapping.
void BM_EmptyFrame(benchmark::State& state) {
  for (auto _ : state) {
    Cls();
    Flip(0);
  }
  state.counters["draw_calls"] = LastFrameDrawCalls();
}
BENCHMARK(BM_EmptyFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

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
      // The first frames pay for shader and texture set-up in the driver.
      for (int i = 0; i < 10; ++i) DrawFrame(0.5);
      benchmark::RunSpecifiedBenchmarks();
    }
  }
  benchmark::Shutdown();
  PlatformShutdown();
  return status;
}
