// Replay files: how a match started and every frame's input, enough to play
// it again exactly. The files are shared between players, so the reader
// trusts nothing in them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "match/setup.h"
#include "match/frameinput.h"
#include "match/hash64.h"
#include "match/snapshotformat.h"

enum : int {
  replaylevels = 1,
  replaycustom = 2,
  replaymultiplayer = 3,
  replayonline = 4,
};

// The mode's name as the match knows it ("levels", ...), "" for none.
const char* replaymodename(int mode);
// The mode of a name, 0 for none.
int replaymodeof(const std::string& name);

struct replayrecord {
  std::string version;  // the game's version that recorded it
  // How the match was set up, its clock fixed at the recorded start. The
  // file holds the mode as its number (replaylevels ...).
  matchsetup setup;
  uint64_t randomstate = 0;    // the generator before the set-up
  uint64_t startchecksum = 0;  // the state right after the set-up
  std::vector<FrameInput> frames;
  int winner = -1;  // what the match returned
  uint64_t endchecksum = 0;
  // The snapshot format the checksums hash, known from the file's format.
  int checksumformat = snapshotformat;
};

// Whether a record's checksums can be held against this game's: those of
// an older snapshot format cannot, and its replay plays unchecked.
inline bool checksumsapply(const replayrecord& r) { return r.checksumformat == snapshotformat; }

// The game's version written into every replay.
extern const char* const gameversion;

// Larger files and longer matches are refused: three hours of frames fit.
constexpr size_t maxreplaybytes = 8u << 20;
constexpr uint32_t maxreplayframes = 1u << 20;

std::string encodereplay(const replayrecord& r);
// False with the cause in *error (nothing else is promised about *out).
bool decodereplay(const std::string& bytes, replayrecord* out, std::string* error);
