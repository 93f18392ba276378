// How one match is set up: everything its caller decides before it starts.
// The app fills it from the menus and options, a replay file records it, and
// the match copies it in at the start and is left alone from then on.
#pragma once

#include <cstdint>
#include <string>

// Settings of the custom and multiplayer modes, edited in their menus.
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

struct matchsetup {
  // "levels", "custom" or "multiplayer", or "online" (a multiplayer match
  // with the shared pause); only the settings of that mode are read.
  std::string mode = "custom";
  int level = 1;  // the level number in the levels mode
  Tcustomsettings custom;
  Tmultiplayersettings multi;
  int xwin = 1024;  // the window the camera frames
  int ywin = 768;
  int fireworks = 0;  // the options in force
  int trail = 0;
  int wins[4] = {0, 0, 0, 0};  // the series' wins before the match
  int startscore = 0;          // levels: the score carried in
  int worstscore = 0;          // levels: the lowest score of the table
  // The clock the level's time bonus counts from: the platform's clock at
  // the start unless fixed (an online match counts from 0 on every machine;
  // a replay from the recorded clock).
  bool fixedclock = false;
  int32_t startclock = 0;
};
