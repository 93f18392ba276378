#include "physics/mainball.h"

#include <gtest/gtest.h>

TEST(Mainball, HistoryKeepsTheLastFiftyFramesNewestFirst) {
  Tmainball m;
  for (int f = 1; f <= 60; f++) {
    m.x = f;
    m.yv = 3 * f;
    m.updateoldvect();
  }
  EXPECT_EQ(m.history.x[0], 60);
  EXPECT_EQ(m.history.x[49], 11);  // 49 frames before entry 0
  EXPECT_EQ(m.history.yv[49], 33);
}
