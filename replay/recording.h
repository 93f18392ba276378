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

// Saves the replay of every match it is given to keep: first when the
// match is decided, then again, over the same file, with its end screen.
class replaykeeper : public matchkeeper {
 public:
  void decided(const tlevel& level) override;
  void ended(const tlevel& level, int result) override;

 private:
  std::string written_;  // the file of the match being played, "" before
};

// What a replay should end with when played back: the winner recorded, or,
// for one that ends on its end screen (written when the match was decided),
// the winner decided then.
bool sameoutcome(const tlevel& level, const replayrecord& r, int result);

// Sets a match up as the record says and plays the recorded inputs through
// it. Returns the winner, -1 when left or the recorded match ended without
// one, -2 when no match could be set up, -3 when the set-up differs from
// the recorded one, as its checksum tells where checksums apply (nothing
// is played then); *finished tells whether every
// frame was played.
int playrecorded(tlevel& level, const replayrecord& r, bool* finished);

// The pieces of playrecorded. startrecorded sets the match up (0, -2 or
// -3 as above); playrecordedframe plays frame k of the record;
// endrecorded says how the match ended and returns its result.
int startrecorded(tlevel& level, const replayrecord& r);
void playrecordedframe(tlevel& level, const replayrecord& r, size_t k, bool silent);
int endrecorded(tlevel& level, const replayrecord& r);
