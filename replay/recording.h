// A match turned into its replay, and replays played back through a match.
#pragma once

#include <string>

#include "match/tlevel.h"
#include "replay/replayfile.h"

// The replay of a match as it stands: how it started, every input it was
// given, and `winner` as its loop returned it.
replayrecord recordof(const tlevel& level, int winner);

// Writes the replay of a match just ended into replays/ and says so in the
// trace. Returns the file's name, "" when it could not be written.
std::string savereplay(const tlevel& level, int winner);

// Saves the replay of every match it is given to keep.
class replaykeeper : public matchkeeper {
 public:
  void ended(const tlevel& level, int result) override;
};

// Sets a match up as the record says and plays the recorded inputs through
// it. Returns the winner, -1 when left or the recorded match ended without
// one, -2 when no match could be set up, -3 when the set-up differs from
// the recorded one (nothing is played then); *finished tells whether every
// frame was played.
int playrecorded(tlevel& level, const replayrecord& r, bool* finished);
