// Contacts between the players and the main ball, and between players.
#include "physics/collision.h"
#include "tests/match/match_setup.h"

namespace {

ball* at(double x, double xv) {
  ball* b = new ball();
  b->x = b->oldx = x;
  b->y = b->oldy = 0;
  b->xv = xv;
  b->r = 20;
  b->m = b->actualmass = 1;
  return b;
}

// Men 30 apart on a line, moving into each other, and a main ball touching
// man 0 (or far away). With `squeezed`, man 0 has a second ball on the other
// side of the main ball, so every further test finds a contact to resolve.
std::unique_ptr<tlevel> Scene(int men, bool touching, bool squeezed = false) {
  auto level = std::make_unique<tlevel>();
  level->mennumber = men;
  for (int i = 0; i < men; i++) {
    Tman* man = level->addman(i);
    man->team = i + 1;
    man->balllist.push_back(at(i * 30.0, i == 0 ? 3 : -3));
  }
  if (squeezed) level->men[0]->balllist.push_back(at(-50, 0));
  level->mainballrag[0] = std::make_unique<ragobject>();
  level->mainball[0] = new Tmainball();
  level->mainballrag[0]->balllist.push_back(level->mainball[0]);
  Tmainball& mb = *level->mainball[0];
  mb.x = mb.oldx = touching ? -25 : 5000;
  mb.y = mb.oldy = 0;
  mb.xv = 4;
  mb.r = 20;
  mb.m = mb.actualmass = 2;
  mb.team = 2;
  mb.untouched = 20;
  level->mainballnumber = 1;
  return level;
}

std::vector<double> state(const ragobject& rag) {
  std::vector<double> out;
  for (ball* b : rag.balllist) out.insert(out.end(), {b->x, b->y, b->xv, b->yv});
  return out;
}

TEST(ManManContact, The160thFrameOfContactPushesThePairApart) {
  std::vector<double> responses[2];
  for (int history : {158, 159}) {
    auto level = Scene(2, false);
    auto twin = Scene(2, false);
    for (int t = 0; t < history; t++) level->mencollided[t][0][1] = 1;
    level->manmancoll();
    // 159 earlier frames of contact: a push of 60; one fewer: a bounce.
    ragcollision(*twin->men[0], *twin->men[1], history == 159 ? 60 : -20);
    EXPECT_EQ(state(*level->men[0]), state(*twin->men[0])) << history;
    EXPECT_EQ(state(*level->men[1]), state(*twin->men[1])) << history;
    responses[history - 158] = state(*level->men[0]);
    // The history moved one frame back and took this frame's contact.
    EXPECT_EQ(level->mencollided[0][0][1], 1);
    EXPECT_EQ(level->mencollided[159][0][1], history == 159 ? 1 : 0);
    EXPECT_EQ(level->mencollided[0][1][0], 0);
  }
  EXPECT_NE(responses[0], responses[1]);
}

TEST(ManBallContact, OneManIsTestedFourTimes) {
  SeedRandom(3);
  auto level = Scene(1, true, true);
  auto twin = Scene(1, true, true);
  auto once = Scene(1, true, true);
  level->menballcoll();
  for (int n = 0; n < 4; n++) ragcollision(*twin->men[0], *twin->mainballrag[0], -20);
  ragcollision(*once->men[0], *once->mainballrag[0], -20);
  EXPECT_EQ(state(*level->mainballrag[0]), state(*twin->mainballrag[0]));
  EXPECT_EQ(state(*level->men[0]), state(*twin->men[0]));
  EXPECT_NE(state(*level->mainballrag[0]), state(*once->mainballrag[0]));
  // A touch takes the ball over.
  EXPECT_EQ(level->mainball[0]->team, 1);
  EXPECT_EQ(level->mainball[0]->untouched, 0);
}

TEST(ManBallContact, AnUntouchedBallCountsFramesAndKeepsItsOwner) {
  SeedRandom(3);
  auto level = Scene(2, false);
  for (int f = 0; f < 5; f++) level->menballcoll();
  EXPECT_EQ(level->mainball[0]->untouched, 25);
  EXPECT_EQ(level->mainball[0]->team, 2);
}

}  // namespace
