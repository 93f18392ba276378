#include "replay/watch.h"

#include <algorithm>
#include <string>
#include <vector>

#include "match/pacer.h"
#include "match/quit.h"
#include "match/replaying.h"
#include "replay/recording.h"

namespace {

// Speeds in frames of the match per frame shown: 1/4x to 4x.
constexpr double speeds[] = {0.25, 0.5, 1, 2, 4};
constexpr int normalspeed = 2;
constexpr int fastest = 4;
// The state is kept every second of the match, so a rewind is a load and
// at most a second simulated again. A long match keeps fewer: past this
// many, every other one goes and the interval doubles.
constexpr int checkevery = 60;
constexpr size_t maxcheckpoints = 512;

const char* speedname(int speed) {
  static const char* const names[] = {"1/4X", "1/2X", "1X", "2X", "4X"};
  return names[speed];
}

class watcher {
 public:
  watcher(tlevel& level, const replayrecord& r)
      : level_(level), r_(r), frames_(static_cast<int>(r.frames.size())) {
    checkpoints_.push_back(level.startsnapshot);
  }

  int frames() const { return frames_; }
  int at() const { return at_; }

  // Brings the match to `target` frames played (1 to frames()), drawing
  // only the last; a target behind starts from the nearest state kept.
  void go(int target) {
    if (target <= at_) {
      const size_t c =
          std::min(static_cast<size_t>((target - 1) / every_), checkpoints_.size() - 1);
      level_.loadState(checkpoints_[c]);
      at_ = static_cast<int>(c) * every_;
    }
    while (at_ < target - 1) play(true);
    level_.saveState(before_);
    play(false);
  }

  // The frame shown last, drawn again (paused, or slower than the match).
  void again() {
    level_.loadState(before_);
    at_--;
    play(false);
  }

  void drawbar(bool paused, int speed) const {
    const double w = level_.xwin, h = level_.ywin, unit = w / 1024.0;
    const double x = 20 * unit, width = w - 40 * unit, y = h - 16 * unit, height = 6 * unit;
    SetAlpha(1.0);
    SetColor(60, 60, 60);
    DrawRect(x, y, width, height);
    SetColor(220, 220, 220);
    DrawRect(x, y, width * at_ / std::max(frames_, 1), height);
    const std::string state = paused ? "PAUSE" : speedname(speed);
    const double s = 0.2 * unit;
    SetDrawScale(s, s);
    DrawLabel(state, x, y - LabelHeight() * s - 4 * unit);
    SetDrawScale(1, 1);
  }

 private:
  void play(bool silent) {
    playrecordedframe(level_, r_, static_cast<size_t>(at_), silent);
    at_++;
    if (at_ % every_ != 0 || static_cast<size_t>(at_ / every_) != checkpoints_.size()) return;
    checkpoints_.emplace_back();
    level_.saveState(checkpoints_.back());
    if (checkpoints_.size() > maxcheckpoints) {
      // Keep the even ones: checkpoint j stays at j * every_ frames.
      for (size_t j = 1; 2 * j < checkpoints_.size(); j++) checkpoints_[j].swap(checkpoints_[2 * j]);
      checkpoints_.resize((checkpoints_.size() + 1) / 2);
      every_ *= 2;
    }
  }

  tlevel& level_;
  const replayrecord& r_;
  const int frames_;
  int at_ = 0;  // frames of the record played
  int every_ = checkevery;
  std::vector<matchsnapshot> checkpoints_;  // [j]: after j * every_ frames
  matchsnapshot before_;                    // one frame before at_
};

}  // namespace

int watchreplay(tlevel& level, const replayrecord& r, bool* finished) {
  *finished = false;
  const int started = startrecorded(level, r);
  if (started != 0) return started;
  watcher w(level, r);
  int speed = normalspeed;
  double owed = 0;  // frames of the match due but not yet shown
  bool paused = false;
  bool left = false;
  framepacer pacer;
  ClearKeys();
  while (w.frames() > 0) {
    if (KeyPresses(keyesc) != 0) {
      left = true;
      break;
    }
    if (KeyPresses(keypause) != 0) paused = !paused;
    if (KeyPresses(keyup) != 0) speed = std::min(speed + 1, fastest);
    if (KeyPresses(keydown) != 0) speed = std::max(speed - 1, 0);
    const int forward = KeyPresses(keyright), back = KeyPresses(keyleft);
    int target = w.at();
    if (paused) {
      target += forward - back;
    } else if (KeyHeld(keyleft)) {
      target -= std::max(1, static_cast<int>(2 * speeds[speed]));
      owed = 0;
    } else {
      owed += speeds[speed];
      const int whole = static_cast<int>(owed);
      owed -= whole;
      target += whole;
    }
    target = std::clamp(target, 1, w.frames());
    if (target == w.at()) {
      w.again();
    } else {
      w.go(target);
    }
    drawreplaymark(level.xwin, level.ywin);
    w.drawbar(paused, speed);
    pacer.count();
    checkquit();
    Flip(-1);
    pacer.wait();
    // The last frame shown while playing ends the replay; paused, or
    // rewinding from it, it stays.
    if (w.at() == w.frames() && !paused && !KeyHeld(keyleft)) break;
  }
  *finished = !left;
  return endrecorded(level, r);
}
