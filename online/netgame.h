// What online play needs from a match, and what one machine contributes to a
// frame. The rollback session drives any game through these four operations;
// it never sees the match itself, and the match never sees the network.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "match/frameinput.h"

namespace online {

constexpr int maxmachines = 4;       // the host and up to three joiners
constexpr int maxmen = 4;            // men in a match, all machines together
constexpr int maxlocalplayers = 3;   // players one machine may bring

// Machine-wide buttons that travel with the inputs, as presses: set in the
// one frame the button went down. Everything else (the winning shortcuts,
// typed text, Esc) stays on its own machine.
enum : uint8_t {
  machinepause = 1,
  machineenter = 2,
  machinespace = 4,
  machinebuttons = machinepause | machineenter | machinespace,
};

// Set in a player's keys from the agreed frame on when the machine that
// played him is gone: the computer plays him from then on. Never sent. The
// match knows the bit by the same value without knowing about machines.
constexpr uint8_t inputcomputer = 0x80;
static_assert(inputcomputer == ::inputcomputer, "the match reads the computer's mark as sent");
constexpr uint8_t inputdirections = inputleft | inputright | inputup | inputdown;

// One machine's controls in one frame: its buttons held and each of its
// players' controls, in the order of its men.
struct machineinput {
  uint8_t buttons = 0;
  std::array<PlayerInput, maxlocalplayers> players{};

  bool operator==(const machineinput& o) const {
    return buttons == o.buttons && players == o.players;
  }
  bool operator!=(const machineinput& o) const { return !(*this == o); }
};

// The match as the session sees it. advance() simulates exactly one frame;
// silent frames draw and sound nothing but leave the same state.
class rollbackgame {
 public:
  virtual ~rollbackgame() = default;
  virtual void advance(const FrameInput& input, bool silent) = 0;
  // The buffer is reused from frame to frame, so a steady match does not
  // allocate.
  virtual void save(std::vector<uint8_t>& snapshot) = 0;
  virtual void load(const std::vector<uint8_t>& snapshot) = 0;
  virtual uint64_t checksum() = 0;
};

}  // namespace online
