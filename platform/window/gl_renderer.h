// The OpenGL 3.3 side of the window backend. Every image lives in one
// texture array (see atlas.h) and one program samples it, so a frame is one
// draw call per few thousand quads whatever its images and blend modes: the
// blend mode travels with each corner (see the shader). A software
// rasteriser pays per pixel for every texture lookup a shader could make,
// and a driver pays per call; one lookup and one call keep both low.
//
// The array that is sampled holds each layer's mipmaps side by side in one
// level (see FlatMipLayout) and every quad reads the one mipmap level that
// its size on screen calls for, bilinearly: a software rasteriser would
// otherwise work out a level for every pixel and fetch from two, which
// costs it more than drawing the quad does. The mipmaps are made by the
// driver in a second array that is never sampled.
//
// While the window is exactly the frame's size a frame that starts with a
// clear is drawn straight into the window, and what it drew is kept as a
// list of corners: a software rasteriser would otherwise spend a full-frame
// pass copying it across. Where the window's back buffer keeps its picture
// between presents, such a frame is compared with the one shown and only
// what changed is cleared, drawn and shown (see Damage). Otherwise the
// frame is drawn into an offscreen framebuffer of the game's size and
// scaled into the window with black bars; a second one keeps the frame
// last shown for screenshots.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/window/atlas.h"
#include "platform/window/damage.h"
#include "platform/window/quad_trim.h"

namespace plat {

class GlRenderer {
 public:
  GlRenderer();
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
  void WindowLost() { frontStale_ = true; }
  // How EndFrame's frame reaches the screen: by a swap, or by showing
  // these rectangles of the back buffer (drawable pixels, rows counted from
  // the bottom; none when nothing changed).
  struct Shown {
    bool swap = true;
    int count = 0;
    PixelRect rects[Damage::kMaxRects];
  };
  // Finishes the frame and draws it into the window's drawable, which is
  // drawableW x drawableH pixels.
  Shown EndFrame(int drawableW, int drawableH);
  int DrawCallsLastFrame() const { return lastDrawCalls_; }
  // The frame last ended, rows top first, opaque.
  bool ReadShownFrame(std::vector<uint8_t>* rgba);
  int FrameWidth() const { return frameW_; }
  int FrameHeight() const { return frameH_; }
  // Layers of the texture array in use (tests).
  int AtlasLayers() const { return packer_.Layers(); }

  // A corner as the shader reads it: the texture coordinate already in the
  // flat layer at the quad's mipmap level, then layer and blend mode, the
  // same on all four corners of a quad.
  struct Corner {
    float x, y;
    float u, v;
    uint8_t r, g, b, a;
    uint8_t layer;
    uint8_t light;  // 1: adds light; 0: blends by alpha
    uint8_t unused[2];
  };
  struct CornerQuad {
    Corner c[4];
  };

 private:
  static constexpr int kBatchQuads = 4096;  // 16384 corners: 16-bit indices
  static constexpr int kLayerSize = 2048;

  enum Target { kNoFrame, kWindow, kOffscreen };
  // Where a texture id's image sits in the array, as a map from the
  // image's [0, 1] coordinates.
  struct Region {
    bool live = false;
    uint8_t layer = 0;
    float u0 = 0, v0 = 0, du = 0, dv = 0;
    float texelsW = 0, texelsH = 0;  // the image's size in the array
    bool trimmable = false;          // some cell of the image is empty
    bool croppable = false;          // its edges are clear at some level
    Coverage coverage;
  };
  // Frames drawn on without a clear make the kept list grow; past this many
  // quads they go offscreen, where nothing needs keeping.
  static constexpr size_t kLogQuads = 1 << 16;

  bool Fits() const { return drawableW_ == frameW_ && drawableH_ == frameH_; }
  const Region* RegionFor(int id) const;
  int AddImage(const uint8_t* rgba, int w, int h);
  bool EnsureLayers(int layers);
  void BindTarget();
  void BeginFrameOnShown();
  void Append(const Region& r, uint8_t light, int level, const Quad& quad);
  void RefreshFlat();
  void Queue(const CornerQuad* quads, size_t count);
  void Flush();
  void KeepShownFrame();
  void DrawChanges(Shown* shown);
  void CheckErrors(const char* where) const;

  bool ready_ = false;
  bool batching_ = true;
  int frameW_ = 0, frameH_ = 0;
  int maxTextureSize_ = 0;
  unsigned program_ = 0;
  unsigned vao_ = 0, vbo_ = 0, ibo_ = 0;
  unsigned drawFbo_ = 0, drawRbo_ = 0, shownFbo_ = 0, shownRbo_ = 0;
  // atlas_ takes the images and makes their mipmaps (texture unit 1);
  // flat_ holds the same, laid out flat, and is what the shader samples
  // (unit 0).
  unsigned atlas_ = 0, flat_ = 0;
  int atlasLayers_ = 0;  // layers the arrays have room for
  int flatLayers_ = 0;
  bool mipsStale_ = false;       // images came in since the mipmaps were made
  std::vector<bool> flatStale_;  // per layer: flat_ lags behind atlas_
  // Per mipmap level: the flat layer's coordinate of a layer coordinate of
  // 0, and how far one of 1 moves it (u then v).
  float levelU0_[AtlasPacker::kMipLevels + 1] = {}, levelDu_[AtlasPacker::kMipLevels + 1] = {};
  float levelV0_[AtlasPacker::kMipLevels + 1] = {}, levelDv_[AtlasPacker::kMipLevels + 1] = {};
  AtlasPacker packer_;
  int drawableW_ = 0, drawableH_ = 0;
  Target target_ = kNoFrame;  // where the frame under way goes
  // The frame under way while it goes to the window, and the one shown if
  // it went there (shownInLog_): after a swap the window's back buffer
  // holds nothing reliable, so it is drawn again from these.
  std::vector<CornerQuad> frameLog_, shownLog_;
  bool shownInLog_ = false;
  // See SetKeepsBackBuffer. backHolds_: the window's back buffer holds the
  // shown log's picture, at drawable size backW_ x backH_.
  bool keepsBack_ = false, backHolds_ = false, frontStale_ = true;
  int backW_ = 0, backH_ = 0;
  Damage damage_;
  // Otherwise: after a present the draw target holds the shown frame until
  // the next frame starts; then the shown one is in shownFbo_.
  bool drawHoldsShown_ = false;
  // Texture id k (k >= firstId_) is regions_[k - firstId_]; id 0 is
  // white_. Ids keep counting up across displays so a stale id never
  // aliases.
  std::vector<Region> regions_;
  Region white_;
  int firstId_ = 1;
  std::vector<CornerQuad> pending_;  // quads not yet handed to the driver
  int drawCalls_ = 0, lastDrawCalls_ = 0;
};

// GL errors met since the program started (a healthy run has none).
int GlErrorsSeen();

}  // namespace plat
