// The OpenGL 3.3 side of the window backend: textures, the quad batcher and
// the game's frame. While the window is exactly the frame's size a frame that
// starts with a clear is drawn straight into the window, and what it drew is
// kept as a list of quads: a software rasteriser would otherwise spend a
// full-frame pass copying it across. Otherwise the frame is drawn into an
// offscreen framebuffer of the game's size and scaled into the window with
// black bars; a second one keeps the frame last shown for screenshots.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/window/quad_batcher.h"

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
  void SetBatching(bool on) { batcher_.SetBatching(on); }
  // The window's drawable size in pixels, known before the first frame.
  void SetDrawableSize(int w, int h);
  // Finishes the frame and draws it into the window's drawable, which is
  // drawableW x drawableH pixels. The caller swaps.
  void EndFrame(int drawableW, int drawableH);
  int DrawCallsLastFrame() const { return lastDrawCalls_; }
  // The frame last ended, rows top first, opaque.
  bool ReadShownFrame(std::vector<uint8_t>* rgba);
  int FrameWidth() const { return frameW_; }
  int FrameHeight() const { return frameH_; }

 private:
  static constexpr int kBatchQuads = 4096;  // 16384 corners: 16-bit indices
  // Texture units a batch draws from: every GL 3.3 driver has 16 for the
  // fragment stage.
  static constexpr int kUnits = 8;
  static constexpr int kSoftwareUnits = 2;
  // Programs sampling 1, 2, 4 and 8 units.
  static constexpr int kPrograms = 4;

  enum Target { kNoFrame, kWindow, kOffscreen };
  // What a frame drawn into the window drew, to draw it again: after a
  // swap the window's back buffer holds nothing reliable.
  struct Command {
    int texture;
    BlendMode blend;
    int first, count;
  };
  struct FrameLog {
    std::vector<Command> commands;
    std::vector<Quad> quads;
    void Clear() {
      commands.clear();
      quads.clear();
    }
  };
  // Frames drawn on without a clear make the log grow; past this many quads
  // they go offscreen, where nothing needs keeping.
  static constexpr size_t kLogQuads = 1 << 16;

  bool Fits() const { return drawableW_ == frameW_ && drawableH_ == frameH_; }
  void BindTarget();
  void BeginFrameOnShown();
  void Replay(const FrameLog& log);
  void DrawBatch(const QuadBatcher::Batch& batch);
  void UseProgramFor(int textureCount);
  unsigned TextureFor(int id) const;
  void KeepShownFrame();
  void UseBlend(BlendMode blend);
  void CheckErrors(const char* where) const;

  QuadBatcher batcher_;
  bool ready_ = false;
  int frameW_ = 0, frameH_ = 0;
  int maxTextureSize_ = 0;
  unsigned programs_[kPrograms] = {};
  unsigned vao_ = 0, vbo_ = 0, slotVbo_ = 0, ibo_ = 0;
  unsigned drawFbo_ = 0, drawRbo_ = 0, shownFbo_ = 0, shownRbo_ = 0;
  unsigned white_ = 0;
  int drawableW_ = 0, drawableH_ = 0;
  Target target_ = kNoFrame;  // where the frame under way goes
  // The shown frame is shownLog_ drawn again (it went into the window).
  bool shownInLog_ = false;
  FrameLog frameLog_, shownLog_;
  // Otherwise: after a present the draw target holds the shown frame until
  // the next frame starts; then the shown one is in shownFbo_.
  bool drawHoldsShown_ = false;
  // Texture id k (k >= firstId_) is textures_[k - firstId_]; 0 once deleted.
  // Ids keep counting up across displays so a stale id never aliases.
  std::vector<unsigned> textures_;
  int firstId_ = 1;
  unsigned bound_[kUnits] = {};  // the texture on each unit
  int activeUnit_ = 0;
  int program_ = -1;  // index into programs_
  int blend_ = -1;
  std::vector<uint8_t> cornerSlots_;  // the slots of a batch, one per corner
  bool slotsOn_ = false;              // corners read their slots from slotVbo_
  int drawCalls_ = 0, lastDrawCalls_ = 0;
};

// GL errors met since the program started (a healthy run has none).
int GlErrorsSeen();
// Textures a batch may draw from, as chosen for the driver when the last
// display opened. Forcing a number (0: the driver's choice) takes effect at
// the next display; tests use it to run every path on any driver.
int TexturesPerBatch();
void ForceTexturesPerBatch(int units);

}  // namespace plat
