// The match's set-up and its one frame: everything the simulation does
// with a frame's input, and nothing of the loops that drive it.
#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>

#include "controls/controls.h"
#include "match/tlevel.h"
#include "physics/collision.h"

namespace {

constexpr double arenapush = -20.0;   // the ordinary bounce off the obstacles
// A departed player's men are played as a custom match's computer opponents
// are by default: a fair opponent, not one that runs away with the match.
const int computerreaction = aireaction(Tcustomsettings().AIlevel);

}  // namespace

int tlevel::startmatch(const matchsetup& setup) {
  const std::string& kind = setup.mode;
  const int levelnumber = setup.level;
  xwin = setup.xwin;
  ywin = setup.ywin;
  optfireworks = setup.fireworks;
  opttrail = setup.trail;
  startscore = endscore = setup.startscore;
  levelworstscore = setup.worstscore;
  // An online match is a multiplayer match to the simulation; its replay
  // says "online" so that playing it back pauses where it paused.
  sharedpause = kind == "online";
  paused = false;
  const std::string mode = sharedpause ? "multiplayer" : kind;
  start = setup;
  startrandom = RandomState();
  inputs.clear();

  initadders(adder);
  levelnum = levelnumber;
  leveltype = mode;
  if (mode == "levels") {
    initsingleplayer(levelnum);
  } else if (mode == "custom") {
    initcustom(setup.custom);
  } else if (mode == "multiplayer") {
    initmultiplayer(setup.multi);
  } else {
    return -1;
  }
  // Without the body file there is nobody to play: the loader has said so,
  // and the series ends rather than running a match of empty bodies.
  if (!bodiesready()) return -1;
  for (int i = 0; i < 4; i++) {
    if (i < mennumber) men[i]->wins = setup.wins[i];
    start.wins[i] = i < mennumber ? setup.wins[i] : 0;
  }
  dotlist.clear();
  fireworkslist.clear();
  initialtime = setup.fixedclock ? setup.startclock : Clock();
  framecount = 0;
  decidedframe = 0;
  clearrequest = 0;
  saveState(startsnapshot);
  return 0;
}

void tlevel::advance(const FrameInput& in, bool quiet) {
  // As the local pause, P does nothing on the game-over screen.
  if (sharedpause && (in.pressed & buttonpause) != 0 && phase != "gameover") paused = !paused;
  if (paused) {
    holdframe(in, quiet);
    return;
  }
  frame = in;
  silent = quiet;
  framecount++;
  clearrequest = 0;
  if (!silent) Cls();
  driftcolors(levelcol, adder);
  if (!silent && musicvolume > 0) keepmusic(*this, musicchannel, musicvolume / 10.0);
  dobackground2();
  fixzoom();

  for (ragobject* rag : raglist) {
    rag->updatemass();
    rag->updateold();
  }
  for (int i = 0; i < mainballnumber; i++) mainball[i]->updateoldvect();

  for (int i = 0; i < mennumber; i++) {
    const PlayerInput& player = frame.players[i < maxinputplayers ? i : 0];
    const bool byhand = leveltype == "multiplayer" || i == 0;
    const bool computer = (player.keys & inputcomputer) != 0;
    // A man the computer stood in for is his player's again once the mark
    // is gone (his pad came back); a machine that left never comes back,
    // and no man played by hand starts as the computer's.
    if (byhand && !computer && men[i]->bot == 1) men[i]->bot = 0;
    bool steered = leveltype == "multiplayer" || (i == 0 && men[0]->bot == 0);
    if (steered && computer) {
      if (men[i]->bot == 0) computertakes(i);
      steered = false;
    }
    if (steered) {
      men[i]->control2(i, player);
    } else {
      men[i]->Changefollowedball(mainballnumber);
      men[i]->Ai3(*mainball[0]);
    }
  }

  for (ragobject* rag : raglist) {
    rag->move(slower, gravity);
    rag->doanchor();
    rag->shiftandtensions(slower);
    rag->updatev(slower);
  }

  menballcoll();
  manmancoll();
  for (int i = 0; i < mennumber; i++) ragcollision(*arenarag, *men[i], arenapush);
  for (int i = 0; i < mainballnumber; i++) ragcollision(*mainballrag[i], *arenarag, arenapush);
  for (ragobject* rag : raglist) {
    if (rag != arenarag.get()) rag->bordercollision(*border);
  }

  if (!silent) {
    for (int i = 0; i < mennumber; i++) men[i]->draw(xcenter, ycenter, zoom, xwin, ywin);
  }
  for (int i = 0; i < mainballnumber; i++) {
    if (silent) {
      mainball[i]->updatecolor();
    } else {
      mainball[i]->draw(xcenter, ycenter, zoom, xwin, ywin);
    }
  }
  handledotbursts(zoom, xcenter, ycenter, xwin, ywin);

  writeowntime();
  doscritta(0.5);
  changephase();
  if (decidedframe == 0 && phase != "normal") decidedframe = framecount;
}

void tlevel::holdframe(const FrameInput& in, bool quiet) {
  // Counted all the same: frame numbers are what replays and rollbacks
  // find the inputs by.
  framecount++;
  frame = in;
  silent = quiet;
  clearrequest = 0;
  if (!quiet) drawstill();
}

void tlevel::drawstill() {
  // The match draws only while it steps: a frame in which nobody presses
  // anything is stepped and shown, then taken back. Every such frame shows
  // the same picture, on every machine.
  const FrameInput in = frame;
  const bool quiet = silent;
  saveState(pausesnapshot);
  paused = false;
  FrameInput still;
  still.clock = in.clock;
  advance(still, false);
  loadState(pausesnapshot);
  frame = in;
  silent = quiet;
  clearrequest = 0;
}

void tlevel::computertakes(int i) {
  Tman& man = *men[i];
  man.bot = 1;
  man.AIlevel = computerreaction;
  // Nobody kept his past while he was steered by hand: the computer would
  // react to where he never was. His present stands in for it.
  for (int k = 0; k < motionhistory::length; k++) man.updateoldvect();
}

std::string checksumtext(uint64_t sum) {
  char text[24];
  std::snprintf(text, sizeof text, "%016" PRIx64, sum);
  return text;
}

int keepmusic(tlevel& level, Channel* channel, double volume) {
  if (channel == nullptr || Playing(channel)) return 0;
  // The track has ended: start it again from the beginning.
  level.musicnumber = 0;
  if (level.musics[0] == nullptr) return 0;
  PrepareSound(level.musics[0], channel);
  SetVolume(channel, volume);
  Resume(channel);
  return 0;
}
