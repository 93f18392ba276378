// Collects quads into runs that share a texture and a blend mode, so that a
// frame of thousands of sprites costs a handful of draw calls. The order of
// quads is kept: blending depends on it.
#pragma once

#include <functional>
#include <vector>

#include "platform/backend.h"

namespace plat {

class QuadBatcher {
 public:
  // Receives each run to draw; `count` never exceeds the capacity.
  using Sink = std::function<void(int texture, BlendMode blend, const Quad* quads, int count)>;

  QuadBatcher(int capacity, Sink sink);

  // Off: every quad is its own run (the baseline that batching is measured
  // against).
  void SetBatching(bool on);
  bool Batching() const { return batching_; }

  void Add(int texture, BlendMode blend, const Quad* quads, int count);
  // Hands the pending run to the sink.
  void Flush();
  // Drops the pending run (the frame is being cleared over it).
  void Discard() { pending_.clear(); }
  int Pending() const { return static_cast<int>(pending_.size()); }

 private:
  int capacity_;
  Sink sink_;
  bool batching_ = true;
  int texture_ = 0;
  BlendMode blend_ = kBlendAlpha;
  std::vector<Quad> pending_;
};

}  // namespace plat
