// The checksums machines compare: this machine's own, one every `interval`
// frames as they are computed (a rollback computes them again), handed out
// once confirmed; and the others' that came before ours was confirmed.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "online/netgame.h"

namespace online {

class checkbook {
 public:
  // `reach`: the frames a peer's checksums may run ahead of our confirmed
  // ones, and ours between being computed and confirmed.
  void reset(int interval, int reach);
  bool due(int32_t frame) const { return frame % interval_ == 0; }
  void own(int32_t frame, uint64_t sum);
  // Our next checksum confirmed up to `upto`, once each; false when none.
  bool report(int32_t upto, int32_t& frame, uint64_t& sum);
  enum verdict { agrees, kept, differs };
  // A peer's checksum against ours: kept for later when ours is not
  // reported yet.
  verdict compare(int machine, int32_t frame, uint64_t sum);
  // Whether the checksum `machine` sent of a frame just reported differs
  // from ours.
  bool keptdiffers(int machine, int32_t frame, uint64_t sum) const;

 private:
  struct record {
    int32_t frame = -1;
    uint64_t sum = 0;
  };
  size_t slot(int32_t frame) const { return static_cast<size_t>(frame / interval_) % own_.size(); }

  int interval_ = 60;
  int32_t reported_ = 0;
  std::vector<record> own_;
  std::array<std::vector<record>, maxmachines + 1> theirs_{};
};

}  // namespace online
