#include "online/rollback.h"

namespace online {

rollbackcore::rollbackcore(rollbackgame& game, int window) : game_(game) {
  // Every frame a rollback can reach back to, and the present one.
  snapshots_.resize(static_cast<size_t>(window) + 2);
}

void rollbackcore::play(const FrameInput& input, bool silent) {
  snapshot& s = snapshots_[static_cast<size_t>(frame_) % snapshots_.size()];
  s.frame = frame_;
  game_.save(s.data);
  game_.advance(input, silent);
  frame_++;
}

bool rollbackcore::rewind(int32_t to) {
  if (to < 0 || to > frame_) return false;
  const snapshot& s = snapshots_[static_cast<size_t>(to) % snapshots_.size()];
  if (s.frame != to) return false;
  game_.load(s.data);
  frame_ = to;
  return true;
}

}  // namespace online
