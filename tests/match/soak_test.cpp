// A handful of seeded computer-only matches over varied arenas and
// settings, checked after every frame. The long run is bench/soak.
#include "bench/soak.h"

#include "tests/match/match_setup.h"

namespace {

using Soak = MatchRun;

TEST_F(Soak, ComputerPlayersKeepEveryBallFiniteAndInside) {
  Start("", 1, false);
  matchmedia media;
  ASSERT_TRUE(media.load());
  // The extremes first: the circle with a ball of size 10 and full gravity,
  // the crowded arena 11, the default arena; then drawn cases.
  const soakcase cases[] = {{101, 13, 4, 10, 10, 1},
                            {102, 11, 4, 0, 1, 10},
                            {103, 16, 2, 5, 5, 5},
                            randomcase(104),
                            randomcase(105)};
  for (const soakcase& c : cases) {
    soakresult r = soakmatch(media, c, 3000);
    ASSERT_TRUE(r.started);
    EXPECT_EQ(r.badframe, 0) << "seed " << c.seed << " arena " << c.arena << ": " << r.fault;
    EXPECT_GT(r.touches, 0) << "seed " << c.seed;
  }
}

}  // namespace
