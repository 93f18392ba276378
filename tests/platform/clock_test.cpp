#include "platform/clock.h"

#include <gtest/gtest.h>

TEST(FakeClock, SixtyPacedFramesTakeExactlyOneSecond) {
  plat::FrameClock clock;
  clock.Reset(true);
  EXPECT_EQ(clock.Now(), 0);
  std::vector<int64_t> times;
  for (int i = 0; i < 60; ++i) {
    clock.Pace(60);
    times.push_back(clock.Now());
  }
  EXPECT_EQ(times.front(), 16);
  EXPECT_EQ(times.back(), 1000);
  for (size_t i = 1; i < times.size(); ++i) {
    int64_t step = times[i] - times[i - 1];
    EXPECT_TRUE(step == 16 || step == 17) << step;
  }
  for (int i = 0; i < 60; ++i) clock.Pace(60);
  EXPECT_EQ(clock.Now(), 2000);
}

TEST(FakeClock, WorkWithinTheFrameIsAbsorbedByPacing) {
  plat::FrameClock clock;
  clock.Reset(true);
  clock.Pace(60);
  int64_t start = clock.Now();
  for (int i = 0; i < 60; ++i) {
    clock.Sleep(15);  // the match's own wait
    clock.Pace(60);
  }
  EXPECT_EQ(clock.Now() - start, 1000);
}

TEST(FakeClock, ALateFrameMovesTheDueTimeInsteadOfCatchingUp) {
  plat::FrameClock clock;
  clock.Reset(true);
  clock.Pace(60);    // due 16
  clock.Sleep(100);  // now 116: late
  clock.Pace(60);
  EXPECT_EQ(clock.Now(), 116);  // no wait when late
  clock.Pace(60);
  EXPECT_EQ(clock.Now(), 132);  // the next frame is one period after now, not a burst
  clock.Pace(60);
  EXPECT_EQ(clock.Now(), 149);
}

TEST(FakeClock, SleepAddsAndNegativeSleepsDoNothing) {
  plat::FrameClock clock;
  clock.Reset(true);
  clock.Sleep(5);
  clock.Sleep(-3);
  EXPECT_EQ(clock.Now(), 5);
  clock.RestartPacing();
  clock.Pace(30);
  EXPECT_EQ(clock.Now(), 5 + 33);
}
