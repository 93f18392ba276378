#include "platform/window/quad_batcher.h"

#include <algorithm>
#include <utility>

namespace plat {

QuadBatcher::QuadBatcher(int capacity, Sink sink)
    : capacity_(std::max(1, capacity)), sink_(std::move(sink)) {
  pending_.reserve(capacity_);
}

void QuadBatcher::SetBatching(bool on) {
  Flush();
  batching_ = on;
}

void QuadBatcher::Add(int texture, BlendMode blend, const Quad* quads, int count) {
  if (quads == nullptr || count <= 0) return;
  if (!pending_.empty() && (texture != texture_ || blend != blend_)) Flush();
  texture_ = texture;
  blend_ = blend;
  const int limit = batching_ ? capacity_ : 1;
  while (count > 0) {
    const int room = limit - static_cast<int>(pending_.size());
    const int take = std::min(room, count);
    pending_.insert(pending_.end(), quads, quads + take);
    quads += take;
    count -= take;
    if (static_cast<int>(pending_.size()) >= limit) Flush();
  }
}

void QuadBatcher::Flush() {
  if (pending_.empty()) return;
  sink_(texture_, blend_, pending_.data(), static_cast<int>(pending_.size()));
  pending_.clear();
}

}  // namespace plat
