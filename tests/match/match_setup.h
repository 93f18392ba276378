// Runs matches in-process on the headless platform: a fresh working folder
// with its own copy of the media, a fake clock, a seed, a scripted keyboard
// and a trace to read back, and matches filled the way a series fills them.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/soak.h"
#include "match/matchloop.h"
#include "replay/recording.h"
#include "tests/scratch_folder.h"

// The lines of a trace that start with `prefix`.
inline std::vector<std::string> Starting(const std::vector<std::string>& lines,
                                         const std::string& prefix) {
  std::vector<std::string> out;
  for (const std::string& l : lines) {
    if (l.rfind(prefix, 0) == 0) out.push_back(l);
  }
  return out;
}

class MatchRun : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scratch_.Enter());
    home_ = scratch_.home();
    dir_ = scratch_.path();
    // A media folder of our own, so a test can take the body file away.
    media_ = dir_ / "media";
    std::filesystem::copy(home_ / "media", media_, std::filesystem::copy_options::recursive);
  }

  void TearDown() override {
    Stop();
  }

  // Starts the platform on a 1024 x 768 display with the game's images and
  // font. A run that never leaves its loop is closed after `maxframes` flips.
  void Start(const std::string& script = "", uint32_t seed = 1, bool trace = true,
             const std::string& tracename = "trace.txt", long maxframes = 100000) {
    std::ofstream(dir_ / "script.txt") << script;
    PlatformConfig config;
    config.headless = true;
    config.fakeClock = true;
    config.seeded = true;
    config.seed = seed;
    config.script = (dir_ / "script.txt").string();
    if (trace) config.trace = (dir_ / tracename).string();
    config.mediaDir = media_.string();
    config.maxFrames = maxframes;
    std::string error;
    ASSERT_EQ(PlatformInit(config, &error), 0) << error;
    started_ = true;
    SeedRandom(seed);
    ASSERT_TRUE(OpenDisplay(1024, 768, 0, 60, 0));
    ASSERT_TRUE(images_.load());
    Font* font = LoadLabelFont("media/font.ttf", 128, 4);
    ASSERT_NE(font, nullptr);
    SetLabelFont(font);
  }

  void Stop() {
    if (started_) PlatformShutdown();
    started_ = false;
  }

  std::unique_ptr<tlevel> NewMatch() { return images_.newmatch(); }

  // Plays a match through the live loop, its replay saved when it ends, as
  // a series' matches are.
  int PlayMatch(tlevel& level, const matchsetup& setup) {
    return matchloop(level, &keeper_).Play(setup);
  }

  std::vector<std::string> TraceLines(const std::string& name = "trace.txt") {
    Stop();
    std::vector<std::string> lines;
    std::ifstream in(dir_ / name);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  std::filesystem::path dir_, home_, media_;
  ScratchFolder scratch_{"parvane-match"};  // the working folder while the test runs
  bool started_ = false;
  matchmedia images_;
  replaykeeper keeper_;
};
