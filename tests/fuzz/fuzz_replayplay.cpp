// Replay files from anywhere, played: a record the reader accepts is played
// headless for a few hundred frames, so the set-up, the scoring and the end
// screens meet the file's numbers too. The check value is made right first,
// and a record whose set-up differs from the one it names is played again
// with its own start checksum, as a hand-made file would have them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "bench/soak.h"
#include "match/scoring.h"
#include "replay/recording.h"
#include "tests/fuzz/scratchfolder.h"

namespace {
using scratch::check;

constexpr size_t playedframes = 300;

const matchmedia& media() {
  static matchmedia m;
  static const bool started = startheadless(m);
  if (!started) std::abort();
  return m;
}

// Plays r in a new match and checks the levels mode's points; the start
// checksum of the match's set-up goes to *setup.
int play(const replayrecord& r, uint64_t* setup) {
  std::unique_ptr<tlevel> level = media().newmatch();
  bool finished = false;
  const int result = playrecorded(*level, r, &finished);
  *setup = tlevel::checksumof(level->startsnapshot);
  if (result != -2 && r.setup.mode == "levels" && level->winner == 1) {
    const int n = level->levelnum;
    check(level->levelscore == n * levelpoints, "level score out of range");
    check(level->timebonus >= 0 && level->timebonus <= n * timebonuspoints,
          "time bonus out of range");
    check(int64_t{level->endscore} ==
              int64_t{level->startscore} + level->levelscore + level->timebonus,
          "total score is not the sum of its parts");
  }
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  if (size >= 12) {
    const uint64_t h = hash64(data, size - 8);
    for (int i = 0; i < 8; i++) bytes[size - 8 + i] = static_cast<char>((h >> (8 * i)) & 0xff);
  }
  replayrecord r;
  std::string error;
  if (!decodereplay(bytes, &r, &error)) return 0;
  if (r.frames.size() > playedframes) r.frames.resize(playedframes);
  uint64_t setup = 0;
  if (play(r, &setup) == -3) {
    r.startchecksum = setup;
    check(play(r, &setup) != -3, "the same set-up gave another checksum");
  }
  return 0;
}
