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

// The side vectors of a quad that is a parallelogram whose texture
// coordinates form an axis-aligned rectangle inside the image (u along
// v[0]->v[1], v along v[0]->v[3]), or false.
struct Frame {
  float ua, ub, va, vb;
  float e1x, e1y, e3x, e3y;
  float len1, len3;
};

bool FrameOf(const Quad& quad, Frame* f) {
  const Vertex* v = quad.v;
  f->ua = v[0].u;
  f->ub = v[1].u;
  f->va = v[0].v;
  f->vb = v[3].v;
  if (v[3].u != f->ua || v[2].u != f->ub || v[1].v != f->va || v[2].v != f->vb) return false;
  if (!(f->ua >= 0 && f->ub <= 1 && f->ua < f->ub && f->va >= 0 && f->vb <= 1 && f->va < f->vb))
    return false;
  f->e1x = v[1].x - v[0].x;
  f->e1y = v[1].y - v[0].y;
  f->e3x = v[3].x - v[0].x;
  f->e3y = v[3].y - v[0].y;
  f->len1 = std::hypot(f->e1x, f->e1y);
  f->len3 = std::hypot(f->e3x, f->e3y);
  const float ex = v[0].x + f->e1x + f->e3x - v[2].x, ey = v[0].y + f->e1y + f->e3y - v[2].y;
  return std::fabs(ex) + std::fabs(ey) <= 0.01f * (f->len1 + f->len3);  // also NaN
}

// The point of the quad at texture coordinate (u, v). Weighing all four
// corners gives each corner back exactly.
Vertex At(const Quad& quad, const Frame& f, float u, float v) {
  const float s = (u - f.ua) / (f.ub - f.ua), t = (v - f.va) / (f.vb - f.va);
  const Vertex* c = quad.v;
  const float w0 = (1 - s) * (1 - t), w1 = s * (1 - t), w2 = s * t, w3 = (1 - s) * t;
  Vertex out = c[0];
  out.x = w0 * c[0].x + w1 * c[1].x + w2 * c[2].x + w3 * c[3].x;
  out.y = w0 * c[0].y + w1 * c[1].y + w2 * c[2].y + w3 * c[3].y;
  out.u = u;
  out.v = v;
  return out;
}

}  // namespace

Coverage FullCoverage() {
  Coverage all;
  for (uint64_t& level : all.cells) level = ~uint64_t{0};
  for (float* box : all.box) {
    box[0] = box[1] = 0;
    box[2] = box[3] = 1;
  }
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
  // The box of the texels with some alpha, inclusive.
  int bx0 = w, by0 = h, bx1 = -1, by1 = -1;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (rgba[(static_cast<size_t>(y) * w + x) * 4 + 3] == 0) continue;
      bx0 = std::min(bx0, x);
      bx1 = std::max(bx1, x);
      by0 = std::min(by0, y);
      by1 = std::max(by1, y);
    }
  }
  for (int level = 0; level < Coverage::kLevels; ++level) {
    float* box = cov.box[level];
    if (bx1 < 0) {
      box[0] = box[1] = box[2] = box[3] = 0;
      continue;
    }
    // Images sit on cells aligned to every level's texels, so a texel of
    // this level holds image texels [k, k + 1) * 2^level. Bilinear filtering
    // reads at most half a texel beyond: a whole one is kept to spare.
    const int step = 1 << level;
    box[0] = std::max(0.0f, static_cast<float>((bx0 / step - 1) * step) / w);
    box[1] = std::max(0.0f, static_cast<float>((by0 / step - 1) * step) / h);
    box[2] = std::min(1.0f, static_cast<float>((bx1 / step + 2) * step) / w);
    box[3] = std::min(1.0f, static_cast<float>((by1 / step + 2) * step) / h);
  }
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

int CropQuad(const Quad& quad, const Coverage& coverage, int level, Quad* out) {
  *out = quad;
  Frame f;
  if (!FrameOf(quad, &f)) return 1;
  const float* box = coverage.box[std::clamp(level, 0, Coverage::kLevels - 1)];
  const float u0 = std::max(f.ua, box[0]), u1 = std::min(f.ub, box[2]);
  const float v0 = std::max(f.va, box[1]), v1 = std::min(f.vb, box[3]);
  if (!(u0 < u1 && v0 < v1)) return 0;
  if (u0 == f.ua && u1 == f.ub && v0 == f.va && v1 == f.vb) return 1;
  out->v[0] = At(quad, f, u0, v0);
  out->v[1] = At(quad, f, u1, v0);
  out->v[2] = At(quad, f, u1, v1);
  out->v[3] = At(quad, f, u0, v1);
  return 1;
}

int TrimQuad(const Quad& quad, const Coverage& coverage, float texelsW, float texelsH, Quad* out) {
  out[0] = quad;
  Frame f;
  if (!FrameOf(quad, &f)) return 1;
  const float ua = f.ua, ub = f.ub, va = f.va, vb = f.vb;
  const float e1x = f.e1x, e1y = f.e1y, e3x = f.e3x, e3y = f.e3y, len1 = f.len1, len3 = f.len3;
  if (!(std::min(len1, len3) >= kMinSide)) return 1;  // also NaN
  // With right angles the texture maps onto it without shear, so the
  // mipmap level follows from its sides.
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
  auto corner = [&](int i, int j, Vertex* out) { *out = At(quad, f, us[i], vs[j]); };
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
