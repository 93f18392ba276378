// Large quads over images with big transparent parts (an arena's half
// disc, the holes of a glyph) cost a software rasteriser every pixel they
// cover, drawn or not. A quad drawn large is cut into strips along an 8 x 8
// grid of the image, leaving out the cells that add nothing: a texel of
// alpha 0 adds nothing in either blend mode, so the picture is the same.
#pragma once

#include <cstdint>

#include "platform/backend.h"

namespace plat {

// For each mipmap level 0..kLevels-1, bit (row * 8 + column) is set when
// filtering at that level anywhere in that cell of the image can read a
// texel that is not fully transparent. The last level also serves the
// ones below it.
struct Coverage {
  static constexpr int kLevels = 6;
  uint64_t cells[kLevels];
  // For each level, the part of the image, in its [0, 1] coordinates
  // (u0, v0, u1, v1), outside which bilinear filtering at that level reads
  // only fully transparent texels. Empty (u0 >= u1) for a clear image.
  float box[kLevels][4];
};

// Every cell set: nothing can be left out.
Coverage FullCoverage();
// The coverage of a w x h RGBA image (rows top first).
Coverage CoverageOf(const uint8_t* rgba, int w, int h);

// The mipmap level of detail a GPU would work out for an affine quad: log2
// of the texels one pixel step crosses along the texture's steeper screen
// axis. texelsW x texelsH: the image's size in texels. A quad with no area
// gets 0.
float QuadLod(const Quad& quad, float texelsW, float texelsH);

// Writes the pieces that draw `quad` into out[0..], at most kMaxPieces of
// them, and returns how many (0 when nothing of it can show). The quad is
// returned whole unless it is a parallelogram with an axis-aligned
// texture rectangle, at least kMinSide pixels on its shorter side.
// texelsW x texelsH: the image's size in texels, to tell the mipmap level.
constexpr int kMaxPieces = 32;
constexpr float kMinSide = 48;
int TrimQuad(const Quad& quad, const Coverage& coverage, float texelsW, float texelsH, Quad* out);

// Most sprites fade out before their image's edge: whatever its size, a
// quad sampled at mipmap `level` is cut down to the image's box at that
// level (a parallelogram with an axis-aligned texture rectangle; any
// other quad is kept whole). Writes the quad to *out and returns 1, or
// returns 0 when nothing of it can show.
int CropQuad(const Quad& quad, const Coverage& coverage, int level, Quad* out);

}  // namespace plat
