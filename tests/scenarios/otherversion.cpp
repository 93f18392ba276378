// Linked into a test build of the game before the game's libraries, so this
// definition is taken instead of the real version's: the build runs as a
// version no release has, for the scenario of a host that refuses it.
#include "replay/replayfile.h"

const char* const gameversion = "0.9-test";
