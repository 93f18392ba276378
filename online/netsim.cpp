#include "online/netsim.h"

#include <algorithm>
#include <cstdio>

namespace online {

bool parseconditions(const std::string& text, netconditions& out, std::string* why) {
  int loss = 0, delay = 0, jitter = 0, used = 0;
  if (std::sscanf(text.c_str(), "%d/%d/%d%n", &loss, &delay, &jitter, &used) != 3 ||
      used != static_cast<int>(text.size())) {
    if (why) *why = "--netsim needs LOSS/DELAY/JITTER, for example 5/100/30";
    return false;
  }
  if (loss < 0 || loss > 100 || delay < 0 || delay > 5000 || jitter < 0 || jitter > 5000) {
    if (why) *why = "--netsim: LOSS is 0 to 100 percent, DELAY and JITTER 0 to 5000 milliseconds";
    return false;
  }
  out = {loss, delay, jitter};
  return true;
}

netsim::netsim(transport& inner, const netconditions& c, uint64_t seed)
    : inner_(inner), c_(c), state_(seed) {}

uint32_t netsim::random(uint32_t below) {
  // splitmix64: small, and its own.
  state_ += 0x9e3779b97f4a7c15ull;
  uint64_t z = state_;
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
  z ^= z >> 31;
  return below ? static_cast<uint32_t>(z % below) : 0;
}

void netsim::service(uint32_t nowms) {
  now_ = nowms;
  size_t n = 0;
  while (n < queue_.size() && static_cast<int32_t>(queue_[n].due - now_) <= 0) {
    waiting& w = queue_[n];
    if (w.hangup) {
      inner_.disconnect(w.peer);
    } else {
      inner_.send(w.peer, w.data.data(), w.data.size(), w.reliable);
    }
    n++;
  }
  queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(n));
  inner_.service(nowms);
}

void netsim::flush() {
  if (!queue_.empty()) service(queue_.back().due);
}

void netsim::send(int peer, const uint8_t* data, size_t size, bool reliable) {
  const bool dropped = random(100) < static_cast<uint32_t>(c_.loss);
  uint32_t due = now_ + static_cast<uint32_t>(c_.delay) + random(static_cast<uint32_t>(c_.jitter) + 1);
  if (dropped && !reliable) {
    lost_++;
    return;
  }
  if (reliable) {
    if (dropped) due += static_cast<uint32_t>(2 * c_.delay + c_.jitter);  // the resend
    auto it = std::find_if(lastreliable_.begin(), lastreliable_.end(),
                           [peer](const std::pair<int, uint32_t>& p) { return p.first == peer; });
    if (it == lastreliable_.end()) {
      lastreliable_.push_back({peer, due});
    } else {
      if (static_cast<int32_t>(due - it->second) < 0) due = it->second;
      it->second = due;
    }
  }
  if (queue_.size() >= maxwaiting) {
    lost_++;
    return;
  }
  enqueue({due, order_++, peer, reliable, false, std::vector<uint8_t>(data, data + size)});
}

void netsim::enqueue(waiting w) {
  auto at = std::upper_bound(queue_.begin(), queue_.end(), w, [](const waiting& a, const waiting& b) {
    return static_cast<int32_t>(a.due - b.due) < 0;
  });
  queue_.insert(at, std::move(w));
}

void netsim::disconnect(int peer) {
  // Goodbyes (a refusal, a departure) go out before the line drops.
  uint32_t due = now_;
  for (const waiting& w : queue_) {
    if (w.peer == peer && w.reliable && static_cast<int32_t>(w.due - due) > 0) due = w.due;
  }
  enqueue({due, order_++, peer, false, true, {}});
}

int netsim::roundtrip(int peer) const {
  const int inner = inner_.roundtrip(peer);
  // Both ways pass through a netsim when both machines run one.
  return inner < 0 ? inner : inner + 2 * c_.delay + c_.jitter;
}

}  // namespace online
