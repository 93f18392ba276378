#include "app/game.h"
#include "app/menudraw.h"
#include "match/quit.h"
#include "platform/platform.h"

namespace {
const char* const keylines[] = {"PLAYER 1: ARROW KEYS", "PLAYER 2: W,A,S,D", "PLAYER 3: I,J,K,L",
                                "P: PAUSE", "ESC: PREVIOUS MENU / QUIT"};
const char* const goallines[] = {
    "THE GOAL OF THE GAME IS TO KEEP THE BALL OF YOUR COLOR",
    "WHEN YOU TOUCH THE BALL IT BECOMES OF YOUR COLOR",
    "WHEN THE BALL IS YOUR COLOR, YOUR COLOR BAR ON THE TOP OF THE SCREEN INCREASES",
    "WHEN YOUR COLOR BAR REACHES THE END, YOU WIN"};
}  // namespace

int game::controls() {
  const double w = xwin;
  ClearKeys();
  for (;;) {
    Cls();
    driftcolors(unicol, adder);
    setrowcolor(unicol, titlerow);
    drawcentred("CONTROLS", perwidth(50, w), textscale(7, w), w);
    setrowcolor(unicol, highlightrow);
    for (int k = 0; k < 5; k++) {
      drawcentred(keylines[k], perwidth(190, w) + k * perwidth(50, w), textscale(3, w), w);
    }
    for (int k = 0; k < 4; k++) {
      drawcentred(goallines[k], perwidth(530, w) + k * perwidth(40, w), textscale(1.5, w), w);
    }
    SetDrawScale(1, 1);
    Flip(-1);
    checkquit();
    if (confirmpressed() || KeyPresses(keyesc) != 0) return 0;
  }
}
