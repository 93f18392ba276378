// The window backend: its pure pieces everywhere, the real window only where
// a display is set (CI runs these under Xvfb).
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/backend.h"
#include "platform/png_io.h"
#include "platform/window/gl_renderer.h"
#include "platform/window/key_events.h"
#include "platform/window/keymap.h"
#include "platform/window/letterbox.h"
#include "platform/window/quad_batcher.h"
#include "platform/window/vsync_probe.h"

namespace plat {
namespace {

// Scancodes are USB usage numbers, fixed by SDL's ABI.
TEST(WindowKeys, PhysicalKeysMapToVirtualKeys) {
  const int pairs[][2] = {
      {4, 'A'}, {29, 'Z'}, {30, '1'},   {39, '0'},  // 0 comes after 9 among scancodes
      {40, 13}, {88, 13},                           // both Enter keys confirm
      {41, 27}, {44, 32},  {80, 37},    {82, 38},
      {79, 39}, {81, 40},  {89, 97},    {98, 96},  // keypad 1, keypad 0
      {58, 0},  {-5, 0},   {100000, 0},            // F1 and nonsense: ignored
  };
  for (const auto& p : pairs) EXPECT_EQ(VirtualKeyForScancode(p[0]), p[1]) << p[0];
}

TEST(WindowText, DecodesUtf8AndReplacesMalformedBytes) {
  EXPECT_EQ(DecodeUtf8("Ab 1"), (std::vector<int>{'A', 'b', ' ', '1'}));
  EXPECT_EQ(DecodeUtf8("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"),
            (std::vector<int>{0xE9, 0x20AC, 0x1F600}));
  const int bad = 0xFFFD;
  EXPECT_EQ(DecodeUtf8("\x80x"), (std::vector<int>{bad, 'x'}));              // stray continuation
  EXPECT_EQ(DecodeUtf8("\xE2\x82"), (std::vector<int>{bad, bad}));           // cut short
  EXPECT_EQ(DecodeUtf8("\xC0\x80"), (std::vector<int>{bad, bad}));           // overlong NUL
  EXPECT_EQ(DecodeUtf8("\xED\xA0\x80"), (std::vector<int>{bad, bad, bad}));  // surrogate
  EXPECT_EQ(DecodeUtf8("\xF4\x90\x80\x80"), (std::vector<int>(4, bad)));     // past U+10FFFF
  EXPECT_EQ(DecodeUtf8("\xC3"
                       "A"),
            (std::vector<int>{bad, 'A'}));  // resynchronises
  EXPECT_TRUE(DecodeUtf8("").empty());
}

// Records what the game would hear, as one string per call.
struct SinkLog : InputSink {
  std::vector<std::string> calls;
  void KeyDown(int vk) override { calls.push_back("down " + std::to_string(vk)); }
  void KeyUp(int vk) override { calls.push_back("up " + std::to_string(vk)); }
  void TypedChar(int code) override { calls.push_back("char " + std::to_string(code)); }
  void CloseRequest() override { calls.push_back("close"); }
};

TEST(WindowKeys, RepeatsAreNotPressesButBackspaceKeepsTyping) {
  KeyEvents keys;
  SinkLog log;
  const int a = 4, backspace = 42, del = 76, f1 = 58;
  keys.Key(a, true, false, log);
  keys.Key(a, true, true, log);  // auto-repeat
  keys.Key(a, false, false, log);
  keys.Key(a, false, false, log);  // a release with nothing down
  keys.Key(backspace, true, false, log);
  keys.Key(backspace, true, true, log);
  keys.Key(backspace, false, false, log);
  keys.Key(del, true, false, log);
  keys.Key(f1, true, false, log);  // not the game's: nothing at all
  keys.Key(f1, false, false, log);
  EXPECT_EQ(log.calls, (std::vector<std::string>{"down 65", "up 65", "char 8", "down 8", "char 8",
                                                 "up 8", "char 127"}));
}

TEST(WindowKeys, LosingFocusReleasesHeldKeysOnce) {
  KeyEvents keys;
  SinkLog log;
  keys.Key(80, true, false, log);  // left arrow
  keys.Key(26, true, false, log);  // W
  keys.FocusLost(log);
  keys.Key(80, false, false, log);  // the late release finds nothing held
  EXPECT_EQ(log.calls, (std::vector<std::string>{"down 37", "down 87", "up 37", "up 87"}));
}

// SDL's dummy audio driver needs no sound card, so the callback path is
// checked everywhere.
TEST(WindowAudio, PullsStereoFramesUntilTheBackendGoes) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  struct Counter {
    std::atomic<int> calls{0};
    std::atomic<int> badFrames{0};
  } counter;
  auto pull = [](int16_t* stereo, int frames, void* user) {
    auto* c = static_cast<Counter*>(user);
    if (frames <= 0) c->badFrames++;
    for (int i = 0; i < frames * 2; ++i) stereo[i] = 0;
    c->calls++;
  };
  auto backend = MakeWindowBackend();
  if (!backend->StartAudio(pull, &counter)) {
    unsetenv("SDL_AUDIODRIVER");
    GTEST_SKIP() << "SDL has no dummy audio driver here";
  }
  for (int i = 0; i < 500 && counter.calls.load() == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_GT(counter.calls.load(), 0);
  backend->LockAudio();  // the callback waits while the mixer is changed
  const int held = counter.calls.load();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(counter.calls.load(), held);
  backend->UnlockAudio();
  backend.reset();  // closes the device: no call may come after this
  const int last = counter.calls.load();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(counter.calls.load(), last);
  EXPECT_EQ(counter.badFrames.load(), 0);
  unsetenv("SDL_AUDIODRIVER");
}

TEST(WindowDialogs, WithNoDisplayTheQuestionAnswersNoAtOnce) {
  if (std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr) {
    GTEST_SKIP() << "a real box would wait for a click";
  }
  // "No" lets start-up go on to opening the display, which then says why
  // it cannot; "cancel" would end the program without a word.
  auto backend = MakeWindowBackend();
  EXPECT_EQ(backend->AskYesNoCancel("Parvane", "Play Fullscreen?"), 0);
  backend->ShowMessage("Parvane", "shown on stderr instead");
  backend->LockAudio();  // no device: nothing to lock, nothing breaks
  backend->UnlockAudio();
  std::string error;
  EXPECT_FALSE(backend->OpenDisplay(640, 480, false, &error));
  EXPECT_FALSE(error.empty());
}

TEST(WindowLetterbox, FrameFitsWithCentredBars) {
  auto same = [](PixelRect a, PixelRect b) {
    return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
  };
  EXPECT_TRUE(same(FitFrame(640, 480, 640, 480), {0, 0, 640, 480}));
  EXPECT_TRUE(same(FitFrame(800, 600, 1600, 1200), {0, 0, 1600, 1200}));     // high-DPI
  EXPECT_TRUE(same(FitFrame(640, 480, 1280, 1024), {0, 32, 1280, 960}));     // bars top and bottom
  EXPECT_TRUE(same(FitFrame(1024, 768, 1920, 1080), {240, 0, 1440, 1080}));  // at the sides
  EXPECT_TRUE(same(FitFrame(1024, 768, 0, 0), {0, 0, 0, 0}));                // minimised window
  const PixelRect tiny = FitFrame(1024, 768, 1, 1000);
  EXPECT_GE(tiny.w, 1);
  EXPECT_GE(tiny.h, 1);
}

Quad QuadAt(float x, float y, float w, float h, uint8_t r = 255, uint8_t g = 255, uint8_t b = 255,
            uint8_t a = 255) {
  Quad q;
  q.v[0] = {x, y, 0, 0, r, g, b, a};
  q.v[1] = {x + w, y, 1, 0, r, g, b, a};
  q.v[2] = {x + w, y + h, 1, 1, r, g, b, a};
  q.v[3] = {x, y + h, 0, 1, r, g, b, a};
  return q;
}

struct Run {
  std::vector<int> textures;  // one per slot
  BlendMode blend;
  std::vector<float> xs;          // first corner x of each quad, to check the order
  std::vector<int> quadTextures;  // the texture each quad samples
};

struct Recorder {
  std::vector<Run> runs;
  QuadBatcher::Sink Sink() {
    return [this](const QuadBatcher::Batch& b) {
      Run run{std::vector<int>(b.textures, b.textures + b.textureCount), b.blend, {}, {}};
      for (int i = 0; i < b.count; ++i) {
        run.xs.push_back(b.quads[i].v[0].x);
        run.quadTextures.push_back(b.slots[i] < b.textureCount ? b.textures[b.slots[i]] : -1);
      }
      runs.push_back(std::move(run));
    };
  }
};

TEST(WindowBatcher, BatchesBreakOnlyAtBlendCapacityOrOneTextureTooMany) {
  Recorder rec;
  QuadBatcher batcher(4, 2, rec.Sink());
  Quad q[6] = {QuadAt(0, 0, 1, 1), QuadAt(1, 0, 1, 1), QuadAt(2, 0, 1, 1),
               QuadAt(3, 0, 1, 1), QuadAt(4, 0, 1, 1), QuadAt(5, 0, 1, 1)};
  batcher.Add(1, kBlendAlpha, &q[0], 1);
  batcher.Add(2, kBlendAlpha, &q[1], 1);
  batcher.Add(1, kBlendAlpha, &q[2], 1);
  EXPECT_TRUE(rec.runs.empty());          // nothing drawn before it has to be
  batcher.Add(3, kBlendAlpha, &q[3], 1);  // a third texture with two slots
  batcher.Add(3, kBlendLight, &q[4], 1);
  batcher.Flush();
  batcher.Flush();  // nothing pending: no empty batch
  ASSERT_EQ(rec.runs.size(), 3u);
  EXPECT_EQ(rec.runs[0].textures, (std::vector<int>{1, 2}));
  EXPECT_EQ(rec.runs[0].xs, (std::vector<float>{0, 1, 2}));
  EXPECT_EQ(rec.runs[0].quadTextures, (std::vector<int>{1, 2, 1}));
  EXPECT_EQ(rec.runs[1].textures, (std::vector<int>{3}));  // slots start over
  EXPECT_EQ(rec.runs[1].blend, kBlendAlpha);
  EXPECT_EQ(rec.runs[2].blend, kBlendLight);
  EXPECT_EQ(rec.runs[2].xs, (std::vector<float>{4}));
  EXPECT_EQ(rec.runs[2].quadTextures, (std::vector<int>{3}));

  // Six quads through a buffer of four: split at the capacity, order kept,
  // and the second batch still knows its texture.
  rec.runs.clear();
  batcher.Add(5, kBlendAlpha, &q[0], 1);
  batcher.Add(7, kBlendAlpha, q, 6);
  batcher.Flush();
  ASSERT_EQ(rec.runs.size(), 2u);
  EXPECT_EQ(rec.runs[0].xs, (std::vector<float>{0, 0, 1, 2}));
  EXPECT_EQ(rec.runs[0].quadTextures, (std::vector<int>{5, 7, 7, 7}));
  EXPECT_EQ(rec.runs[1].textures, (std::vector<int>{7}));
  EXPECT_EQ(rec.runs[1].xs, (std::vector<float>{3, 4, 5}));

  // Nothing to add, or a cleared frame, draws nothing; the slots go too.
  rec.runs.clear();
  batcher.Add(7, kBlendAlpha, nullptr, 3);
  batcher.Add(7, kBlendAlpha, q, 0);
  batcher.Add(7, kBlendAlpha, q, 2);
  batcher.Add(8, kBlendAlpha, q, 1);
  batcher.Discard();
  batcher.Flush();
  EXPECT_TRUE(rec.runs.empty());
  batcher.Add(9, kBlendAlpha, q, 1);
  batcher.Flush();
  ASSERT_EQ(rec.runs.size(), 1u);
  EXPECT_EQ(rec.runs[0].textures, (std::vector<int>{9}));
}

TEST(WindowBatcher, BatchingOffDrawsEveryQuadAlone) {
  Recorder rec;
  QuadBatcher batcher(64, 8, rec.Sink());
  Quad q[3] = {QuadAt(0, 0, 1, 1), QuadAt(1, 0, 1, 1), QuadAt(2, 0, 1, 1)};
  batcher.Add(1, kBlendAlpha, q, 2);
  batcher.SetBatching(false);  // hands over what was pending first
  ASSERT_EQ(rec.runs.size(), 1u);
  batcher.Add(1, kBlendAlpha, q, 2);
  batcher.Add(2, kBlendAlpha, &q[2], 1);
  ASSERT_EQ(rec.runs.size(), 4u);
  EXPECT_EQ(batcher.Pending(), 0);
  for (size_t i = 1; i < 4; ++i) EXPECT_EQ(rec.runs[i].textures.size(), 1u);
  EXPECT_EQ(rec.runs[3].quadTextures, (std::vector<int>{2}));
}

TEST(WindowVsync, DistrustsPresentsThatDoNotWait) {
  VsyncProbe probe;
  probe.Reset(60);
  for (int i = 0; i < 200; ++i) probe.Sample(i % 3 == 0 ? 40.0 : 16.6);  // slow frames too
  EXPECT_TRUE(probe.Trusted());

  probe.Reset(60);
  for (int i = 0; i < 19; ++i) probe.Sample(0.5);
  EXPECT_TRUE(probe.Trusted());  // a burst too short to judge
  for (int i = 0; i < 5; ++i) probe.Sample(0.5);
  EXPECT_FALSE(probe.Trusted());
  for (int i = 0; i < 100; ++i) probe.Sample(16.6);
  EXPECT_FALSE(probe.Trusted());  // no flapping back and forth
  probe.Reset(60);
  EXPECT_TRUE(probe.Trusted());
}

// ---- The real window ---------------------------------------------------------

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

  void CheckTexturesShareADrawCall();

  static std::unique_ptr<Backend> shared_;
  Backend* backend_ = nullptr;
  int errorsBefore_ = 0;
};

std::unique_ptr<Backend> WindowDisplay::shared_;

bool Near(const std::vector<int>& got, const std::vector<int>& expected, int tolerance) {
  for (size_t i = 0; i < expected.size(); ++i) {
    if (std::abs(got[i] - expected[i]) > tolerance) return false;
  }
  return true;
}

TEST_F(WindowDisplay, DrawsBlendsAndSavesTheFrameTopRowFirst) {
  Open(640, 480);
  const uint8_t texels[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 0};
  TextureData data;
  data.width = data.height = 2;
  data.rgba = texels;
  data.filtered = data.mipmapped = false;
  const int tex = backend_->CreateTexture(data);
  ASSERT_GT(tex, 0);

  backend_->Clear();
  Draw(kWhiteTexture, kBlendAlpha, QuadAt(0, 0, 100, 40, 255, 0, 0));             // top band, red
  Draw(kWhiteTexture, kBlendAlpha, QuadAt(0, 100, 100, 40, 255, 255, 255, 128));  // half white
  Draw(kWhiteTexture, kBlendLight, QuadAt(200, 0, 50, 50, 200, 0, 0));
  Draw(kWhiteTexture, kBlendLight, QuadAt(200, 0, 50, 50, 200, 100, 0, 255));  // saturates red
  Draw(kWhiteTexture, kBlendLight,
       QuadAt(300, 0, 50, 50, 255, 255, 255, 64));  // alpha scales light
  Draw(tex, kBlendAlpha, QuadAt(400, 0, 20, 20));   // 2x2 texels, nearest: 10 px squares
  backend_->Present(false);

  const PngImage shot = Shot();
  ASSERT_EQ(shot.width, 640);
  ASSERT_EQ(shot.height, 480);
  EXPECT_EQ(Pixel(shot, 50, 20), (std::vector<int>{255, 0, 0}));
  EXPECT_EQ(Pixel(shot, 50, 470), (std::vector<int>{0, 0, 0}));  // not flipped upside down
  EXPECT_TRUE(Near(Pixel(shot, 50, 120), {128, 128, 128}, 2));
  EXPECT_EQ(Pixel(shot, 225, 25), (std::vector<int>{255, 100, 0}));
  EXPECT_TRUE(Near(Pixel(shot, 325, 25), {64, 64, 64}, 2));
  EXPECT_EQ(Pixel(shot, 405, 5), (std::vector<int>{255, 0, 0}));
  EXPECT_EQ(Pixel(shot, 415, 5), (std::vector<int>{0, 255, 0}));
  EXPECT_EQ(Pixel(shot, 405, 15), (std::vector<int>{0, 0, 255}));
  EXPECT_EQ(Pixel(shot, 415, 15), (std::vector<int>{0, 0, 0}));   // transparent texel
  EXPECT_EQ(Pixel(shot, 99, 39), (std::vector<int>{255, 0, 0}));  // edges land on pixels
  EXPECT_EQ(Pixel(shot, 100, 40), (std::vector<int>{0, 0, 0}));
}

TEST_F(WindowDisplay, CountsDrawCallsWithAndWithoutBatching) {
  Open(640, 480);
  const uint8_t texel[4] = {255, 255, 255, 255};
  TextureData data;
  data.width = data.height = 1;
  data.rgba = texel;
  const int tex = backend_->CreateTexture(data);
  ASSERT_GT(tex, 0);
  std::vector<Quad> quads;
  for (int i = 0; i < 300; ++i) quads.push_back(QuadAt(i % 600, i / 2, 4, 4));

  backend_->Clear();
  for (const Quad& q : quads) Draw(tex, kBlendLight, q);
  for (int i = 0; i < 10; ++i) Draw(kWhiteTexture, kBlendAlpha, quads[i]);
  backend_->Present(false);
  EXPECT_EQ(backend_->DrawCallsLastFrame(), 2);

  backend_->Clear();
  for (int i = 0; i < 10; ++i) Draw(i % 2 ? tex : kWhiteTexture, kBlendAlpha, quads[i]);
  backend_->Present(false);
  EXPECT_EQ(backend_->DrawCallsLastFrame(), 1);

  backend_->SetBatching(false);
  backend_->Clear();
  backend_->DrawQuads(tex, kBlendLight, quads.data(), 300);
  backend_->Present(false);
  EXPECT_EQ(backend_->DrawCallsLastFrame(), 300);
  backend_->SetBatching(true);

  backend_->Clear();
  backend_->Present(false);
  EXPECT_EQ(backend_->DrawCallsLastFrame(), 0);
}

// Quads of up to eight textures share a draw call; each must still sample
// its own texture, at the right mipmap level.
TEST_F(WindowDisplay, TexturesShareADrawCallYetEachQuadDrawsItsOwn) {
  // Software rasterisers get two units; the full eight must work too.
  for (const int forced : {0, 8}) {
    ForceTexturesPerBatch(forced);
    CheckTexturesShareADrawCall();
    ForceTexturesPerBatch(0);
    backend_->CloseDisplay();
  }
}

void WindowDisplay::CheckTexturesShareADrawCall() {
  Open(640, 480);
  const int units = TexturesPerBatch();
  ASSERT_GE(units, 2);
  const std::vector<std::vector<int>> colours = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},
                                                 {255, 255, 0}, {0, 255, 255}, {255, 0, 255},
                                                 {128, 64, 0},  {0, 128, 64},  {64, 0, 128}};
  std::vector<int> tex;
  for (const auto& c : colours) {
    std::vector<uint8_t> texels;
    for (int i = 0; i < 4; ++i) {
      texels.insert(texels.end(), {static_cast<uint8_t>(c[0]), static_cast<uint8_t>(c[1]),
                                   static_cast<uint8_t>(c[2]), 255});
    }
    TextureData data;
    data.width = data.height = 2;
    data.rgba = texels.data();
    tex.push_back(backend_->CreateTexture(data));
    ASSERT_GT(tex.back(), 0);
  }

  // Two textures alternating, as a body's balls and links do.
  backend_->Clear();
  for (int i = 0; i < 6; ++i) Draw(tex[i % 2], kBlendAlpha, QuadAt(i * 20.0f, 0, 20, 20));
  backend_->Present(false);
  EXPECT_EQ(backend_->DrawCallsLastFrame(), 1);
  PngImage shot = Shot();
  for (int i = 0; i < 6; ++i) EXPECT_EQ(Pixel(shot, i * 20 + 10, 10), colours[i % 2]) << i;

  // A batch full of textures ends at the next new one; the last batch (a
  // ninth texture alone with eight units) takes the first texture back.
  backend_->Clear();
  for (int i = 0; i < 9; ++i) Draw(tex[i], kBlendAlpha, QuadAt(i * 20.0f, 0, 20, 20));
  Draw(tex[0], kBlendAlpha, QuadAt(180, 0, 20, 20));
  backend_->Present(false);
  EXPECT_EQ(backend_->DrawCallsLastFrame(), (9 + units - 1) / units);
  shot = Shot();
  for (int i = 0; i < 10; ++i) EXPECT_EQ(Pixel(shot, i * 20 + 10, 10), colours[i % 9]) << i;

  // A one-texel checkerboard shrunk four times reads as grey only when the
  // mipmap level follows the shrinking; full size it stays black and white.
  std::vector<uint8_t> checker;
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const uint8_t v = (x + y) % 2 ? 255 : 0;
      checker.insert(checker.end(), {v, v, v, 255});
    }
  }
  TextureData data;
  data.width = data.height = 64;
  data.rgba = checker.data();
  data.filtered = false;  // nearest texel of the nearest level: no blur to hide a wrong level
  const int board = backend_->CreateTexture(data);
  ASSERT_GT(board, 0);
  backend_->Clear();
  Draw(tex[0], kBlendAlpha, QuadAt(0, 100, 16, 16));
  Draw(tex[1], kBlendAlpha, QuadAt(16, 100, 16, 16));
  Draw(board, kBlendAlpha, QuadAt(100, 100, 16, 16));
  Draw(tex[2], kBlendAlpha, QuadAt(200, 100, 16, 16));
  Draw(board, kBlendAlpha, QuadAt(300, 100, 64, 64));
  backend_->Present(false);
  EXPECT_EQ(backend_->DrawCallsLastFrame(), units >= 4 ? 1 : 2);
  shot = Shot();
  EXPECT_EQ(Pixel(shot, 8, 108), colours[0]);
  EXPECT_EQ(Pixel(shot, 208, 108), colours[2]);
  for (int y = 101; y < 115; y += 3) {
    for (int x = 101; x < 115; x += 3) EXPECT_TRUE(Near(Pixel(shot, x, y), {128, 128, 128}, 2));
  }
  EXPECT_EQ(Pixel(shot, 320, 120), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(Pixel(shot, 321, 120), (std::vector<int>{255, 255, 255}));
}

TEST_F(WindowDisplay, ScreenshotShowsTheFrameLastPresented) {
  Open(640, 480);
  backend_->Clear();
  Draw(kWhiteTexture, kBlendAlpha, QuadAt(0, 0, 640, 480, 0, 0, 255));
  backend_->Present(false);
  backend_->Clear();  // the next frame is under way
  Draw(kWhiteTexture, kBlendAlpha, QuadAt(0, 0, 640, 480, 255, 0, 0));
  EXPECT_EQ(Pixel(Shot(), 320, 240), (std::vector<int>{0, 0, 255}));
  backend_->Present(false);

  // Drawing on without a clear keeps what was shown underneath.
  Draw(kWhiteTexture, kBlendAlpha, QuadAt(0, 0, 10, 10, 0, 255, 0));
  EXPECT_EQ(Pixel(Shot(), 5, 5), (std::vector<int>{255, 0, 0}));
  backend_->Present(false);
  const PngImage shot = Shot();
  EXPECT_EQ(Pixel(shot, 5, 5), (std::vector<int>{0, 255, 0}));
  EXPECT_EQ(Pixel(shot, 320, 240), (std::vector<int>{255, 0, 0}));
}

// A window of the frame's size is drawn into directly and the frame is kept
// as a list of quads; a letterboxed one goes through the offscreen frame.
// Both must build on the shown frame when the game draws on without a
// clear, however long it does so.
TEST_F(WindowDisplay, FramesWithoutAClearBuildOnTheShownOne) {
  for (const bool fullscreen : {false, true}) {
    Open(640, 480, fullscreen);
    backend_->Clear();
    Draw(kWhiteTexture, kBlendAlpha, QuadAt(0, 0, 10, 10, 255, 255, 255, 128));
    backend_->Present(false);
    Draw(kWhiteTexture, kBlendAlpha, QuadAt(0, 0, 10, 10, 255, 255, 255, 128));
    backend_->Present(false);
    backend_->Present(false);  // nothing new: the same frame again
    // Five frames of 20000 quads each, none cleared, the first 10 adding
    // light to one spot.
    std::vector<Quad> quads(20000, QuadAt(600, 400, 2, 2, 255, 255, 255, 255));
    for (int i = 0; i < 10; ++i) quads[i] = QuadAt(100, 0, 10, 10, 1, 2, 3);
    for (int frame = 0; frame < 5; ++frame) {
      backend_->DrawQuads(kWhiteTexture, kBlendLight, quads.data(), 20000);
      backend_->Present(false);
    }
    const PngImage shot = Shot();
    EXPECT_TRUE(Near(Pixel(shot, 5, 5), {192, 192, 192}, 2)) << fullscreen;
    EXPECT_EQ(Pixel(shot, 105, 5), (std::vector<int>{50, 100, 150})) << fullscreen;
    EXPECT_EQ(Pixel(shot, 300, 300), (std::vector<int>{0, 0, 0})) << fullscreen;
    backend_->Clear();
    backend_->Present(false);
    EXPECT_EQ(Pixel(Shot(), 5, 5), (std::vector<int>{0, 0, 0})) << fullscreen;
    backend_->CloseDisplay();
  }
}

TEST_F(WindowDisplay, ReopeningInvalidatesOldTexturesButKeepsWhite) {
  const uint8_t texel[4] = {0, 255, 0, 255};
  TextureData data;
  data.width = data.height = 1;
  data.rgba = texel;
  EXPECT_EQ(backend_->CreateTexture(data), -1);  // no display yet
  int old = -1;
  const int sizes[3][2] = {{640, 480}, {800, 600}, {1024, 768}};
  for (const auto& size : sizes) {
    Open(size[0], size[1]);
    backend_->Clear();
    if (old > 0) Draw(old, kBlendAlpha, QuadAt(0, 0, 50, 50));  // stale: draws nothing
    Draw(kWhiteTexture, kBlendAlpha, QuadAt(100, 0, 50, 50));
    backend_->Present(false);
    const PngImage shot = Shot();
    EXPECT_EQ(shot.width, size[0]);
    EXPECT_EQ(shot.height, size[1]);
    EXPECT_EQ(Pixel(shot, 25, 25), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(Pixel(shot, 125, 25), (std::vector<int>{255, 255, 255}));
    const int fresh = backend_->CreateTexture(data);
    EXPECT_GT(fresh, old);
    old = fresh;
    backend_->CloseDisplay();
  }
  EXPECT_FALSE(backend_->SaveScreenshot(::testing::TempDir() + "window_closed.png"));

  TextureData broken = data;
  Open(640, 480);
  broken.rgba = nullptr;
  EXPECT_EQ(backend_->CreateTexture(broken), -1);
  broken = data;
  broken.width = 0;
  EXPECT_EQ(backend_->CreateTexture(broken), -1);
  broken.width = 1 << 20;
  EXPECT_EQ(backend_->CreateTexture(broken), -1);
}

TEST_F(WindowDisplay, FullScreenKeepsTheFrameSizeAndDoesNotClaimVsyncInAWindow) {
  Open(640, 480, true);
  backend_->Clear();
  Draw(kWhiteTexture, kBlendAlpha, QuadAt(0, 0, 640, 480, 0, 255, 0));
  backend_->Present(false);
  const PngImage shot = Shot();
  EXPECT_EQ(shot.width, 640);
  EXPECT_EQ(shot.height, 480);
  EXPECT_EQ(Pixel(shot, 639, 479), (std::vector<int>{0, 255, 0}));
  backend_->CloseDisplay();

  Open(640, 480, false);
  backend_->Present(true);
  EXPECT_FALSE(backend_->VsyncRunsAt(60));
}

}  // namespace
}  // namespace plat
