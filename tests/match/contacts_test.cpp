// Contacts between the players and the main ball, and between players.
#include "physics/collision.h"
#include "tests/match/match_setup.h"

namespace {

// One ball of radius 20 at (x, y) moving at (xv, 0), mass 1.
ball* at(double x, double y, double xv = 0) {
  ball* b = new ball();
  b->x = b->oldx = x;
  b->y = b->oldy = y;
  b->xv = xv;
  b->r = 20;
  b->m = b->actualmass = 1;
  return b;
}

// Two men overlapping at the origin, moving into each other, and a main
// ball far from both (or overlapping man 0 when `touching`).
std::unique_ptr<tlevel> Scene(int men, bool touching) {
  auto level = std::make_unique<tlevel>();
  level->mennumber = men;
  for (int i = 0; i < men; i++) {
    Tman* man = level->addman(i);
    man->team = i + 1;
    man->balllist.push_back(at(i * 30.0, 0, i == 0 ? 3 : -3));
  }
  level->mainballrag[0] = std::make_unique<ragobject>();
  auto* mb = new Tmainball();
  mb->x = mb->oldx = touching ? -25 : 5000;
  mb->y = mb->oldy = 0;
  mb->xv = 4;
  mb->r = 20;
  mb->m = mb->actualmass = 2;
  level->mainballrag[0]->balllist.push_back(mb);
  level->mainball[0] = mb;
  level->mainballnumber = 1;
  return level;
}

void expectsame(const ragobject& a, const ragobject& b) {
  ASSERT_EQ(a.balllist.size(), b.balllist.size());
  for (size_t k = 0; k < a.balllist.size(); k++) {
    EXPECT_DOUBLE_EQ(a.balllist[k]->x, b.balllist[k]->x);
    EXPECT_DOUBLE_EQ(a.balllist[k]->y, b.balllist[k]->y);
    EXPECT_DOUBLE_EQ(a.balllist[k]->xv, b.balllist[k]->xv);
    EXPECT_DOUBLE_EQ(a.balllist[k]->yv, b.balllist[k]->yv);
  }
}

TEST(ManManContact, The160thFrameOfContactPushesThePairApart) {
  for (int history : {158, 159}) {
    auto level = Scene(2, false);
    auto twin = Scene(2, false);
    // Contact in the last `history` frames, the oldest entry of all included.
    for (int t = 0; t < history; t++) level->mencollided[t][0][1] = 1;
    level->manmancoll();
    // 159 earlier contacts: a push of 60; one fewer: the ordinary bounce.
    double d = history == 159 ? 60 : -20;
    EXPECT_EQ(ragcollision(*twin->men[0], *twin->men[1], d), 1);
    expectsame(*level->men[0], *twin->men[0]);
    expectsame(*level->men[1], *twin->men[1]);
    // The history moved one frame back and took this frame's contact.
    EXPECT_EQ(level->mencollided[0][0][1], 1);
    EXPECT_EQ(level->mencollided[history][0][1], 1);
    EXPECT_EQ(level->mencollided[159][0][1], history == 159 ? 1 : 0);
    // The two responses differ, so the comparison above tells them apart.
    auto other = Scene(2, false);
    ragcollision(*other->men[0], *other->men[1], -20 + 60 - d);
    EXPECT_NE(other->men[0]->balllist[0]->xv, twin->men[0]->balllist[0]->xv);
  }
}

TEST(ManManContact, OnlyPairsOfMenInTheMatchAreKept) {
  auto level = Scene(3, false);
  level->manmancoll();
  EXPECT_EQ(level->mencollided[0][0][1], 1);  // 0 and 30 apart, radius 20
  EXPECT_EQ(level->mencollided[0][1][2], 1);
  EXPECT_EQ(level->mencollided[0][0][2], 0);
  for (int i = 0; i < 4; i++) {
    EXPECT_EQ(level->mencollided[0][i][3], 0);
    EXPECT_EQ(level->mencollided[0][3][i], 0);
  }
}

// One man whose two balls hold the main ball squeezed between them, so every
// further test finds a contact to resolve.
std::unique_ptr<tlevel> Squeezed() {
  auto level = Scene(1, true);
  level->men[0]->balllist.push_back(at(-50, 0));
  level->men[0]->balllist[0]->x = level->men[0]->balllist[0]->oldx = 0;
  return level;
}

TEST(ManBallContact, OneManIsTestedFourTimes) {
  SeedRandom(3);
  auto level = Squeezed();
  auto twin = Squeezed();
  level->mainball[0]->untouched = 50;
  level->menballcoll();
  for (int n = 0; n < 4; n++) ragcollision(*twin->men[0], *twin->mainballrag[0], -20);
  expectsame(*level->men[0], *twin->men[0]);
  expectsame(*level->mainballrag[0], *twin->mainballrag[0]);
  EXPECT_EQ(level->mainball[0]->team, 1);
  EXPECT_EQ(level->mainball[0]->untouched, 0);
  // Testing once would have left a different state.
  auto once = Squeezed();
  ragcollision(*once->men[0], *once->mainballrag[0], -20);
  EXPECT_NE(once->mainball[0]->xv, twin->mainball[0]->xv);
}

TEST(ManBallContact, AnUntouchedBallCountsFramesAndKeepsItsOwner) {
  SeedRandom(3);
  auto level = Scene(2, false);
  level->mainball[0]->team = 2;
  for (int f = 0; f < 5; f++) level->menballcoll();
  EXPECT_EQ(level->mainball[0]->untouched, 5);
  EXPECT_EQ(level->mainball[0]->team, 2);
}

TEST(ManBallContact, ATouchChangesTheOwner) {
  SeedRandom(3);
  auto level = Scene(2, true);
  level->mainball[0]->team = 2;
  level->mainball[0]->untouched = 20;
  level->menballcoll();
  EXPECT_EQ(level->mainball[0]->team, 1);
  EXPECT_EQ(level->mainball[0]->untouched, 0);
}

}  // namespace
