// Key press counts, held keys, the typed-character queue and the close
// request, fed by the backend's events and the script.
#pragma once

#include "platform/backend.h"

namespace plat {

class KeyState : public InputSink {
 public:
  static constexpr int kKeys = 256;
  static constexpr int kQueue = 256;

  void KeyDown(int vk) override;
  void KeyUp(int vk) override;
  void TypedChar(int code) override;
  void CloseRequest() override { close_ = true; }

  int TakePresses(int vk);
  bool Held(int vk) const;
  int NextChar();
  bool TakeClose();
  void Clear();

 private:
  int presses_[kKeys] = {};
  bool held_[kKeys] = {};
  int queue_[kQueue] = {};
  int head_ = 0;
  int count_ = 0;
  bool close_ = false;
};

}  // namespace plat
