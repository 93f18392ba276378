// Everything the match reads from its players in one frame, captured once
// per frame outside the simulation. Plain, fixed-size and copyable: a replay
// stores it, online play sends it, a rollback feeds it again.
#pragma once

#include <array>
#include <cstdint>

// Direction bits of one player: held keys of its set, or the d-pad.
enum : uint8_t {
  inputleft = 1,
  inputright = 2,
  inputup = 4,
  inputdown = 8,
};

// One player's controls in a frame.
struct PlayerInput {
  uint8_t keys = 0;   // direction bits above
  // Left stick after the dead zone, with its length at most stickfull: a
  // full deflection pushes as hard as one held key in that direction.
  int8_t stickx = 0;
  int8_t sticky = 0;  // grows downward, as the screen's y

  static constexpr int stickfull = 127;
  bool operator==(const PlayerInput& o) const {
    return keys == o.keys && stickx == o.stickx && sticky == o.sticky;
  }
  bool operator!=(const PlayerInput& o) const { return !(*this == o); }
};

constexpr int maxinputplayers = 4;
