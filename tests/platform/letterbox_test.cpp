// Fitting the frame into a window of any size.
#include "platform/window/letterbox.h"

#include <gtest/gtest.h>

namespace plat {
namespace {

TEST(WindowLetterbox, FrameFitsWithCentredBars) {
  auto same = [](PixelRect a, PixelRect b) {
    return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
  };
  EXPECT_TRUE(same(FitFrame(640, 480, 640, 480), {0, 0, 640, 480}));
  EXPECT_TRUE(same(FitFrame(800, 600, 1600, 1200), {0, 0, 1600, 1200}));     // high-DPI
  EXPECT_TRUE(same(FitFrame(640, 480, 1280, 1024), {0, 32, 1280, 960}));     // bars top and bottom
  EXPECT_TRUE(same(FitFrame(1024, 768, 1920, 1080), {240, 0, 1440, 1080}));  // at the sides
  EXPECT_TRUE(same(FitFrame(1024, 768, 0, 0), {0, 0, 0, 0}));                // minimised window
  const PixelRect tiny = FitFrame(1024, 768, 1, 1000);
  EXPECT_GE(tiny.w, 1);
  EXPECT_GE(tiny.h, 1);
}

}  // namespace
}  // namespace plat
