// The match screens allocate nothing frame after frame: only the effect
// lists may reach the heap inside the frame loop.
#include <cstdlib>
#include <new>

#include "tests/effects/headless_fixture.h"

#if defined(__SANITIZE_ADDRESS__)
#define PHASES_COUNT_ALLOCATIONS 0  // the sanitizer owns operator new
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PHASES_COUNT_ALLOCATIONS 0
#endif
#endif
#ifndef PHASES_COUNT_ALLOCATIONS
#define PHASES_COUNT_ALLOCATIONS 1
#endif

namespace {
long gAllocations = 0;
}  // namespace

#if PHASES_COUNT_ALLOCATIONS
// Kept out of line, so the compiler never pairs malloc and free across them.
[[gnu::noinline]] void* operator new(std::size_t size) {
  gAllocations++;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#endif

namespace {

using PhasesAlloc = HeadlessTest;

TEST_F(PhasesAlloc, ScreensAndBarsAllocateNothingOnceShown) {
  if (!PHASES_COUNT_ALLOCATIONS) GTEST_SKIP() << "allocations are not counted under the sanitizer";
  Start("410 type Bo\n411 char 8\n", true, false);
  tlevel& l = Match(4, "levels");
  l.images.sciaimage = LoadSprite("media/scia.png", -1);
  l.levelnum = 40;
  l.scritta = "   LEVEL 40   ";
  l.temposcritta = 120;
  l.men[0]->owntime = 1801;
  l.men[3]->wins = 12345;
  // One frame of each screen first: static buffers and the name are made.
  l.levelcompleted(300);
  l.endscore = 1;  // with a score to enter, so the name prompt is made too
  l.gameover(200);
  l.endscore = 0;
  l.tellwinner(200);
  l.writeowntime();  // the platform sizes its quad buffer on a first sprite
  l.doscritta(0.5);
  l.charposition = 1;
  l.name.clear();

  long before = gAllocations;
  for (int frame = 0; frame < 400; frame++) {
    l.writeowntime();
    l.doscritta(0.5);
    Input(l);
    l.changephase();  // the level screen, counting up
    Cleared(l);
    Flip(-1);
  }
  l.phase = "gameover";
  for (int frame = 0; frame < 200; frame++) {
    Input(l);
    l.gameover(frame);
    l.tellwinner(frame);
    Cleared(l);
    Flip(-1);
  }
  EXPECT_EQ(gAllocations - before, 0);
  EXPECT_EQ(l.name, "B");
}

}  // namespace
