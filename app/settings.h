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

// The window sizes of the options' resolutions 1 to 3: the only windows a
// shared file or a host may ask for.
constexpr int windowsizes[3][2] = {{640, 480}, {800, 600}, {1024, 768}};

// The resolution of a window size, 0 when the options offer no such size.
inline int resolutionof(int xwin, int ywin) {
  for (int r = 1; r <= 3; r++)
    if (windowsizes[r - 1][0] == xwin && windowsizes[r - 1][1] == ywin) return r;
  return 0;
}
