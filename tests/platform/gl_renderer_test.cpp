// Drawing frames in a real window: blending, batching, the texture array, screenshots.
#include "platform/window/gl_renderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/png_io.h"
#include "tests/platform/window_display.h"

namespace plat {
namespace {

TEST_F(WindowDisplay, DrawsBlendsAndSavesTheFrameTopRowFirst) {
  Open(640, 480);
  // 16 x 16 in quarters: red, green / blue, clear.
  std::vector<uint8_t> texels;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const int quarter = (y / 8) * 2 + x / 8;
      const uint8_t rgba[4][4] = {
          {255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 0}};
      texels.insert(texels.end(), rgba[quarter], rgba[quarter] + 4);
    }
  }
  TextureData data;
  data.width = data.height = 16;
  data.rgba = texels.data();
  const int tex = backend_->CreateTexture(data);
  ASSERT_GT(tex, 0);

  backend_->Clear();
  Draw(kWhiteTexture, kBlendAlpha, QuadAt(0, 0, 100, 40, 255, 0, 0));             // top band, red
  Draw(kWhiteTexture, kBlendAlpha, QuadAt(0, 100, 100, 40, 255, 255, 255, 128));  // half white
  Draw(kWhiteTexture, kBlendLight, QuadAt(200, 0, 50, 50, 200, 0, 0));
  Draw(kWhiteTexture, kBlendLight, QuadAt(200, 0, 50, 50, 200, 100, 0, 255));  // saturates red
  Draw(kWhiteTexture, kBlendLight,
       QuadAt(300, 0, 50, 50, 255, 255, 255, 64));  // alpha scales light
  Draw(tex, kBlendAlpha, QuadAt(400, 0, 16, 16));   // a texel a pixel
  backend_->Present(false);

  const PngImage shot = Shot();
  ASSERT_EQ(shot.width, 640);
  ASSERT_EQ(shot.height, 480);
  EXPECT_EQ(Pixel(shot, 50, 20), (std::vector<int>{255, 0, 0}));
  EXPECT_EQ(Pixel(shot, 50, 470), (std::vector<int>{0, 0, 0}));  // not flipped upside down
  EXPECT_TRUE(Near(Pixel(shot, 50, 120), {128, 128, 128}, 2));
  EXPECT_EQ(Pixel(shot, 225, 25), (std::vector<int>{255, 100, 0}));
  EXPECT_TRUE(Near(Pixel(shot, 325, 25), {64, 64, 64}, 2));
  EXPECT_EQ(Pixel(shot, 403, 3), (std::vector<int>{255, 0, 0}));
  EXPECT_EQ(Pixel(shot, 412, 3), (std::vector<int>{0, 255, 0}));
  EXPECT_EQ(Pixel(shot, 403, 12), (std::vector<int>{0, 0, 255}));
  EXPECT_EQ(Pixel(shot, 412, 12), (std::vector<int>{0, 0, 0}));   // transparent texels
  EXPECT_EQ(Pixel(shot, 99, 39), (std::vector<int>{255, 0, 0}));  // edges land on pixels
  EXPECT_EQ(Pixel(shot, 100, 40), (std::vector<int>{0, 0, 0}));
}

TEST_F(WindowDisplay, CountsDrawCallsWithAndWithoutBatching) {
  Open(640, 480);
  const uint8_t texel[4] = {255, 255, 255, 255};
  TextureData data;
  data.width = data.height = 1;
  data.rgba = texel;
  const int tex = backend_->CreateTexture(data);
  ASSERT_GT(tex, 0);
  std::vector<Quad> quads;
  for (int i = 0; i < 5000; ++i) quads.push_back(QuadAt(i % 600, (i / 2) % 400, 4, 4));

  // Textures and blend modes taking turns share one call.
  backend_->Clear();
  for (int i = 0; i < 300; ++i) Draw(i % 3 ? tex : kWhiteTexture, kBlendLight, quads[i]);
  for (int i = 0; i < 10; ++i)
    Draw(i % 2 ? tex : kWhiteTexture, i % 3 ? kBlendAlpha : kBlendLight, quads[i]);
  backend_->Present(false);
  EXPECT_EQ(backend_->DrawCallsLastFrame(), 1);

  // A call holds 4096 quads.
  backend_->Clear();
  backend_->DrawQuads(tex, kBlendAlpha, quads.data(), 5000);
  backend_->Present(false);
  EXPECT_EQ(backend_->DrawCallsLastFrame(), 2);

  backend_->SetBatching(false);
  backend_->Clear();
  backend_->DrawQuads(tex, kBlendLight, quads.data(), 300);
  backend_->Present(false);
  EXPECT_EQ(backend_->DrawCallsLastFrame(), 300);
  backend_->SetBatching(true);

  backend_->Clear();
  backend_->Present(false);
  EXPECT_EQ(backend_->DrawCallsLastFrame(), 0);
}

// A frame of many thousand quads is drawn whole, in calls of 4096, and so
// is its screenshot, drawn again from the kept corners in one go.
TEST_F(WindowDisplay, FramesOfManyQuadsDrawWhole) {
  Open(640, 480);
  std::vector<Quad> quads;
  for (int i = 0; i < 20000; ++i) quads.push_back(QuadAt(i % 200 * 3.0f, i / 200 * 3.0f, 1, 1));
  backend_->Clear();
  backend_->DrawQuads(kWhiteTexture, kBlendAlpha, quads.data(), 20000);
  backend_->Present(false);
  EXPECT_EQ(backend_->DrawCallsLastFrame(), 5);  // 4096 quads a call
  const PngImage shot = Shot();
  for (int i : {0, 4095, 4096, 16383, 16384, 19999}) {
    EXPECT_EQ(Pixel(shot, i % 200 * 3, i / 200 * 3), (std::vector<int>{255, 255, 255})) << i;
  }
  EXPECT_EQ(Pixel(shot, 1, 1), (std::vector<int>{0, 0, 0}));
}

// Every image shares the texture array and one draw call; each quad must
// still sample its own image, at the right mipmap level, with its own
// filtering, and nothing of a neighbour may bleed in.
TEST_F(WindowDisplay, ImagesShareADrawCallYetEachQuadDrawsItsOwn) {
  Open(640, 480);
  const std::vector<std::vector<int>> colours = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},
                                                 {255, 255, 0}, {0, 255, 255}, {255, 0, 255},
                                                 {128, 64, 0},  {0, 128, 64},  {64, 0, 128}};
  std::vector<int> tex;
  for (const auto& c : colours) {
    std::vector<uint8_t> texels;
    for (int i = 0; i < 64 * 64; ++i) {
      texels.insert(texels.end(), {static_cast<uint8_t>(c[0]), static_cast<uint8_t>(c[1]),
                                   static_cast<uint8_t>(c[2]), 255});
    }
    TextureData data;
    data.width = data.height = 64;
    data.rgba = texels.data();
    tex.push_back(backend_->CreateTexture(data));
    ASSERT_GT(tex.back(), 0);
  }

  // Drawn tiny, each reads a deep mipmap level of its own cell.
  backend_->Clear();
  for (int i = 0; i < 9; ++i) Draw(tex[i], kBlendAlpha, QuadAt(i * 20.0f, 0, 20, 20));
  for (int i = 0; i < 9; ++i) Draw(tex[i], kBlendAlpha, QuadAt(i * 20.0f, 40, 2, 2));
  Draw(tex[0], kBlendAlpha, QuadAt(180, 0, 20, 20));
  backend_->Present(false);
  EXPECT_EQ(backend_->DrawCallsLastFrame(), 1);
  PngImage shot = Shot();
  for (int i = 0; i < 10; ++i) EXPECT_EQ(Pixel(shot, i * 20 + 10, 10), colours[i % 9]) << i;
  for (int i = 0; i < 9; ++i) EXPECT_EQ(Pixel(shot, i * 20, 40), colours[i]) << i;

  // A one-texel checkerboard shrunk four times reads as grey only when the
  // mipmap level follows the shrinking; at full size it stays black and
  // white.
  std::vector<uint8_t> checker;
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const uint8_t v = (x + y) % 2 ? 255 : 0;
      checker.insert(checker.end(), {v, v, v, 255});
    }
  }
  TextureData data;
  data.width = data.height = 64;
  data.rgba = checker.data();
  const int board = backend_->CreateTexture(data);
  ASSERT_GT(board, 0);
  backend_->Clear();
  Draw(board, kBlendAlpha, QuadAt(100, 100, 16, 16));
  Draw(board, kBlendAlpha, QuadAt(300, 100, 64, 64));
  // Shrunk three times, pixel centres fall on texel centres: level 0 would
  // show the board black and white (a shrunk four times one reads grey at
  // any level, between two texels).
  Draw(board, kBlendAlpha, QuadAt(100, 200, 64 / 3.0f, 64 / 3.0f));
  backend_->Present(false);
  EXPECT_EQ(backend_->DrawCallsLastFrame(), 1);
  shot = Shot();
  for (int y = 101; y < 115; y += 3) {
    for (int x = 101; x < 115; x += 3) EXPECT_TRUE(Near(Pixel(shot, x, y), {128, 128, 128}, 2));
  }
  for (int y = 201; y < 220; y += 2) {
    for (int x = 101; x < 120; x += 3) {
      EXPECT_TRUE(Near(Pixel(shot, x, y), {128, 128, 128}, 2)) << x << "," << y;
    }
  }
  EXPECT_EQ(Pixel(shot, 320, 120), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(Pixel(shot, 321, 120), (std::vector<int>{255, 255, 255}));

  // An image mostly clear, drawn large, is drawn in pieces: only its solid
  // corner shows, exactly where the whole quad would have put it.
  std::vector<uint8_t> corner;
  for (int y = 0; y < 128; ++y) {
    for (int x = 0; x < 128; ++x) {
      const bool solid = x < 32 && y < 32;
      corner.insert(corner.end(), {255, 200, 100, static_cast<uint8_t>(solid ? 255 : 0)});
    }
  }
  data = TextureData();
  data.width = data.height = 128;
  data.rgba = corner.data();
  const int sparse = backend_->CreateTexture(data);
  ASSERT_GT(sparse, 0);
  backend_->Clear();
  Draw(kWhiteTexture, kBlendAlpha, QuadAt(0, 0, 640, 480, 0, 0, 80));
  Draw(sparse, kBlendAlpha, QuadAt(64, 64, 256, 256));
  backend_->Present(false);
  shot = Shot();
  EXPECT_EQ(Pixel(shot, 64, 64), (std::vector<int>{255, 200, 100}));
  EXPECT_EQ(Pixel(shot, 126, 126), (std::vector<int>{255, 200, 100}));
  EXPECT_EQ(Pixel(shot, 140, 140), (std::vector<int>{0, 0, 80}));
  EXPECT_EQ(Pixel(shot, 300, 300), (std::vector<int>{0, 0, 80}));
  EXPECT_EQ(Pixel(shot, 63, 100), (std::vector<int>{0, 0, 80}));
}

// Images too large to share a layer each take a new one; growing the array
// keeps what the layers before held.
TEST_F(WindowDisplay, TheArrayGrowsKeepingWhatItHeld) {
  Open(640, 480);
  const std::vector<std::vector<int>> colours = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  std::vector<int> tex;
  for (const auto& c : colours) {
    std::vector<uint8_t> texels;
    texels.reserve(1100 * 1100 * 4);
    for (int i = 0; i < 1100 * 1100; ++i) {
      texels.insert(texels.end(), {static_cast<uint8_t>(c[0]), static_cast<uint8_t>(c[1]),
                                   static_cast<uint8_t>(c[2]), 255});
    }
    TextureData data;
    data.width = data.height = 1100;
    data.rgba = texels.data();
    tex.push_back(backend_->CreateTexture(data));
    ASSERT_GT(tex.back(), 0);
  }
  backend_->Clear();
  for (int i = 0; i < 3; ++i) Draw(tex[i], kBlendAlpha, QuadAt(i * 110.0f, 0, 100, 100));
  Draw(kWhiteTexture, kBlendAlpha, QuadAt(330, 0, 100, 100));
  backend_->Present(false);
  EXPECT_EQ(backend_->DrawCallsLastFrame(), 1);
  const PngImage shot = Shot();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Pixel(shot, i * 110 + 50, 50), colours[i]) << i;
  EXPECT_EQ(Pixel(shot, 380, 50), (std::vector<int>{255, 255, 255}));
}

TEST_F(WindowDisplay, ScreenshotShowsTheFrameLastPresented) {
  Open(640, 480);
  backend_->Clear();
  Draw(kWhiteTexture, kBlendAlpha, QuadAt(0, 0, 640, 480, 0, 0, 255));
  backend_->Present(false);
  backend_->Clear();  // the next frame is under way
  Draw(kWhiteTexture, kBlendAlpha, QuadAt(0, 0, 640, 480, 255, 0, 0));
  EXPECT_EQ(Pixel(Shot(), 320, 240), (std::vector<int>{0, 0, 255}));
  backend_->Present(false);

  // Drawing on without a clear keeps what was shown underneath.
  Draw(kWhiteTexture, kBlendAlpha, QuadAt(0, 0, 10, 10, 0, 255, 0));
  EXPECT_EQ(Pixel(Shot(), 5, 5), (std::vector<int>{255, 0, 0}));
  backend_->Present(false);
  const PngImage shot = Shot();
  EXPECT_EQ(Pixel(shot, 5, 5), (std::vector<int>{0, 255, 0}));
  EXPECT_EQ(Pixel(shot, 320, 240), (std::vector<int>{255, 0, 0}));
}

// A window of the frame's size is drawn into directly and the frame is kept
// as a list of quads; a letterboxed one goes through the offscreen frame.
// Both must build on the shown frame when the game draws on without a
// clear, however long it does so.
TEST_F(WindowDisplay, FramesWithoutAClearBuildOnTheShownOne) {
  for (const bool fullscreen : {false, true}) {
    Open(640, 480, fullscreen);
    backend_->Clear();
    Draw(kWhiteTexture, kBlendAlpha, QuadAt(0, 0, 10, 10, 255, 255, 255, 128));
    backend_->Present(false);
    Draw(kWhiteTexture, kBlendAlpha, QuadAt(0, 0, 10, 10, 255, 255, 255, 128));
    backend_->Present(false);
    backend_->Present(false);  // nothing new: the same frame again
    // Five frames of 20000 quads each, none cleared, the first 10 adding
    // light to one spot.
    std::vector<Quad> quads(20000, QuadAt(600, 400, 2, 2, 255, 255, 255, 255));
    for (int i = 0; i < 10; ++i) quads[i] = QuadAt(100, 0, 10, 10, 1, 2, 3);
    for (int frame = 0; frame < 5; ++frame) {
      backend_->DrawQuads(kWhiteTexture, kBlendLight, quads.data(), 20000);
      backend_->Present(false);
    }
    const PngImage shot = Shot();
    EXPECT_TRUE(Near(Pixel(shot, 5, 5), {192, 192, 192}, 2)) << fullscreen;
    EXPECT_EQ(Pixel(shot, 105, 5), (std::vector<int>{50, 100, 150})) << fullscreen;
    EXPECT_EQ(Pixel(shot, 300, 300), (std::vector<int>{0, 0, 0})) << fullscreen;
    backend_->Clear();
    backend_->Present(false);
    EXPECT_EQ(Pixel(Shot(), 5, 5), (std::vector<int>{0, 0, 0})) << fullscreen;
    backend_->CloseDisplay();
  }
}

}  // namespace
}  // namespace plat
