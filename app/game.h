// The application object: everything the menus and the game modes share,
// from the options and the loaded media to the high-score table.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/cmdline.h"
#include "content/highscores.h"
#include "effects/colordrift.h"
#include "match/matchloop.h"
#include "match/media.h"
#include "match/setup.h"

struct Image;
struct Sound;
struct Channel;
class tlevel;

class game {
 public:
  game();
  ~game();
  game(const game&) = delete;
  game& operator=(const game&) = delete;

  int initiallevel = 0;
  int maxinitiallevel = 0;
  std::vector<highscore> scoreslist;
  int musicvolume = 0;
  int musicnumber = 0;
  Channel* musicchannel = nullptr;
  std::array<Sound*, 4> musics{};  // only element 0 is ever loaded
  int gamecolors = 10;
  ColorTable adder;
  ColorTable unicol;  // row 1 titles, row 2 the highlighted item
  int optres = 3;
  int optfullscr = 0;
  int optfireworks = 1;
  int opttrail = 0;
  int optpalette = 0;  // usualpalette or distinctpalette (physics/teamcolours.h)
  Sound* cheers = nullptr;
  int xwin = 1024;
  int ywin = 768;
  matchimages images;  // lent to every match
  Image* logoimage = nullptr;
  Tcustomsettings customsettings;
  Tmultiplayersettings multiplayersettings;
  commandline cmdline;  // what the game was started for

  // Mode menus and series (series.cpp, menus.cpp).
  int allsingleplayer();
  int allcustom(Tcustomsettings& settings);
  int allsingleplayerlevels();
  int allmultiplayer(Tmultiplayersettings& settings);
  // An online series from its lobby (onlineseries.cpp): host on `port`, or
  // join `address` ("HOST" or "HOST:PORT") when port is 0; an empty address
  // is asked for.
  int allonline(int port, const std::string& address);
  // Plays a replay file instead of the menus, then ends the program.
  [[noreturn]] void playreplay(const std::string& path);
  // Start-up, then the title loop; ends only through quitgame.
  [[noreturn]] void allgame();
  int blackscores();
  int controls();
  int changeres(int fullscreen, int resolution, int reopen);
  int optionsmenu();
  // Keys of players 1 to 4 and their controllers; saves controls.txt.
  int controlsscreen();
  int drawlogo0();
  int drawlogo();
  // The title menu: opens on `item`, returns the chosen item 1..6, or
  // replaysitem for R.
  int startscreen(int item);
  static constexpr int replaysitem = 7;
  // The saved replays, to watch or delete (replaysscreen.cpp).
  int replaysscreen();
  // Watches one replay file; "" when it played as recorded, otherwise
  // what went wrong, in words for the screen.
  std::string watch(const std::string& path);
  int readprefs();
  int initprefs();
  // 0 when prefs.txt was saved, 1 when it could not be.
  int writeprefs();
  int initstuff();
};

// The UDP port an online lobby is hosted on from the menu.
constexpr int onlineport = 24680;

// A new match with the music and images of the game.
std::unique_ptr<tlevel> newmatch(const game& g);
// The live loop of a match of the game: its replay kept, the self-test the
// command line asks for run.
matchloop liveloop(const game& g, tlevel& level);
// The set-up of a match of `mode` with the game's window size and options.
matchsetup newsetup(const game& g, const std::string& mode);

// A message on a screen of the game's own, until Enter: where the desktop's
// message box cannot open (see SetMessageScreen).
void messagescreen(const std::string& text, int width, int height);

// The line under the logo.
extern const char* const creditline;
