#include "players/man.h"

#include "controls/controls.h"
#include "platform/platform.h"

namespace {

// Diagonal pushes are scaled so that two keys do not move faster than one.
constexpr double diagonal = 0.707f;

}  // namespace

int Tman::updateoldvect() {
  if (balllist.empty()) return 0;
  updatemed();
  updatemedvel();
  history.push(xmed, ymed, xvmed, yvmed);
  return 0;
}

int Tman::Changefollowedball(int mainballs) {
  if (RandomInt(0, 1000) > 990) followedball = RandomInt(0, mainballs - 1);
  return 0;
}

int Tman::control2(int player, const PlayerInput& in) {
  if (player < 0 || player >= maxinputplayers || balllist.empty()) return 0;
  ball* b = balllist.front();
  double s = speed;
  bool left = in.keys & inputleft, right = in.keys & inputright;
  bool up = in.keys & inputup, down = in.keys & inputdown;
  if (left || right || up || down) {
    if (player == 0) {
      // The arrow keys scale a diagonal so it is no faster than a straight move.
      if (left) b->xv -= (up || down) ? s * diagonal : s;
      if (right) b->xv += (up || down) ? s * diagonal : s;
      if (up) b->yv -= (left || right) ? s * diagonal : s;
      if (down) b->yv += (left || right) ? s * diagonal : s;
    } else {
      if (left) b->xv -= s;
      if (right) b->xv += s;
      if (up) b->yv -= s;
      if (down) b->yv += s;
    }
    return 0;
  }
  // A stick at full deflection pushes as one held key does, never more.
  b->xv += s * in.stickx / PlayerInput::stickfull;
  b->yv += s * in.sticky / PlayerInput::stickfull;
  return 0;
}

PlayerInput keyboardinput(int player) { return playerinput(player); }

int Tman::draw(double xc, double yc, double zoom, double xwin, double ywin) {
  // The bare body first, grey, then the shirt on top in the team colour.
  if (bot == 1) {
    SetColor(70, 70, 70);
  } else {
    SetColor(160, 160, 160);
  }
  for (int shirt = 0; shirt <= 1; shirt++) {
    if (shirt == 1 && team >= 1 && team <= 4) {
      const teamrgb c = shirtcolour(team);
      SetColor(c.r, c.g, c.b);
    }
    for (ball* b : balllist) {
      if (b->shirt == shirt) b->draw(xc, yc, zoom, xwin, ywin);
    }
    for (class link* l : linklist) {
      if (l->shirt == shirt) l->Draw(xc, yc, zoom, xwin, ywin);
    }
  }
  return 0;
}
