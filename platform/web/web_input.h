// The page's keyboard and game controllers in the game's terms, kept free of
// the browser's API so the rules can be checked in a native build.
#pragma once

#include <string>

#include "platform/backend.h"

namespace plat {

// The game's virtual-key code for a KeyboardEvent.code (a physical key, so
// every layout plays the same), or 0 for keys the game has no use for.
int WebVirtualKey(const char* code);

// The character a KeyboardEvent.key types: its code point when it is one
// printable character ("a", "é"), 0 for named keys ("Enter", "Shift").
int TypedCodePoint(const char* key);

// One controller as the Gamepad API shows it in a frame, in its standard
// layout: 17 buttons (the triggers as values 0..1) and two sticks.
struct PadSample {
  bool connected = false;
  bool standard = false;  // the browser knows its layout; others are left alone
  std::string id;
  float buttons[17] = {};
  float axes[4] = {};
};

// The browser's gamepad slots to the game's controller numbers 1 to 8: a pad
// that comes takes the lowest number not in use and keeps it until it goes.
// Reports what changed since the last sample as controller events.
class PadSlots {
 public:
  static constexpr int kSlots = 16;  // browser indices looked at
  static constexpr int kPads = 8;
  void Update(int slot, const PadSample& sample, InputSink& sink);

 private:
  struct Held {
    int number = 0;  // 0: not playing
    bool buttons[15] = {};
    float axes[6] = {};
  };
  Held held_[kSlots];
};

}  // namespace plat
