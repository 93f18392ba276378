// What a backend must provide under the platform operations. The shared core
// (platform/*.cpp) keeps the drawing state, turns sprites, labels, lines and
// rectangles into textured quads, decodes images, fonts and sounds, mixes the
// audio channels, counts key presses, runs the script and writes the trace;
// a backend only shows quads, reports raw input and plays mixed samples.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace plat {

// One corner of a quad: screen position in pixels of the game's frame
// (origin top-left), texture coordinate, colour with alpha (premultiplied
// by nothing: plain 0..255 tint).
struct Vertex {
  float x, y;
  float u, v;
  uint8_t r, g, b, a;
};

// Corners in drawing order: top-left, top-right, bottom-right, bottom-left
// of the untransformed image. All four carry the same colour: the window
// renderer paints a quad in one colour, not a gradient.
struct Quad {
  Vertex v[4];
};

enum BlendMode { kBlendAlpha = 3, kBlendLight = 4 };

// Texture 0 is a white texel every backend provides for lines and
// rectangles, so they share batches with sprites.
constexpr int kWhiteTexture = 0;

struct TextureData {
  int width = 0;
  int height = 0;
  const uint8_t* rgba = nullptr;  // width * height * 4 bytes, rows top first
  // The window backend filters every image trilinearly from mipmaps, as
  // the game asks for all of them: these two are not honoured there.
  bool filtered = true;  // bilinear (trilinear with mipmaps)
  bool mipmapped = true;
};

// Raw input reported by a backend. Keys are the game's virtual-key codes.
class InputSink {
 public:
  virtual ~InputSink() = default;
  virtual void KeyDown(int vk) = 0;  // a real press, never a key repeat
  virtual void KeyUp(int vk) = 0;
  virtual void TypedChar(int code) = 0;
  virtual void CloseRequest() = 0;
  // Controllers by the platform's numbers 1 to 8, in the standard layout.
  virtual void PadConnect(int /*pad*/, const std::string& /*name*/) {}
  virtual void PadDisconnect(int /*pad*/) {}
  virtual void PadButton(int /*pad*/, int /*button*/, bool /*down*/) {}
  virtual void PadAxis(int /*pad*/, int /*axis*/, float /*value*/) {}
};

// Fills `frames` stereo frames of signed 16-bit samples; called on the audio
// thread with the core's mixer lock held by the callee.
using AudioPull = void (*)(int16_t* stereo, int frames, void* user);
constexpr int kAudioRate = 44100;

class Backend {
 public:
  virtual ~Backend() = default;

  // fullscreen: a desktop full-screen window showing the width x height
  // frame scaled to fit with black bars; otherwise a window of that size.
  virtual bool OpenDisplay(int width, int height, bool fullscreen, std::string* error) = 0;
  // Destroys every texture but the white one.
  virtual void CloseDisplay() = 0;
  virtual void SetTitle(const std::string& title) = 0;
  virtual void SetPointerVisible(bool visible) = 0;

  // Returns a texture id > 0, or -1 on failure.
  virtual int CreateTexture(const TextureData& data) = 0;

  virtual void Clear() = 0;
  virtual void DrawQuads(int texture, BlendMode blend, const Quad* quads, int count) = 0;
  // Shows the frame. vsync: wait for the vertical blank.
  virtual void Present(bool vsync) = 0;
  // True when Present(true) really paces at `rate` frames per second.
  virtual bool VsyncRunsAt(int rate) = 0;
  virtual int DrawCallsLastFrame() = 0;
  virtual void SetBatching(bool on) = 0;
  // false: every frame is drawn and shown whole, even where it did not
  // change (benchmarks of drawing).
  virtual void SetRedrawOnlyChanges(bool) {}

  virtual void PollEvents(InputSink& sink) = 0;
  // Starts the controller subsystem with these extra mapping files (those
  // that exist are read).
  virtual void StartPads(const std::vector<std::string>& /*mappingFiles*/) {}
  // Where a script's controller actions go when the backend plays them as
  // real devices; nullptr: straight into the input state.
  virtual InputSink* ScriptPads() { return nullptr; }
  // Saves the frame last shown as a PNG of the game's frame size.
  virtual bool SaveScreenshot(const std::string& path) = 0;

  virtual int AskYesNoCancel(const std::string& caption, const std::string& text) = 0;
  // false when no box could be shown.
  virtual bool ShowMessage(const std::string& caption, const std::string& text) = 0;

  // Starts the audio device pulling mixed samples; false (and silence) when
  // there is none. LockAudio/UnlockAudio guard the mixer's state.
  virtual bool StartAudio(AudioPull pull, void* user) = 0;
  virtual void LockAudio() = 0;
  virtual void UnlockAudio() = 0;
};

std::unique_ptr<Backend> MakeHeadlessBackend();
std::unique_ptr<Backend> MakeWindowBackend();

}  // namespace plat
