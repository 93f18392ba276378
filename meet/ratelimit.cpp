#include "meet/ratelimit.h"

namespace meet {

void bucket::refill(uint32_t now) {
  // Unsigned differences survive the millisecond clock wrapping around.
  const uint64_t gained = static_cast<uint64_t>(now - at_) * per_;
  at_ = now;
  level_ = gained >= cap_ - level_ ? cap_ : level_ + gained;
}

bool bucket::take(uint32_t now, uint32_t tokens) {
  refill(now);
  const uint64_t cost = static_cast<uint64_t>(tokens) * ms_;
  if (cost > level_) return false;
  level_ -= cost;
  return true;
}

bool bucket::idle(uint32_t now) const { return static_cast<uint64_t>(now - at_) * per_ >= cap_ - level_; }

sourcetable::sourcetable(const ratelimits& limits, uint64_t seed)
    : limits_(limits), seed_(seed), slots_(limits.slots ? limits.slots : 1) {}

sourcetable::slot& sourcetable::find(uint32_t ip, uint32_t now) {
  uint64_t h = (ip ^ seed_) * 0x9e3779b97f4a7c15ull;
  h ^= h >> 29;
  h *= 0xbf58476d1ce4e5b9ull ^ (seed_ << 1);
  h ^= h >> 32;
  // Two places an address may live: far fewer addresses end up sharing.
  slot* const place[2] = {&slots_[h % slots_.size()], &slots_[(h >> 32) % slots_.size()]};
  for (slot* s : place) {
    if (s->used && s->ip == ip) return *s;
  }
  for (slot* s : place) {
    if (!s->used || (s->any.idle(now) && s->room.idle(now) && s->lookup.idle(now))) {
      s->used = true;
      s->ip = ip;
      s->any = bucket(limits_.anyburst, 1, limits_.anyevery, now);
      s->room = bucket(limits_.roomburst, 1, limits_.roomevery, now);
      s->lookup = bucket(limits_.lookupburst, 1, limits_.lookupevery, now);
      return *s;
    }
  }
  return *place[0];
}

bool sourcetable::allow(uint32_t ip, ratekind kind, uint32_t now) {
  slot& s = find(ip, now);
  switch (kind) {
    case ratekind::any: return s.any.take(now);
    case ratekind::room: return s.room.take(now);
    case ratekind::lookup: return s.lookup.take(now);
  }
  return false;
}

}  // namespace meet
