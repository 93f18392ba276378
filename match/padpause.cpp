// The pause for an unplugged controller: the match holds, showing who lost
// theirs, until a pad is plugged in for that player or Enter is pressed on
// the keyboard (the player then goes on with its keys, if it has any). Esc
// still leaves the match.
#include <string>

#include "controls/controls.h"
#include "match/quit.h"
#include "match/tlevel.h"

int tlevel::controllerpause() {
  const bool singleplayer = leveltype != "multiplayer";
  const int player = lostcontroller(singleplayer ? 1 : mennumber);
  if (player == 0) return 0;
  const std::string message = "PLAYER " + std::to_string(player) + ": CONTROLLER DISCONNECTED";
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
    SetDrawScale(1, 1);
    Flip(-1);
    checkquit();
    if (controllerback(player) || KeyPresses(keyenter) != 0 || KeyHeld(keyesc)) break;
  }
  endpadwait();
  return 0;
}
