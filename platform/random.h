// PCG32: small, fast and the same sequence on every machine.
#pragma once

#include <cstddef>
#include <cstdint>

namespace plat {

class Pcg32 {
 public:
  explicit Pcg32(uint64_t seed = 0) { Seed(seed); }
  void Seed(uint64_t seed);
  uint32_t Next();
  // Uniform over lo..hi inclusive (the bounds are swapped when lo > hi).
  int Int(int lo, int hi);
  // Uniform in [lo, hi); with lo > hi a value between the two.
  double Real(double lo, double hi);
  uint64_t state() const { return state_; }
  void set_state(uint64_t s) { state_ = s; }

 private:
  uint64_t state_ = 0;
  static constexpr uint64_t kIncrement = 1442695040888963407ull;
};

// Fills `out` with bytes from the system's cryptographic source, for keys
// nobody may guess. False when the system gives none: the caller must not
// use `out` then (it is zeroed, never half a key).
bool UnpredictableBytes(void* out, size_t n);

// Tests only: reads entropy through `reader` (returns bytes read, or -1 with
// errno set) instead of the system; null puts the system back. Returns the
// reader before.
using EntropyReader = long (*)(void* out, size_t n);
EntropyReader SetEntropyReader(EntropyReader reader);

}  // namespace plat
