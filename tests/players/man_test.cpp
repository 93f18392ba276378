// Keyboard control, the computer player's choice of direction, the position
// history and the drawing of a player body.
#include "players/man.h"

#include "physics/mainball.h"
#include "tests/match/match_setup.h"

namespace {

// A body of one ball at (x, y), at rest.
void onebody(Tman& man, double x, double y, double speed = 2) {
  ball* b = new ball();
  b->x = b->oldx = x;
  b->y = b->oldy = y;
  man.balllist.push_back(b);
  man.speed = static_cast<float>(speed);
}

using ManControl = MatchRun;

TEST_F(ManControl, KeysPushTheFirstBall) {
  // Frame 1: diagonals; frame 2: opposite keys; frame 3: player 3 going up.
  Start(
      "1 down LEFT\n1 down UP\n1 down A\n1 down W\n"
      "2 up UP\n2 up W\n2 down RIGHT\n2 down D\n"
      "3 up LEFT\n3 up RIGHT\n3 up A\n3 up D\n3 down I\n",
      1, false);
  Tman p0, p1, p2, p3;
  onebody(p0, 0, 0);
  onebody(p1, 0, 0);
  onebody(p2, 0, 0);
  onebody(p3, 0, 0);
  auto velocity = [](Tman& m) { return std::make_pair(m.balllist[0]->xv, m.balllist[0]->yv); };

  Flip(-1);
  p0.control2(0);
  p1.control2(1);
  // The arrow keys scale a diagonal; W, A, S, D push the full speed on each axis.
  EXPECT_DOUBLE_EQ(velocity(p0).first, -2 * static_cast<double>(0.707f));
  EXPECT_DOUBLE_EQ(velocity(p0).second, -2 * static_cast<double>(0.707f));
  EXPECT_DOUBLE_EQ(velocity(p1).first, -2);
  EXPECT_DOUBLE_EQ(velocity(p1).second, -2);

  Flip(-1);
  auto before0 = velocity(p0), before1 = velocity(p1);
  p0.control2(0);
  p1.control2(1);
  EXPECT_DOUBLE_EQ(velocity(p0).first, before0.first);
  EXPECT_DOUBLE_EQ(velocity(p1).first, before1.first);
  EXPECT_DOUBLE_EQ(velocity(p0).second, before0.second);

  Flip(-1);
  p2.control2(2);
  p3.control2(3);
  EXPECT_DOUBLE_EQ(velocity(p2).second, -2);
  EXPECT_DOUBLE_EQ(velocity(p2).first, 0);
  EXPECT_EQ(velocity(p3), std::make_pair(0.0, 0.0));  // index 3 reads no keys
}

TEST(ManHistory, FiftyFramesOfCentreAndVelocity) {
  Tman man;
  onebody(man, 0, 0);
  for (int f = 1; f <= 50; f++) {
    man.balllist[0]->x = f;
    man.balllist[0]->xv = -f;
    man.updateoldvect();
  }
  EXPECT_EQ(man.oldvectx[0], 50);
  EXPECT_EQ(man.oldvectx[49], 1);
  EXPECT_EQ(man.oldvectxv[49], -1);
  EXPECT_EQ(man.oldvecty[49], 0);
  man.updateoldvect();
  EXPECT_EQ(man.oldvectx[49], 2);  // the oldest is dropped
}

TEST(ManFollowing, OneMainBallIsAlwaysFollowed) {
  SeedRandom(5);
  Tman man;
  for (int i = 0; i < 3000; i++) {
    man.Changefollowedball(1);
    ASSERT_EQ(man.followedball, 0);
  }
}

TEST(AiSector, BoundariesOfTheEightDirections) {
  const int cases[][2] = {{0, 1},   {14, 1},  {15, 2},  {67, 2},  {68, 3},  {111, 3},
                          {112, 4}, {157, 4}, {158, 5}, {201, 5}, {202, 6}, {247, 6},
                          {248, 7}, {291, 7}, {292, 8}, {337, 8}, {338, 1}, {359, 1}};
  for (const auto& c : cases) EXPECT_EQ(aisector(c[0]), c[1]) << c[0];
}

class Ai : public ::testing::Test {
 protected:
  // The man at (0, 0), the ball seen at (bx, by) in history entry `k`.
  void SetUp() override {
    SeedRandom(5);
    onebody(man, 0, 0, 1);
  }
  void ballat(int k, double bx, double by) {
    mb.oldvectx[k] = bx;
    mb.oldvecty[k] = by;
  }
  void ballat(double degrees) {  // the aim at this compass angle, 0 up, 90 right
    double a = (degrees - 90) * M_PI / 180;
    ballat(0, 1000 * std::cos(a), 1000 * std::sin(a));
  }
  std::pair<double, double> push() {
    std::pair<double, double> v{man.balllist[0]->xv, man.balllist[0]->yv};
    man.balllist[0]->xv = man.balllist[0]->yv = 0;
    return v;
  }
  Tman man;
  Tmainball mb;
};

TEST_F(Ai, HeadsForTheBallInEightDirections) {
  ballat(0, 0, -500);  // straight above
  man.Ai3(mb);
  EXPECT_EQ(man.direction, 1);
  EXPECT_EQ(push(), std::make_pair(0.0, -1.0));
  ballat(0, 500, 0);
  man.Ai3(mb);
  EXPECT_EQ(man.direction, 3);
  EXPECT_EQ(push(), std::make_pair(1.0, 0.0));
  ballat(0, -500, 0);
  man.Ai3(mb);
  EXPECT_EQ(man.direction, 7);
  EXPECT_EQ(push(), std::make_pair(-1.0, 0.0));
  ballat(0, 500, 500);
  man.Ai3(mb);
  EXPECT_EQ(man.direction, 4);
  double d = 0.707f;
  EXPECT_EQ(push(), std::make_pair(d, d));
}

TEST_F(Ai, TheAngleIsTruncatedBeforeTheSectorIsChosen) {
  ballat(14.9);
  man.Ai3(mb);
  EXPECT_EQ(man.direction, 1);
  ballat(15.05);
  man.Ai3(mb);
  EXPECT_EQ(man.direction, 2);
  ballat(337.9);
  man.Ai3(mb);
  EXPECT_EQ(man.direction, 8);
  ballat(338.05);
  man.Ai3(mb);
  EXPECT_EQ(man.direction, 1);
}

TEST_F(Ai, AnEmptyHistoryPushesRight) {
  // In the first frames the entries read are still zero: the aim vector is
  // (0, 0), whose angle is 0, so the man pushes right whatever is in front.
  man.AIlevel = 20;
  ballat(0, -3000, 0);
  man.Ai3(mb);
  EXPECT_EQ(man.direction, 3);
}

TEST_F(Ai, ReactsToOldPositionsProjectedAhead) {
  man.AIlevel = 20;
  for (int f = 0; f < 30; f++) man.updateoldvect();  // the man has stood at (0, 0)
  // 20 frames ago the ball was at (100, -300) moving 10 right a frame: the
  // aim is (300, -300), up-right, though the ball is now far to the left.
  ballat(20, 100, -300);
  mb.oldvectxv[20] = 10;
  ballat(0, -3000, 0);
  man.Ai3(mb);
  EXPECT_EQ(man.direction, 2);
  // Untouched for 240 frames: the current position decides.
  mb.untouched = 240;
  man.Ai3(mb);
  EXPECT_EQ(man.direction, 7);
  mb.untouched = 239;
  man.Ai3(mb);
  EXPECT_EQ(man.direction, 2);
}

TEST_F(Ai, ALevelBeyondTheHistoryReadsItsOldestEntry) {
  man.AIlevel = 200;
  ballat(49, 0, -500);
  man.Ai3(mb);
  EXPECT_EQ(man.direction, 1);
}

using ManDrawing = MatchRun;

TEST_F(ManDrawing, BareBodyGreyShirtInTeamColour) {
  Start("", 1, true);
  for (int bot = 0; bot <= 1; bot++) {
    Tman man;
    onebody(man, 0, 0);
    onebody(man, 100, 0);
    man.balllist[0]->image = ball_;
    man.balllist[1]->image = ball_;
    man.balllist[1]->shirt = 1;
    man.team = 2;
    man.bot = bot;
    man.draw(0, 0, 1, 1024, 768);
  }
  auto sprites = Starting(TraceLines(), "sprite ");
  ASSERT_EQ(sprites.size(), 4u);
  auto colour = [](const std::string& line) {
    std::istringstream in(line);
    std::string word;
    double skip;
    int r, g, b;
    in >> word >> skip >> skip >> skip >> skip >> r >> g >> b;
    return std::to_string(r) + " " + std::to_string(g) + " " + std::to_string(b);
  };
  EXPECT_EQ(colour(sprites[0]), "160 160 160");
  EXPECT_EQ(colour(sprites[1]), "0 0 200");
  EXPECT_EQ(colour(sprites[2]), "70 70 70");
  EXPECT_EQ(colour(sprites[3]), "0 0 200");
}

}  // namespace
