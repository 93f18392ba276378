#include "match/hash64.h"

namespace {

uint64_t rotl(uint64_t v, int r) { return (v << r) | (v >> (64 - r)); }

}  // namespace

uint64_t hash64(const uint8_t* data, size_t n) {
  const uint64_t k1 = 0x9E3779B97F4A7C15ull, k2 = 0xC2B2AE3D27D4EB4Full;
  auto mix = [&](uint64_t& h, uint64_t w) {
    w *= k2;
    w = rotl(w, 31);
    w *= k1;
    h ^= w;
    h = rotl(h, 27) * 5 + 0x52dce729;
  };
  // Four lanes side by side, so one lane's multiply need not wait for the
  // last; a state of tens of kilobytes is hashed every frame of a rollback.
  uint64_t lane[4] = {k1 ^ (n * k2), k2 ^ n, k1 + n, k2 - n};
  size_t i = 0;
  for (; i + 32 <= n; i += 32) {
    for (int l = 0; l < 4; l++) mix(lane[l], loadle(data + i + 8 * l, 8));
  }
  uint64_t h = lane[0];
  for (int l = 1; l < 4; l++) mix(h, lane[l]);
  for (; i + 8 <= n; i += 8) mix(h, loadle(data + i, 8));
  if (i < n) mix(h, loadle(data + i, n - i));
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdull;
  h ^= h >> 33;
  h *= 0xc4ceb9fe1a85ec53ull;
  h ^= h >> 33;
  return h;
}
