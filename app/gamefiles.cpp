#include "app/gamefiles.h"

#include "content/highscores.h"
#include "controls/bindings.h"
#include "platform/platform.h"
#include "replay/replayfolder.h"

const char* const prefsfile = "prefs.txt";
const char* const lastjoinfile = "lastjoin.txt";
const char* const onlinefile = "online.txt";

void placegamefiles(PlatformConfig* config) {
  config->configFiles = {prefsfile, controlsfile, lastjoinfile, onlinefile};
  config->dataFiles = {scoresfile, replaysfolder};
}
