// The match seen again: the instant replay on the end screens, a replay
// file played from the command line, and the file written when a match ends.
#include <algorithm>

#include "match/quit.h"
#include "match/tlevel.h"
#include "replay/replayfolder.h"

namespace {

// Frames of the end screen the instant replay still shows after the win.
constexpr int afterwin = 90;

}  // namespace

void tlevel::drawreplaymark() {
  static const std::string mark = "REPLAY";
  double unit = xwin / 1024.0;
  double s = 0.3 * unit;
  SetDrawScale(s, s);
  SetAlpha(1.0);
  SetColor(255, 255, 255);
  DrawLabel(mark, xwin - LabelWidth(mark) * s - 20 * unit, ywin - LabelHeight() * s - 20 * unit);
  SetDrawScale(1, 1);
}

void tlevel::instantreplay() {
  matchsnapshot now;
  saveState(now);
  int frames = static_cast<int>(record.frames.size());
  if (decidedframe > 0) frames = std::min(frames, decidedframe + afterwin);
  if (!loadState(startsnapshot)) return;
  replaying = true;
  capture.clear(2);
  for (int k = 0; k < frames; k++) {
    advance(record.frames[k], false);
    drawreplaymark();
    checkquit();
    Flip(-1);
    deltatimecount();
    if (capture.leaving()) break;
  }
  replaying = false;
  loadState(now);
  // Neither the Esc that ended it nor the R that started it goes on.
  capture.clear(2);
}

int tlevel::playrecorded(const replayrecord& r, bool* finished) {
  *finished = false;
  source = &r;
  replaying = true;
  savereplay = false;
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
  // An online match is a multiplayer match whose inputs came from several
  // machines, with the pause they share.
  const bool online = r.mode == replayonline;
  int started = startmatch(setup);
  source = nullptr;
  if (started != 0) return -2;
  if (checksumof(startsnapshot) != r.startchecksum) return -3;

  TraceEvent("match", "start " + mode + " " + std::to_string(mode == "levels" ? r.level : 0) +
                          " " + std::to_string(mennumber));
  bool left = false;
  for (size_t k = 0; k < r.frames.size() && !left; k++) {
    // Online, an ended match stays as it ended, as it did on every machine.
    if (!online || phase != "end") advance(r.frames[k], false);
    drawreplaymark();
    if (synctest > 0) {
      record.frames.push_back(r.frames[k]);
      checksync();
    }
    countfps();
    checkquit();
    Flip(-1);
    deltatimecount();
    left = capture.leaving() && k + 1 < r.frames.size();
  }
  *finished = !left;
  int result = phase == "end" && winner != 0 ? winner : -1;
  // Online, a match counts as won only once every machine knew its end; one
  // left in the frames between is recorded as left.
  if (online && r.winner == -1) result = -1;
  TraceEvent("match", "end " + std::to_string(framecount) + " " + std::to_string(result) + " " +
                          checksumtext(checksum()));
  return result;
}

void tlevel::writereplay(int result) {
  record.winner = result;
  record.endchecksum = checksum();
  std::string name = savereplayfile(encodereplay(record));
  if (!name.empty()) TraceEvent("replay", "save " + name);
}
