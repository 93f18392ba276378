// Compares two screenshots of the same moment: a new one against a kept
// reference. Filtering may move a colour by a few steps here and there; a
// sprite drawn elsewhere, or not at all, changes a patch of pixels a lot.
//
//   shot_diff REFERENCE NEW   prints the figures; exit status 1 when the
//                             pictures differ by more than filtering does
//
// Checked: the sizes match; the mean difference over every channel; the
// share of pixels off by more than kFar in some channel; and the worst
// 8 x 8 block, whose mean difference shows a missing or misplaced sprite
// however small the share of pixels it covers.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/png_io.h"

namespace {

constexpr int kFar = 48;                  // a pixel this far off is not filtering
constexpr double kMeanLimit = 1.0;        // per channel, over the whole picture
constexpr double kFarShareLimit = 0.003;  // of all pixels
constexpr int kBlock = 8;
constexpr double kBlockLimit = 24.0;  // mean per channel in the worst block

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: shot_diff REFERENCE NEW\n");
    return 2;
  }
  plat::PngImage ref, shot;
  if (!plat::ReadPngRGBA(argv[1], &ref) || !plat::ReadPngRGBA(argv[2], &shot)) {
    std::fprintf(stderr, "shot_diff: cannot read %s or %s\n", argv[1], argv[2]);
    return 2;
  }
  if (ref.width != shot.width || ref.height != shot.height) {
    std::printf("%s: %dx%d, the reference %dx%d\n", argv[2], shot.width, shot.height, ref.width,
                ref.height);
    return 1;
  }
  const int w = ref.width, h = ref.height;
  const int bw = (w + kBlock - 1) / kBlock, bh = (h + kBlock - 1) / kBlock;
  std::vector<long> blocks(static_cast<size_t>(bw) * bh, 0);
  long total = 0, far = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const size_t i = (static_cast<size_t>(y) * w + x) * 4;
      int worst = 0, sum = 0;
      for (int c = 0; c < 3; ++c) {
        const int d = std::abs(ref.rgba[i + c] - shot.rgba[i + c]);
        worst = std::max(worst, d);
        sum += d;
      }
      total += sum;
      if (worst > kFar) ++far;
      blocks[static_cast<size_t>(y / kBlock) * bw + x / kBlock] += sum;
    }
  }
  double worstBlock = 0;
  int worstX = 0, worstY = 0;
  for (int by = 0; by < bh; ++by) {
    for (int bx = 0; bx < bw; ++bx) {
      const int cw = std::min(kBlock, w - bx * kBlock), ch = std::min(kBlock, h - by * kBlock);
      const double mean =
          static_cast<double>(blocks[static_cast<size_t>(by) * bw + bx]) / (3.0 * cw * ch);
      if (mean > worstBlock) {
        worstBlock = mean;
        worstX = bx * kBlock;
        worstY = by * kBlock;
      }
    }
  }
  const double mean = static_cast<double>(total) / (3.0 * w * h);
  const double farShare = static_cast<double>(far) / (static_cast<double>(w) * h);
  const bool same = mean <= kMeanLimit && farShare <= kFarShareLimit && worstBlock <= kBlockLimit;
  std::printf("%s: mean %.3f, far %.4f%%, worst block %.1f at %d,%d%s\n", argv[2], mean,
              100 * farShare, worstBlock, worstX, worstY, same ? "" : "  DIFFERS");
  return same ? 0 : 1;
}
