// The game's own files: their names, and where each kind is kept.
#pragma once

struct PlatformConfig;

// The options (prefs.cpp), the address last joined and the player's online
// settings (onlineseries.cpp). The keys, the scores and the replays are
// named on their own floors (controlsfile, scoresfile, replaysfolder).
extern const char* const prefsfile;
extern const char* const lastjoinfile;
extern const char* const onlinefile;

// Tells the platform which of the game's files are configuration (the
// options, the keys, the online settings) and which are data (the scores,
// the replays); an installed game keeps them in the player's folders of
// each kind.
void placegamefiles(PlatformConfig* config);
