// Turns the window's raw key, text and focus events into the game's input:
// virtual keys without auto-repeat, typed characters (with the backspace and
// delete that text input leaves out) and releases for keys whose release
// another window swallowed.
#pragma once

#include <string>

#include "platform/backend.h"

namespace plat {

class KeyEvents {
 public:
  void Key(int scancode, bool down, bool repeat, InputSink& sink);
  void Text(const std::string& utf8, InputSink& sink);
  // The window lost the keyboard: every key it thinks is down goes up.
  void FocusLost(InputSink& sink);

 private:
  static constexpr int kCodes = 256;
  bool held_[kCodes] = {};
};

}  // namespace plat
