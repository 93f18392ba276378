// The replays/ folder: one file per match played, the newest kept.
#pragma once

#include <string>

// The game's folder of replay files.
extern const char* const replaysfolder;
constexpr int keptreplays = 50;

// Writes bytes as the next replay file and drops the oldest beyond
// keptreplays. Returns the file's name relative to the game's files
// ("replays/..."), or "" when it could not be written.
std::string savereplayfile(const std::string& bytes);

// The number in a replay file's name, -1 for any other name.
long replaynumber(const std::string& name);
