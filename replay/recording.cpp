#include "replay/recording.h"

#include <algorithm>

#include "match/pacer.h"
#include "match/quit.h"
#include "match/replaying.h"
#include "match/synctest.h"
#include "replay/replayfolder.h"

replayrecord recordof(const tlevel& level, int winner) {
  replayrecord r;
  r.version = gameversion;
  r.mode = replaymodeof(level.start.mode);
  r.level = level.levelnum;
  r.custom = level.start.custom;
  r.multi = level.start.multi;
  r.xwin = level.xwin;
  r.ywin = level.ywin;
  r.fireworks = level.optfireworks;
  r.trail = level.opttrail;
  for (int i = 0; i < 4; i++) r.wins[i] = level.start.wins[i];
  r.startscore = level.startscore;
  r.worstscore = level.levelworstscore;
  r.randomstate = level.startrandom;
  r.initialtime = level.initialtime;
  r.startchecksum = tlevel::checksumof(level.startsnapshot);
  r.frames = level.inputs;
  r.winner = winner;
  r.endchecksum = level.checksum();
  return r;
}

std::string savereplay(const tlevel& level, int winner) {
  std::string name = savereplayfile(encodereplay(recordof(level, winner)));
  if (!name.empty()) TraceEvent("replay", "save " + name);
  return name;
}

void replaykeeper::decided(const tlevel& level) {
  written_ = savereplayfile(encodereplay(recordof(level, level.winner != 0 ? level.winner : -1)));
}

void replaykeeper::ended(const tlevel& level, int result) {
  std::string name = written_;
  written_.clear();
  if (name.empty() || !WriteWholeFile(name, encodereplay(recordof(level, result)))) {
    savereplay(level, result);
    return;
  }
  TraceEvent("replay", "save " + name);
}

bool sameoutcome(const tlevel& level, const replayrecord& r, int result) {
  if (result == r.winner) return true;
  const bool endscreen = level.decidedframe > 0 && level.phase != "end";
  return endscreen && level.winner != 0 && level.winner == r.winner;
}

int startrecorded(tlevel& level, const replayrecord& r) {
  matchsetup setup;
  setup.mode = replaymodename(r.mode);
  setup.level = r.level;
  setup.custom = r.custom;
  setup.multi = r.multi;
  setup.xwin = r.xwin;
  setup.ywin = r.ywin;
  setup.fireworks = r.fireworks;
  setup.trail = r.trail;
  setup.startscore = r.startscore;
  setup.worstscore = r.worstscore;
  std::copy(r.wins, r.wins + 4, setup.wins);
  setup.fixedclock = true;
  setup.startclock = r.initialtime;
  const std::string& mode = setup.mode;
  SetRandomState(r.randomstate);
  if (level.startmatch(setup) != 0) return -2;
  if (checksumsapply(r) && tlevel::checksumof(level.startsnapshot) != r.startchecksum) return -3;
  TraceEvent("match", "start " + mode + " " + std::to_string(mode == "levels" ? r.level : 0) +
                          " " + std::to_string(level.mennumber));
  return 0;
}

void playrecordedframe(tlevel& level, const replayrecord& r, size_t k, bool silent) {
  // An online match is a multiplayer match whose inputs came from several
  // machines, with the pause they share; once ended it stays as it ended,
  // as it did on every machine.
  if (r.mode != replayonline || level.phase != "end") level.advance(r.frames[k], silent);
}

int endrecorded(tlevel& level, const replayrecord& r) {
  int result = level.phase == "end" && level.winner != 0 ? level.winner : -1;
  // Online, a match counts as won only once every machine knew its end; one
  // left in the frames between is recorded as left.
  if (r.mode == replayonline && r.winner == -1) result = -1;
  TraceEvent("match", "end " + std::to_string(level.framecount) + " " + std::to_string(result) +
                          " " + checksumtext(level.checksum()));
  return result;
}

int playrecorded(tlevel& level, const replayrecord& r, bool* finished) {
  *finished = false;
  const int started = startrecorded(level, r);
  if (started != 0) return started;
  framepacer pacer;
  bool left = false;
  for (size_t k = 0; k < r.frames.size() && !left; k++) {
    if (level.selftest) {
      // The self-test plays the frame through the rollback core, which
      // holds an ended online match as playrecordedframe does.
      level.selftest->play(r.frames[k], false);
    } else {
      playrecordedframe(level, r, k, false);
    }
    drawreplaymark(level.xwin, level.ywin);
    if (level.selftest) level.selftest->check();
    pacer.count();
    checkquit();
    Flip(-1);
    pacer.wait();
    left = level.capture.leaving() && k + 1 < r.frames.size();
  }
  *finished = !left;
  return endrecorded(level, r);
}
