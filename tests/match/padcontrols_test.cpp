// Pads reaching the match's input through the platform: slots as pads come
// and go, the players they steer, and the losses a match must pause for.
#include "controls/controls.h"
#include "tests/match/match_setup.h"

namespace {

class PadControls : public MatchRun {
 protected:
  void Begin(const std::string& script) {
    Start(script, 1, false);
    resetcontrols();  // slots remembered from another test's pads
  }
};

TEST_F(PadControls, SlotsFollowPluggingInAndOut) {
  Begin(
      "1 pad 1 connect\n1 pad 2 connect\n3 pad 1 disconnect\n5 pad 3 connect\n"
      "7 pad 1 connect\n9 pad 2 disconnect\n9 pad 2 connect\n");
  begincontrols(false);
  Flip(-1);
  EXPECT_EQ(currentslots().padin(1), 1);
  EXPECT_EQ(currentslots().padin(2), 2);
  EXPECT_EQ(lostcontroller(4), 0);
  for (int f = 2; f <= 3; f++) Flip(-1);
  EXPECT_EQ(currentslots().padin(1), 0);
  EXPECT_EQ(lostcontroller(1), 1);
  EXPECT_EQ(lostcontroller(1), 0);  // told once
  for (int f = 4; f <= 5; f++) Flip(-1);
  EXPECT_EQ(currentslots().padin(1), 3);  // a new pad fills the hole
  for (int f = 6; f <= 7; f++) Flip(-1);
  EXPECT_EQ(currentslots().padin(3), 1);  // the old one comes back behind it
  // Out and in again between two looks: still seen, back in its slot.
  for (int f = 8; f <= 9; f++) Flip(-1);
  EXPECT_EQ(currentslots().padin(2), 2);
  EXPECT_EQ(lostcontroller(4), 0);  // replaced at once: nothing to pause for
  endcontrols();
}

TEST_F(PadControls, APadSteersThePlayerOfItsSlotOrPlayerOneAlone) {
  Begin(
      "1 pad 1 connect\n1 pad 2 connect\n2 pad 2 axis leftx -1\n2 pad 2 down dpup\n"
      "2 pad 1 axis lefty 0.5\n");
  begincontrols(false);
  Flip(-1);
  Flip(-1);
  PlayerInput one = playerinput(0), two = playerinput(1);
  EXPECT_EQ(one.stickx, 0);
  EXPECT_GT(one.sticky, 20);
  EXPECT_EQ(one.keys, 0);
  EXPECT_EQ(two.stickx, -127);
  EXPECT_EQ(two.keys, inputup);
  EXPECT_EQ(playerinput(2), PlayerInput());
  endcontrols();
  // In the single-player modes both pads steer player 1: the stronger
  // stick, and every d-pad.
  begincontrols(true);
  one = playerinput(0);
  EXPECT_EQ(one.stickx, -127);
  EXPECT_EQ(one.sticky, 0);
  EXPECT_EQ(one.keys, inputup);
  EXPECT_EQ(playerinput(1), PlayerInput());
  endcontrols();
}

TEST_F(PadControls, ALossPausesOnlyForAPlayerInTheMatch) {
  Begin(
      "1 pad 1 connect\n1 pad 2 connect\n1 pad 3 connect\n3 pad 3 disconnect\n"
      "5 pad 1 disconnect\n");
  begincontrols(false);
  for (int f = 1; f <= 3; f++) Flip(-1);
  EXPECT_EQ(lostcontroller(2), 0);  // player 3 does not play
  for (int f = 4; f <= 5; f++) Flip(-1);
  EXPECT_EQ(lostcontroller(2), 1);
  endcontrols();
}

TEST_F(PadControls, InTheSinglePlayerModesOnlyTheLastPadsLossPauses) {
  Begin("1 pad 1 connect\n1 pad 6 connect\n3 pad 1 disconnect\n5 pad 6 disconnect\n");
  begincontrols(true);
  for (int f = 1; f <= 3; f++) {
    Flip(-1);
    syncpads();
  }
  EXPECT_EQ(lostcontroller(1), 0);  // pad 6 still steers player 1
  for (int f = 4; f <= 5; f++) Flip(-1);
  EXPECT_EQ(lostcontroller(1), 1);
  beginpadwait(1);
  EXPECT_FALSE(controllerback(1));
  endpadwait(1);  // played on without a pad: the computer's until a key is pressed
  EXPECT_EQ(playerinput(0).keys, inputcomputer);
  EXPECT_EQ(playerinput(1).keys, 0);
  endcontrols();
  begincontrols(true);  // the next level is his own again
  EXPECT_EQ(playerinput(0).keys, 0);
  endcontrols();
}

// Multiplayer: the computer stays on for the series' next match while the
// pad is missing; it stops when the pad is back or a new series starts.
TEST_F(PadControls, AStandInOutlastsAMatchOnlyWhileThePadIsMissing) {
  Begin("1 pad 1 connect\n1 pad 2 connect\n3 pad 2 disconnect\n5 pad 2 connect\n");
  begincontrols(false);
  for (int f = 1; f <= 3; f++) {
    Flip(-1);
    syncpads();
  }
  ASSERT_EQ(lostcontroller(2), 2);
  endpadwait(2);
  endcontrols();
  begincontrols(false);
  EXPECT_EQ(playerinput(1).keys, inputcomputer);
  forgetstandins();
  EXPECT_EQ(playerinput(1).keys, 0);
  endpadwait(2);
  endcontrols();
  for (int f = 4; f <= 5; f++) Flip(-1);
  begincontrols(false);
  EXPECT_EQ(playerinput(1).keys, 0);  // his pad came back between the matches
  endcontrols();
}

TEST_F(PadControls, DuringThePauseTheNextPadTakesTheLostPlayersSlot) {
  Begin(
      "1 pad 1 connect\n1 pad 2 connect\n3 pad 2 disconnect\n3 pad 1 disconnect\n"
      "5 pad 4 connect\n");
  begincontrols(false);
  for (int f = 1; f <= 3; f++) {
    Flip(-1);
    syncpads();  // a match looks every frame
  }
  const int lost = lostcontroller(2);
  EXPECT_EQ(lost, 1);
  beginpadwait(2);  // as if player 2 had been the one told
  EXPECT_FALSE(controllerback(2));
  for (int f = 4; f <= 5; f++) Flip(-1);
  EXPECT_TRUE(controllerback(2));
  EXPECT_EQ(currentslots().padin(1), 0);  // the lowest free slot was passed over
  endpadwait(2);
  EXPECT_EQ(playerinput(1).keys & inputcomputer, 0);  // back with a pad: his own
  endcontrols();
}

}  // namespace
