// The window backend: its pure pieces everywhere, the real window only where
// a display is set (CI runs these under Xvfb).
#include <epoxy/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/backend.h"
#include "platform/png_io.h"
#include "platform/window/atlas.h"
#include "platform/window/damage.h"
#include "platform/window/gl_renderer.h"
#include "platform/window/key_events.h"
#include "platform/window/keymap.h"
#include "platform/window/letterbox.h"
#include "platform/window/quad_trim.h"
#include "platform/window/sub_buffer.h"
#include "platform/window/vsync_probe.h"

namespace plat {
namespace {

// Scancodes are USB usage numbers, fixed by SDL's ABI.
TEST(WindowKeys, PhysicalKeysMapToVirtualKeys) {
  const int pairs[][2] = {
      {4, 'A'}, {29, 'Z'}, {30, '1'},   {39, '0'},  // 0 comes after 9 among scancodes
      {40, 13}, {88, 13},                           // both Enter keys confirm
      {41, 27}, {44, 32},  {80, 37},    {82, 38},
      {79, 39}, {81, 40},  {89, 97},    {98, 96},  // keypad 1, keypad 0
      {58, 0},  {-5, 0},   {100000, 0},            // F1 and nonsense: ignored
  };
  for (const auto& p : pairs) EXPECT_EQ(VirtualKeyForScancode(p[0]), p[1]) << p[0];
}

TEST(WindowText, DecodesUtf8AndReplacesMalformedBytes) {
  EXPECT_EQ(DecodeUtf8("Ab 1"), (std::vector<int>{'A', 'b', ' ', '1'}));
  EXPECT_EQ(DecodeUtf8("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"),
            (std::vector<int>{0xE9, 0x20AC, 0x1F600}));
  const int bad = 0xFFFD;
  EXPECT_EQ(DecodeUtf8("\x80x"), (std::vector<int>{bad, 'x'}));              // stray continuation
  EXPECT_EQ(DecodeUtf8("\xE2\x82"), (std::vector<int>{bad, bad}));           // cut short
  EXPECT_EQ(DecodeUtf8("\xC0\x80"), (std::vector<int>{bad, bad}));           // overlong NUL
  EXPECT_EQ(DecodeUtf8("\xED\xA0\x80"), (std::vector<int>{bad, bad, bad}));  // surrogate
  EXPECT_EQ(DecodeUtf8("\xF4\x90\x80\x80"), (std::vector<int>(4, bad)));     // past U+10FFFF
  EXPECT_EQ(DecodeUtf8("\xC3"
                       "A"),
            (std::vector<int>{bad, 'A'}));  // resynchronises
  EXPECT_TRUE(DecodeUtf8("").empty());
}

// Records what the game would hear, as one string per call.
struct SinkLog : InputSink {
  std::vector<std::string> calls;
  void KeyDown(int vk) override { calls.push_back("down " + std::to_string(vk)); }
  void KeyUp(int vk) override { calls.push_back("up " + std::to_string(vk)); }
  void TypedChar(int code) override { calls.push_back("char " + std::to_string(code)); }
  void CloseRequest() override { calls.push_back("close"); }
};

TEST(WindowKeys, RepeatsAreNotPressesButBackspaceKeepsTyping) {
  KeyEvents keys;
  SinkLog log;
  const int a = 4, backspace = 42, del = 76, f1 = 58;
  keys.Key(a, true, false, log);
  keys.Key(a, true, true, log);  // auto-repeat
  keys.Key(a, false, false, log);
  keys.Key(a, false, false, log);  // a release with nothing down
  keys.Key(backspace, true, false, log);
  keys.Key(backspace, true, true, log);
  keys.Key(backspace, false, false, log);
  keys.Key(del, true, false, log);
  keys.Key(f1, true, false, log);  // not the game's: some other key
  keys.Key(f1, false, false, log);
  keys.Key(0, true, false, log);  // no key at all
  EXPECT_EQ(log.calls, (std::vector<std::string>{"down 65", "up 65", "char 8", "down 8", "char 8",
                                                 "up 8", "char 127", "down 46", "down 255",
                                                 "up 255"}));  // Delete is a key of its own too
}

TEST(WindowKeys, LosingFocusReleasesHeldKeysOnce) {
  KeyEvents keys;
  SinkLog log;
  keys.Key(80, true, false, log);  // left arrow
  keys.Key(26, true, false, log);  // W
  keys.FocusLost(log);
  keys.Key(80, false, false, log);  // the late release finds nothing held
  EXPECT_EQ(log.calls, (std::vector<std::string>{"down 37", "down 87", "up 37", "up 87"}));
}

// SDL's dummy audio driver needs no sound card, so the callback path is
// checked everywhere.
TEST(WindowAudio, PullsStereoFramesUntilTheBackendGoes) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  struct Counter {
    std::atomic<int> calls{0};
    std::atomic<int> badFrames{0};
  } counter;
  auto pull = [](int16_t* stereo, int frames, void* user) {
    auto* c = static_cast<Counter*>(user);
    if (frames <= 0) c->badFrames++;
    for (int i = 0; i < frames * 2; ++i) stereo[i] = 0;
    c->calls++;
  };
  auto backend = MakeWindowBackend();
  if (!backend->StartAudio(pull, &counter)) {
    unsetenv("SDL_AUDIODRIVER");
    GTEST_SKIP() << "SDL has no dummy audio driver here";
  }
  for (int i = 0; i < 500 && counter.calls.load() == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_GT(counter.calls.load(), 0);
  backend->LockAudio();  // the callback waits while the mixer is changed
  const int held = counter.calls.load();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(counter.calls.load(), held);
  backend->UnlockAudio();
  backend.reset();  // closes the device: no call may come after this
  const int last = counter.calls.load();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(counter.calls.load(), last);
  EXPECT_EQ(counter.badFrames.load(), 0);
  unsetenv("SDL_AUDIODRIVER");
}

TEST(WindowDialogs, WithNoDisplayTheQuestionAnswersNoAtOnce) {
  if (std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr) {
    GTEST_SKIP() << "a real box would wait for a click";
  }
  // "No" lets start-up go on to opening the display, which then says why
  // it cannot; "cancel" would end the program without a word.
  auto backend = MakeWindowBackend();
  EXPECT_EQ(backend->AskYesNoCancel("Parvane", "Play Fullscreen?"), 0);
  EXPECT_FALSE(backend->ShowMessage("Parvane", "shown on stderr instead"));
  backend->LockAudio();  // no device: nothing to lock, nothing breaks
  backend->UnlockAudio();
  std::string error;
  EXPECT_FALSE(backend->OpenDisplay(640, 480, false, &error));
  EXPECT_FALSE(error.empty());
}

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

Quad QuadAt(float x, float y, float w, float h, uint8_t r = 255, uint8_t g = 255, uint8_t b = 255,
            uint8_t a = 255) {
  Quad q;
  q.v[0] = {x, y, 0, 0, r, g, b, a};
  q.v[1] = {x + w, y, 1, 0, r, g, b, a};
  q.v[2] = {x + w, y + h, 1, 1, r, g, b, a};
  q.v[3] = {x, y + h, 0, 1, r, g, b, a};
  return q;
}

// ---- What changed between two frames ---------------------------------------

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

// ---- The texture array's packing -------------------------------------------

struct Box {
  int layer, x0, y0, x1, y1;  // the cell with its padding, x1 and y1 past the end
};

Box Padded(const AtlasCell& c) {
  const int p = AtlasPacker::kPadding;
  return {c.layer, c.x - p, c.y - p, c.x + c.w + p, c.y + c.h + p};
}

TEST(WindowAtlas, EveryImageAndGlyphFindsItsOwnPaddedCell) {
  AtlasPacker packer(2048);
  // The game's images, then glyphs of a 128-pixel font, a line of text's
  // worth of odd sizes, and one image larger than a layer.
  std::vector<std::pair<int, int>> sizes = {{300, 300},  {800, 800}, {205, 275}, {300, 300},
                                            {500, 1000}, {280, 280}, {256, 16},  {64, 64},
                                            {64, 64},    {1, 1}};
  for (int c = 0; c < 95; ++c) sizes.push_back({20 + (c * 37) % 80, 10 + (c * 53) % 90});
  for (int c = 0; c < 30; ++c) sizes.push_back({1 + c * 13, 1 + (30 - c) * 11});
  sizes.push_back({5000, 300});
  std::vector<AtlasCell> cells;
  for (const auto& size : sizes) {
    AtlasCell cell;
    ASSERT_TRUE(packer.Place(size.first, size.second, &cell)) << size.first << "x" << size.second;
    cells.push_back(cell);
  }
  EXPECT_GE(packer.Layers(), 2);  // that much does not fit one layer
  EXPECT_LE(packer.Layers(), 4);  // ...but is not spread thin either
  for (size_t i = 0; i < cells.size(); ++i) {
    const AtlasCell& c = cells[i];
    const Box b = Padded(c);
    EXPECT_TRUE(b.x0 >= 0 && b.y0 >= 0 && b.x1 <= 2048 && b.y1 <= 2048) << i;
    EXPECT_LT(c.layer, packer.Layers());
    // Cells start on the grid, so a texel of the coarsest level never
    // straddles two of them.
    EXPECT_EQ(b.x0 % AtlasPacker::kCellAlign, 0) << i;
    EXPECT_EQ(b.y0 % AtlasPacker::kCellAlign, 0) << i;
    if (i + 1 < cells.size()) {
      EXPECT_EQ(c.w, sizes[i].first) << i;  // unshrunk
      EXPECT_EQ(c.h, sizes[i].second) << i;
    }
    for (size_t j = 0; j < i; ++j) {
      const Box o = Padded(cells[j]);
      const bool apart =
          o.layer != b.layer || o.x1 <= b.x0 || b.x1 <= o.x0 || o.y1 <= b.y0 || b.y1 <= o.y0;
      EXPECT_TRUE(apart) << "cells " << j << " and " << i << " overlap";
    }
  }
  // Too large: halved until it fits, both sides alike.
  EXPECT_EQ(cells.back().w, 1250);
  EXPECT_EQ(cells.back().h, 75);

  AtlasCell cell;
  EXPECT_FALSE(packer.Place(0, 10, &cell));
  EXPECT_FALSE(packer.Place(10, -1, &cell));
}

// Each level of a layer laid flat must keep a gap to the others, or a
// bilinear read at one level's edge takes in another's texels.
TEST(WindowAtlas, FlatLayoutKeepsEveryMipLevelApart) {
  for (int size : {2048, 1024, 64}) {
    const FlatMipLayout layout(size);
    EXPECT_EQ(layout.X(0), 0);
    EXPECT_EQ(layout.Y(0), 0);
    std::vector<Box> levels;
    for (int k = 0; k <= AtlasPacker::kMipLevels; ++k) {
      const Box b{0, layout.X(k), layout.Y(k), layout.X(k) + (size >> k),
                  layout.Y(k) + (size >> k)};
      EXPECT_TRUE(b.x0 >= 0 && b.y0 >= 0 && b.x1 <= layout.Width() && b.y1 <= layout.Height())
          << size << " level " << k;
      for (const Box& o : levels) {
        const bool apart =
            o.x1 + 2 <= b.x0 || b.x1 + 2 <= o.x0 || o.y1 + 2 <= b.y0 || b.y1 + 2 <= o.y0;
        EXPECT_TRUE(apart) << size << " level " << k;
      }
      levels.push_back(b);
    }
    // Not much larger than the level it holds: the levels below fit in half
    // its height again.
    EXPECT_LE(layout.Width(), std::max(size, 1024));
    EXPECT_LE(layout.Height(), size + size / 2 + FlatMipLayout::kGap);
  }
}

TEST(WindowAtlas, PaddingRepeatsTheNearestEdgeAndShrinkingAverages) {
  // 2 x 2: red, green / blue, clear.
  const uint8_t texels[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 0, 0, 0, 0};
  AtlasCell cell{0, 100, 100, 2, 2};
  int w = 0, h = 0;
  std::vector<uint8_t> out = PaddedCellTexels(texels, 2, 2, cell, &w, &h);
  const int p = AtlasPacker::kPadding;
  ASSERT_EQ(w, 2 + 2 * p);
  ASSERT_EQ(h, 2 + 2 * p);
  auto at = [&](int x, int y) {
    const uint8_t* t = &out[(static_cast<size_t>(y) * w + x) * 4];
    return std::vector<int>{t[0], t[1], t[2], t[3]};
  };
  EXPECT_EQ(at(p, p), (std::vector<int>{255, 0, 0, 255}));
  EXPECT_EQ(at(p + 1, p + 1), (std::vector<int>{0, 0, 0, 0}));
  EXPECT_EQ(at(0, 0), (std::vector<int>{255, 0, 0, 255}));      // corner
  EXPECT_EQ(at(w - 1, 0), (std::vector<int>{0, 255, 0, 255}));  // above green
  EXPECT_EQ(at(0, h - 1), (std::vector<int>{0, 0, 255, 255}));  // left of blue
  EXPECT_EQ(at(p + 1, h - 1), (std::vector<int>{0, 0, 0, 0}));  // below clear
  EXPECT_EQ(at(p, p - 1), at(p, 0));

  // Shrunk to one texel: the average of the four.
  cell.w = cell.h = 1;
  out = PaddedCellTexels(texels, 2, 2, cell, &w, &h);
  ASSERT_EQ(w, 1 + 2 * p);
  EXPECT_EQ(at(p, p), (std::vector<int>{64, 64, 64, 191}));
}

// ---- Leaving out what cannot show ----------------------------------------------

// A w x h image whose pixels are opaque where `solid` says so.
template <typename F>
std::vector<uint8_t> Image(int w, int h, F solid) {
  std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4, 255);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      rgba[(static_cast<size_t>(y) * w + x) * 4 + 3] = solid(x, y) ? 255 : 0;
  return rgba;
}

double Area(const Quad& q) {
  double a = 0;
  for (int i = 0; i < 4; ++i) {
    const Vertex& p = q.v[i];
    const Vertex& n = q.v[(i + 1) % 4];
    a += p.x * n.y - n.x * p.y;
  }
  return std::abs(a) / 2;
}

TEST(WindowTrim, LargeQuadsLoseOnlyTheEmptyCells) {
  // Opaque in the left quarter only.
  const std::vector<uint8_t> img = Image(256, 256, [](int x, int) { return x < 64; });
  const Coverage cov = CoverageOf(img.data(), 256, 256);
  Quad pieces[kMaxPieces];

  // Drawn at its size: two of eight columns and the margin into the third.
  Quad q = QuadAt(10, 20, 256, 256);
  int n = TrimQuad(q, cov, 256, 256, pieces);
  ASSERT_EQ(n, 8);  // one strip per row
  for (int i = 0; i < n; ++i) {
    EXPECT_FLOAT_EQ(pieces[i].v[0].x, 10);
    EXPECT_FLOAT_EQ(pieces[i].v[1].x, 10 + 96);
    EXPECT_FLOAT_EQ(pieces[i].v[1].u, 96.0f / 256);
    EXPECT_FLOAT_EQ(pieces[i].v[0].y, 20 + 32 * i);
    EXPECT_FLOAT_EQ(pieces[i].v[3].v, (i + 1) / 8.0f);
    // Strips meet exactly: no seam, no pixel drawn twice.
    if (i > 0) {
      EXPECT_EQ(pieces[i].v[0].y, pieces[i - 1].v[3].y);
    }
  }

  // Shrunk eight times, a texel of the level read reaches further: more stays.
  n = TrimQuad(QuadAt(0, 0, 64, 64), cov, 256, 256, pieces);
  ASSERT_EQ(n, 2);  // two rows of two coarse cells
  EXPECT_FLOAT_EQ(pieces[0].v[1].u, 0.5f);

  // Turned a quarter: still a rectangle, trimmed the same way.
  Quad turned;
  for (int k = 0; k < 4; ++k) {
    turned.v[k] = q.v[k];
    turned.v[k].x = 500 - (q.v[k].y - 20);
    turned.v[k].y = q.v[k].x;
  }
  n = TrimQuad(turned, cov, 256, 256, pieces);
  EXPECT_EQ(n, 8);
  double kept = 0;
  for (int i = 0; i < n; ++i) kept += Area(pieces[i]);
  EXPECT_NEAR(kept, 96.0 * 256, 1);

  // Left whole: small on screen, sheared, or mapped onto part of a texture
  // the other way round.
  EXPECT_EQ(TrimQuad(QuadAt(0, 0, 40, 300), cov, 256, 256, pieces), 1);
  EXPECT_FLOAT_EQ(pieces[0].v[1].x, 40);
  Quad sheared = q;
  sheared.v[2].x += 30;
  sheared.v[3].x += 30;
  EXPECT_EQ(TrimQuad(sheared, cov, 256, 256, pieces), 1);
  Quad flipped = q;
  std::swap(flipped.v[0].u, flipped.v[1].u);
  std::swap(flipped.v[3].u, flipped.v[2].u);
  EXPECT_EQ(TrimQuad(flipped, cov, 256, 256, pieces), 1);

  // Nothing to show at all; everything to show.
  const std::vector<uint8_t> clear = Image(32, 32, [](int, int) { return false; });
  EXPECT_EQ(TrimQuad(q, CoverageOf(clear.data(), 32, 32), 32, 32, pieces), 0);
  EXPECT_EQ(TrimQuad(q, FullCoverage(), 256, 256, pieces), 1);
}

// A sprite that fades out before its image's edge is drawn over its
// visible box only, at any size, with the texture where it was.
TEST(WindowTrim, QuadsAreCutToWhatTheirLevelCanShow) {
  // Visible in columns 6..57 and rows 10..49 of 64 x 64.
  const std::vector<uint8_t> img =
      Image(64, 64, [](int x, int y) { return x >= 6 && x <= 57 && y >= 10 && y <= 49; });
  const Coverage cov = CoverageOf(img.data(), 64, 64);
  Quad out;
  // Level 0: one texel to spare around the box.
  ASSERT_EQ(CropQuad(QuadAt(100, 200, 128, 128), cov, 0, &out), 1);
  EXPECT_FLOAT_EQ(out.v[0].u, 5.0f / 64);
  EXPECT_FLOAT_EQ(out.v[2].u, 59.0f / 64);
  EXPECT_FLOAT_EQ(out.v[0].x, 110);  // two pixels a texel
  EXPECT_FLOAT_EQ(out.v[2].x, 218);
  EXPECT_FLOAT_EQ(out.v[0].y, 218);
  EXPECT_FLOAT_EQ(out.v[2].v, 51.0f / 64);
  // Level 2: texels of four, one of them to spare.
  ASSERT_EQ(CropQuad(QuadAt(0, 0, 16, 16), cov, 2, &out), 1);
  EXPECT_FLOAT_EQ(out.v[0].u, 0);
  EXPECT_FLOAT_EQ(out.v[2].u, 1);
  EXPECT_FLOAT_EQ(out.v[0].v, 4.0f / 64);
  EXPECT_FLOAT_EQ(out.v[2].v, 56.0f / 64);
  // Turned: the same cut along the quad's own sides.
  Quad turned = QuadAt(0, 0, 64, 64);
  for (Vertex& c : turned.v) std::swap(c.x, c.y);
  ASSERT_EQ(CropQuad(turned, cov, 0, &out), 1);
  EXPECT_FLOAT_EQ(out.v[0].y, 5);
  EXPECT_FLOAT_EQ(out.v[0].x, 9);
  // Part of the image, wholly outside the box: nothing to draw.
  Quad corner = QuadAt(0, 0, 4, 4);
  for (Vertex& c : corner.v) c.u *= 4.0f / 64, c.v *= 4.0f / 64;
  EXPECT_EQ(CropQuad(corner, cov, 0, &out), 0);
  // Left whole: not a parallelogram (its two triangles map the texture
  // differently), or a clear box everywhere.
  Quad bent = QuadAt(0, 0, 64, 64);
  bent.v[2].x += 30;
  ASSERT_EQ(CropQuad(bent, cov, 0, &out), 1);
  EXPECT_FLOAT_EQ(out.v[2].x, bent.v[2].x);
  EXPECT_EQ(CropQuad(QuadAt(0, 0, 64, 64), FullCoverage(), 0, &out), 1);
  EXPECT_FLOAT_EQ(out.v[2].u, 1);
}

TEST(WindowTrim, CoverageReachesAsFarAsEachLevelFilters) {
  // One opaque texel in the middle of a 512 x 512 image.
  const std::vector<uint8_t> img =
      Image(512, 512, [](int x, int y) { return x == 256 && y == 256; });
  const Coverage cov = CoverageOf(img.data(), 512, 512);
  auto count = [](uint64_t cells) {
    int n = 0;
    for (; cells; cells &= cells - 1) ++n;
    return n;
  };
  // On the corner of four cells: level 0 sees it from those four, and
  // every level at least as far as the one before.
  EXPECT_EQ(count(cov.cells[0]), 4);
  for (int level = 1; level < Coverage::kLevels; ++level)
    EXPECT_GE(count(cov.cells[level]), count(cov.cells[level - 1])) << level;
  // The coarsest level reads 64 texels and more around: a ring of cells.
  EXPECT_EQ(count(cov.cells[Coverage::kLevels - 1]), 16);
  EXPECT_EQ(cov.cells[Coverage::kLevels - 1] & 1, 0u);  // a far corner stays empty
}

// The level a quad is sampled at: it follows how many texels a pixel
// spans, whatever the quad's turn, along the axis that is shrunk most.
TEST(WindowTrim, QuadLodFollowsTheSizeOnScreenWhateverTheTurn) {
  const Quad q = QuadAt(10, 20, 64, 64);
  EXPECT_NEAR(QuadLod(q, 256, 256), 2, 1e-4);
  EXPECT_NEAR(QuadLod(q, 16, 16), -2, 1e-4);
  EXPECT_NEAR(QuadLod(q, 256, 64), 2, 1e-4);  // the steeper axis counts
  EXPECT_NEAR(QuadLod(q, 64, 512), 3, 1e-4);
  Quad turned = q;
  const float c = std::cos(0.5f), s = std::sin(0.5f);
  for (Vertex& v : turned.v) {
    const float x = v.x - 42, y = v.y - 52;
    v.x = 42 + c * x - s * y;
    v.y = 52 + s * x + c * y;
  }
  EXPECT_NEAR(QuadLod(turned, 256, 256), 2, 1e-3);
  Quad half = q;  // the left half of the image over the whole quad
  half.v[1].u = half.v[2].u = 0.5f;
  EXPECT_NEAR(QuadLod(half, 256, 256), 2, 1e-4);  // v still shrinks 4 times
  EXPECT_NEAR(QuadLod(half, 256, 32), 1, 1e-4);   // now u, 2 times, counts
  Quad flat = q;
  flat.v[2].y = flat.v[3].y = flat.v[0].y;
  EXPECT_EQ(QuadLod(flat, 256, 256), 0);
}

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

// ---- The real window ---------------------------------------------------------

// One backend for the suite: every test opens and closes its own display,
// which is the reopening the options menu does.
class WindowDisplay : public ::testing::Test {
 protected:
  static void TearDownTestSuite() { shared_.reset(); }

  void SetUp() override {
    if (std::getenv("DISPLAY") == nullptr || *std::getenv("DISPLAY") == '\0') {
      GTEST_SKIP() << "no DISPLAY";
    }
    if (!shared_) shared_ = MakeWindowBackend();
    backend_ = shared_.get();
    errorsBefore_ = GlErrorsSeen();
  }
  void TearDown() override {
    if (backend_) {
      EXPECT_EQ(GlErrorsSeen(), errorsBefore_) << "OpenGL reported errors";
      backend_->SetBatching(true);
      backend_->CloseDisplay();
    }
  }

  void Open(int w, int h, bool fullscreen = false) {
    std::string error;
    ASSERT_TRUE(backend_->OpenDisplay(w, h, fullscreen, &error)) << error;
  }

  // The shown frame, read back through a screenshot file.
  PngImage Shot() {
    // CTest runs these tests as parallel processes: one file each.
    const std::string path =
        ::testing::TempDir() + "window_backend_shot_" + std::to_string(getpid()) + ".png";
    PngImage image;
    EXPECT_TRUE(backend_->SaveScreenshot(path));
    EXPECT_TRUE(ReadPngRGBA(path, &image));
    std::remove(path.c_str());
    return image;
  }

  static std::vector<int> Pixel(const PngImage& image, int x, int y) {
    const uint8_t* p = &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
    return {p[0], p[1], p[2]};
  }

  void Draw(int texture, BlendMode blend, const Quad& q) {
    backend_->DrawQuads(texture, blend, &q, 1);
  }

  void CheckTexturesShareADrawCall();

  static std::unique_ptr<Backend> shared_;
  Backend* backend_ = nullptr;
  int errorsBefore_ = 0;
};

std::unique_ptr<Backend> WindowDisplay::shared_;

bool Near(const std::vector<int>& got, const std::vector<int>& expected, int tolerance) {
  for (size_t i = 0; i < expected.size(); ++i) {
    if (std::abs(got[i] - expected[i]) > tolerance) return false;
  }
  return true;
}

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

// Where the window keeps its back buffer (a software driver), a frame is
// drawn only where it changed, and only that part of the back buffer is
// shown. The back buffer must still hold the whole frame. (The window
// itself cannot be read reliably: other tests' windows may cover it.)
TEST_F(WindowDisplay, OnlyWhatChangedIsDrawnYetTheBackBufferHoldsTheWholeFrame) {
  Open(640, 480);
  const std::string renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  if (renderer.find("llvmpipe") == std::string::npos) GTEST_SKIP() << "frames are swapped whole";
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
  frame(0, 100);  // the window's first size: swapped whole
  frame(0, 100);
  EXPECT_LE(wrong(), 1);
  frame(255, 100);  // the square turns yellow
  EXPECT_EQ(backend_->DrawCallsLastFrame(), 1);
  EXPECT_LE(wrong(), 1);
  frame(255, 100);  // the same frame again
  EXPECT_EQ(backend_->DrawCallsLastFrame(), 0);
  frame(255, 160);  // moved: nothing may stay behind where it was
  EXPECT_LE(wrong(), 1);
  backend_->Present(false);  // nothing drawn: the frame again
  Draw(kWhiteTexture, kBlendLight, QuadAt(20, 20, 10, 10, 0, 90, 0));  // on without a clear
  backend_->Present(false);
  EXPECT_LE(wrong(), 1);
  const PngImage shot = Shot();
  EXPECT_EQ(Pixel(shot, 25, 25), (std::vector<int>{0, 90, 0}));
  EXPECT_EQ(Pixel(shot, 110, 330), (std::vector<int>{0, 0, 0}));
  EXPECT_TRUE(Near(Pixel(shot, 320, 225), {128, 128, 128}, 2));

  // A window that shrank before the game heard of it refuses a copy past
  // its new edge: an X error, which must not end the program.
  SubBufferPresenter presenter;
  presenter.Setup(SDL_GL_GetCurrentWindow());
  ASSERT_TRUE(presenter.Usable());
  const PixelRect past = {0, 0, 5000, 480}, within = {0, 0, 640, 480};
  EXPECT_FALSE(presenter.Show(&past, 1));
  EXPECT_TRUE(presenter.Show(&within, 1));
}

TEST_F(WindowDisplay, ReopeningInvalidatesOldTexturesButKeepsWhite) {
  const uint8_t texel[4] = {0, 255, 0, 255};
  TextureData data;
  data.width = data.height = 1;
  data.rgba = texel;
  EXPECT_EQ(backend_->CreateTexture(data), -1);  // no display yet
  int old = -1;
  const int sizes[3][2] = {{640, 480}, {800, 600}, {1024, 768}};
  for (const auto& size : sizes) {
    Open(size[0], size[1]);
    backend_->Clear();
    if (old > 0) Draw(old, kBlendAlpha, QuadAt(0, 0, 50, 50));  // stale: draws nothing
    Draw(kWhiteTexture, kBlendAlpha, QuadAt(100, 0, 50, 50));
    backend_->Present(false);
    const PngImage shot = Shot();
    EXPECT_EQ(shot.width, size[0]);
    EXPECT_EQ(shot.height, size[1]);
    EXPECT_EQ(Pixel(shot, 25, 25), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(Pixel(shot, 125, 25), (std::vector<int>{255, 255, 255}));
    const int fresh = backend_->CreateTexture(data);
    EXPECT_GT(fresh, old);
    old = fresh;
    backend_->CloseDisplay();
  }
  EXPECT_FALSE(backend_->SaveScreenshot(::testing::TempDir() + "window_closed.png"));

  TextureData broken = data;
  Open(640, 480);
  broken.rgba = nullptr;
  EXPECT_EQ(backend_->CreateTexture(broken), -1);
  broken = data;
  broken.width = 0;
  EXPECT_EQ(backend_->CreateTexture(broken), -1);
  broken.width = 1 << 20;
  EXPECT_EQ(backend_->CreateTexture(broken), -1);
}

TEST_F(WindowDisplay, FullScreenKeepsTheFrameSizeAndDoesNotClaimVsyncInAWindow) {
  Open(640, 480, true);
  backend_->Clear();
  Draw(kWhiteTexture, kBlendAlpha, QuadAt(0, 0, 640, 480, 0, 255, 0));
  backend_->Present(false);
  const PngImage shot = Shot();
  EXPECT_EQ(shot.width, 640);
  EXPECT_EQ(shot.height, 480);
  EXPECT_EQ(Pixel(shot, 639, 479), (std::vector<int>{0, 255, 0}));
  backend_->CloseDisplay();

  Open(640, 480, false);
  backend_->Present(true);
  EXPECT_FALSE(backend_->VsyncRunsAt(60));
}

}  // namespace
}  // namespace plat
