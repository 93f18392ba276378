#include "app/game.h"
#include "app/menudraw.h"
#include "match/quit.h"
#include "platform/platform.h"

const char* const creditline = "www.parvane-game.example";

namespace {

constexpr int logoseconds = 3000;  // ms

// The logo placed by its top-left corner, a little above the centre; the
// halvings are in whole pixels.
void drawlogoandcredit(Image* logo, int xwin, int ywin) {
  DrawSprite(logo, (xwin - 205) / 2, (ywin - 275) / 2 - 50, 0);
  SetColor(255, 255, 255);
  SetDrawScale(0.2, 0.2);
  DrawLabel(creditline, (xwin - 2 * LabelWidth(creditline) * 0.1) / 2, ywin / 2 + 120);
}

}  // namespace

int game::drawlogo0() {
  drawlogoandcredit(logoimage, xwin, ywin);
  Flip(-1);
  return 0;
}

int game::drawlogo() {
  const int start = Clock();
  drawlogo0();
  cheers = LoadSoundFile("media/cheers.ogg", 0);
  if (cheers == nullptr) FailMedia("media/cheers.ogg");
  musics[0] = LoadSoundFile("media/tutto.ogg", 0);
  if (musics[0] == nullptr) FailMedia("media/tutto.ogg");
  // Held keys, not presses: a tap between two frames does not skip the logo.
  for (;;) {
    Cls();
    SetDrawScale(1, 1);
    drawlogoandcredit(logoimage, xwin, ywin);
    const int elapsed = Clock() - start;
    Flip(-1);
    checkquit();
    if (elapsed > logoseconds) break;
    if (KeyHeld(keyspace) || KeyHeld(keyenter) || KeyHeld(keyesc)) break;
  }
  SetDrawScale(1, 1);
  return 0;
}
