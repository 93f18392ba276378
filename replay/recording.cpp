#include "replay/recording.h"

#include "match/quit.h"
#include "replay/replayfolder.h"

replayrecord recordof(const tlevel& level, int winner) {
  replayrecord r;
  r.version = gameversion;
  r.mode = replaymodeof(level.startmode);
  r.level = level.levelnum;
  r.custom = level.startcustom;
  r.multi = level.startmulti;
  r.xwin = level.xwin;
  r.ywin = level.ywin;
  r.fireworks = level.optfireworks;
  r.trail = level.opttrail;
  for (int i = 0; i < 4; i++) r.wins[i] = level.startwins[i];
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
  level.replaying = true;
  level.xwin = r.xwin;
  level.ywin = r.ywin;
  level.optfireworks = r.fireworks;
  level.opttrail = r.trail;
  level.startscore = level.endscore = r.startscore;
  level.levelworstscore = r.worstscore;
  Tcustomsettings cs = r.custom;
  Tmultiplayersettings mp = r.multi;
  int wins[4] = {r.wins[0], r.wins[1], r.wins[2], r.wins[3]};
  const std::string mode = replaymodename(r.mode);
  SetRandomState(r.randomstate);
  level.startclock = r.initialtime;
  if (level.startmatch(mode, r.level, &mp, &cs, wins) != 0) return -2;
  if (tlevel::checksumof(level.startsnapshot) != r.startchecksum) return -3;
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
  bool left = false;
  for (size_t k = 0; k < r.frames.size() && !left; k++) {
    playrecordedframe(level, r, k, false);
    level.drawreplaymark();
    if (level.synctest > 0) {
      level.inputs.push_back(r.frames[k]);
      level.checksync();
    }
    level.countfps();
    checkquit();
    Flip(-1);
    level.deltatimecount();
    left = level.capture.leaving() && k + 1 < r.frames.size();
  }
  *finished = !left;
  return endrecorded(level, r);
}
