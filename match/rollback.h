// The heart of rollback: the match's state kept from before every frame a
// late input can still correct, so a wrong guess costs a load and a few
// silent frames rather than a desync. The online session drives it with
// the inputs as they arrive; the self-test (--synctest) with the frame's
// own, to see that a frame simulated again comes out the same.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "match/frameinput.h"

// A match as rollback sees it. advance() simulates exactly one frame;
// silent frames draw and sound nothing but leave the same state.
class rollbackgame {
 public:
  virtual ~rollbackgame() = default;
  virtual void advance(const FrameInput& input, bool silent) = 0;
  // The buffer is reused from frame to frame, so a steady match does not
  // allocate.
  virtual void save(std::vector<uint8_t>& snapshot) = 0;
  virtual void load(const std::vector<uint8_t>& snapshot) = 0;
  virtual uint64_t checksum() = 0;
};

class rollbackcore {
 public:
  // `window` is the furthest back a correction may reach.
  rollbackcore(rollbackgame& game, int window);

  // The next frame to play.
  int32_t frame() const { return frame_; }
  // Plays frame() with `input`, keeping the state before it.
  void play(const FrameInput& input, bool silent);
  // Goes back to the state before `to`; false when that state is gone.
  bool rewind(int32_t to);
  // The state kept from before frame `f`, null when it is gone.
  const std::vector<uint8_t>* kept(int32_t f) const;
  uint64_t checksum() { return game_.checksum(); }

 private:
  struct snapshot {
    int32_t frame = -1;
    std::vector<uint8_t> data;
  };
  rollbackgame& game_;
  std::vector<snapshot> snapshots_;
  int32_t frame_ = 0;
};
