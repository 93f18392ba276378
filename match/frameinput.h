// Everything the match reads from its players in one frame, captured once
// per frame outside the simulation. Plain, fixed-size and copyable: a replay
// stores it, online play sends it, a rollback feeds it again.
#pragma once

#include <array>
#include <cstdint>

#include "controls/playerinput.h"

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
