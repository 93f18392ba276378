// Keyboard and text translation for the window backend, kept free of SDL
// types so it can be checked without a display.
#pragma once

#include <string>
#include <vector>

namespace plat {

// The game's virtual-key code for a physical key (an SDL scancode), or 0 for
// keys the game has no use for. Physical positions, so every keyboard layout
// plays the same.
int VirtualKeyForScancode(int scancode);

// The code points of UTF-8 text. A malformed sequence (stray continuation
// byte, truncated or overlong sequence, surrogate, value past U+10FFFF)
// yields U+FFFD for its first byte, and decoding goes on after that byte.
std::vector<int> DecodeUtf8(const std::string& text);

}  // namespace plat
