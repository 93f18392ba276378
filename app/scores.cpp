#include "app/game.h"
#include "app/menudraw.h"
#include "match/quit.h"
#include "platform/platform.h"

int game::blackscores() {
  const double w = xwin;
  const double s1 = w * 7 / 1024 * 0.1;
  const double s2 = w * 2 / 1024 * 0.1;
  const double namex = w * 270 / 1024;
  const double rightedge = w - w * 270 / 1024;
  int t = 0;
  ClearKeys();
  for (;;) {
    Cls();
    driftcolors(unicol, adder);
    t++;
    setrowcolor(unicol, titlerow);
    SetDrawScale(s1, s1);
    DrawLabelCentred("HIGH SCORES", 30 * w / 1024, w);
    setrowcolor(unicol, highlightrow);
    SetDrawScale(s2, s2);
    // The entries appear one by one, one every five frames.
    int i = 0;
    for (const highscore& entry : scoreslist) {
      i++;
      if (t <= 5 * i) break;
      const double y = (100 + 30 * i) * w / 1024;
      const std::string points = std::to_string(entry.points);
      const double pointsx = rightedge - LabelWidth(points) * s2;
      // A wide name shrinks to end short of its score, on the same middle.
      const std::string label = std::to_string(i) + (i < 10 ? " " : "") + ": " + Printable(entry.name);
      const double room = pointsx - w * 20 / 1024 - namex;
      const double s = LabelWidth(label) * s2 > room ? room / LabelWidth(label) : s2;
      SetDrawScale(s, s);
      DrawLabel(label, namex, y + LabelHeight() * (s2 - s) / 2);
      SetDrawScale(s2, s2);
      DrawLabel(points, pointsx, y);
    }
    Flip(-1);
    checkquit();
    if (KeyPresses(keyenter) != 0 || KeyPresses(keyesc) != 0 || KeyPresses(keyspace) != 0) {
      return 0;
    }
  }
}
