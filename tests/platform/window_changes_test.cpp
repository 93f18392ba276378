// Drawing and showing only what changed, where the driver allows it.
#include <SDL.h>
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/window/changed_only.h"
#include "platform/window/damage.h"
#include "platform/window/sub_buffer.h"
#include "tests/platform/window_display.h"

// X11's macros (None, Bool) break gtest's headers: these come after.
#include <SDL_syswm.h>
#include <epoxy/glx.h>

namespace plat {
namespace {

TEST(WindowDamage, ChangesGatherIntoFewRectanglesInsideTheFrame) {
  Damage d;
  d.Reset(640, 480);
  d.Add(10.5f, 10, 20, 20);
  ASSERT_EQ(d.Count(), 1);  // a pixel more on every side of the pixels touched
  EXPECT_EQ(d.Rect(0).x, 9);
  EXPECT_EQ(d.Rect(0).w, 12);
  d.Add(-50, 400, 30, 900);  // clipped to the frame
  ASSERT_EQ(d.Count(), 2);
  EXPECT_EQ(d.Rect(1).x, 0);
  EXPECT_EQ(d.Rect(1).y + d.Rect(1).h, 480);
  d.Add(22, 10, 40, 20);  // meets the first: one rectangle
  EXPECT_EQ(d.Count(), 2);
  EXPECT_EQ(d.Rect(0).x + d.Rect(0).w, 41);
  d.Add(600, 10, 610, 20);  // a third: the cheapest pair joins
  ASSERT_EQ(d.Count(), 2);
  EXPECT_EQ(d.Rect(0).x + d.Rect(0).w, 611);
  EXPECT_TRUE(d.Holds(100, 12, 110, 18));
  EXPECT_TRUE(d.Touches(0, 0, 10, 10));
  EXPECT_FALSE(d.Touches(300, 200, 310, 210));
  d.Add(700, 10, 800, 20);  // outside: nothing
  d.Add(NAN, 0, 10, 10);
  EXPECT_EQ(d.Count(), 2);
  d.Add(0, 0, 400, 300);  // past half the frame: all of it
  ASSERT_EQ(d.Count(), 1);
  EXPECT_EQ(d.Rect(0).w * d.Rect(0).h, 640 * 480);
}

// A quad's corners as the renderer keeps them, in one colour.
CornerQuad Kept(float x, float y, float w, float h, uint8_t red) {
  CornerQuad q{};
  const float xs[4] = {x, x + w, x + w, x}, ys[4] = {y, y, y + h, y + h};
  for (int k = 0; k < 4; ++k) q.c[k] = {xs[k], ys[k], 0, 0, red, 0, 0, 255, 0, 0, {0, 0}};
  return q;
}

TEST(WindowChangedOnly, SwapsWholeUnlessOnThenShowsWhatChangedAndWhatItReaches) {
  ChangedOnly c;
  EXPECT_TRUE(c.Swaps(640, 480));
  EXPECT_TRUE(c.Swaps(640, 480));  // off: every frame
  c.Set(true);
  EXPECT_TRUE(c.Swaps(800, 600));  // a new size is a new back buffer
  // A square, one that changes colour and one overlapping it drawn after.
  std::vector<CornerQuad> before = {Kept(10, 10, 20, 20, 9), Kept(100, 100, 50, 50, 9),
                                    Kept(140, 140, 40, 40, 9)};
  std::vector<CornerQuad> now = before;
  ShownRects shown;
  c.Plan(now, before, 800, 600);
  EXPECT_TRUE(c.Rects().Whole());  // the swap left nothing to build on
  c.Drawn(800, 600, &shown);
  ASSERT_EQ(shown.count, 1);  // the window showed nothing of it yet
  EXPECT_EQ(shown.rects[0].w * shown.rects[0].h, 800 * 600);
  EXPECT_FALSE(c.Swaps(800, 600));
  c.Plan(now, before, 800, 600);
  EXPECT_TRUE(c.Rects().Whole());
  shown.swap = false;
  c.Drawn(800, 600, &shown);

  EXPECT_FALSE(c.Swaps(800, 600));
  c.Plan(now, before, 800, 600);
  EXPECT_EQ(c.Rects().Count(), 0);  // the same frame: nothing to draw
  now[1] = Kept(100, 100, 50, 50, 200);
  c.Plan(now, before, 800, 600);
  ASSERT_EQ(c.Rects().Count(), 1);
  EXPECT_TRUE(c.Rects().Holds(100, 100, 150, 150));
  EXPECT_TRUE(c.Rects().Holds(140, 140, 180, 180));  // drawn whole over the change
  EXPECT_FALSE(c.Touches(now[0]));
  c.Set(false);
  EXPECT_TRUE(c.Swaps(800, 600));
}

// Where the window keeps its back buffer (a software driver), a frame is
// drawn only where it changed, and only that part of the back buffer is
// shown. The back buffer must still hold the whole frame. (The window
// itself cannot be read reliably: other tests' windows may cover it.)
// Through EGL (no GLX, as SDL_VIDEO_X11_FORCE_EGL=1 has it) the same
// software driver cannot show part of a buffer: every frame is drawn whole
// and swapped, and must come out the same.
TEST_F(WindowDisplay, OnlyWhatChangedIsDrawnYetTheBackBufferHoldsTheWholeFrame) {
  Open(640, 480);
  const std::string renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  if (renderer.find("llvmpipe") == std::string::npos) GTEST_SKIP() << "frames are swapped whole";
  const char* forceEgl = std::getenv("SDL_VIDEO_X11_FORCE_EGL");
  const bool egl = forceEgl != nullptr && std::string(forceEgl) == "1";
  if (egl) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    ASSERT_TRUE(SDL_GetWindowWMInfo(SDL_GL_GetCurrentWindow(), &info));
    ASSERT_FALSE(epoxy_has_glx(info.info.x11.display) && glXGetCurrentContext() != nullptr)
        << "SDL made a GLX context";
  }
  // A square that changes colour under a translucent band (drawn again
  // anywhere it is not cleared first, the band would darken), and one that
  // moves on its own.
  auto frame = [&](uint8_t green, float x) {
    backend_->Clear();
    Draw(kWhiteTexture, kBlendAlpha, QuadAt(300, 200, 50, 50, 255, green, 0));
    Draw(kWhiteTexture, kBlendAlpha, QuadAt(0, 220, 640, 10, 0, 0, 255, 128));
    Draw(kWhiteTexture, kBlendAlpha, QuadAt(x, 320, 40, 40, 255, 255, 255));
    Draw(kWhiteTexture, kBlendLight, QuadAt(500, 400, 20, 20, 0, 0, 200));
    backend_->Present(false);
  };
  auto wrong = [&] {
    std::vector<uint8_t> back(640 * 480 * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 640, 480, GL_RGBA, GL_UNSIGNED_BYTE, back.data());
    const PngImage shot = Shot();
    int worst = 0;
    for (size_t y = 0; y < 480; ++y) {
      for (size_t i = y * 640 * 4; i < (y + 1) * 640 * 4; ++i) {
        if (i % 4 == 3) continue;
        worst = std::max(worst, std::abs(back[(479 - y) * 640 * 4 + i % (640 * 4)] - shot.rgba[i]));
      }
    }
    return worst;
  };
  // After a swap the back buffer holds nothing to compare.
  auto wrongKept = [&] { return egl ? 0 : wrong(); };
  frame(0, 100);  // the window's first size: swapped whole
  frame(0, 100);
  EXPECT_LE(wrongKept(), 1);
  frame(255, 100);  // the square turns yellow
  EXPECT_EQ(backend_->DrawCallsLastFrame(), 1);
  EXPECT_LE(wrongKept(), 1);
  EXPECT_EQ(Pixel(Shot(), 325, 210), (std::vector<int>{255, 255, 0}));
  frame(255, 100);  // the same frame again
  EXPECT_EQ(backend_->DrawCallsLastFrame(), egl ? 1 : 0);
  frame(255, 160);  // moved: nothing may stay behind where it was
  EXPECT_LE(wrongKept(), 1);
  backend_->Present(false);  // nothing drawn: the frame again
  Draw(kWhiteTexture, kBlendLight, QuadAt(20, 20, 10, 10, 0, 90, 0));  // on without a clear
  backend_->Present(false);
  EXPECT_LE(wrongKept(), 1);
  const PngImage shot = Shot();
  EXPECT_EQ(Pixel(shot, 25, 25), (std::vector<int>{0, 90, 0}));
  EXPECT_EQ(Pixel(shot, 110, 330), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(Pixel(shot, 180, 340), (std::vector<int>{255, 255, 255}));
  EXPECT_TRUE(Near(Pixel(shot, 320, 225), {128, 128, 128}, 2));

  // A window that shrank before the game heard of it refuses a copy past
  // its new edge: an X error, which must not end the program.
  SubBufferPresenter presenter;
  presenter.Setup(SDL_GL_GetCurrentWindow());
  ASSERT_EQ(presenter.Usable(), !egl);
  if (egl) return;
  const PixelRect past = {0, 0, 5000, 480}, within = {0, 0, 640, 480};
  EXPECT_FALSE(presenter.Show(&past, 1));
  EXPECT_TRUE(presenter.Show(&within, 1));
}

}  // namespace
}  // namespace plat
