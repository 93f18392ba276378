#include "online/timesync.h"

namespace online {

void timesync::reset() {
  peers_.fill(history{});
  sincewait_ = spacing;
}

void timesync::sample(int peer, int local, int remote) {
  if (peer < 0 || peer >= maxpeers) return;
  history& h = peers_[peer];
  h.diff[h.at] = local - remote;
  h.at = (h.at + 1) % samples;
  if (h.count < samples) h.count++;
}

void timesync::forget(int peer) {
  if (peer >= 0 && peer < maxpeers) peers_[peer] = history{};
}

double timesync::ahead(int peer) const {
  if (peer < 0 || peer >= maxpeers) return 0;
  const history& h = peers_[peer];
  if (h.count == 0) return 0;
  int sum = 0;
  for (int i = 0; i < h.count; i++) sum += h.diff[i];
  return sum / (2.0 * h.count);
}

bool timesync::wait() {
  if (++sincewait_ <= spacing) return false;
  for (int p = 0; p < maxpeers; p++) {
    // A frame or more ahead: a half-frame difference is the measuring's noise.
    if (ahead(p) >= 1.0) {
      sincewait_ = 0;
      // The skipped frame moves every figure by one; the averages learn it
      // from new samples, the old ones would make the next skip too eager.
      for (history& h : peers_) h.count = 0, h.at = 0;
      return true;
    }
  }
  return false;
}

}  // namespace online
