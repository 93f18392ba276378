// What one machine contributes to a frame. The rollback session drives any
// game through the four operations of match/rollback.h; it never sees the
// match itself, and the match never sees the network.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "match/frameinput.h"
#include "match/rollback.h"

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

// The match as the session sees it: it drives any game through the four
// operations of the rollback core's game.
using ::rollbackgame;
using ::rollbackcore;

}  // namespace online
