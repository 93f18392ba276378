// Leaving out the parts of a quad that cannot show.
#include "platform/window/quad_trim.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/window/atlas.h"
#include "tests/platform/window_display.h"

namespace plat {
namespace {

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

}  // namespace
}  // namespace plat
