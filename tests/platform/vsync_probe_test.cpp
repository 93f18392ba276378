// Telling presents that wait for the display from those that do not.
#include "platform/window/vsync_probe.h"

#include <gtest/gtest.h>

namespace plat {
namespace {

TEST(WindowVsync, DistrustsPresentsThatDoNotWait) {
  VsyncProbe probe;
  probe.Reset(60);
  for (int i = 0; i < 200; ++i) probe.Sample(i % 3 == 0 ? 40.0 : 16.6);  // slow frames too
  EXPECT_TRUE(probe.Trusted());

  probe.Reset(60);
  for (int i = 0; i < 19; ++i) probe.Sample(0.5);
  EXPECT_TRUE(probe.Trusted());  // a burst too short to judge
  for (int i = 0; i < 5; ++i) probe.Sample(0.5);
  EXPECT_FALSE(probe.Trusted());
  for (int i = 0; i < 100; ++i) probe.Sample(16.6);
  EXPECT_FALSE(probe.Trusted());  // no flapping back and forth
  probe.Reset(60);
  EXPECT_TRUE(probe.Trusted());
}

}  // namespace
}  // namespace plat
