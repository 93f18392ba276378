// The heart of rollback: the match's state kept from before every frame a
// late input can still correct, so a wrong guess costs a load and a few
// silent frames rather than a desync.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "online/netgame.h"

namespace online {

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

}  // namespace online
