// A player: a ragdoll body read from the body file, steered by pushing the
// first ball of its ball list, from the keyboard or by the computer.
#pragma once

#include <array>

#include "controls/playerinput.h"
#include "physics/motionhistory.h"
#include "physics/ragobject.h"
#include "physics/teamcolours.h"

class Tmainball;

// Man n plays for team n, and wherever a player is named (the online
// lobby, the controls) he wears his shirt colour (shirtcolour).

class Tman : public ragobject {
 public:
  int wins = 0;          // matches won in this series
  int direction = 0;     // last compass direction of the computer player, 1 to 8
  int followedball = 0;  // main ball this computer player follows
  float speed = 0;       // velocity added per frame and per direction
  int AIlevel = 0;       // age in frames of the positions the computer reacts to
  float owntime = 0;     // owned time in this match
  int team = 0;          // 1 to 4
  int bot = 0;           // 1: computer player
  motionhistory history;  // of the centre of mass and the mean velocity

  Tman() = default;

  int draw(double xc, double yc, double zoom, double xwin, double ywin) override;

  int updateoldvect();
  int Changefollowedball(int mainballs);
  int Ai3(Tmainball& mb);
  // Pushes the body as player `player` (0-based) asks in this frame.
  int control2(int player, const PlayerInput& in);
};

// The compass direction (1 up, 2 up-right, ... 8 up-left) of an angle in
// whole degrees, 0 being straight up and 90 right. The upward sector is the
// narrow one: 338 to 14.
int aisector(int angle);

// The age in frames of what a computer player of the menus' AI LEVEL (0 to
// 15, out of range clamped) reacts to: the higher the level, the fresher.
int aireaction(int ailevel);

// Player 0 to 3's bound keys and controller read into one frame's input.
PlayerInput keyboardinput(int player);
