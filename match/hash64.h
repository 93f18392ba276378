// The 64-bit hash that match checksums and replay files are checked with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// n bytes (1 to 8) read as a little-endian number.
inline uint64_t loadle(const uint8_t* p, size_t n) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  if (n == 8) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
  }
#endif
  uint64_t v = 0;
  for (size_t i = 0; i < n; i++) v |= static_cast<uint64_t>(p[i]) << (8 * i);
  return v;
}

uint64_t hash64(const uint8_t* data, size_t n);
