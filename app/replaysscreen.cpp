// The REPLAYS screen: the saved replays, newest first, to watch or delete.
// Opened with R on the title menu.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/game.h"
#include "app/menudraw.h"
#include "content/levels.h"
#include "match/quit.h"
#include "match/tlevel.h"
#include "platform/platform.h"
#include "replay/recording.h"
#include "replay/replayfolder.h"
#include "replay/watch.h"

namespace {

constexpr int visiblerows = 12;
constexpr int noticeframes = 180;

// One line of the list, read from the file's header.
struct replayline {
  std::string path;
  std::string date;
  bool playable = false;
  std::string what;  // mode and level
  int players = 0;
  int winner = -1;
  std::string length;  // minutes:seconds
};

std::string modeandlevel(const matchsetup& s) {
  switch (replaymodeof(s.mode)) {
    case replaylevels:
      return "LEVEL " + std::to_string(s.level);
    case replaycustom:
      return "CUSTOM ARENA " + std::to_string(s.custom.arenanum);
    case replaymultiplayer:
      return "MULTIPLAYER ARENA " + std::to_string(s.multi.arenanum);
    default:
      return "ONLINE ARENA " + std::to_string(s.multi.arenanum);
  }
}

int playersof(const matchsetup& s) {
  switch (replaymodeof(s.mode)) {
    case replaylevels:
      return std::clamp(rulesforlevel(s.level).players, 2, 4);
    case replaycustom:
      return s.custom.numplayers;
    default:
      return s.multi.numplayers;
  }
}

std::string lengthof(const replayrecord& r) {
  const int64_t ms = r.frames.empty() ? 0 : int64_t{r.frames.back().clock} - r.setup.startclock;
  const int64_t seconds = std::max<int64_t>(ms, 0) / 1000;
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60),
                static_cast<long long>(seconds % 60));
  return text;
}

// Newest first: the numbers in the names grow with every match saved.
std::vector<replayline> readlist() {
  std::vector<std::pair<long, std::string>> named;
  for (const std::string& name : ListFolder(replaysfolder)) {
    const long n = replaynumber(name);
    if (n >= 0) named.emplace_back(n, name);
  }
  std::sort(named.rbegin(), named.rend());
  std::vector<replayline> lines;
  for (const auto& entry : named) {
    replayline line;
    line.path = std::string(replaysfolder) + "/" + entry.second;
    line.date = FileDate(line.path);
    std::string bytes, error;
    replayrecord r;
    if (ReadWholeFile(line.path, maxreplaybytes, &bytes) == 0 && decodereplay(bytes, &r, &error)) {
      line.playable = true;
      line.what = modeandlevel(r.setup);
      line.players = playersof(r.setup);
      line.winner = r.winner;
      line.length = lengthof(r);
    } else {
      line.what = "CANNOT BE READ";
    }
    lines.push_back(line);
  }
  return lines;
}

void setrgb(const teamrgb& c) { SetColor(c.r, c.g, c.b); }

}  // namespace

// Plays one replay in a window of the size it was recorded in; "" when it
// played as recorded, otherwise what went wrong, for the screen to show.
std::string game::watch(const std::string& path) {
  std::string bytes, error;
  replayrecord r;
  if (ReadWholeFile(path, maxreplaybytes, &bytes) != 0 || !decodereplay(bytes, &r, &error))
    return "THIS REPLAY CANNOT BE READ";
  const int oldx = xwin, oldy = ywin;
  if (r.setup.xwin != xwin || r.setup.ywin != ywin) {
    xwin = r.setup.xwin;
    ywin = r.setup.ywin;
    changeres(optfullscr, 0, 1);
  }
  std::unique_ptr<tlevel> level = newmatch(*this);
  level->musicvolume = 0;  // menus are quiet, and so are their replays
  bool finished = false;
  const int result = watchreplay(*level, r, &finished);
  std::string notice;
  if (result == -2 || result == -3) {
    notice = "THIS REPLAY WAS MADE WITH ANOTHER VERSION OF THE GAME";
  } else if (finished && ((checksumsapply(r) && level->checksum() != r.endchecksum) ||
                          !sameoutcome(*level, r, result))) {
    notice = "THIS REPLAY DID NOT PLAY AS IT WAS RECORDED";
  }
  level.reset();
  if (xwin != oldx || ywin != oldy) {
    xwin = oldx;
    ywin = oldy;
    changeres(optfullscr, optres, 1);
  }
  return notice;
}

int game::replaysscreen() {
  std::vector<replayline> lines = readlist();
  int selected = 0, top = 0;
  bool asking = false;
  std::string notice;
  int noticetime = 0;
  ClearKeys();
  for (;;) {
    const double w = xwin;
    menuframe("REPLAYS", unicol, adder, w);
    const double s = textscale(1.6, w);
    SetDrawScale(s, s);
    if (lines.empty()) {
      SetColor(100, 100, 100);
      drawcentred("NO REPLAYS YET: EVERY MATCH PLAYED LEAVES ONE", perwidth(300, w), s, w);
    }
    top = std::clamp(top, std::max(0, selected - visiblerows + 1), selected);
    for (int k = top; k < std::min<int>(lines.size(), top + visiblerows); k++) {
      const replayline& line = lines[k];
      const double y = perwidth(170 + 40 * (k - top), w);
      const bool here = k == selected;
      auto plain = [&] {
        if (here) {
          setrowcolor(unicol, highlightrow);
        } else {
          SetColor(100, 100, 100);
        }
      };
      plain();
      DrawLabel(line.date, perwidth(24, w), y);
      DrawLabel(line.what, perwidth(250, w), y);
      if (!line.playable) continue;
      for (int p = 0; p < line.players; p++) {
        setrgb(shirtcolour(p + 1));
        DrawLabel("P" + std::to_string(p + 1), perwidth(590 + 42 * p, w), y);
      }
      if (line.winner >= 1 && line.winner <= 4) {
        setrgb(shirtcolour(line.winner));
        DrawLabel("P" + std::to_string(line.winner) + " WON", perwidth(780, w), y);
      } else {
        plain();
        DrawLabel("LEFT", perwidth(780, w), y);
      }
      plain();
      DrawLabel(line.length, perwidth(930, w), y);
    }
    std::string hint = "ENTER: WATCH   DELETE: REMOVE   ESC: BACK";
    if (asking) {
      hint = "DELETE THIS REPLAY?  Y: YES   N: NO";
    } else if (noticetime > 0) {
      noticetime--;
      hint = notice;
    }
    setrowcolor(unicol, asking ? titlerow : highlightrow);
    drawcentred(hint, perwidth(680, w), s, w);
    SetDrawScale(1, 1);
    Flip(-1);
    checkquit();

    const int count = static_cast<int>(lines.size());
    if (asking) {
      if (KeyPresses('Y') != 0) {
        RemoveFile(lines[selected].path);
        lines = readlist();
        selected = std::min(selected, std::max(0, static_cast<int>(lines.size()) - 1));
        asking = false;
      } else if (KeyPresses('N') != 0 || KeyPresses(keyesc) != 0) {
        asking = false;
      }
      ClearKeys();
      continue;
    }
    if (KeyPresses(keyesc) != 0) return 0;
    if (count == 0) continue;
    if (KeyPresses(keyup) != 0) selected = (selected + count - 1) % count;
    if (KeyPresses(keydown) != 0) selected = (selected + 1) % count;
    if (KeyPresses(keydelete) != 0) asking = true;
    if (KeyPresses(keyenter) != 0 && lines[selected].playable) {
      notice = watch(lines[selected].path);
      noticetime = notice.empty() ? 0 : noticeframes;
      ClearKeys();
    }
  }
}
