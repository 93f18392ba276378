// The SDL2 + OpenGL 3.3 backend: a real window, keyboard, audio device and
// message boxes.
#include "platform/backend.h"

namespace plat {
namespace {

class WindowBackend : public Backend {
 public:
  bool OpenDisplay(int, int, bool, std::string* error) override {
    if (error) *error = "no window backend yet";
    return false;
  }
  void CloseDisplay() override {}
  void SetTitle(const std::string&) override {}
  void SetPointerVisible(bool) override {}
  int CreateTexture(const TextureData&) override { return -1; }
  void Clear() override {}
  void DrawQuads(int, BlendMode, const Quad*, int) override {}
  void Present(bool) override {}
  bool VsyncRunsAt(int) override { return false; }
  int DrawCallsLastFrame() override { return 0; }
  void SetBatching(bool) override {}
  void PollEvents(InputSink&) override {}
  bool SaveScreenshot(const std::string&) override { return false; }
  int AskYesNoCancel(const std::string&, const std::string&) override { return -1; }
  void ShowMessage(const std::string&, const std::string&) override {}
  bool StartAudio(AudioPull, void*) override { return false; }
  void LockAudio() override {}
  void UnlockAudio() override {}
};

}  // namespace

std::unique_ptr<Backend> MakeWindowBackend() { return std::make_unique<WindowBackend>(); }

}  // namespace plat
