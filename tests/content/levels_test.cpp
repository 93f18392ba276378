// The level rules against the table of the 40 levels, the arenas, and the
// mode set-ups.
#include "content/levels.h"

#include "tests/match/match_setup.h"

namespace {

// Level, players, big, AI level, arena: the table the rules must reproduce.
constexpr int table[40][5] = {
    {1, 2, 0, 21, 1},   {2, 2, 0, 20, 9},   {3, 3, 0, 25, 6},   {4, 3, 0, 24, 11},
    {5, 2, 1, 23, 4},   {6, 2, 0, 18, 8},   {7, 3, 0, 23, 3},   {8, 3, 0, 22, 10},
    {9, 4, 0, 25, 5},   {10, 2, 1, 20, 7},  {11, 2, 0, 15, 2},  {12, 3, 0, 20, 13},
    {13, 3, 0, 19, 15}, {14, 4, 0, 22, 12}, {15, 2, 1, 17, 1},  {16, 2, 0, 12, 14},
    {17, 3, 0, 17, 7},  {18, 3, 0, 16, 12}, {19, 4, 0, 19, 4},  {20, 2, 1, 14, 5},
    {21, 2, 0, 9, 13},  {22, 3, 0, 14, 12}, {23, 3, 0, 13, 15}, {24, 4, 0, 16, 1},
    {25, 2, 1, 11, 2},  {26, 2, 0, 6, 14},  {27, 3, 0, 11, 7},  {28, 3, 0, 10, 12},
    {29, 4, 0, 13, 4},  {30, 2, 1, 8, 5},   {31, 2, 0, 3, 13},  {32, 3, 0, 8, 12},
    {33, 3, 0, 7, 15},  {34, 4, 0, 10, 1},  {35, 2, 1, 5, 2},   {36, 2, 0, 0, 14},
    {37, 3, 0, 5, 7},   {38, 3, 0, 4, 12},  {39, 4, 0, 7, 4},   {40, 2, 1, 2, 5},
};

TEST(LevelRules, ReproduceTheFortyLevels) {
  for (const auto& row : table) {
    levelrule rule = rulesforlevel(row[0]);
    EXPECT_EQ(rule.players, row[1]) << "level " << row[0];
    EXPECT_EQ(rule.big ? 1 : 0, row[2]) << "level " << row[0];
    EXPECT_EQ(rule.ailevel, row[3]) << "level " << row[0];
    EXPECT_EQ(rule.arena, row[4]) << "level " << row[0];
  }
}

TEST(LevelRules, OutsideTheTableTheDefaultsHold) {
  levelrule zero = rulesforlevel(0);
  EXPECT_EQ(zero.players, 0);  // drawn at random by the set-up
  EXPECT_EQ(zero.ailevel, 7);
  EXPECT_EQ(zero.arena, 0);
}

using LevelSetup = MatchRun;

TEST_F(LevelSetup, SinglePlayerLevelsFillTheMatch) {
  Start("", 3, false);
  auto level = NewMatch();
  level->initsingleplayer(9);
  EXPECT_EQ(level->mennumber, 4);
  EXPECT_EQ(level->men[0]->bot, 0);
  for (int i = 1; i < 4; i++) {
    EXPECT_EQ(level->men[i]->bot, 1);
    EXPECT_EQ(level->men[i]->AIlevel, 25);
    EXPECT_EQ(level->men[i]->team, i + 1);
    EXPECT_FLOAT_EQ(level->men[i]->speed, 6.0f);
  }
  EXPECT_EQ(level->mainballnumber, 1);
  EXPECT_DOUBLE_EQ(level->mainball[0]->r, 40.0);
  EXPECT_DOUBLE_EQ(level->mainball[0]->m, 5.0);
  EXPECT_EQ(level->mainball[0]->rolling, 1);
  EXPECT_LE(std::abs(level->mainball[0]->xv), 20);
  EXPECT_FLOAT_EQ(level->maxowntime, 1800.0f);
  EXPECT_EQ(level->gravity, 0.0);
  EXPECT_EQ(level->phase, "normal");
  EXPECT_EQ(level->scritta, "   LEVEL 9   ");
  EXPECT_EQ(level->temposcritta, 120);
  // The men first, then the main ball's ragdoll, the arena last.
  ASSERT_EQ(level->raglist.size(), 6u);
  EXPECT_EQ(level->raglist[0], level->men[0]);
  EXPECT_EQ(level->raglist[4], level->mainballrag[0].get());
  EXPECT_EQ(level->raglist[5], level->arenarag.get());
}

TEST_F(LevelSetup, TheBigOpponentIsTwiceTheSize) {
  Start("", 3, false);
  auto level = NewMatch();
  level->initsingleplayer(10);
  ASSERT_EQ(level->mennumber, 2);
  const Tman& small = *level->men[0];
  const Tman& big = *level->men[1];
  ASSERT_EQ(small.balllist.size(), big.balllist.size());
  for (size_t k = 0; k < small.balllist.size(); k++) {
    EXPECT_DOUBLE_EQ(big.balllist[k]->r, 2 * small.balllist[k]->r);
  }
  for (size_t k = 0; k < small.linklist.size(); k++) {
    EXPECT_DOUBLE_EQ(big.linklist[k]->distance, 2 * small.linklist[k]->distance);
  }
  for (size_t k = 0; k < small.TensionList.size(); k++) {
    EXPECT_DOUBLE_EQ(big.TensionList[k]->strength, 2 * small.TensionList[k]->strength);
  }
}

TEST_F(LevelSetup, PlayersStand1300Apart) {
  Start("", 3, false);
  const std::vector<std::vector<double>> expected = {
      {-650, 650}, {-1300, 0, 1300}, {-1950, -650, 650, 1950}};
  for (int n = 2; n <= 4; n++) {
    auto level = NewMatch();
    Tcustomsettings settings;
    settings.numplayers = n;
    level->initcustom(settings);
    ASSERT_EQ(level->mennumber, n);
    // Every body is the same file, shifted: compare the first balls.
    double first = level->men[0]->balllist[0]->x - expected[n - 2][0];
    for (int i = 0; i < n; i++) {
      EXPECT_DOUBLE_EQ(level->men[i]->balllist[0]->x - first, expected[n - 2][i]) << n << " " << i;
    }
  }
}

TEST_F(LevelSetup, CustomSettingsBecomePhysicalValues) {
  Start("", 3, false);
  auto level = NewMatch();
  Tcustomsettings settings;  // the defaults
  level->initcustom(settings);
  EXPECT_EQ(level->men[1]->AIlevel, 20);
  EXPECT_DOUBLE_EQ(level->mainball[0]->r, 40.0);
  EXPECT_EQ(level->gravity, 0.0);

  settings.AIlevel = 10;
  settings.gravity = 10;
  settings.ballsize = 10;
  settings.ballmass = 1;
  settings.speed = 9;
  settings.arenanum = 13;
  level = NewMatch();
  level->initcustom(settings);
  EXPECT_EQ(level->men[1]->AIlevel, 10);
  EXPECT_FLOAT_EQ(level->men[1]->speed, 9.0f);
  EXPECT_DOUBLE_EQ(level->gravity, 0.5);
  EXPECT_DOUBLE_EQ(level->mainball[0]->r, 80.0);
  EXPECT_DOUBLE_EQ(level->mainball[0]->m, 1.0);
  EXPECT_EQ(level->arenarag->balllist.size(), 6u);
  EXPECT_EQ(level->phase, "normal");
  EXPECT_TRUE(level->scritta.empty());

  // Out of the menu's range: still a match that can be played.
  settings.AIlevel = 40;
  settings.ballmass = 0;
  settings.numplayers = 9;
  level = NewMatch();
  level->initcustom(settings);
  EXPECT_EQ(level->mennumber, 4);
  EXPECT_EQ(level->men[1]->AIlevel, 0);
  EXPECT_GT(level->mainball[0]->m, 0.0);
}

TEST_F(LevelSetup, MultiplayerHasNoComputerPlayers) {
  Start("", 3, false);
  auto level = NewMatch();
  Tmultiplayersettings settings;
  settings.numplayers = 3;
  level->initmultiplayer(settings);
  ASSERT_EQ(level->mennumber, 3);
  for (int i = 0; i < 3; i++) EXPECT_EQ(level->men[i]->bot, 0);
}

TEST_F(LevelSetup, Arenas) {
  Start("", 3, false);
  auto level = NewMatch();
  struct expect {
    int arena;
    double up, down, left, right;
    size_t obstacles;
  };
  for (const expect& e :
       {expect{0, -1250, 1250, -2500, 2500, 0}, expect{16, -1250, 1250, -2500, 2500, 0},
        expect{1, -1500, 1500, -2000, 2000, 0}, expect{8, -2000, 2000, 0, 0, 4},
        expect{13, -2000, 2000, 0, 0, 6}}) {
    level->initarena(e.arena);
    EXPECT_EQ(level->border->up, e.up) << e.arena;
    EXPECT_EQ(level->border->down, e.down) << e.arena;
    EXPECT_EQ(level->border->Left, e.left) << e.arena;
    EXPECT_EQ(level->border->Right, e.right) << e.arena;
    EXPECT_EQ(level->arenarag->balllist.size(), e.obstacles) << e.arena;
  }
  // Arena 13: two coincident obstacles at the centre, fixed and drawn big.
  const auto& balls = level->arenarag->balllist;
  EXPECT_EQ(balls[4]->x, 0);
  EXPECT_EQ(balls[5]->x, 0);
  EXPECT_EQ(balls[5]->r, 300);
  for (ball* b : balls) {
    EXPECT_EQ(b->anchored, 1);
    EXPECT_EQ(b->bigball, 1);
    EXPECT_EQ(b->anchorx, b->x);
    EXPECT_EQ(b->anchory, b->y);
    EXPECT_EQ(b->image, bigball_);
  }
  // Arena 8 leaves the centre free.
  level->initarena(8);
  for (ball* b : level->arenarag->balllist) EXPECT_GT(std::hypot(b->x, b->y), 2000);
  // Rebuilding the arena lists it once, not once per build.
  int listed = 0;
  for (ragobject* rag : level->raglist) listed += rag == level->arenarag.get();
  EXPECT_EQ(listed, 1);
  EXPECT_EQ(level->raglist.size(), 1u);
}

}  // namespace
