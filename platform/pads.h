// Game controllers as the core sees them: which are plugged in, their
// buttons and axes, the directions they point, and the keys they stand for
// in the menus and in a match. Fed by the backend's events and the script.
#pragma once

#include <cstdint>
#include <string>

#include "platform/input.h"
#include "platform/trace.h"

namespace plat {

class PadState {
 public:
  static constexpr int kPads = 8;
  static constexpr int kButtons = 15;
  static constexpr int kAxes = 6;

  void Connect(int pad, const std::string& name, KeyState& keys);
  void Disconnect(int pad, KeyState& keys);
  void Button(int pad, int button, bool down, KeyState& keys);
  void Axis(int pad, int axis, float value, KeyState& keys);
  // Changes what pad buttons stand for; keys they held are released.
  void SetKeyMode(int mode, KeyState& keys);
  void ClearPresses();

  bool Connected(int pad) const { return Valid(pad) && pads_[pad - 1].connected; }
  uint32_t Connection(int pad) const { return Valid(pad) ? pads_[pad - 1].connection : 0; }
  const std::string& Name(int pad) const;
  bool Held(int pad, int button) const;
  float AxisValue(int pad, int axis) const;
  int TakeNavPresses(int pad, int direction);
  // The lowest number with no pad, 0 when all are taken.
  int FreeNumber() const;

 private:
  static bool Valid(int pad) { return pad >= 1 && pad <= kPads; }
  // Sources of a pad's key presses: its buttons, then its four directions
  // (d-pad or stick).
  static constexpr int kSources = kButtons + 4;

  struct Pad {
    bool connected = false;
    uint32_t connection = 0;
    std::string name;
    bool buttons[kButtons] = {};
    float axes[kAxes] = {};
    bool stick[4] = {};  // the left stick past the press threshold, per direction
    bool nav[4] = {};    // d-pad or stick, per direction
    int navPresses[4] = {};
    int heldKey[kSources] = {};  // key each source holds down, 0 none
  };

  // Recomputes the four directions and the keys every source stands for.
  void Update(Pad& p, KeyState& keys);
  void Hold(Pad& p, int source, int key, KeyState& keys);
  int KeyFor(int source) const;

  Pad pads_[kPads];
  int mode_ = 0;
  int keyHolders_[KeyState::kKeys] = {};  // pad sources holding each key
};

// Where the backend's and the script's input goes: keys to the key state,
// controllers to the pad state, with the trace lines of plugging in and out.
class InputRouter : public InputSink {
 public:
  InputRouter(KeyState& keys, PadState& pads, Trace& trace)
      : keys_(keys), pads_(pads), trace_(trace) {}
  void KeyDown(int vk) override { keys_.KeyDown(vk); }
  void KeyUp(int vk) override { keys_.KeyUp(vk); }
  void TypedChar(int code) override { keys_.TypedChar(code); }
  void CloseRequest() override { keys_.CloseRequest(); }
  void PadConnect(int pad, const std::string& name) override;
  void PadDisconnect(int pad) override;
  void PadButton(int pad, int button, bool down) override {
    pads_.Button(pad, button, down, keys_);
  }
  void PadAxis(int pad, int axis, float value) override { pads_.Axis(pad, axis, value, keys_); }

 private:
  KeyState& keys_;
  PadState& pads_;
  Trace& trace_;
};

}  // namespace plat
