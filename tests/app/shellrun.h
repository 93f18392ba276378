// Runs part of the shell in-process on the headless platform, in a fresh
// working folder, with scripted keys and a trace to read back.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/scratch_folder.h"

class ShellRun : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scratch_.Enter());
    home_ = scratch_.home();
    dir_ = scratch_.path();
  }

  void TearDown() override {
    Stop();
  }

  // Starts the platform with `script`; a run that forgets to leave its
  // screen is closed after `maxframes` flips instead of hanging.
  void Start(const std::string& script, long maxframes = 3000) {
    WriteFile("script.txt", script);
    PlatformConfig config;
    config.headless = true;
    config.fakeClock = true;
    config.seeded = true;
    config.seed = 1;
    config.script = (dir_ / "script.txt").string();
    config.trace = (dir_ / "trace.txt").string();
    config.maxFrames = maxframes;
    std::string error;
    ASSERT_EQ(PlatformInit(config, &error), 0) << error;
    started_ = true;
  }

  void Stop() {
    if (started_) PlatformShutdown();
    started_ = false;
  }

  // The trace so far, one entry a line (shuts the platform down to flush it).
  std::vector<std::string> TraceLines() {
    Stop();
    std::vector<std::string> lines;
    std::istringstream in(ReadFile("trace.txt"));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  void WriteFile(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
  }
  std::string ReadFile(const std::string& name) {
    std::ifstream in(dir_ / name, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }
  bool Exists(const std::string& name) { return std::filesystem::exists(dir_ / name); }

  std::filesystem::path dir_;
  std::filesystem::path home_;
  ScratchFolder scratch_{"parvane-app"};  // the working folder while the test runs
  bool started_ = false;
};

// Fields of a trace line "label X Y SX SY R G B A ANGLE BLEND TEXT".
struct LabelLine {
  double x = 0, y = 0, scale = 0;
  int r = 0, g = 0, b = 0;
  std::string text;
};

inline std::vector<LabelLine> Labels(const std::vector<std::string>& trace) {
  std::vector<LabelLine> labels;
  for (const std::string& line : trace) {
    if (line.rfind("label ", 0) != 0) continue;
    std::istringstream in(line.substr(6));
    LabelLine l;
    double sy, a, angle;
    int blend;
    in >> l.x >> l.y >> l.scale >> sy >> l.r >> l.g >> l.b >> a >> angle >> blend;
    in.get();
    std::getline(in, l.text);
    labels.push_back(l);
  }
  return labels;
}

// The last label drawn with exactly this text; text empty when none.
inline LabelLine LastLabel(const std::vector<std::string>& trace, const std::string& text) {
  LabelLine found;
  for (const LabelLine& l : Labels(trace)) {
    if (l.text == text) found = l;
  }
  return found;
}

inline bool IsGrey(const LabelLine& l) { return l.r == 100 && l.g == 100 && l.b == 100; }
