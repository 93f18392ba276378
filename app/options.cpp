#include <string>

#include "app/game.h"
#include "app/menudraw.h"
#include "match/quit.h"
#include "physics/teamcolours.h"
#include "platform/platform.h"

namespace {

// A value out of range reads as the largest window.
std::string resolutionname(int optres) {
  const int* size = windowsizes[(optres == 1 || optres == 2 ? optres : 3) - 1];
  return std::to_string(size[0]) + " x " + std::to_string(size[1]);
}

std::string trailname(int opttrail) {
  switch (opttrail) {
    case 0:
      return "NONE";
    case 1:
      return "MEDIUM QUALITY";
    default:
      return "HIGH QUALITY";
  }
}

// Below the five settings the line that opens the controls screen, then
// the team colours, the newest choice.
constexpr int controlsitem = 6;
constexpr int paletteitem = 7;

std::string palettename(int palette) {
  return palette == distinctpalette ? "COLOR-BLIND SAFE" : "USUAL";
}

}  // namespace

int game::optionsmenu() {
  const double w = xwin;
  const int oldfullscr = optfullscr;
  const int oldres = optres;
  int item = 1;
  ClearKeys();
  int* fields[] = {&optfullscr, &optres, &opttrail, &optfireworks, &musicvolume};
  for (;;) {
    menuframe("OPTIONS", unicol, adder, w);
    const std::string lines[] = {
        "FULL SCREEN= " + std::to_string(optfullscr),
        "SCREEN RESOLUTION= " + resolutionname(optres),
        "TRAIL= " + trailname(opttrail),
        "FIREWORKS= " + std::to_string(optfireworks),
        "MUSIC VOLUME= " + std::to_string(musicvolume),
    };
    for (int k = 1; k <= 5; k++) {
      drawitem(lines[k - 1], perwidth(200, w) + k * perwidth(60, w), textscale(3, w), w, item == k,
               unicol);
    }
    drawitem("CONTROLS", perwidth(200, w) + controlsitem * perwidth(60, w), textscale(3, w), w,
             item == controlsitem, unicol);
    drawitem("TEAM COLORS= " + palettename(optpalette),
             perwidth(200, w) + paletteitem * perwidth(60, w), textscale(3, w), w,
             item == paletteitem, unicol);
    SetDrawScale(1, 1);
    Flip(-1);
    checkquit();

    const bool right = KeyPresses(keyright) != 0;
    const bool left = KeyPresses(keyleft) != 0;
    if (item < controlsitem) {
      if (right) *fields[item - 1] += 1;
      if (left) *fields[item - 1] -= 1;
    } else if (item == paletteitem && (right || left)) {
      optpalette = optpalette == distinctpalette ? usualpalette : distinctpalette;
      setteampalette(optpalette);
    }
    opttrail = clampto(opttrail, 0, 2);
    optfullscr = clampto(optfullscr, 0, 1);
    optfireworks = clampto(optfireworks, 0, 1);
    musicvolume = clampto(musicvolume, 0, 10);
    optres = clampto(optres, 1, 3);
    item = wrapitem(item, paletteitem);
    const bool confirm = confirmpressed();
    if (confirm && item == controlsitem) {
      controlsscreen();
      ClearKeys();
      continue;
    }
    if (confirm || KeyPresses(keyesc) != 0) break;
  }
  writeprefs();
  if (optres != oldres || optfullscr != oldfullscr) changeres(optfullscr, optres, 1);
  return 0;
}
