// The input queue's guesses and how it finds out they were wrong, and the
// time sync's reading of frame figures.
#include <gtest/gtest.h>

#include "online/inputqueue.h"
#include "online/timesync.h"

using namespace online;

namespace {

machineinput keys(uint8_t k, uint8_t buttons = 0) {
  machineinput in;
  in.players[0].keys = k;
  in.buttons = buttons;
  return in;
}

TEST(InputQueue, DelayFramesAreKnownStillAndLaterOnesAreGuessedAsTheLastInput) {
  inputqueue q;
  q.reset(1, 2);
  EXPECT_EQ(q.next(), 2);
  EXPECT_EQ(q.get(0), machineinput{});
  EXPECT_EQ(q.get(5), machineinput{});
  ASSERT_TRUE(q.add(2, keys(inputleft)));
  ASSERT_TRUE(q.add(3, keys(inputup, machinepause)));
  // The guess repeats the keys, never a press: a pause pressed once would
  // otherwise pause and resume on every guessed frame.
  EXPECT_EQ(q.get(4), keys(inputup));
  EXPECT_EQ(q.get(9), keys(inputup));
  EXPECT_EQ(q.firstwrong(), inputqueue::nowrong);
}

TEST(InputQueue, TheEarliestWrongGuessIsFoundAndRightOnesAreNot) {
  inputqueue q;
  q.reset(1, 0);
  ASSERT_TRUE(q.add(0, keys(inputleft)));
  for (int f = 1; f <= 6; f++) q.get(f);  // simulated ahead on guesses
  ASSERT_TRUE(q.add(1, keys(inputleft)));
  ASSERT_TRUE(q.add(2, keys(inputleft)));
  EXPECT_EQ(q.firstwrong(), inputqueue::nowrong) << "guessed right";
  ASSERT_TRUE(q.add(3, keys(inputright)));
  ASSERT_TRUE(q.add(4, keys(inputleft)));
  EXPECT_EQ(q.firstwrong(), 3);
  q.clearwrong();
  // The re-simulation guesses again from the newest input.
  EXPECT_EQ(q.get(5), keys(inputleft));
  ASSERT_TRUE(q.add(5, keys(inputleft)));
  EXPECT_EQ(q.firstwrong(), inputqueue::nowrong);
  // A frame never simulated on a guess cannot be wrong.
  ASSERT_TRUE(q.add(6, keys(inputleft)));
  ASSERT_TRUE(q.add(7, keys(inputdown)));
  EXPECT_EQ(q.firstwrong(), inputqueue::nowrong);
}

TEST(InputQueue, OnlyTheNextFrameIsTaken) {
  inputqueue q;
  q.reset(2, 2);
  EXPECT_FALSE(q.add(3, keys(inputleft))) << "a gap";
  EXPECT_FALSE(q.add(1, keys(inputleft))) << "an old copy";
  EXPECT_EQ(q.get(1), machineinput{}) << "the old copy changed nothing";
  EXPECT_TRUE(q.add(2, keys(inputleft)));
  EXPECT_EQ(q.next(), 3);
}

TEST(InputQueue, OldInputsStayKeptForSendingAgain) {
  inputqueue q;
  q.reset(1, 0);
  for (int f = 0; f < 300; f++) ASSERT_TRUE(q.add(f, keys(static_cast<uint8_t>(f % 16))));
  EXPECT_FALSE(q.kept(300));
  EXPECT_TRUE(q.kept(299));
  EXPECT_TRUE(q.kept(300 - inputqueue::capacity + 1));
  EXPECT_FALSE(q.kept(300 - inputqueue::capacity));
  for (int f = 300 - inputqueue::capacity + 1; f < 300; f++) EXPECT_EQ(q.known(f), keys(static_cast<uint8_t>(f % 16)));
}

TEST(InputQueue, DepartedMachineIsPlayedByTheComputerAfterItsLastInput) {
  inputqueue q;
  q.reset(1, 0);
  ASSERT_TRUE(q.add(0, keys(inputleft)));
  for (int f = 1; f <= 8; f++) q.get(f);
  q.leave(3);  // the host had its inputs up to frame 3; they are still on the way here
  EXPECT_FALSE(q.complete());
  ASSERT_TRUE(q.add(1, keys(inputleft)));
  ASSERT_TRUE(q.add(2, keys(inputleft)));
  ASSERT_TRUE(q.add(3, keys(inputleft)));
  EXPECT_FALSE(q.add(4, keys(inputleft))) << "nothing after the departure";
  EXPECT_TRUE(q.complete());
  EXPECT_EQ(q.get(4), inputqueue::computerinput());
  EXPECT_EQ(q.firstwrong(), 4) << "the guesses past the departure were the player's";

  // A departure cannot reach back before inputs already in.
  inputqueue r;
  r.reset(1, 0);
  for (int f = 0; f < 10; f++) r.add(f, keys(inputup));
  r.leave(4);
  EXPECT_EQ(r.leftafter(), 9);
  EXPECT_EQ(r.get(7), keys(inputup));
}

TEST(TimeSync, NetworkDelayCancelsOut) {
  // Same frame on both machines, 6 frames of delay each way: each sees the
  // other 6 behind. Neither is ahead.
  timesync t;
  t.reset();
  for (int i = 0; i < timesync::samples; i++) t.sample(0, 6, 6);
  EXPECT_DOUBLE_EQ(t.ahead(0), 0.0);
  for (int i = 0; i < 20; i++) EXPECT_FALSE(t.wait());

  // Three frames ahead: it sees 9, the peer sees 3.
  for (int i = 0; i < timesync::samples; i++) t.sample(0, 9, 3);
  EXPECT_DOUBLE_EQ(t.ahead(0), 3.0);
}

TEST(TimeSync, MachineAheadSkipsSpacedFramesUntilLevel) {
  timesync t;
  t.reset();
  int ahead = 4;  // this machine's real lead
  int waits = 0;
  for (int frame = 0; frame < 200; frame++) {
    t.sample(1, 5 + ahead, 5 - ahead);
    t.sample(2, 2, 2);  // another peer, level with us
    if (t.wait()) {
      waits++;
      ahead--;
      EXPECT_GE(ahead, 0) << "skipped past level";
    }
  }
  EXPECT_EQ(ahead, 0);
  EXPECT_EQ(waits, 4);

  // Half a frame is noise, not a lead; a machine behind never waits.
  timesync u;
  u.reset();
  for (int frame = 0; frame < 100; frame++) {
    u.sample(0, frame % 2, 0);
    u.sample(1, 0, 5);
    EXPECT_FALSE(u.wait());
  }
}

TEST(TimeSync, SkipsAreSpacedSoTheFiguresCatchUp) {
  timesync t;
  t.reset();
  int last = -100;
  for (int frame = 0; frame < 60; frame++) {
    t.sample(0, 20, 0);  // far ahead the whole time
    if (t.wait()) {
      EXPECT_GT(frame - last, timesync::spacing);
      last = frame;
    }
  }
  EXPECT_GE(last, 0);
}

}  // namespace
