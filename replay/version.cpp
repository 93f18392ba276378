// The game's version, alone in its file: a test build of the game links a
// definition of its own in its place and so runs as another version.
#include "replay/replayfile.h"

#ifndef PARVANE_VERSION
#define PARVANE_VERSION "1.0"
#endif

const char* const gameversion = PARVANE_VERSION;
