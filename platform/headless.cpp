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
  // Quads go out in calls of up to kCapacity whatever their textures and
  // blend modes, as the window renderer sends them.
  void DrawQuads(int, BlendMode, const Quad*, int count) override {
    if (count <= 0) return;
    if (batching_) {
      quads_ += count;
    } else {
      calls_ += count;
    }
  }
  void Present(bool) override {
    lastFrameCalls_ = calls_ + static_cast<int>((quads_ + kCapacity - 1) / kCapacity);
    calls_ = 0;
    quads_ = 0;
  }
  bool VsyncRunsAt(int) override { return false; }
  int DrawCallsLastFrame() override { return lastFrameCalls_; }
  void SetBatching(bool on) override { batching_ = on; }
  void PollEvents(InputSink&) override {}
  bool SaveScreenshot(const std::string&) override { return false; }
  int AskYesNoCancel(const std::string&, const std::string&) override { return 0; }
  bool ShowMessage(const std::string&, const std::string&) override { return false; }
  bool StartAudio(AudioPull, void*) override { return false; }
  void LockAudio() override {}
  void UnlockAudio() override {}

 private:
  int nextTexture_ = 1;  // 0 is the white texel
  bool batching_ = true;
  int calls_ = 0;
  int lastFrameCalls_ = 0;
  static constexpr long kCapacity = 4096;
  long quads_ = 0;
};

}  // namespace

std::unique_ptr<Backend> MakeHeadlessBackend() { return std::make_unique<HeadlessBackend>(); }

}  // namespace plat
