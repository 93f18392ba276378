// Settings of the custom and multiplayer modes: owned by the game for the
// whole run, edited in their menus, read by the match set-up.
#pragma once

class Tcustomsettings {
 public:
  int numplayers = 2;  // 2..4: player 1 at the keyboard, the rest computer
  int AIlevel = 5;     // 0..15
  int speed = 6;       // 1..10
  int ballsize = 5;    // 1..10
  int ballmass = 5;    // 1..10
  int gravity = 0;     // 0..10
  int arenanum = 1;    // 1..15
};

class Tmultiplayersettings {
 public:
  int numplayers = 2;  // 2..3, all at the keyboard; 4 with a fourth control
  int speed = 6;
  int ballsize = 5;
  int ballmass = 5;
  int gravity = 0;
  int arenanum = 1;
};
