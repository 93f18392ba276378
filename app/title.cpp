#include "app/game.h"
#include "app/menudraw.h"
#include "match/quit.h"
#include "platform/platform.h"

namespace {
const char* const titleitems[] = {"SINGLE PLAYER", "MULTIPLAYER", "OPTIONS",
                                  "SCORES",        "HELP",        "QUIT"};
constexpr int titleitemcount = 6;
constexpr int keyreplays = 'R';
}  // namespace

int game::startscreen(int item) {
  const double w = xwin;
  ClearKeys();
  initadders(adder);
  for (;;) {
    menuframe("PARVANE", unicol, adder, w);
    for (int k = 1; k <= titleitemcount; k++) {
      drawitem(titleitems[k - 1], perwidth(50, w) + (k + 1) * perwidth(70, w), textscale(6, w), w,
               item == k, unicol);
    }
    SetDrawScale(1, 1);
    item = wrapitem(item, titleitemcount);
    Flip(-1);
    checkquit();
    if (KeyPresses(keyesc) != 0) quitgame();
    if (confirmpressed()) return item;
    // Not an item: the menu stays as it is for those who never watch one.
    if (KeyPresses(keyreplays) != 0) return replaysitem;
  }
}
