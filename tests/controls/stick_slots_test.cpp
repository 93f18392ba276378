// A stick's push and the slots pads take as they come and go.
#include <gtest/gtest.h>

#include <cmath>

#include "controls/controls.h"
#include "players/man.h"

namespace {

std::pair<int, int> push(double x, double y) {
  int8_t sx = 99, sy = 99;
  stickpush(x, y, &sx, &sy);
  return {sx, sy};
}

TEST(StickPush, NothingInsideTheRadialDeadZone) {
  EXPECT_EQ(push(0, 0), std::make_pair(0, 0));
  EXPECT_EQ(push(0.24, 0), std::make_pair(0, 0));
  // Radial, not per axis: 0.2 on both axes is inside, 0.2 and -0.2 too.
  EXPECT_EQ(push(0.17, 0.17), std::make_pair(0, 0));
  EXPECT_EQ(push(-0.17, 0.17), std::make_pair(0, 0));
  EXPECT_EQ(push(NAN, 0.5), std::make_pair(0, 0));
  // Just outside it the push starts small rather than jumping.
  auto edge = push(0.27, 0);
  EXPECT_GT(edge.first, 0);
  EXPECT_LT(edge.first, 10);
}

TEST(StickPush, FullDeflectionIsOneKeyAndNeverMore) {
  EXPECT_EQ(push(1, 0), std::make_pair(127, 0));
  EXPECT_EQ(push(-1, 0), std::make_pair(-127, 0));
  EXPECT_EQ(push(0, -1), std::make_pair(0, -127));
  // Square-gated sticks reach past 1 on a diagonal; the push stays full.
  for (double a = 0; a < 360; a += 7.5) {
    for (double r : {0.3, 0.6, 0.99, 1.0, 1.41}) {
      const double x = r * std::cos(a * M_PI / 180), y = r * std::sin(a * M_PI / 180);
      auto p = push(x, y);
      EXPECT_LE(p.first * p.first + p.second * p.second, 127 * 127) << a << " " << r;
      // The push points where the stick does.
      if (r >= 0.6) {
        EXPECT_NEAR(std::atan2(p.second, p.first), std::atan2(y, x), 0.03) << a << " " << r;
      }
    }
  }
  auto diagonal = push(M_SQRT1_2, M_SQRT1_2);
  EXPECT_GE(diagonal.first, 88);
  EXPECT_EQ(diagonal.first, diagonal.second);
}

TEST(StickPush, StrengthGrowsWithDeflection) {
  int last = 0;
  for (double r = 0.26; r <= 1.0; r += 0.05) {
    const int now = push(0, r).second;
    EXPECT_GT(now, last) << r;
    last = now;
  }
}

TEST(StickPush, AFullStickPushesTheManAsAKeyDoes) {
  auto pushof = [](const PlayerInput& in) {
    Tman man;
    ball* b = new ball();
    man.balllist.push_back(b);
    man.speed = 6;
    man.control2(1, in);
    return std::make_pair(b->xv, b->yv);
  };
  PlayerInput key, stick;
  key.keys = inputleft;
  stick.stickx = -PlayerInput::stickfull;
  EXPECT_EQ(pushof(stick), pushof(key));
  // Keys win over the stick: holding both is no faster.
  PlayerInput both = stick;
  both.keys = inputleft;
  EXPECT_EQ(pushof(both), pushof(key));
}

TEST(PadSlots, EachPadTakesTheLowestFreeSlot) {
  padslots s;
  EXPECT_EQ(s.connect(3, "X"), 1);
  EXPECT_EQ(s.connect(1, "Y"), 2);
  EXPECT_EQ(s.connect(1, "Y"), 2);  // already placed: no second slot
  EXPECT_EQ(s.padin(1), 3);
  EXPECT_EQ(s.slotof(1), 2);
  EXPECT_EQ(s.disconnect(3), 1);
  EXPECT_EQ(s.disconnect(3), 0);
  EXPECT_EQ(s.padin(1), 0);
  EXPECT_EQ(s.connect(5, "Z"), 1);  // the hole left by pad 3
  EXPECT_EQ(s.connect(6, "W"), 3);
  EXPECT_EQ(s.connect(7, "V"), 4);
  EXPECT_EQ(s.connect(8, "U"), 0);  // a fifth pad plays no slot
  EXPECT_EQ(s.slotof(8), 0);
  EXPECT_EQ(s.slotof(0), 0);
}

TEST(PadSlots, APadPluggedBackGetsItsSlotAgain) {
  padslots s;
  s.connect(1, "Pad A");
  s.connect(2, "Pad B");
  s.connect(3, "Pad C");
  s.disconnect(2);
  s.disconnect(1);
  // Pad B comes back first, but slot 1 stays for pad A.
  EXPECT_EQ(s.connect(4, "Pad B"), 2);
  EXPECT_EQ(s.connect(5, "Pad A"), 1);
  // A pad moved to player 4 comes back there.
  s.move(3, 4);
  EXPECT_EQ(s.padin(4), 3);
  s.disconnect(3);
  EXPECT_EQ(s.connect(3, "Someone else"), 3);
  s.disconnect(3);
  EXPECT_EQ(s.connect(6, "Pad C"), 4);
}

TEST(PadSlots, MovingSwapsWithThePadThereAndAPreferredSlotComesFirst) {
  padslots s;
  s.connect(1, "A");
  s.connect(2, "B");
  s.move(1, 2);
  EXPECT_EQ(s.padin(1), 2);
  EXPECT_EQ(s.padin(2), 1);
  s.move(2, 9);  // nonsense moves change nothing
  s.move(0, 1);
  EXPECT_EQ(s.padin(2), 1);
  s.disconnect(2);
  EXPECT_EQ(s.connect(3, "C", 4), 4);  // taken while player 4 waits for a pad
  EXPECT_EQ(s.connect(4, "D", 2), 1);  // slot 2 is not free: the lowest is
}

}  // namespace
