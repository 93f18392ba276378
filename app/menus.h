// The menus in front of the game modes, and the music of a series.
#pragma once

#include <array>

#include "match/setup.h"
#include "effects/colordrift.h"

struct Sound;
struct Channel;

// 1 "PLAY LEVELS", 2 "PLAY CUSTOM", -100 back.
int singleplayermenu(int xwin, int ywin, ColorTable& unicol, ColorTable& adder);
// Chooses the initial level among 1, 6, 11, ... up to maxinitiallevel.
// 1 play, 0 back.
int levelsmenu(int& initiallevel, int maxinitiallevel, double xwin, double ywin);
// Edits the settings in place; 1 play, 0 back (the edits stay either way).
int custommenu(Tcustomsettings& settings, double xwin, double ywin);
// 1 play, 2 host an online game, 3 join one, 0 back.
int multiplayermenu(Tmultiplayersettings& settings, double xwin, double ywin, ColorTable& unicol,
                    ColorTable& adder);

// Starts track 0 of `musics` on the channel at `volume` (1.0 its own level).
int playmusic(const std::array<Sound*, 4>& musics, Channel* channel, double volume);
int stopmusic(Channel* channel);
