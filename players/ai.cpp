// The computer player: it sees the world as it was AIlevel frames ago,
// projects the ball's relative motion as far ahead, and pushes its body
// towards that point in one of eight compass directions.
#include <algorithm>

#include "physics/mainball.h"
#include "physics/tension.h"
#include "platform/platform.h"
#include "players/man.h"

namespace {

constexpr double diagonal = 0.707f;

// A ball nobody has touched for this many frames is chased where it is now.
constexpr int forgetframes = 240;

}  // namespace

int aisector(int a) {
  if (a < 15) return 1;
  if (a < 68) return 2;
  if (a < 112) return 3;
  if (a < 158) return 4;
  if (a < 202) return 5;
  if (a < 248) return 6;
  if (a < 292) return 7;
  if (a < 338) return 8;
  return 1;
}

int aireaction(int ailevel) { return 30 - 2 * std::clamp(ailevel, 0, 15); }

int Tman::Ai3(Tmainball& mb) {
  if (balllist.empty()) return 0;
  updateoldvect();
  int k = mb.untouched >= forgetframes ? 0 : AIlevel;
  // The histories hold 50 frames; a level outside them would read past the end.
  k = std::clamp(k, 0, motionhistory::length - 1);

  float bx = static_cast<float>(mb.history.x[k]);
  float by = static_cast<float>(mb.history.y[k]);
  float bvx = static_cast<float>(mb.history.xv[k]);
  float bvy = static_cast<float>(mb.history.yv[k]);
  float mx = static_cast<float>(history.x[k]);
  float my = static_cast<float>(history.y[k]);
  float mvx = static_cast<float>(history.xv[k]);
  float mvy = static_cast<float>(history.yv[k]);
  float rvx = bvx - mvx;
  float rvy = bvy - mvy;
  float dx = bx + k * rvx - mx;
  float dy = by + k * rvy - my;
  float angle = static_cast<float>(ATan2d(dy, dx) + 90.0);
  direction = aisector(static_cast<int>(wrap360(angle)));

  ball* b = balllist.front();
  double s = speed;
  switch (direction) {
    case 1:
      b->yv -= s;
      break;
    case 2:
      b->xv += s * diagonal;
      b->yv -= s * diagonal;
      break;
    case 3:
      b->xv += s;
      break;
    case 4:
      b->xv += s * diagonal;
      b->yv += s * diagonal;
      break;
    case 5:
      b->yv += s;
      break;
    case 6:
      b->xv -= s * diagonal;
      b->yv += s * diagonal;
      break;
    case 7:
      b->xv -= s;
      break;
    default:
      b->xv -= s * diagonal;
      b->yv -= s * diagonal;
      break;
  }
  return 0;
}
