// The backend of scripted runs without a screen: no window, no audio device,
// no dialogs. Textures get ids so images and fonts load as usual, and draw
// calls are counted the way a batching renderer would issue them.
#include "platform/backend.h"

namespace plat {
namespace {

class HeadlessBackend : public Backend {
 public:
  bool OpenDisplay(int, int, bool, std::string*) override { return true; }
  void CloseDisplay() override {}
  void SetTitle(const std::string&) override {}
  void SetPointerVisible(bool) override {}
  int CreateTexture(const TextureData& data) override {
    if (data.width <= 0 || data.height <= 0 || !data.rgba) return -1;
    return nextTexture_++;
  }
  void Clear() override {}
  // A batch holds up to kTextures textures and kCapacity quads of one blend
  // mode, as the window renderer's batches do on a graphics card.
  void DrawQuads(int texture, BlendMode blend, const Quad*, int count) override {
    if (count <= 0) return;
    if (!batching_) {
      calls_ += count;
      return;
    }
    bool known = false;
    for (int i = 0; i < batchTextures_; i++) known = known || textures_[i] == texture;
    const bool full = !known && batchTextures_ == kTextures;
    if (batchQuads_ == 0 || blend != lastBlend_ || full || batchQuads_ + count > kCapacity) {
      ++calls_;
      batchTextures_ = 0;
      batchQuads_ = 0;
      known = false;
    }
    if (!known) textures_[batchTextures_++] = texture;
    batchQuads_ += count;
    lastBlend_ = blend;
  }
  void Present(bool) override {
    lastFrameCalls_ = calls_;
    calls_ = 0;
    batchTextures_ = 0;
    batchQuads_ = 0;
  }
  bool VsyncRunsAt(int) override { return false; }
  int DrawCallsLastFrame() override { return lastFrameCalls_; }
  void SetBatching(bool on) override { batching_ = on; }
  void PollEvents(InputSink&) override {}
  bool SaveScreenshot(const std::string&) override { return false; }
  int AskYesNoCancel(const std::string&, const std::string&) override { return 0; }
  void ShowMessage(const std::string&, const std::string&) override {}
  bool StartAudio(AudioPull, void*) override { return false; }
  void LockAudio() override {}
  void UnlockAudio() override {}

 private:
  int nextTexture_ = 1;  // 0 is the white texel
  bool batching_ = true;
  int calls_ = 0;
  int lastFrameCalls_ = 0;
  static constexpr int kTextures = 8;
  static constexpr int kCapacity = 4096;
  int textures_[kTextures] = {};
  int batchTextures_ = 0;
  int batchQuads_ = 0;
  BlendMode lastBlend_ = kBlendAlpha;
};

}  // namespace

std::unique_ptr<Backend> MakeHeadlessBackend() { return std::make_unique<HeadlessBackend>(); }

}  // namespace plat
