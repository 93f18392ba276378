// One player's controls in a frame, and the machine's buttons, as the
// keyboard and pads are mapped onto them. Plain and fixed-size: the match
// reads them, replays store them, online play sends them.
#pragma once

#include <cstdint>

// Direction bits of one player: held keys of its set, or the d-pad.
enum : uint8_t {
  inputleft = 1,
  inputright = 2,
  inputup = 4,
  inputdown = 8,
  // The computer steers this player: his machine left an online match.
  // Never set by a keyboard or pad.
  inputcomputer = 0x80,
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

// Buttons of the whole machine in a frame, as bits of FrameInput::held and
// FrameInput::pressed. Keys and pads are mapped onto them when the input is
// captured (a pad's A is Enter on the end screens, its Start is P, its Back
// is Esc; its d-pad presses are the nav bits the name prompt reads).
enum : uint16_t {
  buttonenter = 1 << 0,
  buttonspace = 1 << 1,
  buttonesc = 1 << 2,
  buttonpause = 1 << 3,
  button1 = 1 << 4,  // the tester's shortcuts 1+4 and 1+5
  button4 = 1 << 5,
  button5 = 1 << 6,
  buttonnavup = 1 << 7,
  buttonnavdown = 1 << 8,
  buttonnavleft = 1 << 9,
  buttonnavright = 1 << 10,
  buttonreplay = 1 << 11,  // X on a pad: the instant replay
  // The R key: the instant replay too, except where a name is being typed
  // and R is a letter.
  buttonreplaykey = 1 << 12,
};
