// The pause for an unplugged controller: the match holds, showing who lost
// theirs, until a pad is plugged in for that player, or Enter on the
// keyboard or A on any pad plays on: the computer then plays him until his
// pad comes back or he takes to his keys. Esc still leaves the match.
#include <string>

#include "controls/controls.h"
#include "match/quit.h"
#include "match/matchloop.h"
#include "match/tlevel.h"

int matchloop::controllerpause() {
  const tlevel& level = level_;
  const double x = level.xcenter, y = level.ycenter, zoom = level.zoom;
  const int w = level.xwin, h = level.ywin;
  const bool singleplayer = level.leveltype != "multiplayer";
  int player = lostcontroller(singleplayer ? 1 : level.mennumber);
  if (player == 0) return 0;
  const std::string message = "PLAYER " + std::to_string(player) + ": CONTROLLER DISCONNECTED";
  static const std::string howto = "PLUG IT IN AGAIN, OR PRESS ENTER TO PLAY ON";
  beginpadwait(player);
  KeyPresses(keyenter);  // an Enter from before the pause does not end it
  for (;;) {
    // The frozen match behind the message; drawing moves nothing.
    Cls();
    SetColor(64, 64, 64);  // the obstacles' grey
    level.arenarag->draw(x, y, zoom, w, h);
    for (int i = 0; i < level.mennumber; i++) level.men[i]->draw(x, y, zoom, w, h);
    for (int i = 0; i < level.mainballnumber; i++) level.mainball[i]->draw(x, y, zoom, w, h);
    SetColor(255, 255, 255);
    const double s = w * 2.5 / 1024.0 * 0.1;
    SetDrawScale(s, s);
    DrawLabel(message, (w - LabelWidth(message) * s) / 2, h / 2.0 - LabelHeight() * s / 2);
    const double small = s * 0.6;
    SetDrawScale(small, small);
    DrawLabel(howto, (w - LabelWidth(howto) * small) / 2, h / 2.0 + LabelHeight() * s);
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
