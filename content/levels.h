// The 40 single-player levels, held as the rules that generate them.
#pragma once

struct levelrule {
  int players;  // men in the match: player 1 and the computer players
  bool big;     // player 1 is loaded at full size instead of half
  int ailevel;  // AIlevel of every computer player
  int arena;    // arena number for initarena
};

// The last level of a run: winning it ends the run and unlocks nothing more.
constexpr int lastlevel = 40;

// The rule of one level. Levels 1 to lastlevel follow the table; later levels keep
// the pattern of levels 6 on. Below 1 the defaults apply, with `players`
// 0 meaning "drawn at random, 2 or 3".
levelrule rulesforlevel(int level);
