#include "effects/colordrift.h"

#include <gtest/gtest.h>

#include "platform/platform.h"

// The draws one step makes: one real in [0, 1000) per channel.
static std::vector<double> draws(uint32_t seed, int count) {
  SeedRandom(seed);
  std::vector<double> r;
  for (int i = 0; i < count; i++) r.push_back(RandomReal(0, 1000));
  return r;
}

TEST(ColorDrift, EachChannelTakesOneDrawAndTurnsAtRandomAboveNineHundredNinety) {
  // A seed whose first draws include a turn and a straight step.
  uint32_t seed = 0;
  std::vector<double> r;
  for (seed = 1; seed < 100000; seed++) {
    r = draws(seed, 31);
    if ((r[0] > 990) != (r[1] > 990)) break;
  }
  ASSERT_LT(seed, 100000u);
  ColorTable colors = MakeColorTable(10, 100), adders = MakeColorTable(10, 0);
  initadders(adders);
  SeedRandom(seed);
  driftcolors(colors, adders);
  for (int c = 0; c < 3; c++) {
    const float step = r[c] > 990 ? -2 : 2;
    EXPECT_EQ(adders[0][c], step) << c;
    EXPECT_EQ(colors[0][c], 100 + step) << c;
  }
  // Ten rows drew thirty numbers, no more and no fewer.
  EXPECT_EQ(RandomReal(0, 1000), r[30]);
  // The single-colour step draws three.
  float colour[3] = {50, 50, 50}, adder[3] = {2, 2, 2};
  SeedRandom(seed);
  driftcolor(colour, adder);
  EXPECT_EQ(RandomReal(0, 1000), r[3]);
  EXPECT_EQ(colour[0], r[0] > 990 ? 48 : 52);
}

TEST(ColorDrift, ChannelsBounceBetweenTheEdgesAndStayInside) {
  SeedRandom(3);
  ColorTable colors = {{0, 253, 3}, {254, 2, 128}}, adders = {{-2, 2, -2}, {2, -2, 2}};
  driftcolors(colors, adders);
  // Whatever the draws said: up from the bottom, down from the top.
  EXPECT_EQ(colors[0][0], 2);
  EXPECT_EQ(colors[0][1], 251);
  EXPECT_EQ(colors[0][2], 5);
  EXPECT_EQ(colors[1][0], 252);
  EXPECT_EQ(colors[1][1], 4);
  // A long run from black wanders the whole cube and never leaves it.
  ColorTable table = MakeColorTable(3, 0), steps = MakeColorTable(3, 0);
  initadders(steps);
  driftcolors(table, steps);
  for (const auto& row : table)
    for (float v : row) EXPECT_EQ(v, 2);
  float lowest = 255, highest = 0;
  int turns = 0;
  for (int i = 0; i < 20000; i++) {
    const ColorTable before = steps;
    driftcolors(table, steps);
    for (size_t r = 0; r < table.size(); r++)
      for (int c = 0; c < 3; c++) {
        lowest = std::min(lowest, table[r][c]);
        highest = std::max(highest, table[r][c]);
        if (before[r][c] != steps[r][c] && table[r][c] > 6 && table[r][c] < 250) turns++;
      }
  }
  EXPECT_GE(lowest, 0);
  EXPECT_LE(highest, 254);
  EXPECT_LE(lowest, 3);
  EXPECT_GE(highest, 253);
  // About one turn in a hundred steps away from the edges.
  EXPECT_GT(turns, 180000 * 0.005);  // 20000 steps of nine channels
  EXPECT_LT(turns, 180000 * 0.015);
  // Rows beyond the drift table are left alone.
  ColorTable more = MakeColorTable(3, 10), fewer = MakeColorTable(1, 2);
  driftcolors(more, fewer);
  EXPECT_EQ(more[1][0], 10);
  EXPECT_EQ(more[2][2], 10);
}
