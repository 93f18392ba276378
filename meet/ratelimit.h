// Token buckets, and one set of them per source address in a table of fixed
// size, so that no amount of traffic from any number of addresses grows it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace meet {

// Holds up to `burst` tokens; `per` of them come back every `ms`
// milliseconds. The level is kept in units of 1/ms token, so the sums stay
// integer.
class bucket {
 public:
  bucket() = default;
  bucket(uint32_t burst, uint32_t per, uint32_t ms, uint32_t now)
      : cap_(static_cast<uint64_t>(burst) * ms), per_(per), ms_(ms), level_(cap_), at_(now) {}
  bool take(uint32_t now, uint32_t tokens = 1);
  // Full again: nothing was taken for a whole refill.
  bool idle(uint32_t now) const;

 private:
  void refill(uint32_t now);
  uint64_t cap_ = 0;
  uint32_t per_ = 1;
  uint32_t ms_ = 1;
  uint64_t level_ = 0;
  uint32_t at_ = 0;
};

struct ratelimits {
  uint32_t anyburst = 40, anyevery = 50;           // every request: 20 a second
  uint32_t roomburst = 10, roomevery = 6000;       // new rooms: 10 a minute
  uint32_t lookupburst = 10, lookupevery = 3000;   // lookups: 20 a minute
  uint32_t slots = 1 << 16;                        // source addresses remembered
};

enum class ratekind { any, room, lookup };

// Each IPv4 address hashes (with a secret seed, so nobody can aim at a slot)
// to two slots. A slot held by another address is taken over once that
// address has gone quiet; with both busy, the newcomer shares the first,
// which can only make the limits stricter.
class sourcetable {
 public:
  sourcetable(const ratelimits& limits, uint64_t seed);
  bool allow(uint32_t ip, ratekind kind, uint32_t now);
  size_t bytes() const { return slots_.capacity() * sizeof(slot); }

 private:
  struct slot {
    uint32_t ip = 0;
    bool used = false;
    bucket any, room, lookup;
  };
  slot& find(uint32_t ip, uint32_t now);
  ratelimits limits_;
  uint64_t seed_;
  std::vector<slot> slots_;
};

}  // namespace meet
