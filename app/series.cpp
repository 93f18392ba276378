#include <iostream>
#include <memory>
#include <string>

#include "app/game.h"
#include "app/menus.h"
#include "content/levels.h"
#include "controls/controls.h"
#include "match/matchloop.h"
#include "match/tlevel.h"
#include "replay/recording.h"

namespace {

constexpr int unlockevery = 5;

}  // namespace

// A new match with the music and images of the game. The media are lent,
// not copied: the match never frees them.
std::unique_ptr<tlevel> newmatch(const game& g) {
  auto level = std::make_unique<tlevel>();
  level->musicvolume = g.musicvolume;
  level->musicchannel = g.musicchannel;
  level->musicnumber = g.musicnumber;
  level->musics = g.musics;
  level->images = g.images;
  return level;
}

matchloop liveloop(const game& g, tlevel& level) {
  static replaykeeper replays;
  return matchloop(level, &replays, g.cmdline.synctest);
}

matchsetup newsetup(const game& g, const std::string& mode) {
  matchsetup setup;
  setup.mode = mode;
  setup.xwin = g.xwin;
  setup.ywin = g.ywin;
  setup.fireworks = g.optfireworks;
  setup.trail = g.opttrail;
  return setup;
}

int game::allsingleplayer() {
  const int choice = singleplayermenu(xwin, ywin, unicol, adder);
  if (choice == 2) {
    if (custommenu(customsettings, xwin, ywin) == 1) allcustom(customsettings);
  } else if (choice == 1) {
    if (levelsmenu(initiallevel, maxinitiallevel, xwin, ywin) == 1) allsingleplayerlevels();
  }
  return 0;
}

// The music plays through a whole series and is silent in the menus. At
// volume 0 the channel is never touched, neither at the start nor the end.
// A series starts with everyone playing himself.
static void startseries(game& g) {
  forgetstandins();
  g.musicnumber = 1;
  if (g.musicvolume > 0) playmusic(g.musics, g.musicchannel, g.musicvolume / 10.0);
}

static void endseries(const game& g, Channel* lastchannel) {
  if (g.musicvolume > 0) stopmusic(lastchannel);
}

int game::allsingleplayerlevels() {
  startseries(*this);
  int score = 0;
  int levelnumber = initiallevel - 1;
  Channel* lastchannel = musicchannel;
  int result;
  do {
    levelnumber++;
    matchsetup setup = newsetup(*this, "levels");
    setup.level = levelnumber;
    setup.worstscore = worstscore(scoreslist);
    setup.startscore = score;
    std::unique_ptr<tlevel> level = newmatch(*this);
    result = liveloop(*this, *level).Play(setup);
    musicnumber = level->musicnumber;
    score = level->endscore;
    lastchannel = level->musicchannel;
    // Winning every fifth level unlocks the next one as a starting point.
    // The unlock is set, not raised, and saved at once.
    if (result == 1 && levelnumber % unlockevery == 0 && levelnumber < lastlevel) {
      maxinitiallevel = levelnumber + 1;
      initiallevel = levelnumber + 1;
      writeprefs();
    }
    const bool runover = (result != -1 && result != 1) || levelnumber >= lastlevel;
    if (!level->name.empty() && runover) {
      addhighscore(level->name, level->endscore, scoreslist);
      writescores(scoreslist);
    }
  } while (result == 1 && levelnumber < lastlevel);
  endseries(*this, lastchannel);
  return 0;
}

// Custom and multiplayer series: match after match with the same settings
// and a running win table, until a match is left with Esc.
static int playseries(game& g, matchsetup setup) {
  startseries(g);
  Channel* lastchannel = g.musicchannel;
  int result;
  do {
    std::unique_ptr<tlevel> level = newmatch(g);
    result = liveloop(g, *level).Play(setup);
    g.musicnumber = level->musicnumber;
    lastchannel = level->musicchannel;
    if (result >= 1 && result <= 4) setup.wins[result - 1]++;
  } while (result != -1);
  endseries(g, lastchannel);
  return 0;
}

int game::allcustom(Tcustomsettings& settings) {
  matchsetup setup = newsetup(*this, "custom");
  setup.custom = settings;
  return playseries(*this, setup);
}

int game::allmultiplayer(Tmultiplayersettings& settings) {
  matchsetup setup = newsetup(*this, "multiplayer");
  setup.multi = settings;
  return playseries(*this, setup);
}

namespace {

[[noreturn]] void refusereplay(const std::string& message) {
  // The path and the version come from outside: never raw to the terminal.
  std::cerr << "parvane: " << Printable(message) << "\n";
  EndProgramWith(1);
}

}  // namespace

void game::playreplay(const std::string& path) {
  std::string bytes;
  switch (ReadWholeFile(path, maxreplaybytes, &bytes)) {
    case 0:
      break;
    case 2:
      refusereplay(path + " is not a playable replay: it is too large");
    default:
      refusereplay("cannot read the replay file " + path);
  }
  replayrecord record;
  std::string error;
  if (!decodereplay(bytes, &record, &error)) refusereplay(path + " is " + error);

  // The camera framed the recorded window: the replay is shown in one of
  // that size.
  xwin = record.setup.xwin;
  ywin = record.setup.ywin;
  changeres(0, 0, 0);
  std::unique_ptr<tlevel> level = newmatch(*this);
  bool finished = false;
  int result = playrecorded(*level, record, &finished, cmdline.synctest);
  if (result == -2) refusereplay("cannot set up the match of " + path);
  if (result == -3) {
    refusereplay(path +
                 " is not a playable replay: it was recorded with other body files or another "
                 "version of the game (version " + record.version + ")");
  }
  if (finished) {
    uint64_t sum = level->checksum();
    if ((checksumsapply(record) && sum != record.endchecksum) ||
        !sameoutcome(*level, record, result)) {
      refusereplay("the replay " + path + " ended with checksum " + checksumtext(sum) + ", not " +
                   checksumtext(record.endchecksum) + " as recorded");
    }
  }
  EndProgram();
}
