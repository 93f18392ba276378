// The controls screen: for players 1 to 4 the keys of LEFT, RIGHT, UP and
// DOWN, and the controller in that player's slot. Enter on a key waits for
// the new key; Enter on a controller moves it on to the next player.
#include <algorithm>
#include <cctype>
#include <string>

#include "app/game.h"
#include "app/menudraw.h"
#include "controls/controls.h"
#include "match/quit.h"
#include "platform/platform.h"
#include "players/man.h"

namespace {

constexpr int controllerrow = controlactions;  // below the four actions
constexpr int defaultsrow = controllerrow + 1;
constexpr int rows = defaultsrow + 1;

// Players 1 to 4 head their columns in their shirts' colours.
static_assert(controlplayers <= 4, "a shirt colour for every player");

double columnx(int player, double w) { return perwidth(370 + 160 * player, w); }
double rowy(int row, double w) { return perwidth(230 + 60 * row, w); }

// Text centred on x, shrunk to fit `width` (down to a smallest size, then
// cut short), on the middle of a line of the full size.
void cell(std::string text, double x, double y, double w, double width = 150) {
  const double full = textscale(2.2, w);
  const double room = perwidth(width, w);
  while (text.size() > 1 && LabelWidth(text) * full * 0.6 > room) text.pop_back();
  const double textwidth = LabelWidth(text);
  const double scale = textwidth > 0 ? std::min(full, room / textwidth) : full;
  SetDrawScale(scale, scale);
  DrawLabel(text, x - textwidth * scale / 2, y + LabelHeight() * (full - scale) / 2);
}

void greyorlit(bool lit, const ColorTable& colors) {
  if (lit) {
    setrowcolor(colors, highlightrow);
  } else {
    SetColor(100, 100, 100);
  }
}

std::string padlabel(int slot) {
  const int pad = currentslots().padin(slot);
  if (pad == 0) return "NONE";
  std::string name = PadName(pad);
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name;
}

// The first key pressed since the last look, 0 for none.
int pressedkey() {
  int found = 0;
  for (int key = 1; key < 256; key++)
    if (KeyPresses(key) != 0 && found == 0) found = key;
  return found;
}

}  // namespace

int game::controlsscreen() {
  const double w = xwin;
  keybindings keys = currentbindings();
  int row = 0, column = 0;
  bool waiting = false;  // for the key of the selected action
  std::string message;
  ClearKeys();
  for (;;) {
    menuframe("CONTROLS", unicol, adder, w);
    for (int p = 0; p < controlplayers; p++) {
      const teamrgb c = shirtcolour(p + 1);
      SetColor(c.r, c.g, c.b);
      cell("PLAYER " + std::to_string(p + 1), columnx(p, w), perwidth(160, w), w, 130);
    }
    for (int r = 0; r < defaultsrow; r++) {
      SetColor(100, 100, 100);
      SetDrawScale(textscale(2.2, w), textscale(2.2, w));
      DrawLabel(r < controlactions ? actionname(r) : "CONTROLLER", perwidth(40, w), rowy(r, w));
      for (int p = 0; p < controlplayers; p++) {
        const bool selected = r == row && p == column;
        std::string text = r < controlactions ? keyname(keys.keys[p][r]) : padlabel(p + 1);
        if (selected && waiting) text = "?";
        greyorlit(selected, unicol);
        cell(text, columnx(p, w), rowy(r, w), w);
      }
    }
    drawitem("DEFAULTS", perwidth(570, w), textscale(3, w), w, row == defaultsrow, unicol);
    if (!message.empty()) {
      setrowcolor(unicol, titlerow);
      drawcentred(message, perwidth(660, w), textscale(2.2, w), w);
    }
    SetDrawScale(1, 1);
    Flip(-1);
    checkquit();

    if (waiting) {
      const int key = pressedkey();
      if (key == keyesc) {
        waiting = false;
        message.clear();
      } else if (key != 0) {
        const std::string user = bindkey(keys, column, row, key);
        // A key the game cannot read for a player (F1, Shift, ...): told, and
        // the next key is awaited.
        const bool unusable = !bindablekey(key) && keyuser(keys, key, column, row).empty();
        message = unusable ? "THAT KEY CANNOT BE USED: TRY ANOTHER"
                  : user.empty() ? ""
                                 : "USED BY " + user;
        waiting = unusable;
        setbindings(keys);
      }
      continue;
    }
    if (KeyPresses(keyup) != 0) row = (row + rows - 1) % rows;
    if (KeyPresses(keydown) != 0) row = (row + 1) % rows;
    if (KeyPresses(keyleft) != 0) column = (column + controlplayers - 1) % controlplayers;
    if (KeyPresses(keyright) != 0) column = (column + 1) % controlplayers;
    if (confirmpressed()) {
      message.clear();
      if (row < controlactions) {
        waiting = true;
        message = "PRESS A KEY FOR PLAYER " + std::to_string(column + 1) + " " + actionname(row);
      } else if (row == controllerrow) {
        // The pad moves on to the next player and the selection follows it.
        const int to = (column + 1) % controlplayers;
        currentslots().move(column + 1, to + 1);
        column = to;
      } else {
        keys = defaultbindings();
        setbindings(keys);
      }
    }
    if (KeyPresses(keyesc) != 0) break;
  }
  savecontrols();
  return 0;
}
