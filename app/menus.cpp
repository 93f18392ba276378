#include "app/menus.h"

#include <string>
#include <vector>

#include "app/menudraw.h"
#include "controls/controls.h"
#include "match/quit.h"
#include "platform/platform.h"

namespace {

constexpr int backresult = -100;

void endframe() {
  Flip(-1);
  checkquit();
}

// One settings line: its label, the field it edits and the field's range.
// A setting may reach one step past `hi` while `onemore` says so.
struct setting {
  const char* label;
  int* value;
  int lo;
  int hi;
  bool (*onemore)() = nullptr;
};

// The frame loop shared by the custom and multiplayer menus: "PLAY" on top,
// then one line per setting. Returns 1 to play, 0 to go back.
// Returns 1 for "PLAY", 2 and up for the `more` items below the settings,
// 0 for Esc.
int settingsmenu(const std::string& title, double top, setting* settings, int count, double w,
                 ColorTable& colors, ColorTable& adders,
                 const std::vector<std::string>& more = {}) {
  ClearKeys();
  const int items = count + 1 + static_cast<int>(more.size());
  int item = 1;
  for (;;) {
    menuframe(title, colors, adders, w);
    drawitem("PLAY", perwidth(top, w), textscale(6, w), w, item == 1, colors);
    for (int k = count + 2; k <= items; k++) {
      drawitem(more[static_cast<size_t>(k - count - 2)], perwidth(top, w) + k * perwidth(50, w),
               textscale(2.5, w), w, item == k, colors);
    }
    for (int k = 2; k <= count + 1; k++) {
      const setting& s = settings[k - 2];
      drawitem(s.label + std::to_string(*s.value), perwidth(top, w) + k * perwidth(50, w),
               textscale(2.5, w), w, item == k, colors);
    }
    SetDrawScale(1, 1);
    endframe();

    // Keys are always read, so a press on "PLAY" does not act later on a
    // setting.
    const bool right = KeyPresses(keyright) != 0;
    const bool left = KeyPresses(keyleft) != 0;
    if (item >= 2 && item <= count + 1) {
      int* value = settings[item - 2].value;
      if (right) *value += 1;
      if (left) *value -= 1;
    }
    for (int k = 0; k < count; k++) {
      const setting& s = settings[k];
      const int hi = s.onemore != nullptr && s.onemore() ? s.hi + 1 : s.hi;
      *s.value = clampto(*s.value, s.lo, hi);
    }
    item = wrapitem(item, items);
    // Enter on the level line is used up, not kept for "PLAY".
    const bool confirmed = confirmpressed();
    if (confirmed && item == 1) return 1;
    if (confirmed && item > count + 1) return item - count;
    if (KeyPresses(keyesc) != 0) return 0;
  }
}

}  // namespace

int singleplayermenu(int xwin, int /*ywin*/, ColorTable& unicol, ColorTable& adder) {
  const double w = xwin;
  ClearKeys();
  initadders(adder);
  int item = 1;
  for (;;) {
    menuframe("SINGLE PLAYER", unicol, adder, w);
    drawitem("PLAY LEVELS", perwidth(300, w), textscale(5, w), w, item == 1, unicol);
    drawitem("PLAY CUSTOM", perwidth(400, w), textscale(5, w), w, item == 2, unicol);
    SetDrawScale(1, 1);
    item = wrapitem(item, 2);
    endframe();
    if (KeyPresses(keyesc) != 0) return backresult;
    if (confirmpressed()) return item;
  }
}

int levelsmenu(int& initiallevel, int maxinitiallevel, double xwin, double /*ywin*/) {
  const double w = xwin;
  ColorTable colors = MakeColorTable(3, 0.0f);
  ColorTable adders = MakeColorTable(3, 2.0f);
  ClearKeys();
  int item = 1;
  for (;;) {
    menuframe("SINGLE PLAYER", colors, adders, w);
    drawitem("PLAY", perwidth(240, w), textscale(6, w), w, item == 1, colors);
    drawitem("INITIAL LEVEL= " + std::to_string(initiallevel), perwidth(340, w), textscale(2.5, w),
             w, item == 2, colors);
    drawitem("(INITIAL LEVELS ARE UNLOCKED EVERY 5 LEVELS)", perwidth(440, w), textscale(1.5, w), w,
             false, colors);
    SetDrawScale(1, 1);
    endframe();

    const bool right = KeyPresses(keyright) != 0;
    const bool left = KeyPresses(keyleft) != 0;
    if (item == 2) {
      if (right) initiallevel += 5;
      if (left) initiallevel -= 5;
    }
    // Upper clamp first: a maxinitiallevel below 1 still leaves level 1.
    if (initiallevel > maxinitiallevel) initiallevel = maxinitiallevel;
    if (initiallevel < 1) initiallevel = 1;
    item = wrapitem(item, 2);
    // Enter on the level line is used up, not kept for "PLAY".
    if (confirmpressed() && item == 1) return 1;
    if (KeyPresses(keyesc) != 0) return 0;
  }
}

int custommenu(Tcustomsettings& s, double xwin, double /*ywin*/) {
  ColorTable colors = MakeColorTable(3, 0.0f);
  ColorTable adders = MakeColorTable(3, 2.0f);
  setting settings[] = {
      {"NUMBER OF PLAYERS= ", &s.numplayers, 2, 4},
      {"PLAYERS SPEED= ", &s.speed, 1, 10},
      {"AI LEVEL= ", &s.AIlevel, 0, 15},
      {"BALL SIZE= ", &s.ballsize, 1, 10},
      {"BALL MASS= ", &s.ballmass, 1, 10},
      {"GRAVITY= ", &s.gravity, 0, 10},
      {"ARENA= ", &s.arenanum, 1, 15},
  };
  return settingsmenu("SINGLE PLAYER", 190, settings, 7, xwin, colors, adders);
}

int multiplayermenu(Tmultiplayersettings& s, double xwin, double /*ywin*/, ColorTable& unicol,
                    ColorTable& adder) {
  setting settings[] = {
      // A fourth player once someone has a control to play it with.
      {"NUMBER OF PLAYERS= ", &s.numplayers, 2, 3, fourthcontrol},
      {"PLAYERS SPEED= ", &s.speed, 1, 10},
      {"BALL SIZE= ", &s.ballsize, 1, 10},
      {"BALL MASS= ", &s.ballmass, 1, 10},
      {"GRAVITY= ", &s.gravity, 0, 10},
      {"ARENA= ", &s.arenanum, 1, 15},
  };
  std::vector<std::string> online;
  if (kOnlinePlay) online = {"HOST ONLINE GAME", "JOIN ONLINE GAME"};
  return settingsmenu("MULTIPLAYER", 220, settings, 6, xwin, unicol, adder, online);
}

int playmusic(const std::array<Sound*, 4>& musics, Channel* channel, double volume) {
  PrepareSound(musics[0], channel);
  SetVolume(channel, volume);
  Resume(channel);
  return 0;
}

int stopmusic(Channel* channel) {
  if (channel != nullptr) Stop(channel);
  return 0;
}
