// One frame of the heaviest physics the game runs: four bodies, the main
// ball and the seven obstacles of the busiest arena, through the ragdoll step
// and every collision pass of a frame.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "content/ragdollfile.h"
#include "physics/collision.h"
#include "physics/mainball.h"

namespace {
struct scene {
  std::vector<std::unique_ptr<ragobject>> men;
  ragobject mainballrag;
  Tmainball* mainball;
  ragobject arena;
  Tborder border;
  std::vector<ragobject*> raglist;

  scene() {
    static bool started = false;
    if (!started) {
      PlatformConfig config;
      config.headless = true;
      config.fakeClock = true;
      std::string error;
      if (PlatformInit(config, &error) != 0) std::abort();
      started = true;
    }
    SeedRandom(1);
    for (int i = 0; i < 4; i++) {
      men.push_back(std::make_unique<ragobject>());
      loadragdoll("media/man.txt", *men.back(), 0.5, 1.12, nullptr, nullptr, (i - 1.5) * 1300, 0,
                  1.0);
      raglist.push_back(men.back().get());
    }
    mainball = new Tmainball();
    mainball->x = mainball->oldx = 0;
    mainball->y = mainball->oldy = -600;
    mainball->r = 40;
    mainball->m = 5;
    mainball->rolling = 1;
    mainballrag.balllist.push_back(mainball);
    raglist.push_back(&mainballrag);
    const double obstacles[7][3] = {{0, -1700, 400}, {0, 1700, 400}, {3700, 0, 400},
                                    {-3700, 0, 400}, {0, 0, 300},    {-2000, 0, 300},
                                    {2000, 0, 300}};
    for (const auto& o : obstacles) {
      ball* b = new ball();
      b->x = b->oldx = b->anchorx = o[0];
      b->y = b->oldy = b->anchory = o[1];
      b->r = o[2];
      b->anchored = 1;
      b->bigball = 1;
      arena.balllist.push_back(b);
    }
    raglist.push_back(&arena);
    border.up = -1500;
    border.down = 1500;
    border.Left = -2000;
    border.Right = 2000;
  }

  // Every man chases the main ball at full speed, so contacts keep happening.
  void steer() {
    for (auto& man : men) {
      ball* head = man->balllist[0];
      const double dx = mainball->x - head->x, dy = mainball->y - head->y;
      const double d = std::hypot(dx, dy) + 1e-9;
      head->xv += 6 * dx / d;
      head->yv += 6 * dy / d;
    }
  }

  void step() {
    for (ragobject* rag : raglist) {
      rag->move(1, 0);
      rag->doanchor();
      rag->shiftandtensions(1);
      rag->updatev(1);
    }
  }

  void collide() {
    const int start = RandomInt(0, 3);
    for (int n = start; n < start + 4; n++) {
      if (ragcollision(*men[n % 4], mainballrag, -20) == 1) mainball->team = n % 4 + 1;
    }
    for (int i = 0; i < 4; i++) {
      for (int j = i + 1; j < 4; j++) ragcollision(*men[i], *men[j], -20);
    }
    for (auto& man : men) ragcollision(arena, *man, -20);
    ragcollision(mainballrag, arena, -20);
    for (ragobject* rag : raglist) {
      if (rag != &arena) rag->bordercollision(border);
    }
  }

  void frame() {
    for (ragobject* rag : raglist) {
      rag->updatemass();
      rag->updateold();
    }
    steer();
    step();
    collide();
  }
};

void BM_WorstCaseFrame(benchmark::State& state) {
  scene s;
  for (int f = 0; f < 120; f++) s.frame();  // into the thick of it
  for (auto _ : state) {
    s.frame();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_WorstCaseFrame);

void BM_CollisionPasses(benchmark::State& state) {
  scene s;
  for (int f = 0; f < 120; f++) s.frame();
  for (auto _ : state) {
    for (ragobject* rag : s.raglist) rag->updateold();
    s.collide();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_CollisionPasses);

// The 21 constraint iterations of one body; the counter gives the cost of
// one link or tension evaluation (with its share of the passes over balls).
void BM_BodyConstraints(benchmark::State& state) {
  scene s;
  ragobject& man = *s.men[0];
  man.updatemass();
  const double evaluations = 21.0 * (man.linklist.size() + man.TensionList.size());
  for (auto _ : state) {
    man.balllist[1]->x += 0.5;  // keep it out of rest
    man.shiftandtensions(1);
    benchmark::ClobberMemory();
  }
  state.counters["evaluation_ns"] = benchmark::Counter(
      evaluations * state.iterations(), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_BodyConstraints);
}  // namespace

BENCHMARK_MAIN();
