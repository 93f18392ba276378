#include <string>

#include "app/game.h"
#include "app/gamefiles.h"
#include "app/menudraw.h"
#include "content/levels.h"
#include "physics/teamcolours.h"
#include "platform/platform.h"
#include "platform/savefile.h"

int game::initprefs() {
  optres = 3;
  opttrail = 1;
  optfireworks = 1;
  musicvolume = 5;
  maxinitiallevel = 1;
  initiallevel = 1;
  return 0;
}

int game::readprefs() {
  TextStream* in = OpenRead(prefsfile);
  if (in == nullptr) {
    const int answer = Proceed("Play Fullscreen?");
    if (answer < 0) EndProgram();
    optfullscr = answer == 1 ? 1 : 0;
    writeprefs();
  } else {
    int* fields[] = {&optres,       &optfullscr,  &opttrail,
                     &optfireworks, &musicvolume, &maxinitiallevel};
    for (int* field : fields) {
      if (Eof(in)) break;
      *field = TextToInt(ReadLine(in));
    }
    // A seventh line only once the team colours were changed.
    optpalette = Eof(in) ? 0 : TextToInt(ReadLine(in));
    if (!Close(in)) reportreadfailure(prefsfile);
  }
  if (optfullscr > 1 || optfullscr < 0) optfullscr = 0;
  if (optres > 3 || optres < 1) optres = 3;
  // A hand-edited file must not hand the match a trail, fireworks or volume
  // setting the menus could never produce, nor start a run past the last
  // level.
  opttrail = clampto(opttrail, 0, 2);
  optfireworks = clampto(optfireworks, 0, 1);
  musicvolume = clampto(musicvolume, 0, 10);
  optpalette = clampto(optpalette, usualpalette, distinctpalette);
  setteampalette(optpalette);
  if (maxinitiallevel > lastlevel) maxinitiallevel = lastlevel;
  initiallevel = maxinitiallevel;
  return 0;
}

int game::writeprefs() {
  TextStream* out = openreplacing(prefsfile);
  bool saved = out != nullptr;
  if (saved) {
    for (int value : {optres, optfullscr, opttrail, optfireworks, musicvolume, maxinitiallevel}) {
      WriteLine(out, std::to_string(value));
    }
    // Left out at the usual colours: the file stays as it always was.
    if (optpalette != usualpalette) WriteLine(out, std::to_string(optpalette));
    saved = Close(out);
  }
  // The options stay in force for this run even though they are not kept.
  if (!saved) reportsavefailure(prefsfile);
  return saved ? 0 : 1;
}
