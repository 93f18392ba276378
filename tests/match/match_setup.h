// Runs matches in-process on the headless platform: a fresh working folder,
// a fake clock, a seed, a scripted keyboard and a trace to read back, and a
// match filled the way a series fills it.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "match/tlevel.h"
#include "platform/platform.h"

// A small stand-in body, used only when the game's own body file is not in
// the media folder: a steered hip, a head, two hands and two feet.
inline const char* const fallbackbody = R"(New Ball
1
1
0
0
20
0
0
0
normal
0
0
New Ball
2
1
0
-80
25
0
0
0
normal
0
1
New Ball
3
1
-60
-30
15
0
0
0
normal
0
0
New Ball
4
1
60
-30
15
0
0
0
normal
0
0
New Ball
5
1
-40
70
15
0
0
0
normal
0
0
New Ball
6
1
40
70
15
0
0
0
normal
0
0
New Link
1
2
80
6
normal
1
New Link
2
3
70
4
normal
0
New Link
2
4
70
4
normal
0
New Link
1
5
80
4
normal
0
New Link
1
6
80
4
normal
0
)";

// The lines of a trace that start with `prefix`.
inline std::vector<std::string> Starting(const std::vector<std::string>& lines,
                                         const std::string& prefix) {
  std::vector<std::string> out;
  for (const std::string& l : lines) {
    if (l.rfind(prefix, 0) == 0) out.push_back(l);
  }
  return out;
}

class MatchRun : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = std::filesystem::current_path();
    char pattern[] = "/tmp/parvane-match-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    std::filesystem::current_path(dir_);
    // A media folder of our own, so a test can take the body file away.
    media_ = dir_ / "media";
    std::filesystem::copy(home_ / "media", media_, std::filesystem::copy_options::recursive);
    if (!std::filesystem::exists(media_ / "man.txt"))
      std::ofstream(media_ / "man.txt") << fallbackbody;
  }

  void TearDown() override {
    Stop();
    std::filesystem::current_path(home_);
    std::filesystem::remove_all(dir_);
  }

  // Starts the platform and opens a 1024 x 768 display with the images of
  // the game. trace: write the trace file (trace.txt) or not.
  // A run that never leaves its loop is closed after `maxframes` flips.
  void Start(const std::string& script = "", uint32_t seed = 1, bool trace = true,
             const std::string& tracename = "trace.txt", long maxframes = 100000) {
    std::ofstream(dir_ / "script.txt") << script;
    PlatformConfig config;
    config.headless = true;
    config.fakeClock = true;
    config.seeded = true;
    config.seed = seed;
    config.script = (dir_ / "script.txt").string();
    if (trace) config.trace = (dir_ / tracename).string();
    config.mediaDir = media_.string();
    config.maxFrames = maxframes;
    std::string error;
    ASSERT_EQ(PlatformInit(config, &error), 0) << error;
    started_ = true;
    SeedRandom(seed);
    ASSERT_TRUE(OpenDisplay(1024, 768, 0, 60, 0));
    SetBlend(3);
    SetDefaultImageFlags(7);
    for (auto [field, name] : images()) {
      *field = LoadSprite("media/" + name, -1);
      ASSERT_NE(*field, nullptr) << name;
    }
    for (Image* image : {bigball_, mainball_, ball_, rect_, spark_, star_}) CentreHandle(image);
    Font* font = LoadLabelFont("media/font.ttf", 128, 4);
    ASSERT_NE(font, nullptr);
    SetLabelFont(font);
  }

  void Stop() {
    if (started_) PlatformShutdown();
    started_ = false;
  }

  // A new match filled as a series fills it: options, window, media.
  std::unique_ptr<tlevel> NewMatch() {
    auto level = std::make_unique<tlevel>();
    level->xwin = 1024;
    level->ywin = 768;
    level->musicvolume = 0;
    level->musicnumber = 1;
    level->optfireworks = 1;
    level->opttrail = 1;
    level->sciaimage = scia_;
    level->mezball = mezball_;
    level->ballimage = ball_;
    level->bigballimage = bigball_;
    level->mainballimage = mainball_;
    level->rectimage = rect_;
    level->starimage = star_;
    level->sparki = spark_;
    return level;
  }

  // A custom match with computer players only besides the idle player 1.
  std::unique_ptr<tlevel> StartCustom(const Tcustomsettings& settings) {
    auto level = NewMatch();
    Tcustomsettings copy = settings;
    int wins[4] = {0, 0, 0, 0};
    EXPECT_EQ(level->startmatch("custom", 1, nullptr, &copy, wins), 0);
    return level;
  }

  std::vector<std::string> TraceLines(const std::string& name = "trace.txt") {
    Stop();
    std::vector<std::string> lines;
    std::ifstream in(dir_ / name);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  std::filesystem::path dir_;
  std::filesystem::path home_;
  std::filesystem::path media_;
  bool started_ = false;
  Image *scia_ = nullptr, *mezball_ = nullptr, *ball_ = nullptr, *bigball_ = nullptr;
  Image *mainball_ = nullptr, *rect_ = nullptr, *star_ = nullptr, *spark_ = nullptr;

 private:
  std::vector<std::pair<Image**, std::string>> images() {
    return {{&bigball_, "bigball.png"},  {&mainball_, "mainball+0.png"},
            {&ball_, "ball.png"},        {&rect_, "rect.png"},
            {&mezball_, "mezball2.png"}, {&star_, "smallstar.png"},
            {&spark_, "spark.png"},      {&scia_, "scia.png"}};
  }
};

// True when every coordinate of every ball in the match is finite.
inline bool allfinite(const tlevel& level) {
  for (ragobject* rag : level.raglist) {
    for (ball* b : rag->balllist) {
      for (double v : {b->x, b->y, b->xv, b->yv, b->oldx, b->oldy}) {
        if (!std::isfinite(v)) return false;
      }
    }
  }
  return true;
}

// How far a ball's edge reaches beyond the arena outline (0 when inside).
inline double outside(const Tborder& border, const ball& b) {
  double h = (border.down - border.up) / 2, cy = (border.up + border.down) / 2;
  if (b.x > border.Right || b.x < border.Left) {
    double ex = b.x > border.Right ? border.Right : border.Left;
    double d = std::hypot(b.x - ex, b.y - cy);
    return std::max(0.0, d - (h - b.r));
  }
  return std::max({0.0, b.y + b.r - border.down, border.up - (b.y - b.r)});
}

// The worst excursion beyond the outline of any ball but the arena's.
inline double worstexcursion(const tlevel& level) {
  double worst = 0;
  for (ragobject* rag : level.raglist) {
    if (rag == level.arenarag.get()) continue;
    for (ball* b : rag->balllist) worst = std::max(worst, outside(*level.border, *b));
  }
  return worst;
}
