// Keyboard control, the computer player's choice of direction and the
// position history.
#include "players/man.h"

#include "tests/match/match_setup.h"

namespace {

// A body of one ball at (x, y), at rest.
void onebody(Tman& man, double x, double y, double speed) {
  ball* b = new ball();
  b->x = b->oldx = x;
  b->y = b->oldy = y;
  man.balllist.push_back(b);
  man.speed = static_cast<float>(speed);
}

std::pair<double, double> takepush(Tman& man) {
  ball& b = *man.balllist[0];
  std::pair<double, double> v{b.xv, b.yv};
  b.xv = b.yv = 0;
  return v;
}

using ManControl = MatchRun;

TEST_F(ManControl, KeysPushTheFirstBall) {
  // Frame 1: diagonals; frame 2: opposite keys; frame 3: player 3 going up.
  Start(
      "1 down LEFT\n1 down UP\n1 down A\n1 down W\n2 up UP\n2 up W\n2 down RIGHT\n2 down D\n"
      "3 up LEFT\n3 up RIGHT\n3 up A\n3 up D\n3 down I\n",
      1, false);
  Tman men[4];
  for (Tman& m : men) onebody(m, 0, 0, 2);
  const double d = 2 * static_cast<double>(0.707f);
  // Only the arrow keys scale a diagonal.
  const std::pair<double, double> expected[3][4] = {
      {{-d, -d}, {-2, -2}, {0, 0}, {0, 0}},
      {{0, 0}, {0, 0}, {0, 0}, {0, 0}},
      {{0, 0}, {0, 0}, {0, -2}, {0, 0}}};  // index 3 reads no keys
  for (int frame = 0; frame < 3; frame++) {
    Flip(-1);
    for (int p = 0; p < 4; p++) {
      men[p].control2(p, keyboardinput(p));
      EXPECT_EQ(takepush(men[p]), expected[frame][p]) << "frame " << frame + 1 << " player " << p;
    }
  }
}

TEST(ManHistory, FiftyFramesOfCentreAndVelocity) {
  Tman man;
  onebody(man, 0, 0, 1);
  for (int f = 1; f <= 51; f++) {
    man.balllist[0]->x = f;
    man.balllist[0]->xv = -f;
    man.updateoldvect();
  }
  EXPECT_EQ(man.history.x[0], 51);
  EXPECT_EQ(man.history.x[49], 2);
  EXPECT_EQ(man.history.xv[49], -2);
}

TEST(AiSector, EightDirectionsWithANarrowUpwardSector) {
  const int edges[][2] = {{14, 1},  {15, 2},  {67, 2},  {68, 3},  {111, 3}, {112, 4},
                          {157, 4}, {158, 5}, {201, 5}, {202, 6}, {247, 6}, {248, 7},
                          {291, 7}, {292, 8}, {337, 8}, {338, 1}, {359, 1}};
  for (const auto& e : edges) EXPECT_EQ(aisector(e[0]), e[1]) << e[0];
}

class Ai : public ::testing::Test {
 protected:
  void SetUp() override { onebody(man, 0, 0, 1); }
  // The ball in history entry k at (x, y).
  void ballat(int k, double x, double y) {
    mb.history.x[k] = x;
    mb.history.y[k] = y;
  }
  // The ball now, at this compass angle from the man: 0 up, 90 right.
  void ballat(double degrees) {
    double a = (degrees - 90) * M_PI / 180;
    ballat(0, 1000 * std::cos(a), 1000 * std::sin(a));
  }
  Tman man;
  Tmainball mb;
};

TEST_F(Ai, TheAngleIsTruncatedBeforeTheSectorIsChosen) {
  const double angles[][2] = {{0, 1},   {14.9, 1}, {15.05, 2}, {90, 3},
                              {180, 5}, {270, 7},  {337.9, 8}, {338.05, 1}};
  for (const auto& a : angles) {
    ballat(a[0]);
    man.Ai3(mb);
    EXPECT_EQ(man.direction, a[1]) << a[0];
  }
  const double d = 0.707f;
  takepush(man);
  ballat(135);
  man.Ai3(mb);
  EXPECT_EQ(takepush(man), std::make_pair(d, d));
}

TEST_F(Ai, ReactsToOldPositionsProjectedAhead) {
  man.AIlevel = 20;
  ballat(0, -3000, 0);
  // In the first frames the entries read are still zero: the aim is (0, 0),
  // angle 90, and the man pushes right although the ball is to the left.
  man.Ai3(mb);
  EXPECT_EQ(man.direction, 3);
  for (int f = 0; f < 30; f++) man.updateoldvect();  // the man stood at (0, 0)
  // 20 frames ago the ball was at (100, -300) moving 10 right a frame: the
  // aim is (300, -300), up-right.
  ballat(20, 100, -300);
  mb.history.xv[20] = 10;
  man.Ai3(mb);
  EXPECT_EQ(man.direction, 2);
  // Untouched for 240 frames: the current position decides.
  mb.untouched = 240;
  man.Ai3(mb);
  EXPECT_EQ(man.direction, 7);
  // A level beyond the history reads its oldest entry instead of past it.
  mb.untouched = 0;
  man.AIlevel = 200;
  ballat(49, 0, -500);
  man.Ai3(mb);
  EXPECT_EQ(man.direction, 1);
}

}  // namespace

TEST(ManStick, PushFollowsTheStickAndNeverBeatsAKey) {
  Tman man;
  onebody(man, 0, 0, 2);
  PlayerInput in;
  in.stickx = PlayerInput::stickfull;
  man.control2(1, in);
  EXPECT_EQ(takepush(man), std::make_pair(2.0, 0.0));
  in.stickx = -64;
  in.sticky = 0;
  man.control2(1, in);
  EXPECT_NEAR(takepush(man).first, -2.0 * 64 / 127, 1e-9);
  // Held direction keys win over the stick: a pad's d-pad acts as the keys.
  in.keys = inputup;
  in.stickx = PlayerInput::stickfull;
  man.control2(1, in);
  EXPECT_EQ(takepush(man), std::make_pair(0.0, -2.0));
}
