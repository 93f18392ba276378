// How the levels play: with player 1 idle, the frames until a computer
// player first touches the main ball and until one wins, over several seeds
// per level.
#include "content/levels.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/soak.h"

int main(int argc, char** argv) {
  int seeds = argc > 1 ? std::atoi(argv[1]) : 10;
  const int limit = 12000;
  matchmedia media;
  if (!startheadless(media)) return 1;
  std::printf("| level | players | AI level | arena | first touch: median | min | max | "
              "not reached | win: median | min | max | no win |\n");
  std::printf("|---|---|---|---|---|---|---|---|---|---|---|---|\n");
  for (int levelnumber : {1, 10, 20, 30, 40}) {
    std::vector<int> frames, winframes;
    int missed = 0, nowin = 0;
    for (int s = 1; s <= seeds; s++) {
      SeedRandom(static_cast<uint32_t>(s));
      auto level = media.newmatch();
      matchsetup setup = matchmedia::setup("levels");
      setup.level = levelnumber;
      if (level->startmatch(setup) != 0) return 1;
      matchloop loop(*level);
      int reached = 0, won = 0;
      for (int f = 1; f <= limit && won == 0; f++) {
        loop.playframe();
        int team = level->mainball[0]->team;
        if (team >= 2 && reached == 0) reached = f;
        if (level->winner != 0) won = f;
      }
      if (won == 0) {
        nowin++;
      } else {
        winframes.push_back(won);
      }
      if (reached == 0) {
        missed++;
      } else {
        frames.push_back(reached);
      }
    }
    std::sort(frames.begin(), frames.end());
    std::sort(winframes.begin(), winframes.end());
    levelrule rule = rulesforlevel(levelnumber);
    std::printf("| %d | %d | %d | %d | ", levelnumber, rule.players, rule.ailevel, rule.arena);
    for (const auto* list : {&frames, &winframes}) {
      if (list->empty()) {
        std::printf("- | - | - | ");
      } else {
        std::printf("%d | %d | %d | ", (*list)[list->size() / 2], list->front(), list->back());
      }
      std::printf("%d |%s", list == &frames ? missed : nowin, list == &frames ? " " : "\n");
    }
  }
  PlatformShutdown();
  return 0;
}
