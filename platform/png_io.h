// PNG reading and writing through the stb single-file libraries, shared by
// the image loader and the window backend's screenshots.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plat {

// A decoded image: RGBA, rows top first.
struct PngImage {
  int width = 0;
  int height = 0;
  bool hadAlpha = false;  // the file carried an alpha channel or a tRNS chunk
  std::vector<uint8_t> rgba;
};

// Decodes any PNG (palette, grey, 16-bit, interlaced) to 8-bit RGBA.
// Returns false when the file is missing or is not a valid PNG.
bool ReadPngRGBA(const std::string& path, PngImage* out);

// Writes w x h RGBA pixels (rows top first) as a PNG; false on failure.
bool WritePngRGBA(const std::string& path, int w, int h, const uint8_t* rgba);

}  // namespace plat
