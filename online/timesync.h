// Keeps machines on the same frame. Each machine measures how far its frame
// is past the latest frame it heard from a peer; that figure holds the
// network's delay plus the real difference, and the peer's own figure holds
// the same delay minus it. Half their difference is how far ahead this
// machine runs, with the delay cancelled out. A machine ahead skips a frame
// now and then until the others catch up.
#pragma once

#include <array>
#include <cstdint>

namespace online {

class timesync {
 public:
  static constexpr int samples = 16;
  static constexpr int maxpeers = 4;
  // Frames to let pass between two skips, so the averages see the effect
  // of one before deciding on the next.
  static constexpr int spacing = 4;

  void reset();
  // One frame's figures for a peer: this machine's frames past the peer's,
  // and the peer's latest report of its frames past this machine.
  void sample(int peer, int local, int remote);
  void forget(int peer);
  // How many frames this machine runs ahead of the peer, averaged.
  double ahead(int peer) const;
  // Called once a frame: whether to skip this frame.
  bool wait();

 private:
  struct history {
    std::array<int, samples> diff{};
    int count = 0;
    int at = 0;
  };
  std::array<history, maxpeers> peers_{};
  int sincewait_ = spacing;
};

}  // namespace online
