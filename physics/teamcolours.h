// The colours the four teams are drawn in. Two palettes: the usual one, and
// one that people with any of the common colour-vision deficiencies tell
// apart. Only drawing reads them: the simulation's own colour values, and
// so checksums and replays, are the same under both.
#pragma once

struct teamrgb {
  int r, g, b;
};

constexpr int usualpalette = 0;
constexpr int distinctpalette = 1;

void setteampalette(int palette);
int teampalette();

// Team 1 to 4 in the palette in force (another team gives grey).
teamrgb shirtcolour(int team);  // the men's shirts, and players named on menus
teamrgb barcolour(int team);    // the owned-time bars
teamrgb ballcolour(int team);   // a main ball owned by the team, and its trail

// What to draw for a colour the simulation gave a main ball or its trail: a
// team's usual ball colour becomes that team's ball colour in the palette
// in force; any other colour stays.
teamrgb shownballcolour(int r, int g, int b);
