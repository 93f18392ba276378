// The pixel buffer the images are painted into, and its PNG writer.
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/mediagen.h"

namespace mediagen {

Canvas::Canvas(int width, int height)
    : width_(width), height_(height), px_(static_cast<size_t>(width) * height * 4, 0.0) {}

Rgba Canvas::Get(int x, int y) const {
  const double* p = &px_[(static_cast<size_t>(y) * width_ + x) * 4];
  return Rgba{p[0], p[1], p[2], p[3]};
}

void Canvas::Set(int x, int y, const Rgba& c) {
  double* p = &px_[(static_cast<size_t>(y) * width_ + x) * 4];
  p[0] = c.r;
  p[1] = c.g;
  p[2] = c.b;
  p[3] = c.a;
}

void Canvas::Over(int x, int y, const Rgba& c, double coverage) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  double a = std::clamp(c.a * coverage, 0.0, 1.0);
  if (a <= 0) return;
  double* p = &px_[(static_cast<size_t>(y) * width_ + x) * 4];
  double below = p[3] * (1 - a);
  double out = a + below;
  p[0] = (c.r * a + p[0] * below) / out;
  p[1] = (c.g * a + p[1] * below) / out;
  p[2] = (c.b * a + p[2] * below) / out;
  p[3] = out;
}

void Canvas::BleedEdges(int passes) {
  // Each pass gives every still-transparent pixel the mean colour of its visible
  // (or already bled) neighbours, so filtering near an edge never mixes in black.
  std::vector<char> known(static_cast<size_t>(width_) * height_);
  for (size_t i = 0; i < known.size(); ++i) known[i] = px_[i * 4 + 3] > 0;
  for (int pass = 0; pass < passes; ++pass) {
    std::vector<char> next = known;
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        size_t i = static_cast<size_t>(y) * width_ + x;
        if (known[i]) continue;
        double sum[3] = {0, 0, 0};
        int n = 0;
        for (int dy = -1; dy <= 1; ++dy) {
          for (int dx = -1; dx <= 1; ++dx) {
            int nx = x + dx, ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= width_ || ny >= height_) continue;
            size_t j = static_cast<size_t>(ny) * width_ + nx;
            if (!known[j]) continue;
            for (int k = 0; k < 3; ++k) sum[k] += px_[j * 4 + k];
            ++n;
          }
        }
        if (n == 0) continue;
        for (int k = 0; k < 3; ++k) px_[i * 4 + k] = sum[k] / n;
        next[i] = 1;
      }
    }
    known.swap(next);
  }
}

namespace {

png_byte ToByte(double v) {
  return static_cast<png_byte>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
}

}  // namespace

bool WritePng(const Canvas& canvas, const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    std::fclose(f);
    return false;
  }
  std::vector<png_byte> row(static_cast<size_t>(canvas.width()) * 4);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return false;
  }
  png_init_io(png, f);
  png_set_compression_level(png, 9);
  png_set_IHDR(png, info, canvas.width(), canvas.height(), 8, PNG_COLOR_TYPE_RGBA,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      Rgba c = canvas.Get(x, y);
      png_byte* p = &row[static_cast<size_t>(x) * 4];
      p[0] = ToByte(c.r);
      p[1] = ToByte(c.g);
      p[2] = ToByte(c.b);
      p[3] = ToByte(c.a);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return std::fclose(f) == 0;
}

}  // namespace mediagen
