// The pause for an unplugged controller: the match holds, showing who lost
// theirs, until a pad is plugged in for that player, or Enter on the
// keyboard or A on any pad plays on: the computer then plays him until his
// pad comes back or he takes to his keys. Esc still leaves the match.
#include <string>

#include "controls/controls.h"
#include "match/quit.h"
#include "match/tlevel.h"

int tlevel::controllerpause() {
  const bool singleplayer = leveltype != "multiplayer";
  int player = lostcontroller(singleplayer ? 1 : mennumber);
  if (player == 0) return 0;
  const std::string message = "PLAYER " + std::to_string(player) + ": CONTROLLER DISCONNECTED";
  static const std::string howto = "PLUG IT IN AGAIN, OR PRESS ENTER TO PLAY ON";
  beginpadwait(player);
  KeyPresses(keyenter);  // an Enter from before the pause does not end it
  for (;;) {
    // The frozen match behind the message; drawing moves nothing.
    Cls();
    SetColor(64, 64, 64);  // the obstacles' grey
    arenarag->draw(xcenter, ycenter, zoom, xwin, ywin);
    for (int i = 0; i < mennumber; i++) men[i]->draw(xcenter, ycenter, zoom, xwin, ywin);
    for (int i = 0; i < mainballnumber; i++) mainball[i]->draw(xcenter, ycenter, zoom, xwin, ywin);
    SetColor(255, 255, 255);
    const double s = xwin * 2.5 / 1024.0 * 0.1;
    SetDrawScale(s, s);
    DrawLabel(message, (xwin - LabelWidth(message) * s) / 2, ywin / 2.0 - LabelHeight() * s / 2);
    const double small = s * 0.6;
    SetDrawScale(small, small);
    DrawLabel(howto, (xwin - LabelWidth(howto) * small) / 2, ywin / 2.0 + LabelHeight() * s);
    SetDrawScale(1, 1);
    Flip(-1);
    checkquit();
    if (KeyHeld(keyesc)) {
      player = 0;
      break;
    }
    if (controllerback(player) || KeyPresses(keyenter) != 0 || padapressed()) break;
  }
  endpadwait(player);
  return 0;
}
