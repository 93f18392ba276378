// The window backend as the game opens and reopens it: audio, dialogs, displays.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/backend.h"
#include "platform/png_io.h"
#include "tests/platform/window_display.h"

namespace plat {
namespace {

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
  EXPECT_FALSE(backend->ShowMessage("Parvane", "shown on stderr instead"));
  backend->LockAudio();  // no device: nothing to lock, nothing breaks
  backend->UnlockAudio();
  std::string error;
  EXPECT_FALSE(backend->OpenDisplay(640, 480, false, &error));
  EXPECT_FALSE(error.empty());
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
