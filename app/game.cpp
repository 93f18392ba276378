#include "app/game.h"

#include <iostream>

#include "app/menus.h"
#include "controls/controls.h"
#include "match/quit.h"
#include "platform/platform.h"

game::game() : adder(MakeColorTable(10, 0.0f)), unicol(MakeColorTable(10, 0.0f)) {}

// Images, sounds and channels belong to the platform, which frees them when
// it shuts down.
game::~game() = default;

int game::initstuff() {
  // Not the game clock: it counts from the start, so it would give nearly
  // the same seed at every launch.
  SeedRandom(LaunchSeed());
  return 0;
}

void game::allgame() {
  musicchannel = AllocChannel();
  SetWindowTitle("Parvane");
  SetMessageScreen(messagescreen);
  if (!cmdline.replay.empty()) playreplay(cmdline.replay);
  initscores(scoreslist);
  readscores(scoreslist);
  ClearKeys();
  initstuff();
  initprefs();
  readprefs();
  loadcontrols();
  changeres(optfullscr, optres, 0);
  // The command line may go straight to an online lobby.
  if (cmdline.hostport != 0 || !cmdline.join.empty()) allonline(cmdline.hostport, cmdline.join);
  drawlogo();

  Channel* cheerschannel = AllocChannel();
  PrepareSound(cheers, cheerschannel);
  SetVolume(cheerschannel, musicvolume * 4 / 10.0);
  Resume(cheerschannel);

  int choice = 1;
  for (;;) {
    const int picked = startscreen(choice);
    if (picked == replaysitem) {
      replaysscreen();
      continue;
    }
    choice = picked;
    switch (choice) {
      case 1:
        allsingleplayer();
        break;
      case 2:
        switch (multiplayermenu(multiplayersettings, xwin, ywin, unicol, adder)) {
          case 1:
            allmultiplayer(multiplayersettings);
            break;
          case 2:
            allonline(onlineport, "");
            break;
          case 3:
            allonline(0, "");
            break;
          default:
            break;
        }
        break;
      case 3:
        optionsmenu();
        break;
      case 4:
        blackscores();
        break;
      case 5:
        controls();
        break;
      default:
        quitgame();
    }
  }
}

namespace {

// Loads an image or stops the program naming the file.
Image* mustload(const std::string& path) {
  Image* image = LoadSprite(path, -1);
  if (image == nullptr) FailMedia(path);
  return image;
}

void pointerfor(int fullscreen) {
  if (fullscreen != 0) {
    HidePointer();
  } else {
    ShowPointer();
  }
}

}  // namespace

int game::changeres(int fullscreen, int resolution, int reopen) {
  if (reopen != 0) CloseDisplay();
  if (resolution >= 1 && resolution <= 3) {
    xwin = windowsizes[resolution - 1][0];
    ywin = windowsizes[resolution - 1][1];
  }
  if (!OpenDisplay(xwin, ywin, fullscreen != 0 ? 32 : 0, 60, 0)) {
    std::cerr << "Parvane: cannot open a " << xwin << " x " << ywin
              << (fullscreen != 0 ? " full-screen display" : " window") << "\n";
    EndProgramWith(1);
  }
  pointerfor(fullscreen);
  SetBlend(3);
  SetDefaultImageFlags(7);

  images.bigballimage = mustload("media/bigball.png");
  images.mainballimage = mustload("media/mainball+0.png");
  images.ballimage = mustload("media/ball.png");
  images.rectimage = mustload("media/rect.png");
  images.mezball = mustload("media/mezball2.png");
  images.starimage = mustload("media/smallstar.png");
  images.sparki = mustload("media/spark.png");
  logoimage = mustload("media/logo.png");
  images.sciaimage = mustload("media/scia.png");
  CentreHandle(images.bigballimage);
  CentreHandle(images.mainballimage);
  CentreHandle(images.ballimage);
  CentreHandle(images.rectimage);
  CentreHandle(images.sparki);
  CentreHandle(images.starimage);
  pointerfor(fullscreen);

  Font* font = LoadLabelFont("media/font.ttf", 128, 4);
  if (font == nullptr) FailMedia("media/font.ttf");
  SetLabelFont(font);
  return 0;
}
