// Seeded matches between computer players, checked after every frame: no
// coordinate may become NaN or infinite, and every ball but the arena's
// stays inside the outline. Shared by the short soak test and the long soak
// program.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "match/matchloop.h"
#include "match/tlevel.h"
#include "platform/platform.h"

// The images a series hands to every match.
struct matchmedia {
  Image *scia = nullptr, *mezball = nullptr, *ball = nullptr, *bigball = nullptr;
  Image *mainball = nullptr, *rect = nullptr, *star = nullptr, *spark = nullptr;

  // Loads them after the display is open; false when one is missing.
  bool load() {
    SetBlend(3);
    SetDefaultImageFlags(7);
    struct entry {
      Image** field;
      const char* name;
      bool centred;
    };
    const entry entries[] = {
        {&bigball, "media/bigball.png", true},   {&mainball, "media/mainball+0.png", true},
        {&ball, "media/ball.png", true},         {&rect, "media/rect.png", true},
        {&mezball, "media/mezball2.png", false}, {&star, "media/smallstar.png", true},
        {&spark, "media/spark.png", true},       {&scia, "media/scia.png", false}};
    for (const entry& e : entries) {
      *e.field = LoadSprite(e.name, -1);
      if (*e.field == nullptr) return false;
      if (e.centred) CentreHandle(*e.field);
    }
    return true;
  }

  // A new match lent the images. Its window and options are those of
  // setup(), for tests that call its parts without a set-up.
  std::unique_ptr<tlevel> newmatch() const {
    auto level = std::make_unique<tlevel>();
    level->xwin = 1024;
    level->ywin = 768;
    level->optfireworks = 1;
    level->opttrail = 1;
    level->images.sciaimage = scia;
    level->images.mezball = mezball;
    level->images.ballimage = ball;
    level->images.bigballimage = bigball;
    level->images.mainballimage = mainball;
    level->images.rectimage = rect;
    level->images.starimage = star;
    level->images.sparki = spark;
    return level;
  }

  // A set-up of `mode` on a 1024 x 768 window with fireworks and the trail.
  static matchsetup setup(const std::string& mode) {
    matchsetup s;
    s.mode = mode;
    s.fireworks = 1;
    s.trail = 1;
    return s;
  }

  // Four players on arena 11, the busiest arena, past the opening zoom.
  std::unique_ptr<tlevel> fourplayers() const {
    SeedRandom(3);
    auto level = newmatch();
    matchsetup s = setup("custom");
    s.custom.numplayers = 4;
    s.custom.arenanum = 11;
    level->startmatch(s);
    matchloop loop(*level);
    for (int f = 0; f < 300; f++) loop.playframe();
    return level;
  }
};

// Starts the headless platform with a fake clock and no trace, opens a
// 1024 x 768 display and loads the images. Not seeded from the command line:
// each match seeds itself, and a harness seed would replace every one of
// those seeds with one value. False (with a message) when it cannot.
// `script`: a harness script to play (its controllers, say).
inline bool startheadless(matchmedia& media, const std::string& script = "") {
  PlatformConfig config;
  config.headless = true;
  config.fakeClock = true;
  config.script = script;
  std::string error;
  if (PlatformInit(config, &error) == 0 && OpenDisplay(1024, 768, 0, 60, 0) && media.load()) {
    return true;
  }
  std::fprintf(stderr, "cannot start the headless platform: %s\n", error.c_str());
  return false;
}

struct soakcase {
  uint32_t seed;
  int arena;  // 0 to 16: 0 and 16 give the default arena
  int players;
  int gravity;
  int ballsize;
  int ballmass;
};

struct soakresult {
  bool started = false;
  int badframe = 0;   // first frame that broke a rule, 0 for none
  std::string fault;  // what broke
  double worst = 0;   // largest excursion beyond the outline seen
  int touches = 0;    // frames in which the main ball was touched
};

// How far a ball's edge reaches beyond the outline (0 when inside).
inline double beyondoutline(const Tborder& border, const ball& b) {
  double h = (border.down - border.up) / 2, cy = (border.up + border.down) / 2;
  if (b.x > border.Right || b.x < border.Left) {
    double ex = b.x > border.Right ? border.Right : border.Left;
    return std::max(0.0, std::hypot(b.x - ex, b.y - cy) - (h - b.r));
  }
  return std::max({0.0, b.y + b.r - border.down, border.up - (b.y - b.r)});
}

// A random case drawn from the seed: every arena, 2 to 4 players, gravity
// 0 to 10, ball size and mass 1 to 10.
inline soakcase randomcase(uint32_t seed) {
  SeedRandom(seed);
  soakcase c{seed,
             RandomInt(0, 16),
             RandomInt(2, 4),
             RandomInt(0, 10),
             RandomInt(1, 10),
             RandomInt(1, 10)};
  return c;
}

// Plays `frames` frames of a custom match in which every player, player 1
// included, is steered by the computer, checking the rules after each.
// With synctest N every frame is also rolled back N frames and simulated
// again, and the states compared.
// A case's custom match, seeded and started with the computer steering
// player 1 too; null when it does not start.
inline std::unique_ptr<tlevel> startsoakmatch(const matchmedia& media, const soakcase& c) {
  SeedRandom(c.seed);
  auto level = media.newmatch();
  matchsetup setup = matchmedia::setup("custom");
  setup.custom.arenanum = c.arena;
  setup.custom.numplayers = c.players;
  setup.custom.gravity = c.gravity;
  setup.custom.ballsize = c.ballsize;
  setup.custom.ballmass = c.ballmass;
  if (level->startmatch(setup) != 0) return nullptr;
  level->men[0]->bot = 1;
  level->men[0]->AIlevel = 10;
  return level;
}

inline soakresult soakmatch(const matchmedia& media, const soakcase& c, int frames,
                            double tolerance = 1.0, int synctest = 0) {
  soakresult result;
  std::unique_ptr<tlevel> level = startsoakmatch(media, c);
  if (!level) return result;
  result.started = true;
  matchloop loop(*level);
  loop.startsynctest(synctest);
  for (int f = 1; f <= frames; f++) {
    try {
      loop.playframe();
    } catch (const ProgramExit&) {
      result.badframe = f;
      result.fault = "the state differs after a rollback";
      return result;
    }
    if (level->mainball[0]->untouched == 0) result.touches++;
    for (ragobject* rag : level->raglist) {
      for (ball* b : rag->balllist) {
        for (double v : {b->x, b->y, b->xv, b->yv}) {
          if (!std::isfinite(v)) {
            result.badframe = f;
            result.fault = "non-finite coordinate";
            return result;
          }
        }
        if (rag == level->arenarag.get()) continue;
        double out = beyondoutline(*level->border, *b);
        result.worst = std::max(result.worst, out);
        if (out > tolerance) {
          result.badframe = f;
          result.fault = "ball outside the outline by " + std::to_string(out);
          return result;
        }
      }
    }
  }
  return result;
}
