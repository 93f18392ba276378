// What the host of an online series decides for every machine, as it
// travels in the start of the series.
#pragma once

#include <cstdint>
#include <vector>

#include "match/setup.h"

// The host's multiplayer settings, and the window size the match is played
// at (the camera frames that window, so it is part of the simulation).
struct seriessettings {
  Tmultiplayersettings multi;
  int resolution = 3;  // as the options number it: 1 640 x 480 ... 3 1024 x 768
};

// The host's settings as they travel to the joiners.
std::vector<uint8_t> encodesettings(const Tmultiplayersettings& m, int xwin, int ywin);

// The host's settings as a joiner receives them: anything out of range, or
// a window the options could not give, is refused rather than played.
bool decodesettings(const std::vector<uint8_t>& in, seriessettings& s);
