// The match seen again from its own inputs: the instant replay of the end
// screens.
#include <algorithm>

#include "match/quit.h"
#include "match/tlevel.h"

namespace {

// Frames of the end screen the instant replay still shows after the win.
constexpr int afterwin = 90;

}  // namespace

void tlevel::drawreplaymark() {
  static const std::string mark = "REPLAY";
  double unit = xwin / 1024.0;
  double s = 0.3 * unit;
  SetDrawScale(s, s);
  SetAlpha(1.0);
  SetColor(255, 255, 255);
  DrawLabel(mark, xwin - LabelWidth(mark) * s - 20 * unit, ywin - LabelHeight() * s - 20 * unit);
  SetDrawScale(1, 1);
}

void tlevel::instantreplay() {
  matchsnapshot now;
  saveState(now);
  int frames = static_cast<int>(inputs.size());
  if (decidedframe > 0) frames = std::min(frames, decidedframe + afterwin);
  if (!loadState(startsnapshot)) return;
  replaying = true;
  capture.clear(2);
  for (int k = 0; k < frames; k++) {
    advance(inputs[k], false);
    drawreplaymark();
    checkquit();
    Flip(-1);
    deltatimecount();
    if (capture.leaving()) break;
  }
  replaying = false;
  loadState(now);
  // Neither the Esc that ended it nor the R that started it goes on.
  capture.clear(2);
}
