#include "match/rollback.h"

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

const std::vector<uint8_t>* rollbackcore::kept(int32_t f) const {
  if (f < 0 || f > frame_) return nullptr;
  const snapshot& s = snapshots_[static_cast<size_t>(f) % snapshots_.size()];
  return s.frame == f ? &s.data : nullptr;
}

bool rollbackcore::rewind(int32_t to) {
  const std::vector<uint8_t>* s = kept(to);
  if (s == nullptr) return false;
  game_.load(*s);
  frame_ = to;
  return true;
}
