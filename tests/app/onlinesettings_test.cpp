// The host's settings as a joiner receives them from the network: what the
// host sent comes back, anything a host could not have sent is refused.
#include <gtest/gtest.h>

#include "app/onlinesettings.h"

namespace {

TEST(OnlineSettings, TheHostsSettingsAndWindowComeBack) {
  Tmultiplayersettings m;
  m.speed = 10;
  m.ballsize = 1;
  m.ballmass = 7;
  m.gravity = 0;
  m.arenanum = 15;
  for (int r : {1, 2, 3}) {
    const int sizes[3][2] = {{640, 480}, {800, 600}, {1024, 768}};
    seriessettings s;
    s.resolution = 0;
    ASSERT_TRUE(decodesettings(encodesettings(m, sizes[r - 1][0], sizes[r - 1][1]), s)) << r;
    EXPECT_EQ(s.resolution, r);
    EXPECT_EQ(s.multi.speed, 10);
    EXPECT_EQ(s.multi.ballsize, 1);
    EXPECT_EQ(s.multi.ballmass, 7);
    EXPECT_EQ(s.multi.gravity, 0);
    EXPECT_EQ(s.multi.arenanum, 15);
  }
}

TEST(OnlineSettings, WhatNoHostSendsIsRefusedAndChangesNothing) {
  const std::vector<uint8_t> good = encodesettings(Tmultiplayersettings(), 800, 600);
  std::vector<std::vector<uint8_t>> bad(7, good);
  bad[0].pop_back();          // cut short
  bad[1].push_back(0);        // a byte too many
  bad[2][0] = 0;              // speed 0
  bad[3][3] = 11;             // gravity 11
  bad[4][4] = 17;             // arena 17
  bad[5][7] = 768 & 0xff;     // 800 x 768: no option gives it
  bad[5][8] = 768 >> 8;
  bad[6][5] = bad[6][6] = 0;  // a window 0 wide
  for (size_t k = 0; k < bad.size(); k++) {
    seriessettings s;
    s.multi.speed = 3;
    EXPECT_FALSE(decodesettings(bad[k], s)) << k;
    EXPECT_EQ(s.multi.speed, 3) << k;
    EXPECT_EQ(s.resolution, 3) << k;
  }
}

}  // namespace
