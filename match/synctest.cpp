#include "match/synctest.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "match/tlevel.h"

synctest::synctest(tlevel& level, int frames)
    : frames_(std::clamp(frames, 1, maxframes)),
      first_(level.framecount),
      game_(level),
      core_(game_, frames_),
      inputs_(static_cast<size_t>(frames_)),
      sums_(static_cast<size_t>(frames_) + 1) {}

void synctest::play(const FrameInput& in, bool silent) {
  inputs_[static_cast<size_t>(core_.frame()) % inputs_.size()] = in;
  core_.play(in, silent);
  sums_[static_cast<size_t>(core_.frame()) % sums_.size()] = core_.checksum();
}

void synctest::check() {
  const int32_t now = core_.frame();
  const int32_t from = std::max(0, now - frames_);
  if (from >= now || !core_.rewind(from)) return;
  for (int32_t f = from; f < now; f++) core_.play(inputs_[static_cast<size_t>(f) % inputs_.size()], true);
  // Each state played again is kept by the core before the next frame; the
  // last is the match as it now stands.
  for (int32_t f = from + 1; f <= now; f++) {
    const uint64_t sum = f < now ? tlevel::checksumof(*core_.kept(f)) : core_.checksum();
    if (sum == sums_[static_cast<size_t>(f) % sums_.size()]) continue;
    const int k = first_ + f;
    TraceEvent("desync", std::to_string(k));
    std::fprintf(stderr, "desync %d\n", k);
    EndProgramWith(3);
  }
}
