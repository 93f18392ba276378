// Whole frames of the game in a real window (skipped without a display):
// however many images and blend changes a menu or a busy match draws, the
// renderer sends each frame as one draw call.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "app/game.h"
#include "effects/fireworks.h"
#include "match/matchloop.h"
#include "match/tlevel.h"
#include "platform/platform.h"
#include "shellrun.h"

namespace {

class WindowFrames : public ShellRun {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') GTEST_SKIP() << "no DISPLAY";
    ShellRun::SetUp();
  }

  // The window platform, with the game's media loaded at 640 x 480.
  void StartWindow(const std::string& script) {
    WriteFile("script.txt", script);
    PlatformConfig config;
    config.fakeClock = true;
    config.seeded = true;
    config.seed = 1;
    config.script = "script.txt";
    config.maxFrames = 2000;
    std::string error;
    ASSERT_EQ(PlatformInit(config, &error), 0) << error;
    started_ = true;
    app_ = std::make_unique<game>();
    app_->changeres(0, 1, 0);
  }

  void TearDown() override {
    app_.reset();
    ShellRun::TearDown();
  }

  std::unique_ptr<game> app_;
};

TEST_F(WindowFrames, TheTitleMenuIsOneDrawCall) {
  StartWindow("6 press DOWN\n10 press ENTER\n");
  EXPECT_EQ(app_->startscreen(1), 2);
  EXPECT_EQ(LastFrameDrawCalls(), 1);
}

TEST_F(WindowFrames, AMatchWithFireworksIsOneDrawCall) {
  StartWindow("");
  tlevel level;
  level.images = app_->images;
  matchsetup setup = newsetup(*app_, "custom");
  setup.trail = 2;
  setup.fireworks = 0;  // the test keeps its own alive
  setup.custom.numplayers = 4;
  ASSERT_EQ(level.startmatch(setup), 0);
  matchloop loop(level);
  for (int frame = 0; frame < 60; ++frame) {
    if (frame == 10) {
      // Sparks, trail, bodies, obstacles and the tally: both blend modes,
      // taking turns, over every image of the game.
      for (int k = 0; k < 3; ++k) {
        level.fireworkslist.push_back(std::make_unique<Tfirework>());
        level.fireworkslist.back()->init(level.xcenter, level.ycenter, -2000, 0, 0, 20, 200, 120,
                                         40, 400, level.images.starimage, 0);
      }
    }
    loop.playframe();
  }
  EXPECT_EQ(level.fireworkslist.size(), 3u);
  EXPECT_EQ(LastFrameDrawCalls(), 1);
  SetBatching(false);
  loop.playframe();
  EXPECT_GT(LastFrameDrawCalls(), 500);  // the baseline really is one call per quad
  SetBatching(true);
}

}  // namespace
