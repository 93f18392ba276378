#include "match/replaying.h"

#include <algorithm>
#include <string>

#include "match/capture.h"
#include "match/pacer.h"
#include "match/quit.h"
#include "match/tlevel.h"

namespace {

// Frames of the end screen the instant replay still shows after the win.
constexpr int afterwin = 90;

}  // namespace

void drawreplaymark(int xwin, int ywin) {
  static const std::string mark = "REPLAY";
  double unit = xwin / 1024.0;
  double s = 0.3 * unit;
  SetDrawScale(s, s);
  SetAlpha(1.0);
  SetColor(255, 255, 255);
  DrawLabel(mark, xwin - LabelWidth(mark) * s - 20 * unit, ywin - LabelHeight() * s - 20 * unit);
  SetDrawScale(1, 1);
}

void instantreplay(tlevel& level, inputcapture& capture, framepacer& pacer) {
  matchsnapshot now;
  level.saveState(now);
  int frames = static_cast<int>(level.inputs.size());
  if (level.decidedframe > 0) frames = std::min(frames, level.decidedframe + afterwin);
  if (!level.loadState(level.startsnapshot)) return;
  capture.clear(2);
  for (int k = 0; k < frames; k++) {
    level.advance(level.inputs[k], false);
    drawreplaymark(level.xwin, level.ywin);
    checkquit();
    Flip(-1);
    pacer.wait();
    if (capture.leaving()) break;
  }
  level.loadState(now);
  // Neither the Esc that ended it nor the R that started it goes on.
  capture.clear(2);
}
