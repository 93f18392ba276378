// The SDL2 + OpenGL 3.3 backend: a real window, the keyboard, the audio
// device and message boxes.
#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <epoxy/gl.h>

#include <cstdio>
#include <vector>

#include "platform/backend.h"
#include "platform/png_io.h"
#include "platform/window/gl_renderer.h"
#include "platform/window/key_events.h"
#include "platform/window/pad_devices.h"
#include "platform/window/sub_buffer.h"
#include "platform/window/vsync_probe.h"

namespace plat {
namespace {

class WindowBackend : public Backend {
 public:
  ~WindowBackend() override {
    CloseDisplay();
    if (audio_) SDL_CloseAudioDevice(audio_);
    if (audioUp_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    // Video stays up until the process ends. Quitting it closes the X
    // connection and with it the GL driver, which is then unloaded with a
    // few bytes it never frees; a leak checker can no longer tell whose
    // they are and blames the game. One connection, reused, also spares the
    // X server the rapid reconnects it sometimes refuses.
  }

  bool OpenDisplay(int width, int height, bool fullscreen, std::string* error) override {
    CloseDisplay();
    if (width <= 0 || height <= 0) return Fail(error, "the display size must be positive");
    if (!EnsureVideo(error)) return false;

    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, SDL_GL_CONTEXT_FORWARD_COMPATIBLE_FLAG);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);

    // A desktop full-screen window never changes the monitor's mode.
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_ALLOW_HIGHDPI;
    int windowW = width, windowH = height;
    // A window opens at the frame's size; the player may then resize or
    // maximise it, and the frame is scaled to fit with bars, as in full
    // screen.
    if (!fullscreen) flags |= SDL_WINDOW_RESIZABLE;
    if (fullscreen) {
      flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
      // Created at the desktop's size from the start: with no window
      // manager to grow it, the window would keep the frame's size while
      // SDL reports the desktop's, and the frame would land in a corner.
      SDL_DisplayMode desktop{};
      if (SDL_GetDesktopDisplayMode(0, &desktop) == 0 && desktop.w > 0 && desktop.h > 0) {
        windowW = desktop.w;
        windowH = desktop.h;
      }
    }
    window_ = SDL_CreateWindow(title_.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                               windowW, windowH, flags);
    if (!window_) return Fail(error, std::string("cannot open a window: ") + SDL_GetError());
    context_ = SDL_GL_CreateContext(window_);
    if (!context_ || SDL_GL_MakeCurrent(window_, context_) != 0 || epoxy_gl_version() < 33) {
      const std::string why = SDL_GetError();
      CloseDisplay();
      return Fail(error, "OpenGL 3.3 core profile is not available" +
                             (why.empty() ? std::string() : ": " + why));
    }
    std::string glError;
    if (!renderer_.Init(width, height, &glError)) {
      CloseDisplay();
      return Fail(error, "OpenGL set-up failed: " + glError);
    }
    int drawableW = 0, drawableH = 0;
    SDL_GL_GetDrawableSize(window_, &drawableW, &drawableH);
    renderer_.SetDrawableSize(drawableW, drawableH);
    subBuffer_.Setup(window_);
    ChoosePresent(false);
    fullscreen_ = fullscreen;
    swapInterval_ = -1;
    swapIntervalRefused_ = false;
    lastVsyncPresent_ = 0;
    probe_.Reset(RefreshRate());
    SDL_ShowCursor(pointerVisible_ ? SDL_ENABLE : SDL_DISABLE);
    SDL_StartTextInput();
    return true;
  }

  void CloseDisplay() override {
    subBuffer_.Forget();
    if (window_ && context_) {
      SDL_GL_MakeCurrent(window_, context_);
      renderer_.Shutdown();
    } else {
      renderer_.Shutdown();  // forgets the textures without touching GL
    }
    if (context_) SDL_GL_DeleteContext(context_);
    if (window_) {
      SDL_StopTextInput();
      SDL_DestroyWindow(window_);
    }
    context_ = nullptr;
    window_ = nullptr;
  }

  void SetTitle(const std::string& title) override {
    title_ = title;
    if (window_) SDL_SetWindowTitle(window_, title_.c_str());
  }

  void SetPointerVisible(bool visible) override {
    pointerVisible_ = visible;
    if (videoUp_) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
  }

  int CreateTexture(const TextureData& data) override {
    return window_ ? renderer_.CreateTexture(data) : -1;
  }

  void Clear() override {
    if (window_) renderer_.Clear();
  }

  void DrawQuads(int texture, BlendMode blend, const Quad* quads, int count) override {
    if (window_) renderer_.Draw(texture, blend, quads, count);
  }

  void Present(bool vsync) override {
    if (!window_) return;
    const int interval = vsync ? 1 : 0;
    if (interval != swapInterval_) {
      swapInterval_ = interval;
      const bool refused = SDL_GL_SetSwapInterval(interval) != 0;
      if (vsync) swapIntervalRefused_ = refused;
      lastVsyncPresent_ = 0;
    }
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(window_, &w, &h);
    const GlRenderer::Shown shown = renderer_.EndFrame(w, h);
    if (shown.swap) {
      SDL_GL_SwapWindow(window_);
    } else if (!subBuffer_.Show(shown.rects, shown.count)) {
      renderer_.WindowLost();  // shown whole once the new size is known
    }
    ChoosePresent(vsync);  // for the next frame

    const Uint64 now = SDL_GetPerformanceCounter();
    if (vsync && lastVsyncPresent_ != 0) {
      probe_.Sample(1000.0 * static_cast<double>(now - lastVsyncPresent_) /
                    static_cast<double>(SDL_GetPerformanceFrequency()));
    }
    lastVsyncPresent_ = vsync ? now : 0;
  }

  bool VsyncRunsAt(int rate) override {
    // In a window the refresh is the compositor's business: pace by the clock.
    if (!window_ || !fullscreen_ || swapIntervalRefused_) return false;
    return RefreshRate() == rate && probe_.Trusted();
  }

  int DrawCallsLastFrame() override { return renderer_.DrawCallsLastFrame(); }
  void SetBatching(bool on) override { renderer_.SetBatching(on); }
  void SetRedrawOnlyChanges(bool on) override {
    onlyChanges_ = on;
    if (window_) ChoosePresent(false);
  }

  void PollEvents(InputSink& sink) override {
    if (!videoUp_ && !pads_.started()) return;
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
      if (pads_.Handle(e, sink)) continue;
      switch (e.type) {
        case SDL_QUIT:
          sink.CloseRequest();
          break;
        case SDL_WINDOWEVENT:
          if (e.window.event == SDL_WINDOWEVENT_CLOSE) sink.CloseRequest();
          // Uncovered or shown again: what the window showed may be gone.
          if (e.window.event == SDL_WINDOWEVENT_EXPOSED ||
              e.window.event == SDL_WINDOWEVENT_SHOWN ||
              e.window.event == SDL_WINDOWEVENT_RESTORED ||
              e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
            renderer_.WindowLost();
          }
          // Key releases made while another window has the focus never come.
          if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) keys_.FocusLost(sink);
          break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
          keys_.Key(e.key.keysym.scancode, e.type == SDL_KEYDOWN, e.key.repeat != 0, sink);
          break;
        case SDL_TEXTINPUT:
          keys_.Text(e.text.text, sink);
          break;
        default:
          break;
      }
    }
  }

  void StartPads(const std::vector<std::string>& mappingFiles) override {
    pads_.Start(mappingFiles);
  }
  InputSink* ScriptPads() override { return pads_.started() ? &pads_ : nullptr; }

  bool SaveScreenshot(const std::string& path) override {
    if (!window_) return false;
    SDL_GL_MakeCurrent(window_, context_);
    std::vector<uint8_t> rgba;
    if (!renderer_.ReadShownFrame(&rgba)) return false;
    return WritePngRGBA(path, renderer_.FrameWidth(), renderer_.FrameHeight(), rgba.data());
  }

  int AskYesNoCancel(const std::string& caption, const std::string& text) override {
    const SDL_MessageBoxButtonData buttons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
        {0, 0, "No"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, -1, "Cancel"},
    };
    int answer = -1;
    // With no box at all, "no" lets start-up go on to the display, which
    // then reports what is wrong; "cancel" would quit without a word.
    if (!ShowBox(caption, text, buttons, 3, &answer)) return 0;
    return answer == 1 || answer == 0 ? answer : -1;
  }

  bool ShowMessage(const std::string& caption, const std::string& text) override {
    const SDL_MessageBoxButtonData buttons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0,
         "OK"},
    };
    int answer = 0;
    return ShowBox(caption, text, buttons, 1, &answer);
  }

  bool StartAudio(AudioPull pull, void* user) override {
    if (pull == nullptr) return false;
    if (audio_) {
      SDL_LockAudioDevice(audio_);
      pull_ = pull;
      pullUser_ = user;
      SDL_UnlockAudioDevice(audio_);
      return true;
    }
    if (!audioUp_) {
      if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
      audioUp_ = true;
    }
    pull_ = pull;
    pullUser_ = user;
    SDL_AudioSpec want{};
    want.freq = kAudioRate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;  // about 23 ms: short enough for sound effects
    want.callback = &WindowBackend::FillAudio;
    want.userdata = this;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to whatever the device really takes.
    audio_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (audio_ == 0) {
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      audioUp_ = false;
      return false;
    }
    SDL_PauseAudioDevice(audio_, 0);
    return true;
  }

  void LockAudio() override {
    if (audio_) SDL_LockAudioDevice(audio_);
  }
  void UnlockAudio() override {
    if (audio_) SDL_UnlockAudioDevice(audio_);
  }

 private:
  // Frames are drawn and shown only where they changed when the driver can
  // show part of the back buffer; that does not wait for the display, so
  // only while the game paces itself by the clock.
  void ChoosePresent(bool vsync) {
    renderer_.SetKeepsBackBuffer(subBuffer_.Usable() && onlyChanges_ && !vsync);
  }

  static bool Fail(std::string* error, const std::string& why) {
    if (error) *error = why;
    return false;
  }

  // Video starts lazily: the first-run question comes before any window.
  bool EnsureVideo(std::string* error) {
    if (videoUp_) return true;
    SDL_SetMainReady();
    // A message box over a full-screen window must not minimise the game.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    // An X server that has just dropped a client sometimes refuses the next
    // connection for a moment; a few tries tell that from no display at all.
    constexpr int kTries = 4;
    constexpr int kRetryMs = 50;
    for (int attempt = 1;; ++attempt) {
      if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        if (attempt < kTries) {
          SDL_Delay(kRetryMs);
          continue;
        }
        return Fail(error, std::string("no display: ") + SDL_GetError());
      }
      if (!SilentDriver()) break;
      // With no display SDL falls back on a driver that shows nothing; the
      // game would then run unseen. Those count only when asked for by name.
      SDL_QuitSubSystem(SDL_INIT_VIDEO);
      if (attempt == kTries) return Fail(error, "no display (is DISPLAY or WAYLAND_DISPLAY set?)");
      SDL_Delay(kRetryMs);
    }
    videoUp_ = true;
    SDL_ShowCursor(pointerVisible_ ? SDL_ENABLE : SDL_DISABLE);
    return true;
  }

  static bool SilentDriver() {
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    if (driver == nullptr) return false;
    const bool silent = SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0;
    return silent && !(asked != nullptr && SDL_strcasecmp(asked, driver) == 0);
  }

  int RefreshRate() const {
    if (!window_) return 0;
    SDL_DisplayMode mode{};
    const int display = SDL_GetWindowDisplayIndex(window_);
    if (display < 0 || SDL_GetCurrentDisplayMode(display, &mode) != 0) return 0;
    return mode.refresh_rate;
  }

  bool ShowBox(const std::string& caption, const std::string& text,
               const SDL_MessageBoxButtonData* buttons, int count, int* answer) {
    std::string error;
    if (!EnsureVideo(&error)) {
      std::fprintf(stderr, "%s: %s (%s)\n", caption.c_str(), text.c_str(), error.c_str());
      return false;
    }
    SDL_MessageBoxData box{};
    box.flags = SDL_MESSAGEBOX_INFORMATION | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    box.window = window_;
    box.title = caption.c_str();
    box.message = text.c_str();
    box.numbuttons = count;
    box.buttons = buttons;
    // The pointer is hidden in full screen; the box needs it.
    SDL_ShowCursor(SDL_ENABLE);
    const bool shown = SDL_ShowMessageBox(&box, answer) == 0;
    SDL_ShowCursor(pointerVisible_ ? SDL_ENABLE : SDL_DISABLE);
    if (!shown) {
      std::fprintf(stderr, "%s: %s (no message box: %s)\n", caption.c_str(), text.c_str(),
                   SDL_GetError());
    }
    if (window_ && context_) SDL_GL_MakeCurrent(window_, context_);
    return shown;
  }

  static void SDLCALL FillAudio(void* user, Uint8* stream, int bytes) {
    auto* self = static_cast<WindowBackend*>(user);
    self->pull_(reinterpret_cast<int16_t*>(stream), bytes / 4, self->pullUser_);
  }

  SDL_Window* window_ = nullptr;
  SDL_GLContext context_ = nullptr;
  bool videoUp_ = false;
  bool audioUp_ = false;
  SDL_AudioDeviceID audio_ = 0;
  AudioPull pull_ = nullptr;
  void* pullUser_ = nullptr;

  std::string title_;
  bool pointerVisible_ = true;
  bool fullscreen_ = false;
  GlRenderer renderer_;

  int swapInterval_ = -1;
  bool swapIntervalRefused_ = false;
  Uint64 lastVsyncPresent_ = 0;
  VsyncProbe probe_;
  SubBufferPresenter subBuffer_;
  bool onlyChanges_ = true;

  KeyEvents keys_;
  PadDevices pads_;
};

}  // namespace

std::unique_ptr<Backend> MakeWindowBackend() { return std::make_unique<WindowBackend>(); }

}  // namespace plat
