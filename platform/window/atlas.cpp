#include "platform/window/atlas.h"

#include <algorithm>

namespace plat {
namespace {

int RoundUp(int v, int step) { return (v + step - 1) / step * step; }

// One halving step of an RGBA image, averaging each 2 x 2 block (a lone
// last row or column averages what it has).
std::vector<uint8_t> Halve(const uint8_t* src, int w, int h, int* nw, int* nh) {
  *nw = (w + 1) / 2;
  *nh = (h + 1) / 2;
  std::vector<uint8_t> dst(static_cast<size_t>(*nw) * *nh * 4);
  for (int y = 0; y < *nh; ++y) {
    for (int x = 0; x < *nw; ++x) {
      int sum[4] = {0, 0, 0, 0}, n = 0;
      for (int dy = 0; dy < 2; ++dy) {
        for (int dx = 0; dx < 2; ++dx) {
          const int sx = 2 * x + dx, sy = 2 * y + dy;
          if (sx >= w || sy >= h) continue;
          const uint8_t* p = &src[(static_cast<size_t>(sy) * w + sx) * 4];
          for (int c = 0; c < 4; ++c) sum[c] += p[c];
          ++n;
        }
      }
      for (int c = 0; c < 4; ++c)
        dst[(static_cast<size_t>(y) * *nw + x) * 4 + c] =
            static_cast<uint8_t>((sum[c] + n / 2) / n);
    }
  }
  return dst;
}

}  // namespace

FlatMipLayout::FlatMipLayout(int layerSize) {
  int x = 0;
  const int row = layerSize + kGap;
  for (int level = 1; level <= AtlasPacker::kMipLevels; ++level) {
    x_[level] = x;
    y_[level] = row;
    x += (layerSize >> level) + kGap;
  }
  width_ = std::max(layerSize, x - kGap);
  height_ = row + (layerSize >> 1);
}

AtlasPacker::AtlasPacker(int layerSize)
    : size_(std::max(kCellAlign * 2, layerSize / kCellAlign * kCellAlign)) {}

bool AtlasPacker::PlaceIn(Layer& layer, int cw, int ch, int* x, int* y) {
  // The lowest shelf that takes the cell wastes the least height.
  Shelf* best = nullptr;
  for (Shelf& s : layer.shelves) {
    if (s.h >= ch && s.x + cw <= size_ && (best == nullptr || s.h < best->h)) best = &s;
  }
  if (best == nullptr) {
    if (layer.bottom + ch > size_ || cw > size_) return false;
    layer.shelves.push_back({layer.bottom, ch, 0});
    layer.bottom += ch;
    best = &layer.shelves.back();
  }
  *x = best->x;
  *y = best->y;
  best->x += cw;
  return true;
}

bool AtlasPacker::Place(int w, int h, AtlasCell* cell) {
  if (w <= 0 || h <= 0 || cell == nullptr) return false;
  while (w > Largest() || h > Largest()) {
    w = (w + 1) / 2;
    h = (h + 1) / 2;
  }
  const int cw = RoundUp(w + 2 * kPadding, kCellAlign);
  const int ch = RoundUp(h + 2 * kPadding, kCellAlign);
  int x = 0, y = 0;
  size_t layer = 0;
  while (layer < layers_.size() && !PlaceIn(layers_[layer], cw, ch, &x, &y)) ++layer;
  if (layer == layers_.size()) {
    layers_.emplace_back();
    PlaceIn(layers_.back(), cw, ch, &x, &y);  // an empty layer takes any cell
  }
  cell->layer = static_cast<int>(layer);
  cell->x = x + kPadding;
  cell->y = y + kPadding;
  cell->w = w;
  cell->h = h;
  return true;
}

std::vector<uint8_t> PaddedCellTexels(const uint8_t* rgba, int w, int h, const AtlasCell& cell,
                                      int* outW, int* outH) {
  std::vector<uint8_t> shrunk;
  const uint8_t* src = rgba;
  while (w > cell.w || h > cell.h) {
    int nw = 0, nh = 0;
    shrunk = Halve(src, w, h, &nw, &nh);
    src = shrunk.data();
    w = nw;
    h = nh;
  }
  const int pad = AtlasPacker::kPadding;
  *outW = w + 2 * pad;
  *outH = h + 2 * pad;
  std::vector<uint8_t> out(static_cast<size_t>(*outW) * *outH * 4);
  for (int y = 0; y < *outH; ++y) {
    const int sy = std::clamp(y - pad, 0, h - 1);
    uint8_t* row = &out[static_cast<size_t>(y) * *outW * 4];
    const uint8_t* srow = &src[static_cast<size_t>(sy) * w * 4];
    for (int x = 0; x < *outW; ++x) {
      const int sx = std::clamp(x - pad, 0, w - 1);
      std::copy(srow + sx * 4, srow + sx * 4 + 4, row + x * 4);
    }
  }
  return out;
}

}  // namespace plat
