#include "platform/input.h"

#include "platform/internal.h"
#include "platform/platform.h"

namespace plat {

namespace {
bool ValidKey(int vk) { return vk >= 0 && vk < KeyState::kKeys; }
}  // namespace

void KeyState::KeyDown(int vk) {
  if (!ValidKey(vk)) return;
  // A key that is already down is a repeat, not a new press.
  if (held_[vk]) return;
  held_[vk] = true;
  ++presses_[vk];
}

void KeyState::KeyUp(int vk) {
  if (ValidKey(vk)) held_[vk] = false;
}

void KeyState::TypedChar(int code) {
  if (code <= 0 || count_ == kQueue) return;  // a full queue drops new characters
  queue_[(head_ + count_) % kQueue] = code;
  ++count_;
}

int KeyState::TakePresses(int vk) {
  if (!ValidKey(vk)) return 0;
  int n = presses_[vk];
  presses_[vk] = 0;
  return n;
}

bool KeyState::Held(int vk) const { return ValidKey(vk) && held_[vk]; }

int KeyState::NextChar() {
  if (count_ == 0) return 0;
  int c = queue_[head_];
  head_ = (head_ + 1) % kQueue;
  --count_;
  return c;
}

bool KeyState::TakeClose() {
  bool c = close_;
  close_ = false;
  return c;
}

void KeyState::Clear() {
  for (int i = 0; i < kKeys; ++i) {
    presses_[i] = 0;
    held_[i] = false;
  }
  head_ = 0;
  count_ = 0;
}

}  // namespace plat

int KeyPresses(int key) {
  plat::PollIfStale();
  return plat::State().keys.TakePresses(key);
}

bool KeyHeld(int key) {
  plat::PollIfStale();
  return plat::State().keys.Held(key);
}

int NextTypedChar() {
  plat::PollIfStale();
  return plat::State().keys.NextChar();
}

void ClearKeys() {
  plat::PollIfStale();
  plat::State().keys.Clear();
  plat::State().pads.ClearPresses();
}

bool CloseRequested() {
  plat::PollIfStale();
  return plat::State().keys.TakeClose();
}
