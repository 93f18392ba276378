// The two screens that end a single-player level: the score count-up of a
// completed level, and the game-over screen with its name entry.
#include <algorithm>
#include <cctype>
#include <string>

#include "controls/controls.h"
#include "match/textentry.h"
#include "match/tlevel.h"
#include "platform/platform.h"

namespace {

constexpr int namelength = 15;  // letters a high-score name may hold

// Texts are built in one buffer kept from frame to frame, so the screens
// allocate nothing while they are shown.
std::string& scratch() {
  static std::string text = [] {
    std::string t;
    t.reserve(64);
    return t;
  }();
  text.clear();
  return text;
}

const std::string& number(int n) {
  std::string& t = scratch();
  t += std::to_string(n);  // short enough never to reach the heap
  return t;
}

void setcolour(const std::array<float, 3>& c) {
  SetColor(static_cast<int>(c[0]), static_cast<int>(c[1]), static_cast<int>(c[2]));
}

// Draws text at the current scale, centred across the window.
void centred(const std::string& text, double xwin, double /*s*/, double y) {
  DrawLabelCentred(text, y, xwin);
}

// The three numbers of the level screen: held, then counted over from the
// level's points into the total between u = 160 and u = 240.
struct shownscores {
  int level, bonus, total;
};

// The letters a pad cycles through under the name's cursor.
const char padletters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 ";
constexpr int padlettercount = sizeof padletters - 1;

// One step of the cycle from `letter`, forward or back.
std::string cycleletter(const std::string& letter, int step) {
  int k = 0;
  while (k < padlettercount && (letter.empty() || padletters[k] != letter[0])) k++;
  if (k == padlettercount) k = 0;
  k = (k + step + padlettercount) % padlettercount;
  return std::string(1, padletters[k]);
}

shownscores countup(int u, int levelscore, int timebonus, int startscore, int endscore) {
  if (u < 160) return {levelscore, timebonus, startscore};
  if (u > 240) return {0, 0, endscore};
  // In whole numbers: a real factor such as 0.7875 is not exact, and the
  // truncation would then show one less where the exact value is whole.
  const int64_t left = 240 - u, gone = u - 160;
  return {static_cast<int>(levelscore * left / 80), static_cast<int>(timebonus * left / 80),
          static_cast<int>((startscore * left + endscore * gone) / 80)};
}

}  // namespace

int tlevel::levelcompleted(int t) {
  int u = t + 1;
  // Presses made while the screen shows must not reach the next screen.
  clearrequest = std::max(clearrequest, 1);
  if (silent) return 0;

  shownscores shown = countup(u, levelscore, timebonus, startscore, endscore);
  double w = xwin;
  double unit = w / 1024;
  setcolour(levelcol[0]);
  double leftx = static_cast<int>(w * 100 / 1024);
  double rightx = static_cast<int>(w - w * 300 / 1024);

  double s = 0.6 * unit;
  SetDrawScale(s, s);
  if (u > 0) {
    std::string& title = scratch();
    title += "LEVEL ";
    title += std::to_string(levelnum);
    title += " COMPLETED";
    centred(title, w, s, 50 * unit);
  }

  s = 0.5 * unit;
  SetDrawScale(s, s);
  if (u > 40) DrawLabel("LEVEL SCORE: ", leftx, 240 * unit);
  if (u > 60) DrawLabel(number(shown.level), rightx, 240 * unit);
  if (u > 80) DrawLabel("TIME BONUS: ", leftx, 340 * unit);
  if (u > 100) DrawLabel(number(shown.bonus), rightx, 340 * unit);
  if (u > 120) DrawLabel("TOTAL SCORE: ", leftx, 440 * unit);
  if (u > 140) DrawLabel(number(shown.total), rightx, 440 * unit);

  s = 0.4 * unit;
  SetDrawScale(s, s);
  static const std::string prompt = "PRESS ENTER TO CONTINUE";
  if (u > 240) centred(prompt, w, s, 640 * unit);
  SetDrawScale(1, 1);
  return 0;
}

// A pad spells the name: up and down cycle the letter under the cursor,
// right moves on to a new letter, left deletes the last one.
void tlevel::padnameentry(uint16_t nav) {
  if (charposition < 1 || charposition > namelength) {
    if ((nav & buttonnavleft) && charposition > 1) charposition--;
    return;
  }
  if (nav & (buttonnavup | buttonnavdown)) {
    if (!cursorletter)
      characters[charposition] = "A";
    else
      characters[charposition] = cycleletter(characters[charposition], nav & buttonnavup ? 1 : -1);
    cursorletter = true;
  } else if (nav & buttonnavright) {
    if (!cursorletter) {
      characters[charposition] = "A";
      cursorletter = true;
    } else if (charposition < namelength) {
      charposition++;
      characters[charposition] = "A";
    }
  } else if (nav & buttonnavleft) {
    if (cursorletter)
      cursorletter = false;
    else if (charposition > 1)
      charposition--;
  }
}

bool tlevel::nameprompt() const {
  return phase == "gameover" && endscore > 0 && endscore > levelworstscore;
}

int tlevel::gameover(int t) {
  // Keys still held from the lost match must not type into the name.
  if (t <= 2) {
    frame.held = 0;
    frame.typed = 0;
    clearrequest = 2;
  }

  int c = frame.typed;
  if (c == 8 || c == 127) {
    if (cursorletter)
      cursorletter = false;
    else if (charposition > 1)
      charposition--;
  } else if (charposition >= 1 && charposition <= namelength) {
    std::string letter = keytochar(c);
    if (letter != "nope") {
      characters[charposition] = letter;
      charposition++;
      cursorletter = false;
    }
  }
  padnameentry(frame.pressed);
  name.clear();
  for (int i = 1; i < charposition; i++) name += characters[i];
  if (cursorletter) name += characters[charposition];
  for (char& ch : name) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));

  if (silent) return 0;
  double w = xwin;
  double unit = w / 1024;
  setcolour(levelcol[0]);
  double s = 1.2 * unit;
  SetDrawScale(s, s);
  if (t > 0) centred("GAME OVER", w, s, 20 * unit);
  s = 0.8 * unit;
  SetDrawScale(s, s);
  if (t > 60) {
    std::string& score = scratch();
    score += "SCORE: ";
    score += std::to_string(endscore);
    centred(score, w, s, 200 * unit);
  }
  if (endscore > 0 && endscore > levelworstscore) {
    s = 0.4 * unit;
    SetDrawScale(s, s);
    static const std::string prompt = "ENTER YOUR NAME:";
    if (t > 120) centred(prompt, w, s, 450 * unit);
    s = 0.8 * unit;
    SetDrawScale(s, s);
    if (t > 120) centred(name, w, s, 542 * unit);
  }
  SetDrawScale(1, 1);
  return 0;
}
