// The heaviest frame of a match: four men, the trail at high quality and
// three live fireworks (1200 sparks), every drawing call made. Shared by the
// desktop benchmark and the browser's (bench/web/heaviest_frame.cpp).
#pragma once

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "effects/fireworks.h"
#include "effects/trail.h"
#include "match/setup.h"
#include "match/tlevel.h"
#include "platform/platform.h"

namespace heaviest {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr int kFireworks = 3;

struct Media {
  Image *scia, *mezball, *ball, *bigball, *mainball, *rect, *star, *spark;
};
inline Media gMedia{};

inline bool LoadMedia() {
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

inline std::unique_ptr<tlevel> NewMatch() {
  auto level = std::make_unique<tlevel>();
  level->images.sciaimage = gMedia.scia;
  level->images.mezball = gMedia.mezball;
  level->images.ballimage = gMedia.ball;
  level->images.bigballimage = gMedia.bigball;
  level->images.mainballimage = gMedia.mainball;
  level->images.rectimage = gMedia.rect;
  level->images.starimage = gMedia.star;
  level->images.sparki = gMedia.spark;
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
inline void KeepFireworks(tlevel& level) {
  while (level.fireworkslist.size() < kFireworks) {
    level.fireworkslist.push_back(std::make_unique<Tfirework>());
    level.fireworkslist.back()->alpha = 0;
  }
  for (auto& f : level.fireworkslist) {
    if (f->alpha < 0.5f) {
      f->init(level.xcenter, level.ycenter, -2000, 0, 0, 20, 200, 120, 40, 400, level.images.starimage, 0);
    }
  }
}

inline bool StartPlatform(bool headless) {
  PlatformConfig config;
  config.headless = headless;
  config.fakeClock = true;  // frame pacing must not wait in real time
  config.seeded = true;
  config.seed = 1;
  // A trace shows what the frame draws; it is off for the figures.
  if (const char* trace = std::getenv("PARVANE_BENCH_TRACE")) config.trace = trace;
  std::string error;
  if (PlatformInit(config, &error) != 0) {
    std::fprintf(stderr, "heaviest frame: %s\n", error.c_str());
    return false;
  }
  if (!OpenDisplay(kWidth, kHeight, 0, 60, 0) || !LoadMedia()) {
    PlatformShutdown();
    return false;
  }
  SetBlend(3);
  return true;
}

}  // namespace heaviest
