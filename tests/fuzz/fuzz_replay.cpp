// Replay files from anywhere: the reader either refuses the bytes with a
// named cause or gives a record whose every field is in range and which
// writes back to a file that reads the same. Each input is read twice: as
// it is, and with its check value made right, as a hand-made file would
// have it, so the fuzzer reaches the fields behind the check.
#include <cstddef>
#include <cstdint>
#include <string>

#include "online/netgame.h"
#include "replay/replayfile.h"
#include "tests/fuzz/scratchfolder.h"

namespace {
using scratch::check;

bool inrange(int v, int lo, int hi) { return v >= lo && v <= hi; }

void readone(const std::string& bytes) {
  const size_t size = bytes.size();
  replayrecord r;
  std::string error;
  if (!decodereplay(bytes, &r, &error)) {
    check(error.rfind("not a playable replay: ", 0) == 0 && error.size() > 24,
          "a refusal does not name its cause");
    return;
  }
  check(replaymodeof(r.setup.mode) != 0, "mode out of range");
  check(inrange(r.setup.level, 1, 40), "level out of range");
  check(inrange(r.setup.custom.numplayers, 2, 4) && inrange(r.setup.multi.numplayers, 2, 4),
        "players out of range");
  // Directions, and the computer's mark on a man it took over.
  const int allowed = 15 | online::inputcomputer;
  check(r.frames.size() <= maxreplayframes && r.frames.size() <= size, "more frames than bytes");
  check(inrange(r.winner, -1, 4), "winner out of range");
  for (const FrameInput& f : r.frames) {
    for (const PlayerInput& p : f.players) {
      check((p.keys & ~allowed) == 0 && p.stickx >= -127 && p.sticky >= -127,
            "a player's input out of range");
    }
  }
  replayrecord again;
  check(decodereplay(encodereplay(r), &again, &error), "a record read does not write back");
  check(again.frames == r.frames && again.startchecksum == r.startchecksum &&
            again.endchecksum == r.endchecksum && again.randomstate == r.randomstate,
        "a record written back reads differently");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  readone(bytes);
  if (size >= 12) {
    uint64_t h = hash64(data, size - 8);
    for (int i = 0; i < 8; i++) bytes[size - 8 + i] = static_cast<char>((h >> (8 * i)) & 0xff);
    readone(bytes);
  }
  return 0;
}
