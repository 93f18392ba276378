#include "match/matchloop.h"

#include <algorithm>
#include <string>

#include "controls/controls.h"
#include "match/quit.h"
#include "match/replaying.h"
#include "match/synctest.h"
#include "match/tlevel.h"

matchloop::matchloop(tlevel& level, matchkeeper* keeper, int synctest)
    : level_(level), keeper_(keeper), synctest_(synctest) {}

// Out of line so that the self-test is complete where it is freed.
matchloop::~matchloop() = default;

int matchloop::startmatch(const matchsetup& setup) {
  if (level_.startmatch(setup) != 0) return -1;
  startsynctest(synctest_);
  return 0;
}

void matchloop::startsynctest(int n) {
  synctest_ = std::clamp(n, 0, synctest::maxframes);
  selftest_.reset();
  // From the present frame on: a rollback never reaches before the set-up.
  if (synctest_ > 0) selftest_ = std::make_unique<class synctest>(level_, synctest_);
}

int matchloop::playframe() {
  tlevel& level = level_;
  controllerpause();
  FrameInput in = capture_.capture(level.phase == "gameover");
  if ((in.pressed & buttonpause) != 0 && level.phase != "gameover") {
    pause();
    in = capture_.capture(level.phase == "gameover");
  }
  bool endscreen = level.phase == "levelcompleted" || level.phase == "gameover" ||
                   level.phase == "tellwinner";
  uint16_t replay = buttonreplay;
  if (!level.nameprompt()) replay |= buttonreplaykey;
  if ((in.pressed & replay) != 0 && endscreen) {
    instantreplay(level, capture_, pacer_);
    in = capture_.capture(level.phase == "gameover");
  }

  if (selftest_) {
    selftest_->play(in, false);
  } else {
    level.advance(in, false);
  }
  level.inputs.push_back(in);
  if (keeper_ != nullptr && level.decidedframe == level.framecount) keeper_->decided(level);
  if (selftest_) selftest_->check();
  capture_.clear(level.clearrequest);

  pacer_.count();
  if (level.musicvolume > 0) keepmusic(level, level.musicchannel, level.musicvolume / 10.0);
  checkquit();
  Flip(-1);
  pacer_.wait();
  return 0;
}

int matchloop::Play(const matchsetup& setup) {
  if (startmatch(setup) != 0) return -1;
  const std::string& mode = setup.mode;
  const int levelnumber = setup.level;
  const matchcontrols pads(mode != "multiplayer");
  TraceEvent("match", "start " + mode + " " + std::to_string(mode == "levels" ? levelnumber : 0) +
                          " " + std::to_string(level_.mennumber));
  do {
    playframe();
  } while (!capture_.leaving() && level_.phase != "end");
  int result = level_.phase == "end" && level_.winner != 0 ? level_.winner : -1;
  TraceEvent("match", "end " + std::to_string(level_.framecount) + " " + std::to_string(result) +
                          " " + checksumtext(level_.checksum()));
  if (keeper_ != nullptr) keeper_->ended(level_, result);
  return result;
}

int matchloop::pause() {
  if (level_.phase == "gameover") return 0;
  // Nothing is drawn or simulated while paused; the last frame stays shown.
  for (;;) {
    checkquit();
    IdleWait();
    if (KeyPresses(keypause) != 0 || KeyPresses(keyesc) != 0) break;
  }
  return 0;
}
