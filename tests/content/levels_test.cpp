// The level rules against the table of the 40 levels, the arenas and the
// mode set-ups.
#include "content/levels.h"

#include <array>

#include "tests/match/match_setup.h"

namespace {

// Players, big, AI level and arena of levels 1 to 40.
constexpr int table[40][4] = {
    {2, 0, 21, 1},  {2, 0, 20, 9},  {3, 0, 25, 6}, {3, 0, 24, 11}, {2, 1, 23, 4},  {2, 0, 18, 8},
    {3, 0, 23, 3},  {3, 0, 22, 10}, {4, 0, 25, 5}, {2, 1, 20, 7},  {2, 0, 15, 2},  {3, 0, 20, 13},
    {3, 0, 19, 15}, {4, 0, 22, 12}, {2, 1, 17, 1}, {2, 0, 12, 14}, {3, 0, 17, 7},  {3, 0, 16, 12},
    {4, 0, 19, 4},  {2, 1, 14, 5},  {2, 0, 9, 13}, {3, 0, 14, 12}, {3, 0, 13, 15}, {4, 0, 16, 1},
    {2, 1, 11, 2},  {2, 0, 6, 14},  {3, 0, 11, 7}, {3, 0, 10, 12}, {4, 0, 13, 4},  {2, 1, 8, 5},
    {2, 0, 3, 13},  {3, 0, 8, 12},  {3, 0, 7, 15}, {4, 0, 10, 1},  {2, 1, 5, 2},   {2, 0, 0, 14},
    {3, 0, 5, 7},   {3, 0, 4, 12},  {4, 0, 7, 4},  {2, 1, 2, 5}};

TEST(LevelRules, ReproduceTheFortyLevels) {
  for (int level = 1; level <= 40; level++) {
    levelrule r = rulesforlevel(level);
    const int* row = table[level - 1];
    EXPECT_EQ(std::vector<int>({r.players, r.big ? 1 : 0, r.ailevel, r.arena}),
              std::vector<int>(row, row + 4))
        << "level " << level;
  }
}

using LevelSetup = MatchRun;

TEST_F(LevelSetup, LevelsAndCustomSettingsFillTheMatch) {
  Start("", 3, false);
  auto level = NewMatch();
  level->initsingleplayer(9);
  ASSERT_EQ(level->mennumber, 4);
  EXPECT_EQ(level->men[0]->bot, 0);
  EXPECT_EQ(level->men[3]->bot, 1);
  EXPECT_EQ(level->men[3]->AIlevel, 25);
  EXPECT_EQ(level->men[3]->team, 4);
  EXPECT_EQ(level->scritta, "   LEVEL 9   ");
  // The men first, then the main ball's ragdoll, the arena last.
  std::vector<ragobject*> order = {level->men[0],
                                   level->men[1],
                                   level->men[2],
                                   level->men[3],
                                   level->mainballrag[0].get(),
                                   level->arenarag.get()};
  EXPECT_EQ(level->raglist, order);

  Tcustomsettings settings;  // the defaults: AI level 5, ball size 5
  level->initcustom(settings);
  EXPECT_EQ(level->men[1]->AIlevel, 20);
  EXPECT_EQ(level->mainball[0]->r, 40.0);
  settings = {2, 15, 9, 10, 1, 10, 13};
  level->initcustom(settings);
  EXPECT_EQ(level->men[1]->AIlevel, 0);
  EXPECT_EQ(level->gravity, 0.5);
  EXPECT_EQ(level->mainball[0]->r, 80.0);
  EXPECT_EQ(level->arenarag->balllist.size(), 6u);
  // Outside the menus' ranges: still a match that can be played.
  settings = {9, 40, 6, 0, 0, 99, 1};
  level->initcustom(settings);
  EXPECT_EQ(level->mennumber, 4);
  EXPECT_EQ(level->men[1]->AIlevel, 0);
  EXPECT_GT(level->mainball[0]->m, 0.0);
  EXPECT_GT(level->mainball[0]->r, 0.0);
}

TEST_F(LevelSetup, BigOpponentAndStartPositions) {
  Start("", 3, false);
  auto level = NewMatch();
  level->initsingleplayer(10);
  const Tman &small = *level->men[0], &big = *level->men[1];
  EXPECT_EQ(big.balllist[1]->r, 2 * small.balllist[1]->r);
  EXPECT_EQ(big.linklist[1]->distance, 2 * small.linklist[1]->distance);

  const std::vector<std::vector<double>> expected = {
      {-650, 650}, {-1300, 0, 1300}, {-1950, -650, 650, 1950}};
  for (int n = 2; n <= 4; n++) {
    Tcustomsettings settings;
    settings.numplayers = n;
    level->initcustom(settings);
    // The same body file shifted: the first balls show the offsets.
    double fromfile = level->men[0]->balllist[0]->x - expected[n - 2][0];
    for (int i = 0; i < n; i++) {
      EXPECT_EQ(level->men[i]->balllist[0]->x - fromfile, expected[n - 2][i]) << n;
    }
  }
}

TEST_F(LevelSetup, Arenas) {
  Start("", 3, false);
  auto level = NewMatch();
  // Arena, up, Left, obstacles: 0 and 16 are the default stadium.
  const int arenas[][4] = {{0, -1250, -2500, 0},
                           {16, -1250, -2500, 0},
                           {1, -1500, -2000, 0},
                           {8, -2000, 0, 4},
                           {13, -2000, 0, 6}};
  for (const auto& a : arenas) {
    level->initarena(a[0]);
    EXPECT_EQ(level->border->up, a[1]) << a[0];
    EXPECT_EQ(level->border->down, -a[1]) << a[0];
    EXPECT_EQ(level->border->Left, a[2]) << a[0];
    EXPECT_EQ(level->border->Right, -a[2]) << a[0];
    EXPECT_EQ(level->arenarag->balllist.size(), static_cast<size_t>(a[3])) << a[0];
  }
  // Arena 13: two coincident fixed obstacles at the centre.
  for (int k : {4, 5}) {
    const ball& b = *level->arenarag->balllist[k];
    EXPECT_EQ(std::vector<double>({b.x, b.y, b.r, b.anchorx, b.anchory}),
              std::vector<double>({0, 0, 300, 0, 0}));
    EXPECT_EQ(b.anchored, 1);
    EXPECT_EQ(b.bigball, 1);
  }
  // Arena 8 leaves the centre free.
  level->initarena(8);
  for (ball* b : level->arenarag->balllist) EXPECT_GT(std::hypot(b->x, b->y), 2000);
  // Rebuilt five times, the arena is listed once.
  EXPECT_EQ(level->raglist, std::vector<ragobject*>({level->arenarag.get()}));
}

// Every arena, obstacle by obstacle and in order, with its walls.
TEST_F(LevelSetup, EveryArenaHasItsObstaclesWhereTheTableSays) {
  Start("", 3, false);
  auto level = NewMatch();
  struct arena {
    int number, w, h;
    std::vector<std::array<double, 3>> obstacles;  // x, y, radius
  };
  const std::vector<std::array<double, 3>> cross = {
      {2200, 0, 400}, {-2200, 0, 400}, {0, 2200, 400}, {0, -2200, 400}};
  const std::vector<std::array<double, 3>> corners = {
      {1600, 1600, 400}, {-1600, 1600, 400}, {-1600, -1600, 400}, {1600, -1600, 400}};
  const std::vector<std::array<double, 3>> walls = {
      {0, -1700, 400}, {0, 1700, 400}, {3700, 0, 400}, {-3700, 0, 400}};
  auto plus = [](std::vector<std::array<double, 3>> a,
                 const std::vector<std::array<double, 3>>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  const std::vector<arena> arenas = {
      {1, 4000, 3000, {}},
      {2, 0, 4000, cross},
      {3, 4000, 3000, {{0, 0, 300}, {-2000, 0, 300}, {2000, 0, 300}}},
      {4, 4000, 3000, {{0, -1700, 400}, {0, 1700, 400}}},
      {5, 4000, 3000, walls},
      {6, 4000, 3000, {{0, -1700, 400}, {0, 1700, 400}, {2000, 0, 300}, {-2000, 0, 300}}},
      {7, 0, 4000, plus({{0, 0, 300}}, corners)},
      {8, 0, 4000, corners},
      {9, 0, 4000, plus(cross, {{0, 0, 300}})},
      {10, 0, 4000,
       plus(cross, {{700, 700, 200}, {-700, 700, 200}, {700, -700, 200}, {-700, -700, 200}})},
      {11, 4000, 3000, plus(walls, {{0, 0, 300}, {-2000, 0, 300}, {2000, 0, 300}})},
      {12, 4000, 3000, plus(walls, {{0, 0, 300}})},
      {13, 0, 4000, plus(cross, {{0, 0, 300}, {0, 0, 300}})},
      {14, 0, 4000,
       plus(corners, {{1000, 0, 200}, {0, 1000, 200}, {-1000, 0, 200}, {0, -1000, 200}})},
      {15, 4000, 3000, plus(walls, {{-2000, 0, 300}, {2000, 0, 300}})},
  };
  for (const arena& a : arenas) {
    SCOPED_TRACE(a.number);
    level->initarena(a.number);
    EXPECT_EQ(level->border->up, -a.h / 2.0);
    EXPECT_EQ(level->border->down, a.h / 2.0);
    EXPECT_EQ(level->border->Left, -a.w / 2.0);
    EXPECT_EQ(level->border->Right, a.w / 2.0);
    std::vector<std::array<double, 3>> built;
    for (const ball* b : level->arenarag->balllist) {
      built.push_back({b->x, b->y, b->r});
      EXPECT_TRUE(b->anchored == 1 && b->anchorx == b->x && b->anchory == b->y);
      EXPECT_TRUE(b->m == 1 && b->bigball == 1 && b->image == level->images.bigballimage);
    }
    EXPECT_EQ(built, a.obstacles);
    EXPECT_TRUE(level->arenarag->linklist.empty() && level->arenarag->TensionList.empty());
  }
}

}  // namespace
