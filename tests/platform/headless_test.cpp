// The platform run in-process with the headless backend, as scripted runs
// and other tests use it.
#include <gtest/gtest.h>

#include "platform/internal.h"
#include "platform/platform.h"
#include "tests/platform/test_util.h"

namespace {

class HeadlessRun : public ::testing::Test {
 protected:
  int Start(const std::string& script = "", long maxFrames = -1) {
    PlatformConfig config;
    config.headless = true;
    config.fakeClock = true;
    config.seeded = true;
    config.seed = 1;
    config.maxFrames = maxFrames;
    config.trace = dir_.File("trace.txt");
    if (!script.empty()) {
      config.script = dir_.File("script.txt");
      WriteBytes(config.script, script);
    }
    return PlatformInit(config, &error_);
  }
  std::vector<std::string> Trace() {
    PlatformShutdown();
    return ReadLines(dir_.File("trace.txt"));
  }
  void TearDown() override { PlatformShutdown(); }

  ScratchFolder dir_;
  std::string error_;
};

}  // namespace

TEST_F(HeadlessRun, DrawingLinesCarryTheStateInForce) {
  ASSERT_EQ(Start(), 0) << error_;
  ASSERT_TRUE(OpenDisplay(640, 480, 0, 60, 0));
  Cls();
  SetColor(100, 300, -5);  // clamped to 0..255
  SetAlpha(0.5);
  SetBlend(4);
  SetLineWidth(2.5);
  DrawLine(1, 2, 3.25, 4);
  SetDrawScale(0.375, 0.375);
  SetDrawAngle(-90);
  DrawRect(10, 20, 30.5, 1e7);
  Flip(-1);
  CloseDisplay();
  EXPECT_EQ(Trace(), (std::vector<std::string>{
                         "display open 640 480 0",
                         "cls",
                         "line 1 2 3.25 4 100 255 0 0.5 2.5 4",
                         "rect 10 20 30.5 1e+07 100 255 0 0.5 4",
                         "flip 1",
                         "display close",
                     }));
}

TEST_F(HeadlessRun, SpritesAndLabelsUseRealMediaSizes) {
  ASSERT_EQ(Start(), 0) << error_;
  ASSERT_TRUE(OpenDisplay(640, 480, 0, 60, 0));
  SetDefaultImageFlags(7);
  Image* ball = LoadSprite("media/ball.png", -1);
  ASSERT_NE(ball, nullptr);
  EXPECT_GT(SpriteWidth(ball), 0);
  EXPECT_GT(SpriteHeight(ball), 0);
  EXPECT_EQ(LoadSprite("media/none.png", -1), nullptr);
  Font* font = LoadLabelFont("media/font.ttf", 128, 4);
  ASSERT_NE(font, nullptr);
  SetLabelFont(font);
  double quit = LabelWidth("QUIT");
  EXPECT_GT(quit, LabelWidth("QU"));
  EXPECT_GT(LabelWidth("QU"), 0);
  EXPECT_EQ(LabelWidth(""), 0);
  EXPECT_GT(LabelHeight(), 100);
  // Bytes the font has no glyph for still get a sane width and draw safely.
  double odd = LabelWidth("\x01\xe9\xff");
  EXPECT_GT(odd, 0);
  EXPECT_LT(odd, 3 * 128);
  DrawLabel("\x01\xe9\xff", 0, 0);
  SetColor(100, 100, 100);
  SetDrawScale(0.375, 0.375);
  char x[32];
  snprintf(x, sizeof x, "%.6g", (640 - quit * 0.375) / 2);
  DrawLabel("QUIT", (640 - quit * 0.375) / 2, 337.5);
  SetDrawAngle(30);
  DrawSprite(ball, 5, 6, 0);
  DrawSprite(nullptr, 5, 6, 0);  // nothing drawn, nothing traced
  auto trace = Trace();
  ASSERT_EQ(trace.size(), 4u);
  EXPECT_EQ(trace[2], std::string("label ") + x + " 337.5 0.375 0.375 100 100 100 1 0 3 QUIT");
  EXPECT_EQ(trace[3], "sprite 5 6 0.375 0.375 100 100 100 1 30 3 ball.png");
}

TEST_F(HeadlessRun, ScriptActionsLandRightAfterTheirFlip) {
  ASSERT_EQ(Start("0 press ENTER\n2 press SPACE\n3 type hi\n4 close\n6 screenshot s.png\n"), 0)
      << error_;
  EXPECT_EQ(KeyPresses(13), 1);  // stamped 0: there before the game's first look
  ClearKeys();
  Flip(-1);
  EXPECT_FALSE(KeyHeld(13));
  EXPECT_EQ(KeyPresses(32), 0);
  Flip(-1);
  EXPECT_EQ(KeyPresses(32), 1);
  EXPECT_TRUE(KeyHeld(32));
  IdleWait();  // the pause's wait counts as a frame
  EXPECT_FALSE(KeyHeld(32));
  EXPECT_EQ(NextTypedChar(), 'h');
  EXPECT_EQ(NextTypedChar(), 'i');
  EXPECT_EQ(NextTypedChar(), 0);
  EXPECT_FALSE(CloseRequested());
  Flip(-1);
  EXPECT_TRUE(CloseRequested());
  EXPECT_FALSE(CloseRequested());  // cleared by the call
  EXPECT_EQ(Clock(), 50);          // the idle wait's 16 ms fall inside the third frame's due time
  Flip(1);
  Flip(1);
  EXPECT_EQ(Trace(), (std::vector<std::string>{"flip 1", "flip 2", "flip 4", "flip 5", "flip 6",
                                               "screenshot s.png"}));
}

TEST_F(HeadlessRun, QuestionsTakeQueuedAnswersThenNo) {
  ASSERT_EQ(Start("5 answer cancel\n0 answer yes\n"), 0) << error_;
  SetWindowTitle("Parvane");
  EXPECT_EQ(Proceed("Play Fullscreen?"), -1);
  EXPECT_EQ(Proceed("again?"), 1);
  EXPECT_EQ(Proceed("and again?"), 0);
  Notify("hello there");
  EXPECT_EQ(Trace(),
            (std::vector<std::string>{"proceed cancel Play Fullscreen?", "proceed yes again?",
                                      "proceed no and again?", "notify hello there"}));
}

TEST_F(HeadlessRun, FrameLimitRaisesACloseRequestAndKeepsRaisingIt) {
  ASSERT_EQ(Start("", 3), 0) << error_;
  Flip(-1);
  Flip(-1);
  EXPECT_FALSE(CloseRequested());
  Flip(-1);
  EXPECT_TRUE(CloseRequested());
  Flip(-1);
  EXPECT_TRUE(CloseRequested());
}

TEST_F(HeadlessRun, SoundsPlayOnNumberedChannelsUntilStopped) {
  ASSERT_EQ(Start(), 0) << error_;
  Channel* music = AllocChannel();
  Channel* cheer = AllocChannel();
  Sound* s = LoadSoundFile("media/cheers.ogg", 0);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(LoadSoundFile("media/missing.ogg", 0), nullptr);
  EXPECT_FALSE(Playing(cheer));
  PrepareSound(s, cheer);
  EXPECT_FALSE(Playing(cheer));  // prepared paused
  SetVolume(cheer, 2.0);
  Resume(cheer);
  for (int i = 0; i < 1000; ++i) Flip(-1);
  EXPECT_TRUE(Playing(cheer));  // no device: plays until stopped, the same every run
  Stop(cheer);
  EXPECT_FALSE(Playing(cheer));
  EXPECT_FALSE(Playing(music));
  auto trace = Trace();
  std::vector<std::string> sound;
  for (auto& l : trace)
    if (l.compare(0, 6, "sound ") == 0) sound.push_back(l);
  EXPECT_EQ(sound,
            (std::vector<std::string>{"sound load cheers.ogg", "sound prepare 2 cheers.ogg",
                                      "sound volume 2 2", "sound resume 2", "sound stop 2"}));
}

TEST_F(HeadlessRun, StartsAgainAfterShutdownAndFailsCleanly) {
  ASSERT_EQ(Start(), 0) << error_;
  ASSERT_TRUE(OpenDisplay(800, 600, 32, 60, 0));
  PlatformShutdown();
  ASSERT_EQ(Start(), 0) << error_;
  EXPECT_EQ(Clock(), 0);
  PlatformShutdown();
  EXPECT_EQ(Start("1 down A\n0 up A\n"), 2);
  EXPECT_NE(error_.find("line 2"), std::string::npos);
  PlatformConfig config;
  config.headless = true;
  config.mediaDir = dir_.File("nowhere");
  EXPECT_EQ(PlatformInit(config, &error_), 1);
  EXPECT_NE(error_.find("nowhere"), std::string::npos);
}

TEST_F(HeadlessRun, EndingAndMissingMediaThrowTheExitStatus) {
  ASSERT_EQ(Start(), 0) << error_;
  try {
    EndProgram();
  } catch (const ProgramExit& e) {
    EXPECT_EQ(e.status, 0);
  }
  testing::internal::CaptureStderr();
  try {
    FailMedia("media/logo.png");
  } catch (const ProgramExit& e) {
    EXPECT_EQ(e.status, 1);
  }
  std::string message = testing::internal::GetCapturedStderr();
  EXPECT_NE(message.find("logo.png"), std::string::npos);
  EXPECT_NE(message.find(MediaFolder()), std::string::npos);
}

TEST(WithoutInit, MediaAreFoundBesideTheExecutable) {
  PlatformShutdown();
  TextStream* s = OpenRead("media/man.txt");
  ASSERT_NE(s, nullptr);
  EXPECT_FALSE(Eof(s));
  EXPECT_TRUE(Close(s));
  PlatformShutdown();
}

// Where the desktop's box does not open, a window shows the message on the
// game's own screen; the drawing state is as it was afterwards.
TEST_F(HeadlessRun, AMessageNoBoxShowsGoesToTheGamesOwnScreen) {
  static std::string shown;
  static int width = 0;
  ASSERT_EQ(Start(), 0) << error_;
  SetMessageScreen([](const std::string& text, int w, int) {
    shown = text;
    width = w;
    SetColor(9, 9, 9);
  });
  Notify("before the display");
  ASSERT_TRUE(OpenDisplay(640, 480, 0, 60, 0));
  Notify("unattended");  // headless: nobody to show it to
  plat::State().window = true;  // as a window whose box cannot open
  SetColor(1, 2, 3);
  Notify("could not save scores.txt");
  plat::State().window = false;
  EXPECT_EQ(shown, "could not save scores.txt");
  EXPECT_EQ(width, 640);
  DrawRect(0, 0, 1, 1);
  const std::vector<std::string> trace = Trace();
  EXPECT_EQ(trace.back(), "rect 0 0 1 1 1 2 3 1 3");
}
