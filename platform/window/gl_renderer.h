// The OpenGL 3.3 side of the window backend: drawing a frame and showing
// it. Images live in one texture array (see GlTextures) and one program
// samples it, so a frame is one draw call per few thousand quads whatever
// its images and blend modes: the blend mode travels with each corner (see
// the shader). A software rasteriser pays per pixel for every texture
// lookup a shader could make, and a driver pays per call; one lookup and
// one call keep both low.
//
// While the window is exactly the frame's size a frame that starts with a
// clear is drawn straight into the window, and what it drew is kept as a
// list of corners: a software rasteriser would otherwise spend a full-frame
// pass copying it across. Where the window's back buffer keeps its picture
// between presents, such a frame is drawn and shown only where it changed
// (see ChangedOnly). Otherwise the frame is drawn into an offscreen
// framebuffer of the game's size and scaled into the window with black
// bars; a second one keeps the frame last shown for screenshots.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/window/changed_only.h"
#include "platform/window/gl_corners.h"
#include "platform/window/gl_textures.h"

namespace plat {

class GlRenderer {
 public:
  GlRenderer() = default;
  GlRenderer(const GlRenderer&) = delete;
  GlRenderer& operator=(const GlRenderer&) = delete;

  // Both need the context current. Shutdown deletes every GL object; the
  // ids of textures made before never become valid again.
  bool Init(int frameW, int frameH, std::string* error);
  void Shutdown();
  bool Ready() const { return ready_; }

  int CreateTexture(const TextureData& data);
  void Clear();
  void Draw(int texture, BlendMode blend, const Quad* quads, int count);
  // Off: one draw call per quad (the baseline batching is measured against).
  void SetBatching(bool on);
  // The window's drawable size in pixels, known before the first frame.
  void SetDrawableSize(int w, int h);
  // From the next frame on: the window's back buffer keeps its picture
  // from one present to the next, and a present may show part of it.
  void SetKeepsBackBuffer(bool on);
  // What the window showed is gone (uncovered, say): the next present
  // shows all of it.
  void WindowLost() { changed_.WindowLost(); }
  using Shown = ShownRects;
  // Finishes the frame and draws it into the window's drawable, which is
  // drawableW x drawableH pixels.
  Shown EndFrame(int drawableW, int drawableH);
  int DrawCallsLastFrame() const { return lastDrawCalls_; }
  // The frame last ended, rows top first, opaque.
  bool ReadShownFrame(std::vector<uint8_t>* rgba);
  int FrameWidth() const { return frameW_; }
  int FrameHeight() const { return frameH_; }
  // Layers of the texture array in use (tests).
  int AtlasLayers() const { return textures_.Layers(); }

 private:
  static constexpr int kBatchQuads = 4096;  // 16384 corners: 16-bit indices

  enum Target { kNoFrame, kWindow, kOffscreen };
  // Frames drawn on without a clear make the kept list grow; past this many
  // quads they go offscreen, where nothing needs keeping.
  static constexpr size_t kLogQuads = 1 << 16;

  bool Fits() const { return drawableW_ == frameW_ && drawableH_ == frameH_; }
  void BindTarget();
  void BeginFrameOnShown();
  void Append(const GlTextures::Region& r, uint8_t light, int level, const Quad& quad);
  void Queue(const CornerQuad* quads, size_t count);
  void Flush();
  void KeepShownFrame();
  void DrawChanges(Shown* shown);

  bool ready_ = false;
  bool batching_ = true;
  int frameW_ = 0, frameH_ = 0;
  int maxTextureSize_ = 0;
  unsigned program_ = 0;
  unsigned vao_ = 0, vbo_ = 0, ibo_ = 0;
  unsigned drawFbo_ = 0, drawRbo_ = 0, shownFbo_ = 0, shownRbo_ = 0;
  GlTextures textures_;
  int drawableW_ = 0, drawableH_ = 0;
  Target target_ = kNoFrame;  // where the frame under way goes
  // The frame under way while it goes to the window, and the one shown if
  // it went there (shownInLog_): after a swap the window's back buffer
  // holds nothing reliable, so it is drawn again from these.
  std::vector<CornerQuad> frameLog_, shownLog_;
  bool shownInLog_ = false;
  ChangedOnly changed_;
  // Offscreen: after a present the draw target holds the shown frame until
  // the next frame starts; then the shown one is in shownFbo_.
  bool drawHoldsShown_ = false;
  std::vector<CornerQuad> pending_;  // quads not yet handed to the driver
  int drawCalls_ = 0, lastDrawCalls_ = 0;
};

// GL errors met since the program started (a healthy run has none).
int GlErrorsSeen();

}  // namespace plat
