#include "replay/recording.h"

#include <memory>

#include "match/capture.h"
#include "match/pacer.h"
#include "match/quit.h"
#include "match/replaying.h"
#include "match/synctest.h"
#include "replay/replayfolder.h"

replayrecord recordof(const tlevel& level, int winner) {
  replayrecord r;
  r.version = gameversion;
  // The set-up as the match took it in, with the clock it counted from.
  r.setup = level.start;
  r.setup.level = level.levelnum;
  r.setup.xwin = level.xwin;
  r.setup.ywin = level.ywin;
  r.setup.fireworks = level.optfireworks;
  r.setup.trail = level.opttrail;
  r.setup.startscore = level.startscore;
  r.setup.worstscore = level.levelworstscore;
  r.randomstate = level.startrandom;
  r.setup.fixedclock = true;
  r.setup.startclock = level.initialtime;
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
  // A record made in memory plays from its recorded clock as a file does.
  matchsetup setup = r.setup;
  setup.fixedclock = true;
  const std::string& mode = setup.mode;
  SetRandomState(r.randomstate);
  if (level.startmatch(setup) != 0) return -2;
  if (checksumsapply(r) && tlevel::checksumof(level.startsnapshot) != r.startchecksum) return -3;
  TraceEvent("match", "start " + mode + " " + std::to_string(mode == "levels" ? setup.level : 0) +
                          " " + std::to_string(level.mennumber));
  return 0;
}

void playrecordedframe(tlevel& level, const replayrecord& r, size_t k, bool silent) {
  // An online match is a multiplayer match whose inputs came from several
  // machines, with the pause they share; once ended it stays as it ended,
  // as it did on every machine.
  if (r.setup.mode != "online" || level.phase != "end") level.advance(r.frames[k], silent);
}

int endrecorded(tlevel& level, const replayrecord& r) {
  int result = level.phase == "end" && level.winner != 0 ? level.winner : -1;
  // Online, a match counts as won only once every machine knew its end; one
  // left in the frames between is recorded as left.
  if (r.setup.mode == "online" && r.winner == -1) result = -1;
  TraceEvent("match", "end " + std::to_string(level.framecount) + " " + std::to_string(result) +
                          " " + checksumtext(level.checksum()));
  return result;
}

int playrecorded(tlevel& level, const replayrecord& r, bool* finished, int checkframes) {
  *finished = false;
  const int started = startrecorded(level, r);
  if (started != 0) return started;
  std::unique_ptr<synctest> selftest;
  if (checkframes > 0) selftest = std::make_unique<synctest>(level, checkframes);
  framepacer pacer;
  const inputcapture capture;  // only for Esc
  bool left = false;
  for (size_t k = 0; k < r.frames.size() && !left; k++) {
    if (selftest) {
      // The self-test plays the frame through the rollback core, which
      // holds an ended online match as playrecordedframe does.
      selftest->play(r.frames[k], false);
    } else {
      playrecordedframe(level, r, k, false);
    }
    drawreplaymark(level.xwin, level.ywin);
    if (selftest) selftest->check();
    pacer.count();
    checkquit();
    Flip(-1);
    pacer.wait();
    left = capture.leaving() && k + 1 < r.frames.size();
  }
  *finished = !left;
  return endrecorded(level, r);
}
