// How the levels play: with player 1 idle, the frames until a computer
// player first touches the main ball, over several seeds per level.
#include "content/levels.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/soak.h"

int main(int argc, char** argv) {
  int seeds = argc > 1 ? std::atoi(argv[1]) : 10;
  const int limit = 6000;
  matchmedia media;
  if (!startheadless(media)) return 1;
  std::printf("| level | players | AI level | arena | median | min | max | not reached |\n");
  std::printf("|---|---|---|---|---|---|---|---|\n");
  for (int levelnumber : {1, 10, 20, 30, 40}) {
    std::vector<int> frames;
    int missed = 0;
    for (int s = 1; s <= seeds; s++) {
      SeedRandom(static_cast<uint32_t>(s));
      auto level = media.newmatch();
      int wins[4] = {0, 0, 0, 0};
      if (level->startmatch("levels", levelnumber, nullptr, nullptr, wins) != 0) return 1;
      int reached = 0;
      for (int f = 1; f <= limit && reached == 0; f++) {
        level->playframe();
        int team = level->mainball[0]->team;
        if (team >= 2) reached = f;
      }
      if (reached == 0) {
        missed++;
      } else {
        frames.push_back(reached);
      }
    }
    std::sort(frames.begin(), frames.end());
    levelrule rule = rulesforlevel(levelnumber);
    if (frames.empty()) {
      std::printf("| %d | %d | %d | %d | - | - | - | %d |\n", levelnumber, rule.players,
                  rule.ailevel, rule.arena, missed);
    } else {
      std::printf("| %d | %d | %d | %d | %d | %d | %d | %d |\n", levelnumber, rule.players,
                  rule.ailevel, rule.arena, frames[frames.size() / 2], frames.front(),
                  frames.back(), missed);
    }
  }
  PlatformShutdown();
  return 0;
}
