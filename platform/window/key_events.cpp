#include "platform/window/key_events.h"

#include <SDL_scancode.h>

#include "platform/platform.h"
#include "platform/window/keymap.h"

namespace plat {

namespace {
constexpr int kTypedBackspace = 8;
constexpr int kTypedDelete = 127;
}  // namespace

void KeyEvents::Key(int scancode, bool down, bool repeat, InputSink& sink) {
  int vk = VirtualKeyForScancode(scancode);
  // A real key the game has no code for still says a key was pressed: the
  // controls screen tells it cannot be used instead of going quiet.
  if (vk == 0 && scancode > SDL_SCANCODE_UNKNOWN && scancode < SDL_NUM_SCANCODES) vk = keyother;
  if (down) {
    // Text input has no characters for these two; the name entry needs
    // them, and holding backspace should keep erasing.
    if (scancode == SDL_SCANCODE_BACKSPACE) sink.TypedChar(kTypedBackspace);
    if (scancode == SDL_SCANCODE_DELETE) sink.TypedChar(kTypedDelete);
    if (vk <= 0 || vk >= kCodes || repeat) return;
    held_[vk] = true;  // a second press without a release still counts
    sink.KeyDown(vk);
  } else if (vk > 0 && vk < kCodes && held_[vk]) {
    held_[vk] = false;
    sink.KeyUp(vk);
  }
}

void KeyEvents::Text(const std::string& utf8, InputSink& sink) {
  for (int code : DecodeUtf8(utf8)) sink.TypedChar(code);
}

void KeyEvents::FocusLost(InputSink& sink) {
  for (int vk = 0; vk < kCodes; ++vk) {
    if (held_[vk]) {
      held_[vk] = false;
      sink.KeyUp(vk);
    }
  }
}

}  // namespace plat
