// The controls of the people playing: each player's bound keys plus the
// controller in its slot, read into one frame's input, and the controllers'
// comings and goings a match must answer.
#pragma once

#include <cstdint>

#include "controls/bindings.h"
#include "controls/padslots.h"
#include "controls/playerinput.h"

// A stick's position (-1 to 1 each way, y down) as a push: nothing inside
// the radial dead zone, then growing to stickfull at full deflection in
// the stick's direction, never longer than stickfull.
void stickpush(double x, double y, int8_t* sx, int8_t* sy);
constexpr double stickdeadzone = 0.25;

// The bindings in force, read from controls.txt at start-up.
const keybindings& currentbindings();
void setbindings(const keybindings& b);
void loadcontrols();
bool savecontrols();  // false when controls.txt could not be saved (the player is told)

// Pads placed in their slots as they come and go (a look at the platform).
padslots& currentslots();
void syncpads();
// Forgets every slot and binding, as at start-up (for a fresh platform).
void resetcontrols();

// While a match runs, pads steer players and their buttons are the match's
// keys. In the single-player modes every pad steers player 1.
void begincontrols(bool singleplayer);
void endcontrols();
struct matchcontrols {
  explicit matchcontrols(bool singleplayer) { begincontrols(singleplayer); }
  ~matchcontrols() { endcontrols(); }
  matchcontrols(const matchcontrols&) = delete;
  matchcontrols& operator=(const matchcontrols&) = delete;
};

// Player 0 to 3 in this frame: held bound keys, its pad's d-pad and stick.
PlayerInput playerinput(int player);
// buttonnav* bits of d-pad and stick presses on any pad since the last call.
uint16_t padnavpressed();
// The player (1 to humans) whose pad was unplugged with no other to take
// over, 0 when none. Each loss is told once.
int lostcontroller(int humans);
// During the pause for a lost pad: the next pad plugged in plays `player`;
// keys only from the keyboard.
void beginpadwait(int player);
// A pressed on any connected pad since the last look.
bool padapressed();
// The pause ends. A player still without a pad (`player`, 0 when the match
// is left) is played by the computer: his input carries inputcomputer until
// a pad comes back for him or he presses one of his keys.
void endpadwait(int player);
bool controllerback(int player);  // the player has a pad again
// A new series: nobody is played by the computer for want of a pad. Within
// a series of the single-player modes a new match starts without the
// computer too; in multiplayer it goes on for a player whose pad is still
// missing.
void forgetstandins();
// Player 4 has a pad or a bound key, so a fourth person can play.
bool fourthcontrol();
