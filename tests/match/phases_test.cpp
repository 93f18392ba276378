#include <algorithm>

#include "tests/effects/headless_fixture.h"

namespace {

class Phases : public HeadlessTest {
 protected:
  // One frame of the phase step, then the flip that lets scripted keys in.
  void Step() {
    Input(*level_);
    level_->changephase();
    Cleared(*level_);
    Flip(-1);
  }
};

TEST_F(Phases, UntouchedBallGivesTimeToNobodyAndOwnedTimeStopsAtAWinner) {
  Start();
  tlevel& l = Match(3);
  l.images.sciaimage = LoadSprite("media/scia.png", -1);
  for (int i = 0; i < 10; i++) l.writeowntime();
  for (int i = 0; i < 3; i++) EXPECT_FLOAT_EQ(l.men[i]->owntime, 0);

  ball_->team = 2;
  for (int i = 0; i < 10; i++) l.writeowntime();
  EXPECT_FLOAT_EQ(l.men[0]->owntime, 0);
  EXPECT_FLOAT_EQ(l.men[1]->owntime, 10);

  l.winner = 1;
  l.writeowntime();
  EXPECT_FLOAT_EQ(l.men[1]->owntime, 10);
}

TEST_F(Phases, OwnedTimeEqualToTheLimitHasNotWonOneMoreFrameWins) {
  Start();
  tlevel& l = Match(2);
  ball_->team = 1;
  l.men[0]->owntime = 1799;
  l.writeowntime();
  l.changephase();
  EXPECT_EQ(l.phase, "normal");
  EXPECT_EQ(l.winner, 0);

  l.writeowntime();
  l.changephase();
  EXPECT_EQ(l.phase, "tellwinner");
  EXPECT_EQ(l.winner, 1);
  EXPECT_EQ(l.men[0]->wins, 1);
  EXPECT_EQ(l.phasetime, l.leveltime);
  EXPECT_EQ(l.leveltime, 2);
}

TEST_F(Phases, TwoMenPassingTogetherBothWinTheLaterIsTheWinner) {
  Start();
  tlevel& l = Match(3, "multiplayer");
  l.men[0]->owntime = 1801;
  l.men[2]->owntime = 1801;
  l.changephase();
  EXPECT_EQ(l.men[0]->wins, 1);
  EXPECT_EQ(l.men[1]->wins, 0);
  EXPECT_EQ(l.men[2]->wins, 1);
  EXPECT_EQ(l.winner, 3);
  // The test runs once: later frames add no more wins.
  l.changephase();
  EXPECT_EQ(l.men[0]->wins, 1);
}

// Wins level `levelnum` for player 1 after `ms` milliseconds of play.
tlevel& WinLevel(tlevel& l, int levelnum, int ms) {
  l.levelnum = levelnum;
  l.startscore = 5000;
  l.endscore = 5000;
  l.initialtime = Clock() - ms;
  l.frame.clock = Clock();
  l.men[0]->owntime = 1801;
  l.changephase();
  return l;
}

TEST_F(Phases, LevelScoreFromTheClock) {
  Start();
  tlevel& slow = WinLevel(Match(3, "levels"), 1, 95000);
  EXPECT_EQ(slow.timebonus, 0);
  EXPECT_EQ(slow.endscore, 15000);

  tlevel& instant = WinLevel(Match(2, "levels"), 3, 0);
  EXPECT_EQ(instant.timebonus, 60000);
}

TEST_F(Phases, LevelScoreUnderTheFakeClock) {
  Start();
  tlevel& l = Match(3, "levels");
  l.levelnum = 1;
  l.initialtime = Clock();
  for (int i = 0; i < 45 * 60; i++) Flip(-1);  // 45 s of paced frames
  l.startscore = 5000;
  l.men[0]->owntime = 1801;
  HeadlessTest::Input(l);
  l.changephase();
  EXPECT_EQ(l.phase, "levelcompleted");
  EXPECT_EQ(l.levelscore, 10000);
  EXPECT_EQ(l.timebonus, 10000);
  EXPECT_EQ(l.endscore, 25000);
}

TEST_F(Phases, LostLevelKeepsTheScoreCarriedIn) {
  Start();
  tlevel& l = Match(2, "levels");
  l.levelnum = 5;
  l.startscore = l.endscore = 7000;
  l.men[1]->owntime = 1801;
  l.changephase();
  EXPECT_EQ(l.phase, "gameover");
  EXPECT_EQ(l.winner, 2);
  EXPECT_EQ(l.endscore, 7000);
  EXPECT_EQ(l.levelscore, 0);

  // Player 1 passing in the same frame does not bring the level's points.
  tlevel& both = Match(2, "levels");
  both.levelnum = 5;
  both.startscore = both.endscore = 7000;
  both.men[0]->owntime = 1801;
  both.men[1]->owntime = 1801;
  both.changephase();
  EXPECT_EQ(both.phase, "gameover");
  EXPECT_EQ(both.winner, 2);
  EXPECT_EQ(both.endscore, 7000);
}

TEST_F(Phases, TesterKeysWinALevelAtOnce) {
  Start("1 down 1\n1 down 4\n2 up 4\n2 down 5\n");
  tlevel& l = Match(2, "levels");
  l.levelnum = 2;
  Step();
  EXPECT_EQ(l.phase, "normal");
  Step();
  EXPECT_EQ(l.phase, "levelcompleted");
  EXPECT_EQ(l.winner, 1);

  // 1 and 5: player 2 wins.
  tlevel& lost = Match(2, "levels");
  Step();
  EXPECT_EQ(lost.phase, "gameover");
  EXPECT_EQ(lost.winner, 2);
}

TEST_F(Phases, EndOfTheLastLevelLeadsToGameOverNotToTheEnd) {
  Start("1 down ENTER\n");
  tlevel& l = Match(2, "levels");
  l.levelnum = 40;
  Step();
  l.men[0]->owntime = 1801;
  Step();
  EXPECT_EQ(l.phase, "gameover");
  // The held Enter was cleared with the switch; only a new press ends it.
  for (int i = 0; i < 5; i++) Step();
  EXPECT_EQ(l.phase, "gameover");
}

TEST_F(Phases, SpaceEndsALevelScreenBeforeTheLast) {
  Start("3 down SPACE\n");
  tlevel& l = Match(2, "levels");
  l.levelnum = 39;
  l.men[0]->owntime = 1801;
  for (int i = 0; i < 3; i++) Step();
  EXPECT_EQ(l.phase, "levelcompleted");
  Step();
  EXPECT_EQ(l.phase, "end");
}

TEST_F(Phases, SpaceLeavesGameOverOnlyWhenNoNameCanBeTyped) {
  Start("5 down SPACE\n30 down ENTER\n");
  tlevel& named = Match(2, "levels");
  named.endscore = 30000;
  named.levelworstscore = 20000;
  named.phase = "gameover";
  for (int i = 0; i < 15; i++) Step();
  EXPECT_EQ(named.phase, "gameover");

  // Past the first frames of the screen, which clear the keys.
  tlevel& poor = Match(2, "levels");
  poor.endscore = 0;
  poor.phase = "gameover";
  poor.leveltime = 10;
  Step();
  EXPECT_EQ(poor.phase, "end");

  tlevel& low = Match(2, "levels");
  low.endscore = 20000;
  low.levelworstscore = 20000;
  low.phase = "gameover";
  low.leveltime = 10;
  Step();
  EXPECT_EQ(low.phase, "end");

  tlevel& entered = Match(2, "levels");
  entered.endscore = 30000;
  entered.phase = "gameover";
  entered.leveltime = 10;
  for (int i = 0; i < 13; i++) Step();
  EXPECT_EQ(entered.phase, "gameover");
  Step();  // Enter went down at the 30th flip
  EXPECT_EQ(entered.phase, "end");
}

TEST_F(Phases, BarsOnlyForTheMenInTheMatch) {
  Start();
  Image* scia = LoadSprite("media/scia.png", -1);
  ASSERT_NE(scia, nullptr);
  tlevel& two = Match(2);
  two.images.sciaimage = scia;
  two.men[0]->owntime = 900;
  two.writeowntime();
  tlevel& four = Match(4);
  four.images.sciaimage = scia;
  four.men[3]->owntime = 1800;
  four.writeowntime();

  double w = SpriteWidth(scia);
  std::vector<SpriteLine> bars = Sprites(TraceLines());
  ASSERT_EQ(bars.size(), 6u);
  EXPECT_EQ(bars[0].r, 255);
  EXPECT_DOUBLE_EQ(bars[0].sx, 1024 / w * 0.5);
  EXPECT_DOUBLE_EQ(bars[0].y, 0);
  EXPECT_EQ(bars[1].b, 255);
  EXPECT_DOUBLE_EQ(bars[1].y, 15);
  EXPECT_DOUBLE_EQ(bars[1].sx, 0);
  const SpriteLine& yellow = bars[5];
  EXPECT_EQ(yellow.r, 255);
  EXPECT_EQ(yellow.g, 255);
  EXPECT_EQ(yellow.b, 0);
  EXPECT_DOUBLE_EQ(yellow.y, 45);
  EXPECT_NEAR(yellow.sx * w, 1024, 1e-3);
}

TEST_F(Phases, TallyOfEveryManThenThePrompt) {
  Start();
  tlevel& l = Match(3);
  l.men[0]->wins = 2;
  l.men[1]->wins = 1;
  l.tellwinner(0);
  Flip(-1);
  l.tellwinner(1);
  Flip(-1);
  l.tellwinner(101);
  tlevel& two = Match(2);
  Flip(-1);
  two.tellwinner(1);
  std::vector<std::string> trace = TraceLines();
  EXPECT_TRUE(Texts(Frame(trace, 0)).empty());
  std::vector<TextLine> one = Texts(Frame(trace, 1));
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].text, "2 - 1 - 0");
  EXPECT_DOUBLE_EQ(one[0].y, 50);
  std::vector<TextLine> late = Texts(Frame(trace, 2));
  ASSERT_EQ(late.size(), 2u);
  EXPECT_EQ(late[1].text, "PRESS ENTER TO CONTINUE");
  EXPECT_DOUBLE_EQ(late[1].y, 640);
  ASSERT_EQ(Texts(Frame(trace, 3)).size(), 1u);
  EXPECT_EQ(Texts(Frame(trace, 3))[0].text, "0 - 0");
}

}  // namespace
