// The self-test (--synctest N): every frame of the match goes through the
// rollback core the online session uses, then the last N frames are rolled
// back and played again, silently, and must come out as they did.
#pragma once

#include <cstdint>
#include <vector>

#include "match/matchgame.h"
#include "match/rollback.h"

class tlevel;

class synctest {
 public:
  static constexpr int maxframes = 8;
  // Checks `frames` (1 to maxframes) frames back from the match's present
  // frame on: a rollback never reaches before it.
  synctest(tlevel& level, int frames);

  // Plays the frame the loop was given.
  void play(const FrameInput& in, bool silent);
  // Rolls the last frames back and plays them again, ending the program
  // (status 3, a `desync` trace line with the first frame that differs)
  // when a state is not the one played before.
  void check();

 private:
  const int frames_;
  const int first_;  // the match's frame count at core frame 0
  matchgame game_;
  rollbackcore core_;
  std::vector<FrameInput> inputs_;  // [f % size]: core frame f's input
  std::vector<uint64_t> sums_;      // [f % size]: the state's hash after f frames
};
