// The settings a host sends to start an online series, as a joiner reads
// them: whatever the bytes, either they are refused or every value is one
// the game can play, and sending the result again gives the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/onlinesettings.h"

namespace {
void check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "broken: %s\n", what);
  std::abort();
}

bool within(int v, int lo, int hi) { return v >= lo && v <= hi; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  seriessettings s;
  if (!decodesettings(bytes, s)) return 0;
  const Tmultiplayersettings& m = s.multi;
  check(within(m.speed, 1, 10) && within(m.ballsize, 1, 10) && within(m.ballmass, 1, 10) &&
            within(m.gravity, 0, 10) && within(m.arenanum, 0, 16),
        "a setting out of range was accepted");
  check(within(s.resolution, 1, 3), "a window size the options cannot give was accepted");
  static constexpr int sizes[3][2] = {{640, 480}, {800, 600}, {1024, 768}};
  const std::vector<uint8_t> again =
      encodesettings(m, sizes[s.resolution - 1][0], sizes[s.resolution - 1][1]);
  check(again == bytes, "the accepted settings do not travel back as they came");
  return 0;
}
