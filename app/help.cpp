// HELP: the keys as they are bound and the goal of the game; Right or Enter
// turns to a second page about controllers, the fourth player, replays and
// online play.
#include <string>
#include <vector>

#include "app/game.h"
#include "app/menudraw.h"
#include "controls/controls.h"
#include "match/quit.h"
#include "platform/platform.h"

namespace {
const char* const defaultkeys[] = {"ARROW KEYS", "W,A,S,D", "I,J,K,L"};
const char* const goallines[] = {
    "THE GOAL OF THE GAME IS TO KEEP THE BALL OF YOUR COLOR",
    "WHEN YOU TOUCH THE BALL IT BECOMES OF YOUR COLOR",
    "WHEN THE BALL IS YOUR COLOR, YOUR COLOR BAR ON THE TOP OF THE SCREEN INCREASES",
    "WHEN YOUR COLOR BAR REACHES THE END, YOU WIN"};

// "PLAYER 2: W,A,S,D": a player's keys in the order up, left, down, right,
// or the usual words while they are the usual keys.
std::string keyline(const keybindings& b, int player) {
  std::string line = "PLAYER " + std::to_string(player + 1) + ": ";
  const keybindings usual = defaultbindings();
  bool same = true;
  for (int a = 0; a < controlactions; a++) same = same && b.keys[player][a] == usual.keys[player][a];
  if (same && player < 3) return line + defaultkeys[player];
  const int order[] = {actionup, actionleft, actiondown, actionright};
  for (int k = 0; k < controlactions; k++)
    line += (k > 0 ? "," : "") + keyname(b.keys[player][order[k]]);
  return line;
}

bool haskeys(const keybindings& b, int player) {
  for (int k : b.keys[player])
    if (k != 0) return true;
  return false;
}

void firstpage(double w) {
  const keybindings& b = currentbindings();
  std::vector<std::string> lines;
  for (int p = 0; p < controlplayers; p++)
    if (p < 3 || haskeys(b, p)) lines.push_back(keyline(b, p));
  lines.push_back("P: PAUSE");
  lines.push_back("ESC: PREVIOUS MENU / QUIT");
  for (size_t k = 0; k < lines.size(); k++)
    drawcentredfit(lines[k], perwidth(190, w) + k * perwidth(50, w), textscale(3, w), w);
  for (int k = 0; k < 4; k++)
    drawcentred(goallines[k], perwidth(530, w) + k * perwidth(40, w), textscale(1.5, w), w);
}

void secondpage(double w, const ColorTable& colors) {
  const std::string replays = HomeShortened(GameFileFolder("replays/x"));
  // A heading in the highlight colour, then its lines in grey.
  const std::vector<std::vector<std::string>> sections = {
      {"CONTROLLERS", "IN THE MENUS: D-PAD OR LEFT STICK MOVE, A OR START CONFIRM, B OR BACK RETURN",
       "IN A MATCH: LEFT STICK OR D-PAD STEER, START PAUSES, BACK LEAVES THE MATCH",
       "EACH CONTROLLER PLAYS THE FIRST FREE PLAYER; OPTIONS, CONTROLS MOVES IT"},
      {"THE FOURTH PLAYER",
       "GIVE PLAYER 4 A CONTROLLER OR KEYS (OPTIONS, CONTROLS) TO PLAY MULTIPLAYER WITH FOUR"},
      {"REPLAYS", "R ON THE SCREEN THAT ENDS A MATCH SHOWS IT AGAIN, ESC RETURNS",
       "EVERY MATCH IS KEPT IN " + replays,
       "R ON THE TITLE OPENS REPLAYS: ENTER WATCHES ONE, DELETE REMOVES IT"},
      {"ONLINE PLAY", "MULTIPLAYER, HOST ONLINE GAME: THE OTHERS JOIN YOUR ADDRESS OR GAME CODE",
       "MULTIPLAYER, JOIN ONLINE GAME: TYPE THE HOST'S ADDRESS OR ITS GAME CODE",
       "OVER THE INTERNET WITHOUT A CODE, THE HOST OPENS UDP PORT 24680"},
  };
  double y = perwidth(160, w);
  for (const std::vector<std::string>& s : sections) {
    setrowcolor(colors, highlightrow);
    drawcentredfit(s[0], y, textscale(2.2, w), w);
    y += perwidth(40, w);
    SetColor(100, 100, 100);
    for (size_t k = 1; k < s.size(); k++, y += perwidth(32, w))
      drawcentredfit(s[k], y, textscale(1.5, w), w);
    y += perwidth(6, w);
  }
  setrowcolor(colors, highlightrow);
  drawcentred("LEFT: FIRST PAGE    ESC: BACK", perwidth(715, w), textscale(1.5, w), w);
}
}  // namespace

int game::controls() {
  const double w = xwin;
  bool second = false;
  ClearKeys();
  for (;;) {
    menuframe(second ? "MORE HELP" : "CONTROLS", unicol, adder, w);
    setrowcolor(unicol, highlightrow);
    if (second) {
      secondpage(w, unicol);
    } else {
      firstpage(w);
    }
    SetDrawScale(1, 1);
    Flip(-1);
    checkquit();
    const bool enter = KeyPresses(keyenter) != 0;
    const bool space = KeyPresses(keyspace) != 0;
    const bool right = KeyPresses(keyright) != 0;
    const bool left = KeyPresses(keyleft) != 0;
    if (KeyPresses(keyesc) != 0) return 0;
    if (second) {
      if (enter || space) return 0;
      if (left) second = false;
    } else {
      if (space) return 0;
      if (enter || right) second = true;
    }
  }
}
