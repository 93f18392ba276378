// Ownership time, the banner, the win test with the level score, the phase
// machine and the tally screen of custom and multiplayer matches.
#include <algorithm>
#include <string>

#include "content/levels.h"
#include "match/scoring.h"
#include "match/tlevel.h"
#include "physics/mainball.h"
#include "physics/teamcolours.h"
#include "platform/platform.h"
#include "players/man.h"

namespace {

constexpr int secondsperman = 30;  // time allowance of a level, per man

void setcolour(const float* c) {
  SetColor(static_cast<int>(c[0]), static_cast<int>(c[1]), static_cast<int>(c[2]));
}

// The time bonus of a won level: levelnum * 20000 for an instant win,
// falling linearly to 0 when the match took the whole allowance.
int levelbonus(int levelnum, int mennumber, uint32_t elapsedms) {
  int n = mennumber * secondsperman;
  if (n <= 0) return 0;
  double e = elapsedms / 1000.0;
  // The single-precision steps keep the bonus identical to the points the
  // game has always given for the same time.
  float a = static_cast<float>(n - e);
  float b = static_cast<float>(static_cast<double>(levelnum) * a);
  double c = static_cast<double>(b) * timebonuspoints / n;
  return static_cast<int>(std::max(c, 0.0));
}

}  // namespace

int tlevel::writeowntime() {
  if (winner == 0) {
    for (int i = 0; i < mennumber; i++) {
      for (int j = 0; j < mainballnumber; j++) {
        if (mainball[j]->team == men[i]->team) men[i]->owntime += 1.0f;
      }
    }
  }

  if (silent) return 0;
  int w = images.sciaimage ? SpriteWidth(images.sciaimage) : 0;
  int h = images.sciaimage ? SpriteHeight(images.sciaimage) : 0;
  if (w > 0 && h > 0 && maxowntime > 0) {
    for (int i = 0; i < 4; i++) {
      // Every match has the first two bars; the others only with their man.
      if (i >= 2 && mennumber <= i) break;
      if (men[i] == nullptr) continue;
      const teamrgb c = barcolour(i + 1);
      SetColor(c.r, c.g, c.b);
      SetDrawScale(static_cast<double>(xwin) / w * men[i]->owntime / maxowntime,
                   15.0 / h * xwin / 1024);
      DrawSprite(images.sciaimage, 0, xwin * 15.0 * i / 1024, 0);
    }
  }
  SetDrawScale(1, 1);
  SetAlpha(1.0);
  return 0;
}

int tlevel::doscritta(double v) {
  if (temposcritta >= 0) temposcritta--;
  if (silent) return 0;
  double width = LabelWidth(scritta);
  if (temposcritta >= 0 && width > 0) {
    SetAlpha(temposcritta / 120.0);
    setcolour(levelcol[0].data());
    double s = xwin / width;
    SetDrawScale(s, s);
    DrawLabel(scritta, 0, static_cast<int>(ywin * v - LabelHeight() / 2 * s));
  }
  SetDrawScale(1, 1);
  SetAlpha(1.0);
  return 0;
}

int tlevel::changephase() {
  // Tester's shortcuts: player 1 or player 2 wins at once.
  auto held = [this](uint16_t button) { return (frame.held & button) != 0; };
  if (held(button1) && held(button4) && men[0]) men[0]->owntime = maxowntime + 10.0f;
  if (held(button1) && held(button5) && men[1]) men[1]->owntime = maxowntime + 10.0f;

  leveltime++;
  driftcolor(scrittacol, scrittaadd);

  if (phase == "normal") {
    // Every man is tested: two passing the limit together both gain a win,
    // and the later one is the winner.
    for (int i = 0; i < mennumber; i++) {
      if (!(men[i]->owntime > maxowntime)) continue;
      men[i]->wins++;
      winner = i + 1;
      if (leveltype == "custom" || leveltype == "multiplayer") phase = "tellwinner";
      if (leveltype == "levels" && winner == 1) {
        phase = "levelcompleted";
        levelscore = levelnum * levelpoints;
        // The clock wraps after 24 days: the time taken is counted modulo
        // 2^32, and a clock that ran back gives no bonus.
        const uint32_t elapsed =
            static_cast<uint32_t>(frame.clock) - static_cast<uint32_t>(initialtime);
        timebonus = levelbonus(levelnum, mennumber, elapsed);
        endscore = static_cast<int>(
            std::min<int64_t>(int64_t{startscore} + levelscore + timebonus, INT32_MAX));
      }
      if (leveltype == "levels" && winner != 1) {
        // A lost level is worth nothing, even when player 1 passed the
        // limit in the same frame and the level was scored just before.
        phase = "gameover";
        endscore = startscore;
      }
      phasetime = leveltime;
    }
  }

  if (phase == "levelcompleted") {
    levelcompleted(leveltime - phasetime);
    if (held(buttonenter) || held(buttonspace)) {
      if (levelnum >= lastlevel) {
        phase = "gameover";
        // The key that left this screen must not leave the next one.
        frame.held = 0;
        frame.typed = 0;
        clearrequest = 2;
      } else {
        phase = "end";
      }
    }
  }
  if (phase == "tellwinner") {
    tellwinner(leveltime - phasetime);
    if (held(buttonenter) || held(buttonspace)) phase = "end";
  }
  if (phase == "gameover") {
    gameover(leveltime - phasetime);
    bool nameentry = endscore > 0 && endscore > levelworstscore;
    // Space may be part of a name, so only Enter leaves while one is typed.
    if (held(buttonenter)) {
      phase = "end";
    } else if (!nameentry && held(buttonspace)) {
      phase = "end";
    }
  }
  return 0;
}

int tlevel::tellwinner(int t) {
  if (silent) return 0;
  setcolour(scrittacol);
  double s = xwin * 7 / 1024.0 * 0.1;
  SetDrawScale(s, s);
  // Kept from frame to frame, so the screen allocates nothing while shown.
  static std::string tally;
  tally.clear();
  tally += std::to_string(men[0]->wins);
  for (int i = 1; i < std::max(2, std::min(mennumber, 4)); i++) {
    tally += " - ";
    tally += std::to_string(men[i]->wins);
  }
  if (t > 0) DrawLabel(tally, (xwin - LabelWidth(tally) * s) / 2, xwin * 50 / 1024.0);

  s = xwin * 4 / 1024.0 * 0.1;
  SetDrawScale(s, s);
  static const std::string prompt = "PRESS ENTER TO CONTINUE";
  if (t > 100) DrawLabel(prompt, (xwin - LabelWidth(prompt) * s) / 2, xwin * 640 / 1024.0);
  SetDrawScale(1, 1);
  return 0;
}
