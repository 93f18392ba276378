// Packing images into the texture array's layers, padded, with their mipmaps.
#include "platform/window/atlas.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace plat {
namespace {

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

}  // namespace
}  // namespace plat
