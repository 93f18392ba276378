// The browser backend: the page's canvas through WebGL 2 and the same
// renderer as the desktop window, the page's keyboard, game controllers
// through the Gamepad API, sound through WebAudio, and a turn for the
// browser between frames (the game's loops block; Asyncify unwinds them).
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/png_io.h"
#include "platform/web/web_input.h"
#include "platform/window/gl_api.h"
#include "platform/window/gl_renderer.h"

namespace plat {

namespace {

// The browser gets a turn at least this often, whatever the game is doing.
constexpr double kTurnMs = 30;
// Sound is queued this far ahead of what plays (seconds of frames).
constexpr int kAudioAheadFrames = kAudioRate / 8;

struct Pending {
  enum Kind { kDown, kUp, kChar, kFocusLost } kind;
  int value;
};

std::deque<Pending> gPending;

EM_BOOL OnKey(int type, const EmscriptenKeyboardEvent* e, void*) {
  const bool down = type == EMSCRIPTEN_EVENT_KEYDOWN;
  const int vk = WebVirtualKey(e->code);
  if (down) {
    // Erasing has no character of its own; the name entry needs both, and
    // holding backspace keeps erasing.
    if (std::strcmp(e->code, "Backspace") == 0) gPending.push_back({Pending::kChar, 8});
    if (std::strcmp(e->code, "Delete") == 0) gPending.push_back({Pending::kChar, 127});
    if (vk > 0 && !e->repeat) gPending.push_back({Pending::kDown, vk});
    const int typed = e->ctrlKey || e->metaKey ? 0 : TypedCodePoint(e->key);
    if (typed > 0) gPending.push_back({Pending::kChar, typed});
    if (vk > 0 && !e->repeat) gPending.push_back({Pending::kDown, vk});
  } else if (vk > 0) {
    gPending.push_back({Pending::kUp, vk});
  }
  EM_ASM({ if (Module.parvaneGesture) Module.parvaneGesture(); });
  // Keys the game uses never scroll the page or move the focus.
  return vk > 0 ? EM_TRUE : EM_FALSE;
}

EM_BOOL OnBlur(int, const EmscriptenFocusEvent*, void*) {
  gPending.push_back({Pending::kFocusLost, 0});
  return EM_FALSE;
}

class WebBackend : public Backend {
 public:
  WebBackend() {
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, OnKey);
    emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, OnKey);
    emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, OnBlur);
  }

  ~WebBackend() override {
    CloseDisplay();
    if (context_) emscripten_webgl_destroy_context(context_);
  }

  bool OpenDisplay(int width, int height, bool /*fullscreen: the page's button*/,
                   std::string* error) override {
    CloseDisplay();
    if (!context_) {
      EmscriptenWebGLContextAttributes attrs;
      emscripten_webgl_init_context_attributes(&attrs);
      attrs.majorVersion = 2;
      attrs.minorVersion = 0;
      attrs.alpha = EM_FALSE;
      attrs.depth = EM_FALSE;
      attrs.stencil = EM_FALSE;
      attrs.antialias = EM_FALSE;
      attrs.preserveDrawingBuffer = EM_TRUE;
      context_ = emscripten_webgl_create_context("#canvas", &attrs);
      if (context_ <= 0) {
        context_ = 0;
        if (error) *error = "this browser has no WebGL 2";
        return false;
      }
    }
    emscripten_webgl_make_context_current(context_);
    EM_ASM({ if (Module.parvaneFrameSize) Module.parvaneFrameSize($0, $1); }, width, height);
    std::string glError;
    if (!renderer_.Init(width, height, &glError)) {
      if (error) *error = "WebGL set-up failed: " + glError;
      return false;
    }
    int w = 0, h = 0;
    emscripten_get_canvas_element_size("#canvas", &w, &h);
    renderer_.SetDrawableSize(w, h);
    open_ = true;
    return true;
  }

  void CloseDisplay() override {
    if (context_) emscripten_webgl_make_context_current(context_);
    renderer_.Shutdown();
    open_ = false;
  }

  void SetTitle(const std::string& title) override {
    EM_ASM({ document.title = UTF8ToString($0); }, title.c_str());
  }

  void SetPointerVisible(bool visible) override {
    EM_ASM({ Module.canvas.style.cursor = $0 ? 'auto' : 'none'; }, visible);
  }

  int CreateTexture(const TextureData& data) override {
    return open_ ? renderer_.CreateTexture(data) : -1;
  }
  void Clear() override {
    if (open_) renderer_.Clear();
  }
  void DrawQuads(int texture, BlendMode blend, const Quad* quads, int count) override {
    if (open_) renderer_.Draw(texture, blend, quads, count);
  }

  void Present(bool /*vsync: the browser shows the canvas at its own pace*/) override {
    if (!open_) return;
    int w = 0, h = 0;
    emscripten_get_canvas_element_size("#canvas", &w, &h);
    if (w != drawableW_ || h != drawableH_) {
      drawableW_ = w;
      drawableH_ = h;
      renderer_.WindowLost();
    }
    renderer_.EndFrame(w, h);
  }

  bool VsyncRunsAt(int) override { return false; }
  int DrawCallsLastFrame() override { return renderer_.DrawCallsLastFrame(); }
  void SetBatching(bool on) override { renderer_.SetBatching(on); }

  void PollEvents(InputSink& sink) override {
    FeedAudio();
    // The browser runs its events, timers and painting only in these turns.
    if (emscripten_get_now() - lastTurn_ >= kTurnMs) {
      emscripten_sleep(0);
      lastTurn_ = emscripten_get_now();
    }
    while (!gPending.empty()) {
      const Pending e = gPending.front();
      gPending.pop_front();
      switch (e.kind) {
        case Pending::kDown:
          held_[e.value] = true;
          sink.KeyDown(e.value);
          break;
        case Pending::kUp:
          if (!held_[e.value]) break;
          held_[e.value] = false;
          sink.KeyUp(e.value);
          break;
        case Pending::kChar:
          sink.TypedChar(e.value);
          break;
        case Pending::kFocusLost:
          for (int vk = 0; vk < kKeyCodes; ++vk) {
            if (!held_[vk]) continue;
            held_[vk] = false;
            sink.KeyUp(vk);
          }
          break;
      }
    }
    if (padsStarted_) PollPads(sink);
  }

  void StartPads(const std::vector<std::string>&) override {
    padsStarted_ = emscripten_sample_gamepad_data() == EMSCRIPTEN_RESULT_SUCCESS;
  }

  bool SaveScreenshot(const std::string& path) override {
    if (!open_) return false;
    std::vector<uint8_t> rgba;
    if (!renderer_.ReadShownFrame(&rgba)) return false;
    if (!WritePngRGBA(path, renderer_.FrameWidth(), renderer_.FrameHeight(), rgba.data()))
      return false;
    // The page may hand the picture on (the harness collects it).
    EM_ASM({ if (Module.parvaneScreenshot) Module.parvaneScreenshot(UTF8ToString($0)); },
           path.c_str());
    return true;
  }

  // The one question asked is whether to play full screen, on the first
  // visit: a page has its own full-screen button, so the answer is no.
  int AskYesNoCancel(const std::string&, const std::string&) override { return 0; }

  bool ShowMessage(const std::string& caption, const std::string& text) override {
    EM_ASM({ Module.parvaneMessage(UTF8ToString($0), UTF8ToString($1)); }, caption.c_str(),
           text.c_str());
    return true;
  }

  bool StartAudio(AudioPull pull, void* user) override {
    // A harness run stays silent, as without a sound device on the
    // desktop: nothing plays, so nothing in it waits on the clock.
    if (!EM_ASM_INT({ return Module.parvaneAudioOn ? Module.parvaneAudioOn() : 0; })) return false;
    pull_ = pull;
    pullUser_ = user;
    return true;
  }
  // The mixer runs on this thread, between frames: nothing to guard.
  void LockAudio() override {}
  void UnlockAudio() override {}

 private:
  static constexpr int kKeyCodes = 256;

  void PollPads(InputSink& sink) {
    if (emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS) return;
    const int count = emscripten_get_num_gamepads();
    for (int i = 0; i < PadSlots::kSlots; ++i) {
      PadSample s;
      EmscriptenGamepadEvent g;
      if (i < count && emscripten_get_gamepad_status(i, &g) == EMSCRIPTEN_RESULT_SUCCESS) {
        s.connected = g.connected;
        s.standard = std::strcmp(g.mapping, "standard") == 0;
        s.id = g.id;
        for (int b = 0; b < 17 && b < g.numButtons; ++b)
          s.buttons[b] = static_cast<float>(g.analogButton[b]);
        for (int a = 0; a < 4 && a < g.numAxes; ++a) s.axes[a] = static_cast<float>(g.axis[a]);
      }
      pads_.Update(i, s, sink);
    }
  }

  // Mixes what the page's audio queue lacks and hands it over. Before the
  // first gesture the page has no audio context and asks for nothing.
  void FeedAudio() {
    if (!pull_) return;
    const int wanted = EM_ASM_INT({ return Module.parvaneAudioWanted ? Module.parvaneAudioWanted($0) : 0; },
                                  kAudioAheadFrames);
    if (wanted <= 0) return;
    mix_.resize(static_cast<size_t>(wanted) * 2);
    pull_(mix_.data(), wanted, pullUser_);
    EM_ASM({ Module.parvaneAudioQueue($0, $1); }, mix_.data(), wanted);
  }

  EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context_ = 0;
  GlRenderer renderer_;
  bool open_ = false;
  int drawableW_ = 0, drawableH_ = 0;
  double lastTurn_ = 0;
  bool held_[kKeyCodes] = {};
  PadSlots pads_;
  bool padsStarted_ = false;
  AudioPull pull_ = nullptr;
  void* pullUser_ = nullptr;
  std::vector<int16_t> mix_;
};

}  // namespace

std::unique_ptr<Backend> MakeWindowBackend() { return std::make_unique<WebBackend>(); }

}  // namespace plat
