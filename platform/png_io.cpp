#include "platform/png_io.h"

#include <cstdio>
#include <cstring>
#include <memory>

// The decoder and encoder's own code is not held to this project's warnings.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#if defined(__clang__)
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#endif
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_MAX_DIMENSIONS 16384
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
#define STBI_WRITE_NO_STDIO
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#pragma GCC diagnostic pop

namespace plat {

namespace {

struct FileCloser {
  void operator()(FILE* f) const {
    if (f) fclose(f);
  }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

constexpr long kMaxPngBytes = 64L << 20;

bool ReadWhole(const std::string& path, std::vector<uint8_t>* bytes) {
  FilePtr file(fopen(path.c_str(), "rb"));
  if (!file || fseek(file.get(), 0, SEEK_END) != 0) return false;
  long size = ftell(file.get());
  if (size <= 0 || size > kMaxPngBytes || fseek(file.get(), 0, SEEK_SET) != 0) return false;
  bytes->resize(static_cast<size_t>(size));
  return fread(bytes->data(), 1, bytes->size(), file.get()) == bytes->size();
}

uint32_t BigEndian32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// True when the header's colour type has alpha or a tRNS chunk comes before
// the pixels: the decoder itself reports neither for tRNS on grey or RGB.
bool CarriesAlpha(const std::vector<uint8_t>& png) {
  if (png.size() < 33) return false;
  if ((png[25] & 4) != 0) return true;
  size_t at = 8;
  while (at + 8 <= png.size()) {
    const uint32_t length = BigEndian32(&png[at]);
    if (std::memcmp(&png[at + 4], "tRNS", 4) == 0) return true;
    if (std::memcmp(&png[at + 4], "IDAT", 4) == 0) return false;
    if (length > png.size() - at - 8) return false;
    at += size_t{length} + 12;
  }
  return false;
}

void AppendBytes(void* context, void* data, int size) {
  auto* out = static_cast<std::vector<uint8_t>*>(context);
  const auto* bytes = static_cast<const uint8_t*>(data);
  out->insert(out->end(), bytes, bytes + size);
}

}  // namespace

bool ReadPngRGBA(const std::string& path, PngImage* out) {
  std::vector<uint8_t> bytes;
  if (!ReadWhole(path, &bytes)) return false;
  int w = 0, h = 0, channels = 0;
  stbi_uc* pixels =
      stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &channels, 4);
  // Sizes no texture could hold are refused (STBI_MAX_DIMENSIONS) before
  // anything is allocated.
  if (!pixels || w <= 0 || h <= 0) {
    stbi_image_free(pixels);
    return false;
  }
  out->rgba.assign(pixels, pixels + static_cast<size_t>(w) * h * 4);
  stbi_image_free(pixels);
  out->width = w;
  out->height = h;
  out->hadAlpha = CarriesAlpha(bytes);
  return true;
}

bool WritePngRGBA(const std::string& path, int w, int h, const uint8_t* rgba) {
  if (w <= 0 || h <= 0 || !rgba) return false;
  std::vector<uint8_t> encoded;
  if (!stbi_write_png_to_func(AppendBytes, &encoded, w, h, 4, rgba, w * 4)) return false;
  FilePtr file(fopen(path.c_str(), "wb"));
  if (!file) return false;
  if (fwrite(encoded.data(), 1, encoded.size(), file.get()) != encoded.size()) return false;
  FILE* f = file.release();
  return fclose(f) == 0;
}

}  // namespace plat
