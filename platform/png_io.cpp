#include "platform/png_io.h"

#include <png.h>

#include <cstdio>
#include <memory>

namespace plat {

namespace {

struct FileCloser {
  void operator()(FILE* f) const {
    if (f) fclose(f);
  }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

}  // namespace

bool ReadPngRGBA(const std::string& path, PngImage* out) {
  FilePtr file(fopen(path.c_str(), "rb"));
  if (!file) return false;
  unsigned char sig[8];
  if (fread(sig, 1, 8, file.get()) != 8 || png_sig_cmp(sig, 0, 8) != 0) return false;

  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return false;
  }
  // Everything libpng may longjmp across lives outside this frame or is POD.
  std::vector<uint8_t>& pixels = out->rgba;
  std::vector<png_bytep> rows;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    pixels.clear();
    return false;
  }
  png_init_io(png, file.get());
  png_set_sig_bytes(png, 8);
  png_read_info(png, info);

  png_uint_32 w = png_get_image_width(png, info);
  png_uint_32 h = png_get_image_height(png, info);
  int colorType = png_get_color_type(png, info);
  int depth = png_get_bit_depth(png, info);
  bool alpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, info, PNG_INFO_tRNS);
  // Refuse sizes no texture could hold rather than allocate gigabytes.
  if (w == 0 || h == 0 || w > 16384 || h > 16384) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }

  if (depth == 16) png_set_strip_16(png);
  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
  if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
    png_set_gray_to_rgb(png);
  png_set_filler(png, 0xff, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);

  pixels.assign(static_cast<size_t>(w) * h * 4, 0);
  rows.resize(h);
  for (png_uint_32 y = 0; y < h; ++y) rows[y] = pixels.data() + static_cast<size_t>(y) * w * 4;
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);

  out->width = static_cast<int>(w);
  out->height = static_cast<int>(h);
  out->hadAlpha = alpha;
  return true;
}

bool WritePngRGBA(const std::string& path, int w, int h, const uint8_t* rgba) {
  if (w <= 0 || h <= 0 || !rgba) return false;
  FilePtr file(fopen(path.c_str(), "wb"));
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  std::vector<png_bytep> rows(h);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file.get());
  png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < h; ++y)
    rows[y] = const_cast<png_bytep>(rgba + static_cast<size_t>(y) * w * 4);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  FILE* f = file.release();
  return fclose(f) == 0;
}

}  // namespace plat
