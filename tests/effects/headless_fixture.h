// A headless platform in a fresh working folder, with a scripted keyboard
// and a trace to read back, and a bare match to run effects and phases on.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "match/capture.h"
#include "match/tlevel.h"
#include "physics/border.h"
#include "physics/mainball.h"
#include "platform/platform.h"
#include "players/man.h"
#include "tests/scratch_folder.h"

// Fields of a trace line "sprite X Y SX SY R G B A ANGLE BLEND NAME".
struct SpriteLine {
  double x = 0, y = 0, sx = 0, sy = 0;
  int r = 0, g = 0, b = 0;
  double alpha = 0, angle = 0;
  int blend = 0;
  std::string name;
};

// Fields of a trace line "label X Y SX SY R G B A ANGLE BLEND TEXT".
struct TextLine {
  double x = 0, y = 0, scale = 0;
  int r = 0, g = 0, b = 0;
  double alpha = 0;
  std::string text;
};

class HeadlessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scratch_.Enter());
    home_ = scratch_.home();
    dir_ = scratch_.path();
  }

  void TearDown() override {
    level_.reset();
    Stop();
  }

  // Starts the platform; script actions stamped F take effect after the
  // F-th call of Flip.
  // With seeded false, SeedRandom takes its own argument.
  void Start(const std::string& script = "", bool seeded = true, bool trace = true) {
    std::ofstream(dir_ / "script.txt") << script;
    PlatformConfig config;
    config.headless = true;
    config.fakeClock = true;
    config.seeded = seeded;
    config.seed = 7;
    config.script = (dir_ / "script.txt").string();
    if (trace) config.trace = (dir_ / "trace.txt").string();
    config.maxFrames = 100000;
    config.mediaDir = (home_ / "media").string();
    std::string error;
    ASSERT_EQ(PlatformInit(config, &error), 0) << error;
    started_ = true;
    ASSERT_TRUE(OpenDisplay(1024, 768, 0, 60, 0));
    SetDefaultImageFlags(7);
    Font* font = LoadLabelFont("media/font.ttf", 128, 0);
    ASSERT_NE(font, nullptr);
    SetLabelFont(font);
  }

  void Stop() {
    if (started_) PlatformShutdown();
    started_ = false;
  }

  Image* LoadCentred(const std::string& path) {
    Image* image = LoadSprite(path, -1);
    EXPECT_NE(image, nullptr) << path;
    if (image) CentreHandle(image);
    return image;
  }

  // A match in progress in a 1024 x 768 window: `men` bodies with teams
  // 1, 2, ... and one main ball nobody has touched, in the default arena.
  tlevel& Match(int men, const std::string& mode = "custom") {
    level_ = std::make_unique<tlevel>();
    tlevel& l = *level_;
    l.xwin = 1024;
    l.ywin = 768;
    l.leveltype = mode;
    l.phase = "normal";
    l.maxowntime = 1800;
    l.mennumber = men;
    for (int i = 0; i < men; i++) l.addman(i)->team = i + 1;
    ball_ = std::make_unique<Tmainball>();
    ball_->x = ball_->oldx = 0;
    ball_->y = ball_->oldy = 0;
    ball_->realcolor = {255, 255, 255};
    l.mainball[0] = ball_.get();
    l.mainballnumber = 1;
    l.border = std::make_unique<Tborder>();
    l.levelcol[0] = {200, 150, 100};
    return l;
  }

  // The live side of a frame around a screen called directly: the input
  // read before it, the keys cleared after it as the screen asked.
  void Input(tlevel& l) { l.frame = capture_.capture(l.phase == "gameover"); }
  void Cleared(tlevel& l) {
    capture_.clear(l.clearrequest);
    l.clearrequest = 0;
  }

  std::vector<std::string> TraceLines() {
    Stop();
    std::vector<std::string> lines;
    std::ifstream in(dir_ / "trace.txt");
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  static std::vector<SpriteLine> Sprites(const std::vector<std::string>& trace) {
    std::vector<SpriteLine> out;
    for (const std::string& line : trace) {
      if (line.rfind("sprite ", 0) != 0) continue;
      std::istringstream in(line.substr(7));
      SpriteLine s;
      in >> s.x >> s.y >> s.sx >> s.sy >> s.r >> s.g >> s.b >> s.alpha >> s.angle >> s.blend >>
          s.name;
      out.push_back(s);
    }
    return out;
  }

  static std::vector<TextLine> Texts(const std::vector<std::string>& trace) {
    std::vector<TextLine> out;
    for (const std::string& line : trace) {
      if (line.rfind("label ", 0) != 0) continue;
      std::istringstream in(line.substr(6));
      TextLine t;
      double sy, angle;
      int blend;
      in >> t.x >> t.y >> t.scale >> sy >> t.r >> t.g >> t.b >> t.alpha >> angle >> blend;
      in.get();
      std::getline(in, t.text);
      out.push_back(t);
    }
    return out;
  }

  // The trace lines written between the n-th flip and the next (n = 0: before the first).
  static std::vector<std::string> Frame(const std::vector<std::string>& trace, int n) {
    std::vector<std::string> out;
    int flips = 0;
    for (const std::string& line : trace) {
      if (line.rfind("flip ", 0) == 0) {
        flips++;
        continue;
      }
      if (flips == n) out.push_back(line);
    }
    return out;
  }

  std::filesystem::path dir_;
  std::filesystem::path home_;
  ScratchFolder scratch_{"parvane-phases"};  // the working folder while the test runs
  bool started_ = false;
  std::unique_ptr<tlevel> level_;
  inputcapture capture_;  // the live side of the frames a test steps itself
  std::unique_ptr<Tmainball> ball_;
};
