// Whole matches through the frame loop: the phases seen from outside.
#include "match/setup.h"
#include "players/man.h"
#include "tests/match/match_setup.h"

namespace {

using PhasesMatch = MatchRun;

// First flip after which a label with exactly this text was drawn; -1 if none.
int FirstFlipWithLabel(const std::filesystem::path& trace, const std::string& text) {
  std::ifstream in(trace);
  int flips = 0;
  const std::string suffix = " " + text;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("flip ", 0) == 0) {
      flips++;
    } else if (line.rfind("label ", 0) == 0 && line.size() > suffix.size() &&
               line.compare(line.size() - suffix.size(), suffix.size(), suffix) == 0) {
      return flips;
    }
  }
  return -1;
}

TEST_F(PhasesMatch, ComputerWinsACustomMatchAgainstAnIdlePlayer) {
  // Enter late on, then Escape, so a match that never ends cannot hang.
  Start("5990 down ENTER\n6000 down ESC\n");
  auto level = NewMatch();
  int result = PlayMatch(*level, matchmedia::setup("custom"));
  EXPECT_EQ(result, 2);
  EXPECT_EQ(level->phase, "end");
  EXPECT_EQ(level->men[1]->wins, 1);
  EXPECT_LT(level->men[0]->owntime, level->maxowntime);
  Stop();
  int shown = FirstFlipWithLabel(dir_ / "trace.txt", "0 - 1");
  EXPECT_GT(shown, 1800);  // owned time must fill first
  EXPECT_LT(shown, 5990);
}

TEST_F(PhasesMatch, TesterKeysCompleteALevelAndEnterEndsIt) {
  Start("10 down 1\n10 down 4\n12 up 1\n12 up 4\n20 press ENTER\n");
  auto level = NewMatch();
  int result = PlayMatch(*level, matchmedia::setup("levels"));
  EXPECT_EQ(result, 1);
  EXPECT_EQ(level->levelscore, 10000);
  // Won in the first fraction of a second: nearly the whole bonus.
  EXPECT_GT(level->timebonus, 19000);
  EXPECT_EQ(level->endscore, level->levelscore + level->timebonus);
  Stop();
  EXPECT_GT(FirstFlipWithLabel(dir_ / "trace.txt", "LEVEL 1 COMPLETED"), 9);
}

}  // namespace
