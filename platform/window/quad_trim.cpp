#include "platform/window/quad_trim.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace plat {
namespace {

constexpr int kGrid = 8;
constexpr float kMinCell = 24;  // pixels: smaller pieces cost more in triangles than they save

// Bit of the fine grid's cell (row, column).
uint64_t Bit(int row, int column) { return uint64_t{1} << (row * kGrid + column); }

// Whether any fine cell under the coarse cell (row, column) of a g x g grid is set.
bool CoarseSet(uint64_t cells, int g, int row, int column) {
  const int k = kGrid / g;
  for (int r = row * k; r < (row + 1) * k; ++r) {
    for (int c = column * k; c < (column + 1) * k; ++c) {
      if (cells & Bit(r, c)) return true;
    }
  }
  return false;
}

}  // namespace

Coverage FullCoverage() {
  Coverage all;
  for (uint64_t& level : all.cells) level = ~uint64_t{0};
  return all;
}

Coverage CoverageOf(const uint8_t* rgba, int w, int h) {
  if (rgba == nullptr || w <= 0 || h <= 0) return FullCoverage();
  // Texels with some alpha, summed over every rectangle from the origin.
  const size_t stride = static_cast<size_t>(w) + 1;
  std::vector<int> sum(stride * (h + 1), 0);
  for (int y = 0; y < h; ++y) {
    int row = 0;
    for (int x = 0; x < w; ++x) {
      row += rgba[(static_cast<size_t>(y) * w + x) * 4 + 3] != 0;
      sum[(y + 1) * stride + x + 1] = sum[y * stride + x + 1] + row;
    }
  }
  auto any = [&](int x0, int y0, int x1, int y1) {
    x0 = std::clamp(x0, 0, w);
    x1 = std::clamp(x1, 0, w);
    y0 = std::clamp(y0, 0, h);
    y1 = std::clamp(y1, 0, h);
    if (x0 >= x1 || y0 >= y1) return false;
    return sum[y1 * stride + x1] - sum[y0 * stride + x1] - sum[y1 * stride + x0] +
               sum[y0 * stride + x0] >
           0;
  };
  Coverage cov;
  for (int level = 0; level < Coverage::kLevels; ++level) {
    // A texel of this level averages 2^level texels each way, not aligned
    // with the image, and filtering reads its neighbour too.
    const int margin = (2 << level) + 1;
    cov.cells[level] = 0;
    for (int r = 0; r < kGrid; ++r) {
      for (int c = 0; c < kGrid; ++c) {
        const int x0 = c * w / kGrid, x1 = ((c + 1) * w + kGrid - 1) / kGrid;
        const int y0 = r * h / kGrid, y1 = ((r + 1) * h + kGrid - 1) / kGrid;
        if (any(x0 - margin, y0 - margin, x1 + margin, y1 + margin)) cov.cells[level] |= Bit(r, c);
      }
    }
  }
  return cov;
}

float QuadLod(const Quad& quad, float texelsW, float texelsH) {
  const Vertex* v = quad.v;
  // Screen steps along the quad's sides and the texel steps they make.
  const float e1x = v[1].x - v[0].x, e1y = v[1].y - v[0].y;
  const float e3x = v[3].x - v[0].x, e3y = v[3].y - v[0].y;
  const float t1u = (v[1].u - v[0].u) * texelsW, t1v = (v[1].v - v[0].v) * texelsH;
  const float t3u = (v[3].u - v[0].u) * texelsW, t3v = (v[3].v - v[0].v) * texelsH;
  const float det = e1x * e3y - e3x * e1y;
  if (!(std::fabs(det) > 1e-6f)) return 0;  // also NaN
  // Texels per pixel step along x and along y: the texel steps times the
  // inverse of the screen steps.
  const float xu = (t1u * e3y - t3u * e1y) / det, xv = (t1v * e3y - t3v * e1y) / det;
  const float yu = (t3u * e1x - t1u * e3x) / det, yv = (t3v * e1x - t1v * e3x) / det;
  const float rho2 = std::max(xu * xu + xv * xv, yu * yu + yv * yv);
  return 0.5f * std::log2(std::max(rho2, 1e-12f));
}

int TrimQuad(const Quad& quad, const Coverage& coverage, float texelsW, float texelsH, Quad* out) {
  out[0] = quad;
  const Vertex* v = quad.v;
  const float ua = v[0].u, ub = v[1].u, va = v[0].v, vb = v[3].v;
  if (v[3].u != ua || v[2].u != ub || v[1].v != va || v[2].v != vb) return 1;
  if (!(ua >= 0 && ub <= 1 && ua < ub && va >= 0 && vb <= 1 && va < vb)) return 1;
  const float e1x = v[1].x - v[0].x, e1y = v[1].y - v[0].y;  // along u
  const float e3x = v[3].x - v[0].x, e3y = v[3].y - v[0].y;  // along v
  const float len1 = std::hypot(e1x, e1y), len3 = std::hypot(e3x, e3y);
  if (!(std::min(len1, len3) >= kMinSide)) return 1;  // also NaN
  // A parallelogram with right angles: the texture maps onto it without
  // shear, so the mipmap level follows from its sides.
  const float ex = v[0].x + e1x + e3x - v[2].x, ey = v[0].y + e1y + e3y - v[2].y;
  if (std::fabs(ex) + std::fabs(ey) > 0.01f * (len1 + len3)) return 1;
  if (std::fabs(e1x * e3x + e1y * e3y) > 0.01f * len1 * len3) return 1;

  const float texelsPerPixel = std::max((ub - ua) * texelsW / len1, (vb - va) * texelsH / len3);
  // Half a level to spare for drivers that round the level up.
  const float lod = std::log2(std::max(texelsPerPixel, 1e-6f)) + 0.5f;
  const int level =
      lod <= 0 ? 0 : std::min(Coverage::kLevels - 1, static_cast<int>(std::ceil(lod)));
  const uint64_t cells = coverage.cells[level];
  if (cells == ~uint64_t{0}) return 1;

  int g = kGrid;
  while (g > 1 && std::min(len1, len3) / g < kMinCell) g /= 2;
  if (g == 1) return cells != 0 ? 1 : 0;

  // Cut points along each side: the quad's ends and the grid lines between.
  float us[kGrid + 1], vs[kGrid + 1];
  int firstColumn = static_cast<int>(ua * g), firstRow = static_cast<int>(va * g);
  firstColumn = std::min(firstColumn, g - 1);
  firstRow = std::min(firstRow, g - 1);
  int columns = 0, rows = 0;
  us[columns++] = ua;
  for (int k = firstColumn + 1; k < g && static_cast<float>(k) / g < ub; ++k)
    us[columns++] = static_cast<float>(k) / g;
  us[columns] = ub;
  vs[rows++] = va;
  for (int k = firstRow + 1; k < g && static_cast<float>(k) / g < vb; ++k)
    vs[rows++] = static_cast<float>(k) / g;
  vs[rows] = vb;

  // Corner (i, j) of the cut, computed once so pieces meet exactly.
  auto corner = [&](int i, int j, Vertex* out) {
    const float s = (us[i] - ua) / (ub - ua), t = (vs[j] - va) / (vb - va);
    *out = v[0];
    out->x = v[0].x + s * e1x + t * e3x;
    out->y = v[0].y + s * e1y + t * e3y;
    out->u = us[i];
    out->v = vs[j];
  };
  int pieces = 0;
  for (int j = 0; j < rows; ++j) {
    int i = 0;
    while (i < columns) {
      if (!CoarseSet(cells, g, firstRow + j, firstColumn + i)) {
        ++i;
        continue;
      }
      int end = i + 1;
      while (end < columns && CoarseSet(cells, g, firstRow + j, firstColumn + end)) ++end;
      Quad& piece = out[pieces++];
      corner(i, j, &piece.v[0]);
      corner(end, j, &piece.v[1]);
      corner(end, j + 1, &piece.v[2]);
      corner(i, j + 1, &piece.v[3]);
      i = end;
    }
  }
  return pieces;
}

}  // namespace plat
