#include "platform/random.h"

// <cstddef> first: Emscripten's <sys/random.h> uses size_t without it.
#include <cstddef>
// clang-format off
#include <sys/random.h>
// clang-format on

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/internal.h"
#include "platform/platform.h"

namespace plat {

namespace {

long SystemEntropy(void* out, size_t n) {
#ifdef __EMSCRIPTEN__
  // The browser's crypto, at most 256 bytes a call.
  n = std::min<size_t>(n, 256);
  return getentropy(out, n) == 0 ? static_cast<long>(n) : -1;
#else
  // Blocks only while the kernel's pool is not yet set up, just after boot.
  return static_cast<long>(getrandom(out, n, 0));
#endif
}

EntropyReader entropy = SystemEntropy;

}  // namespace

bool UnpredictableBytes(void* out, size_t n) {
  auto* at = static_cast<unsigned char*>(out);
  size_t left = n;
  // Reads may come short or be interrupted; a source that keeps doing so is
  // as good as none.
  for (int tries = 0; left > 0 && tries < 64; ++tries) {
    errno = 0;
    const long got = entropy(at, left);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0 || static_cast<size_t>(got) > left) break;
    at += got;
    left -= static_cast<size_t>(got);
  }
  if (left == 0) return true;
  std::memset(out, 0, n);
  return false;
}

EntropyReader SetEntropyReader(EntropyReader reader) {
  EntropyReader before = entropy;
  entropy = reader ? reader : SystemEntropy;
  return before;
}

void Pcg32::Seed(uint64_t seed) {
  state_ = 0;
  Next();
  state_ += seed;
  Next();
}

uint32_t Pcg32::Next() {
  uint64_t old = state_;
  state_ = old * 6364136223846793005ull + kIncrement;
  uint32_t xorshifted = static_cast<uint32_t>(((old >> 18u) ^ old) >> 27u);
  uint32_t rot = static_cast<uint32_t>(old >> 59u);
  return (xorshifted >> rot) | (xorshifted << ((32u - rot) & 31u));
}

int Pcg32::Int(int lo, int hi) {
  if (lo > hi) {
    int t = lo;
    lo = hi;
    hi = t;
  }
  uint64_t range = static_cast<uint64_t>(static_cast<int64_t>(hi) - lo) + 1;
  if (range > 0xffffffffull) return static_cast<int>(static_cast<int64_t>(lo) + Next());
  // Rejection keeps every value equally likely.
  uint32_t r32 = static_cast<uint32_t>(range);
  uint32_t limit = static_cast<uint32_t>(-r32) % r32;  // 2^32 mod range
  uint32_t x;
  do {
    x = Next();
  } while (x < limit);
  return static_cast<int>(static_cast<int64_t>(lo) + x % r32);
}

double Pcg32::Real(double lo, double hi) {
  double u = Next() * (1.0 / 4294967296.0);  // [0, 1)
  double r = lo + (hi - lo) * u;
  // Rounding may land on the open end; keep the interval half-open.
  if (lo < hi && r >= hi) r = lo;
  return r;
}

}  // namespace plat

void SeedRandom(uint32_t seed) {
  plat::Platform& p = plat::State();
  p.random.Seed(p.config.seeded ? p.config.seed : seed);
}

uint32_t LaunchSeed() {
  uint32_t seed = 0;
#ifdef __EMSCRIPTEN__
  if (getentropy(&seed, sizeof seed) == 0) return seed;  // the browser's crypto
#else
  if (getrandom(&seed, sizeof seed, GRND_NONBLOCK) == sizeof seed) return seed;
#endif
  // No entropy to be had yet: the wall clock in microseconds still differs
  // between launches, unlike a clock counted from the program's start.
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const uint64_t us = std::chrono::duration_cast<std::chrono::microseconds>(now).count();
  return static_cast<uint32_t>(us ^ (us >> 32));
}

double RandomReal(double min, double max) { return plat::State().random.Real(min, max); }

int RandomInt(int min, int max) { return plat::State().random.Int(min, max); }

uint64_t RandomState() { return plat::State().random.state(); }

void SetRandomState(uint64_t state) { plat::State().random.set_state(state); }
