// Where every image lives in the renderer's one texture: a stack of square
// layers, each image in a cell of its own. Cells start on a grid of
// kCellAlign texels and keep at least kPadding texels of the image's own
// edge around it, so down to mipmap level kMipLevels a texel never mixes two
// images. No OpenGL here: the packing and the cell's pixels are plain data.
#pragma once

#include <cstdint>
#include <vector>

namespace plat {

struct AtlasCell {
  int layer = 0;
  int x = 0, y = 0;  // the image's top-left texel in the layer
  int w = 0, h = 0;  // the image's size there (smaller than the source when it was shrunk)
};

class AtlasPacker {
 public:
  static constexpr int kMipLevels = 5;
  static constexpr int kCellAlign = 1 << kMipLevels;
  static constexpr int kPadding = kCellAlign / 2;

  // layerSize: a multiple of kCellAlign.
  explicit AtlasPacker(int layerSize);

  // Finds room for a w x h image, opening a layer when none has any. An
  // image too large for a layer is fitted shrunk by halves (cell w and h
  // say by how much). False only for a size that is not positive.
  bool Place(int w, int h, AtlasCell* cell);
  int Layers() const { return static_cast<int>(layers_.size()); }
  int LayerSize() const { return size_; }
  // The largest image that fits a layer unshrunk.
  int Largest() const { return size_ - 2 * kPadding; }

 private:
  struct Shelf {
    int y, h, x;  // top, height, first free column
  };
  struct Layer {
    std::vector<Shelf> shelves;
    int bottom = 0;  // first row below every shelf
  };
  bool PlaceIn(Layer& layer, int cw, int ch, int* x, int* y);

  int size_;
  std::vector<Layer> layers_;
};

// Where each mipmap level of a layer sits side by side in one flat layer:
// level 0 at the top left, the smaller ones in a row beneath it with gaps,
// so a bilinear read at one level's edge never reaches the next. The
// renderer samples these flat layers at the one level a quad needs: a
// software rasteriser then skips working out a level per pixel, which
// costs more than the sampling itself.
class FlatMipLayout {
 public:
  static constexpr int kGap = 8;
  explicit FlatMipLayout(int layerSize);
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Top-left texel of level k (0..kMipLevels), which is layerSize >> k wide.
  int X(int level) const { return x_[level]; }
  int Y(int level) const { return y_[level]; }

 private:
  int width_ = 0, height_ = 0;
  int x_[AtlasPacker::kMipLevels + 1] = {};
  int y_[AtlasPacker::kMipLevels + 1] = {};
};

// The texels to upload for `cell`: the image (rows top first, RGBA),
// shrunk by halves to the cell's size if need be, inside kPadding texels
// copied from its nearest edge, as a clamped texture would read them.
// *outW x *outH texels starting kPadding up and left of the cell.
std::vector<uint8_t> PaddedCellTexels(const uint8_t* rgba, int w, int h, const AtlasCell& cell,
                                      int* outW, int* outH);

}  // namespace plat
