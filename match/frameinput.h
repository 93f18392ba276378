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

// Everything the match reads in one frame.
struct FrameInput {
  std::array<PlayerInput, maxinputplayers> players{};
  uint16_t held = 0;     // buttons down in this frame
  uint16_t pressed = 0;  // buttons that went down since the previous frame
  uint8_t typed = 0;     // one typed character (8 backspace), 0 for none
  int32_t clock = 0;     // the millisecond clock the level's time bonus reads

  bool operator==(const FrameInput& o) const {
    return players == o.players && held == o.held && pressed == o.pressed && typed == o.typed &&
           clock == o.clock;
  }
  bool operator!=(const FrameInput& o) const { return !(*this == o); }
};
