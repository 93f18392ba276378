// Collects quads into batches that share a blend mode and draw from a few
// textures at once (each bound to its own texture unit), so that a frame of
// thousands of sprites costs a handful of draw calls even where two images
// alternate, as a body's balls and links do. The order of quads is kept:
// blending depends on it.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/backend.h"

namespace plat {

class QuadBatcher {
 public:
  // One draw call's worth: quad i samples textures[slots[i]].
  struct Batch {
    const int* textures;
    int textureCount;
    BlendMode blend;
    const Quad* quads;
    const uint8_t* slots;
    int count;
  };
  // Receives each batch to draw; `count` never exceeds the capacity nor
  // `textureCount` the texture limit.
  using Sink = std::function<void(const Batch& batch)>;

  // A batch ends when it holds `capacity` quads, when its blend mode
  // changes or when a quad needs a texture past the first `maxTextures`.
  QuadBatcher(int capacity, int maxTextures, Sink sink);

  // Off: every quad is its own batch (the baseline that batching is
  // measured against).
  void SetBatching(bool on);
  bool Batching() const { return batching_; }
  // Hands over what is pending first.
  void SetMaxTextures(int maxTextures);

  void Add(int texture, BlendMode blend, const Quad* quads, int count);
  // Hands the pending batch to the sink.
  void Flush();
  // Drops the pending batch (the frame is being cleared over it).
  void Discard();
  int Pending() const { return static_cast<int>(pending_.size()); }

 private:
  // The slot of `texture` in the pending batch, taken if need be; -1 when
  // every slot holds another texture.
  int SlotFor(int texture);

  int capacity_;
  int maxTextures_;
  Sink sink_;
  bool batching_ = true;
  BlendMode blend_ = kBlendAlpha;
  std::vector<int> textures_;
  std::vector<Quad> pending_;
  std::vector<uint8_t> slots_;
};

}  // namespace plat
