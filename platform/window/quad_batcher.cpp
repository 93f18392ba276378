#include "platform/window/quad_batcher.h"

#include <algorithm>
#include <utility>

namespace plat {

QuadBatcher::QuadBatcher(int capacity, int maxTextures, Sink sink)
    : capacity_(std::max(1, capacity)),
      maxTextures_(std::clamp(maxTextures, 1, 256)),  // a slot is one byte
      sink_(std::move(sink)) {
  pending_.reserve(capacity_);
  slots_.reserve(capacity_);
  textures_.reserve(maxTextures_);
}

void QuadBatcher::SetBatching(bool on) {
  Flush();
  batching_ = on;
}

void QuadBatcher::SetMaxTextures(int maxTextures) {
  Flush();
  maxTextures_ = std::clamp(maxTextures, 1, 256);
}

int QuadBatcher::SlotFor(int texture) {
  for (size_t i = 0; i < textures_.size(); ++i) {
    if (textures_[i] == texture) return static_cast<int>(i);
  }
  if (static_cast<int>(textures_.size()) == maxTextures_) return -1;
  textures_.push_back(texture);
  return static_cast<int>(textures_.size()) - 1;
}

void QuadBatcher::Add(int texture, BlendMode blend, const Quad* quads, int count) {
  if (quads == nullptr || count <= 0) return;
  if (!pending_.empty() && blend != blend_) Flush();
  blend_ = blend;
  const int limit = batching_ ? capacity_ : 1;
  while (count > 0) {
    int slot = SlotFor(texture);
    if (slot < 0) {
      Flush();
      slot = SlotFor(texture);
    }
    const int room = limit - static_cast<int>(pending_.size());
    const int take = std::min(room, count);
    pending_.insert(pending_.end(), quads, quads + take);
    slots_.insert(slots_.end(), take, static_cast<uint8_t>(slot));
    quads += take;
    count -= take;
    if (static_cast<int>(pending_.size()) >= limit) Flush();
  }
}

void QuadBatcher::Flush() {
  if (!pending_.empty()) {
    const Batch batch{textures_.data(), static_cast<int>(textures_.size()), blend_, pending_.data(),
                      slots_.data(),    static_cast<int>(pending_.size())};
    sink_(batch);
  }
  Discard();
}

void QuadBatcher::Discard() {
  pending_.clear();
  slots_.clear();
  textures_.clear();
}

}  // namespace plat
