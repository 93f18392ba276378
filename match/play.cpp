// The frame loop of one match: set-up, then one fixed physics step, one
// collision pass and one drawing pass per displayed frame.
#include <cmath>

#include "controls/controls.h"
#include "match/quit.h"
#include "match/tlevel.h"
#include "physics/collision.h"

namespace {

constexpr float frametime = 15.873f;  // 1000 / 63 ms: a little under 60 Hz
constexpr double arenapush = -20.0;   // the ordinary bounce off the obstacles

}  // namespace

int tlevel::startmatch(const std::string& mode, int levelnumber, Tmultiplayersettings* mp,
                       Tcustomsettings* cs, int* wins) {
  initadders(adder);
  levelnum = levelnumber;
  leveltype = mode;
  if (mode == "levels") {
    initsingleplayer(levelnum);
  } else if (mode == "custom" && cs != nullptr) {
    initcustom(*cs);
  } else if (mode == "multiplayer" && mp != nullptr) {
    initmultiplayer(*mp);
  } else {
    return -1;
  }
  // Without the body file there is nobody to play: the loader has said so,
  // and the series ends rather than running a match of empty bodies.
  if (!bodiesready()) return -1;
  if (wins != nullptr) {
    for (int i = 0; i < mennumber; i++) men[i]->wins = wins[i];
  }
  dotlist.clear();
  fireworkslist.clear();
  initialtime = Clock();
  return 0;
}

int tlevel::playframe() {
  Cls();
  driftcolors(levelcol, adder);
  if (musicvolume > 0) keepmusic(*this, musicchannel, musicvolume / 10.0);
  pause();
  controllerpause();
  dobackground2();
  fixzoom();

  for (ragobject* rag : raglist) {
    rag->updatemass();
    rag->updateold();
  }
  for (int i = 0; i < mainballnumber; i++) mainball[i]->updateoldvect();

  men[0]->control2(0, keyboardinput(0));
  if (leveltype == "multiplayer") {
    for (int i = 1; i < mennumber; i++) men[i]->control2(i, keyboardinput(i));
  } else {
    for (int i = 1; i < mennumber; i++) {
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

  for (int i = 0; i < mennumber; i++) men[i]->draw(xcenter, ycenter, zoom, xwin, ywin);
  for (int i = 0; i < mainballnumber; i++) mainball[i]->draw(xcenter, ycenter, zoom, xwin, ywin);
  handledotbursts(zoom, xcenter, ycenter, xwin, ywin);

  writeowntime();
  doscritta(0.5);
  changephase();
  countfps();
  if (musicvolume > 0) keepmusic(*this, musicchannel, musicvolume / 10.0);
  checkquit();
  Flip(-1);
  deltatimecount();
  return 0;
}

int tlevel::Play(const std::string& mode, int levelnumber, Tmultiplayersettings* mp,
                 Tcustomsettings* cs, int* wins) {
  if (startmatch(mode, levelnumber, mp, cs, wins) != 0) return -1;
  const matchcontrols pads(mode != "multiplayer");
  do {
    playframe();
  } while (!KeyHeld(keyesc) && phase != "end");
  if (phase == "end" && winner != 0) return winner;
  return -1;
}

int tlevel::countfps() {
  fpscycles++;
  if (Clock() - fpstime > 1000) {
    fpstime = Clock();
    fps = fpscycles;
    fpscycles = 0;
  }
  return 0;
}

int tlevel::pause() {
  if (KeyPresses(keypause) == 0 || phase == "gameover") return 0;
  // Nothing is drawn or simulated while paused; the last frame stays shown.
  for (;;) {
    checkquit();
    IdleWait();
    if (KeyPresses(keypause) != 0 || KeyPresses(keyesc) != 0) break;
  }
  return 0;
}

int tlevel::deltatimecount() {
  // Sleep out what is left of the frame instead of spinning on the clock.
  for (;;) {
    int elapsed = Clock() - oldtime;
    if (elapsed >= frametime) break;
    Sleep(static_cast<int>(std::ceil(frametime - elapsed)));
  }
  oldtime = Clock();
  return 0;
}

int tlevel::handleslower() {
  slower = 1.0;
  return 0;
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
