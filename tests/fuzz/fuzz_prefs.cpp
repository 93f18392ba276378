// prefs.txt from anywhere: reads the bytes as the options file the way the
// game does at start-up, checks that every option lands where the menus and
// the match can use it, then saves and reads the options back.
#include <cstddef>
#include <cstdint>

#include "app/game.h"
#include "tests/fuzz/scratchfolder.h"

namespace {
using scratch::check;

void checkrange(const game& g) {
  check(g.optres >= 1 && g.optres <= 3, "resolution out of range");
  check(g.optfullscr == 0 || g.optfullscr == 1, "full screen flag out of range");
  check(g.opttrail >= 0 && g.opttrail <= 2, "trail out of range");
  check(g.optfireworks == 0 || g.optfireworks == 1, "fireworks flag out of range");
  check(g.musicvolume >= 0 && g.musicvolume <= 10, "music volume out of range");
  check(g.maxinitiallevel <= 40, "initial level past the last level");
  check(g.initiallevel == g.maxinitiallevel, "initial level differs from the unlocked one");
}

void readfresh(game& g) {
  g.initprefs();
  g.readprefs();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  scratch::enter("fuzz_prefs");
  // The file always exists, so the first-run question is never asked.
  scratch::writefile("prefs.txt", data, size);

  game first;
  readfresh(first);
  checkrange(first);

  // What the game saves must come back unchanged at the next start.
  check(first.writeprefs() == 0, "prefs.txt could not be saved");
  game second;
  readfresh(second);
  check(second.optres == first.optres && second.optfullscr == first.optfullscr &&
            second.opttrail == first.opttrail && second.optfireworks == first.optfireworks &&
            second.musicvolume == first.musicvolume &&
            second.maxinitiallevel == first.maxinitiallevel,
        "saved options read back differently");
  scratch::leave();
  return 0;
}
