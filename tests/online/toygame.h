// A small deterministic game behind the rollback interface: men pushed by
// their controls chase one ball, a random wind nudges it, P pauses. Enough
// coupling that a wrong input anywhere shows in the checksum later.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "online/netgame.h"

struct toystate {
  uint64_t rng = 0x2545f4914f6cdd1dull;
  int32_t frame = 0;
  int32_t paused = 0;
  int32_t x[4] = {100, 300, 500, 700}, y[4] = {100, 100, 100, 100};
  int32_t vx[4] = {}, vy[4] = {};
  int32_t ballx = 400, bally = 300, ballvx = 0, ballvy = 0;
  int32_t touches[4] = {};
  int32_t computer[4] = {};
  int32_t presses = 0;  // Enter and space presses seen
  int32_t spare = 0;    // fills the last eight bytes, so every byte is hashed state
};
static_assert(sizeof(toystate) == 8 + 4 * 32, "toystate must have no padding");

class toygame : public online::rollbackgame {
 public:
  toystate s;
  int64_t drawn = 0;   // frames advanced with drawing
  int64_t silent = 0;  // frames advanced silently
  int32_t tamperat = -1;  // the frame at which this copy goes wrong, for desync tests

  void advance(const FrameInput& in, bool quiet) override {
    (quiet ? silent : drawn)++;
    s.frame++;
    if (in.pressed & buttonpause) s.paused ^= 1;
    if (in.pressed & (buttonenter | buttonspace)) s.presses++;
    if (s.frame == tamperat) s.ballx++;
    if (s.paused) return;
    s.rng = s.rng * 6364136223846793005ull + 1442695040888963407ull;
    s.ballvx += static_cast<int32_t>((s.rng >> 33) % 5) - 2;
    s.ballvy += static_cast<int32_t>((s.rng >> 41) % 5) - 2;
    for (int p = 0; p < 4; p++) {
      const PlayerInput& pi = in.players[p];
      int ax = 0, ay = 0;
      if (pi.keys & online::inputcomputer) {
        s.computer[p] = 1;
        ax = s.ballx > s.x[p] ? 2 : -2;
        ay = s.bally > s.y[p] ? 2 : -2;
      } else {
        ax = (pi.keys & inputright ? 3 : 0) - (pi.keys & inputleft ? 3 : 0) + pi.stickx / 40;
        ay = (pi.keys & inputdown ? 3 : 0) - (pi.keys & inputup ? 3 : 0) + pi.sticky / 40;
      }
      s.vx[p] = s.vx[p] * 15 / 16 + ax;
      s.vy[p] = s.vy[p] * 15 / 16 + ay;
      s.x[p] += s.vx[p];
      s.y[p] += s.vy[p];
      const int dx = s.ballx - s.x[p], dy = s.bally - s.y[p];
      if (dx * dx + dy * dy < 40 * 40) {
        s.ballvx += s.vx[p] / 2;
        s.ballvy += s.vy[p] / 2;
        s.touches[p]++;
      }
    }
    s.ballvx = s.ballvx * 31 / 32;
    s.ballvy = s.ballvy * 31 / 32;
    s.ballx += s.ballvx;
    s.bally += s.ballvy;
  }
  void save(std::vector<uint8_t>& out) override {
    out.resize(sizeof s);
    std::memcpy(out.data(), &s, sizeof s);
  }
  void load(const std::vector<uint8_t>& in) override { std::memcpy(&s, in.data(), sizeof s); }
  uint64_t checksum() override {
    uint64_t h = 1469598103934665603ull;
    const auto* b = reinterpret_cast<const uint8_t*>(&s);
    for (size_t i = 0; i < sizeof s; i++) h = (h ^ b[i]) * 1099511628211ull;
    return h;
  }
};
