// The window tests' shared pieces: a quad of given place and colour, and a
// real window to draw in and read back.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/png_io.h"
#include "platform/window/gl_renderer.h"

namespace plat {

inline Quad QuadAt(float x, float y, float w, float h, uint8_t r = 255, uint8_t g = 255,
                   uint8_t b = 255, uint8_t a = 255) {
  Quad q;
  q.v[0] = {x, y, 0, 0, r, g, b, a};
  q.v[1] = {x + w, y, 1, 0, r, g, b, a};
  q.v[2] = {x + w, y + h, 1, 1, r, g, b, a};
  q.v[3] = {x, y + h, 0, 1, r, g, b, a};
  return q;
}

// One backend for the suite: every test opens and closes its own display,
// which is the reopening the options menu does.
class WindowDisplay : public ::testing::Test {
 protected:
  static void TearDownTestSuite() { shared_.reset(); }

  void SetUp() override {
    if (std::getenv("DISPLAY") == nullptr || *std::getenv("DISPLAY") == '\0') {
      GTEST_SKIP() << "no DISPLAY";
    }
    if (!shared_) shared_ = MakeWindowBackend();
    backend_ = shared_.get();
    errorsBefore_ = GlErrorsSeen();
  }
  void TearDown() override {
    if (backend_) {
      EXPECT_EQ(GlErrorsSeen(), errorsBefore_) << "OpenGL reported errors";
      backend_->SetBatching(true);
      backend_->CloseDisplay();
    }
  }

  void Open(int w, int h, bool fullscreen = false) {
    std::string error;
    ASSERT_TRUE(backend_->OpenDisplay(w, h, fullscreen, &error)) << error;
  }

  // The shown frame, read back through a screenshot file.
  PngImage Shot() {
    // CTest runs these tests as parallel processes: one file each.
    const std::string path =
        ::testing::TempDir() + "window_backend_shot_" + std::to_string(getpid()) + ".png";
    PngImage image;
    EXPECT_TRUE(backend_->SaveScreenshot(path));
    EXPECT_TRUE(ReadPngRGBA(path, &image));
    std::remove(path.c_str());
    return image;
  }

  static std::vector<int> Pixel(const PngImage& image, int x, int y) {
    const uint8_t* p = &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
    return {p[0], p[1], p[2]};
  }

  void Draw(int texture, BlendMode blend, const Quad& q) {
    backend_->DrawQuads(texture, blend, &q, 1);
  }

  static inline std::unique_ptr<Backend> shared_;
  Backend* backend_ = nullptr;
  int errorsBefore_ = 0;
};

inline bool Near(const std::vector<int>& got, const std::vector<int>& expected, int tolerance) {
  for (size_t i = 0; i < expected.size(); ++i) {
    if (std::abs(got[i] - expected[i]) > tolerance) return false;
  }
  return true;
}

}  // namespace plat
