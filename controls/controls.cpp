#include "controls/controls.h"

#include <algorithm>
#include <cmath>

#include "platform/platform.h"
#include "platform/samemath.h"

namespace {

struct controlstate {
  keybindings keys = defaultbindings();
  padslots slots;
  uint32_t placed[maxpads] = {};  // connection number of each pad given a slot, 0 none
  int lost = 0;                   // bit s - 1: slot s lost its pad; bit 4: a pad with no slot
  bool singleplayer = false;
  int waitingslot = 0;  // the slot a pad plugged in during the pause takes
  // Bit p: player p + 1 played on without his pad, so the computer plays him
  // until a pad comes back for him or he presses one of his keys.
  int standin = 0;
  bool aheld[maxpads] = {};  // each pad's A at the last look, for its presses
};

controlstate& state() {
  static controlstate s;
  return s;
}

constexpr int unslottedbit = 1 << padslots::slots;

bool anypad() {
  for (int n = 1; n <= maxpads; n++)
    if (PadConnected(n)) return true;
  return false;
}

}  // namespace

void stickpush(double x, double y, int8_t* sx, int8_t* sy) {
  *sx = *sy = 0;
  const double length = SameHypot(x, y);
  if (!(length > stickdeadzone)) return;  // a NaN falls here too
  // The push grows from nothing at the dead zone's edge, so a stick leaving
  // it does not jump.
  const double strength = std::min(1.0, (length - stickdeadzone) / (1 - stickdeadzone));
  const double scale = strength * PlayerInput::stickfull / length;
  // Toward zero: a rounded diagonal could come out a little longer than full.
  *sx = static_cast<int8_t>(std::trunc(x * scale));
  *sy = static_cast<int8_t>(std::trunc(y * scale));
}

const keybindings& currentbindings() { return state().keys; }

void setbindings(const keybindings& b) { state().keys = b; }

void loadcontrols() { state().keys = readbindings(); }

bool savecontrols() { return writebindings(state().keys); }

padslots& currentslots() {
  syncpads();
  return state().slots;
}

void resetcontrols() { state() = controlstate(); }

void syncpads() {
  controlstate& s = state();
  for (int n = 1; n <= maxpads; n++) {
    const uint32_t now = PadConnected(n) ? PadConnection(n) : 0;
    if (s.placed[n - 1] == 0 || s.placed[n - 1] == now) continue;
    const int slot = s.slots.disconnect(n);
    s.lost |= slot != 0 ? 1 << (slot - 1) : unslottedbit;
    s.placed[n - 1] = 0;
  }
  // Newcomers in the order they were plugged in.
  for (;;) {
    int next = 0;
    for (int n = 1; n <= maxpads; n++) {
      if (s.placed[n - 1] != 0 || !PadConnected(n)) continue;
      if (next == 0 || PadConnection(n) < PadConnection(next)) next = n;
    }
    if (next == 0) break;
    s.slots.connect(next, PadName(next), s.waitingslot);
    s.placed[next - 1] = PadConnection(next);
  }
}

void begincontrols(bool singleplayer) {
  syncpads();
  controlstate& s = state();
  s.singleplayer = singleplayer;
  s.lost = 0;
  // Alone, the player is at the keyboard: his next match is his own. In
  // multiplayer the others chose to play on without his pad, so while it is
  // still missing the computer keeps playing him rather than leave his man
  // standing for the others to beat.
  if (singleplayer) s.standin = 0;
  SetPadKeys(padkeysmatch);
}

void forgetstandins() { state().standin = 0; }

void endcontrols() {
  state().singleplayer = false;
  state().waitingslot = 0;
  SetPadKeys(padkeysmenu);
}

PlayerInput playerinput(int player) {
  PlayerInput in;
  if (player < 0 || player >= controlplayers) return in;
  const int* keys = state().keys.keys[player];
  const uint8_t bits[controlactions] = {inputleft, inputright, inputup, inputdown};
  for (int a = 0; a < controlactions; a++)
    if (keys[a] != 0 && KeyHeld(keys[a])) in.keys |= bits[a];

  syncpads();
  controlstate& s = state();
  if (s.standin & 1 << player) {
    if (in.keys == 0 && !controllerback(player + 1)) {
      in.keys = inputcomputer;
      return in;
    }
    s.standin &= ~(1 << player);
  }
  for (int n = 1; n <= maxpads; n++) {
    const bool mine = s.singleplayer ? player == 0 : s.slots.slotof(n) == player + 1;
    if (!mine || !PadConnected(n)) continue;
    if (PadHeld(n, padbuttonleft)) in.keys |= inputleft;
    if (PadHeld(n, padbuttonright)) in.keys |= inputright;
    if (PadHeld(n, padbuttonup)) in.keys |= inputup;
    if (PadHeld(n, padbuttondown)) in.keys |= inputdown;
    int8_t x = 0, y = 0;
    stickpush(PadAxisValue(n, padaxisleftx), PadAxisValue(n, padaxislefty), &x, &y);
    // Several pads on one player: the stick pushed furthest steers.
    if (x * x + y * y > in.stickx * in.stickx + in.sticky * in.sticky) {
      in.stickx = x;
      in.sticky = y;
    }
  }
  return in;
}

uint16_t padnavpressed() {
  const uint16_t bits[4] = {buttonnavup, buttonnavdown, buttonnavleft, buttonnavright};
  uint16_t pressed = 0;
  for (int n = 1; n <= maxpads; n++) {
    for (int d = 0; d < 4; d++)
      if (PadNavPresses(n, d) != 0) pressed |= bits[d];
  }
  return pressed;
}

int lostcontroller(int humans) {
  syncpads();
  controlstate& s = state();
  if (s.lost == 0) return 0;
  int player = 0;
  if (s.singleplayer) {
    if (!anypad()) player = 1;
  } else {
    for (int slot = 1; slot <= padslots::slots && player == 0; slot++)
      if ((s.lost & 1 << (slot - 1)) && slot <= humans && s.slots.padin(slot) == 0) player = slot;
  }
  s.lost = 0;
  return player;
}

void beginpadwait(int player) {
  state().waitingslot = player;
  SetPadKeys(padkeysnone);
  // An A held from before the pause does not end it.
  for (int n = 1; n <= maxpads; n++) state().aheld[n - 1] = PadConnected(n) && PadHeld(n, padbuttona);
}

bool padapressed() {
  bool pressed = false;
  for (int n = 1; n <= maxpads; n++) {
    const bool held = PadConnected(n) && PadHeld(n, padbuttona);
    pressed = pressed || (held && !state().aheld[n - 1]);
    state().aheld[n - 1] = held;
  }
  return pressed;
}

void endpadwait(int player) {
  controlstate& s = state();
  s.waitingslot = 0;
  SetPadKeys(padkeysmatch);
  if (player >= 1 && player <= controlplayers && !controllerback(player))
    s.standin |= 1 << (player - 1);
}

bool controllerback(int player) {
  syncpads();
  return state().singleplayer ? anypad() : state().slots.padin(player) != 0;
}

bool fourthcontrol() {
  syncpads();
  if (state().slots.padin(4) != 0) return true;
  for (int k : state().keys.keys[3])
    if (k != 0) return true;
  return false;
}
