#include "platform/pads.h"

#include <cmath>

#include "platform/internal.h"
#include "platform/platform.h"

namespace plat {

namespace {

// The stick points in a direction once pushed past half way and stops
// pointing when it comes back under a third, so a stick resting near the
// edge does not chatter.
constexpr float kPointOn = 0.5f;
constexpr float kPointOff = 0.3f;

// Source numbers of the four directions, after the buttons.
constexpr int kNavSource = PadState::kButtons;

}  // namespace

const std::string& PadState::Name(int pad) const {
  static const std::string none;
  return Valid(pad) ? pads_[pad - 1].name : none;
}

bool PadState::Held(int pad, int button) const {
  return Connected(pad) && button >= 0 && button < kButtons && pads_[pad - 1].buttons[button];
}

float PadState::AxisValue(int pad, int axis) const {
  return Connected(pad) && axis >= 0 && axis < kAxes ? pads_[pad - 1].axes[axis] : 0.0f;
}

int PadState::TakeNavPresses(int pad, int direction) {
  if (!Valid(pad) || direction < 0 || direction > 3) return 0;
  int n = pads_[pad - 1].navPresses[direction];
  pads_[pad - 1].navPresses[direction] = 0;
  return n;
}

int PadState::FreeNumber() const {
  for (int n = 1; n <= kPads; n++)
    if (!pads_[n - 1].connected) return n;
  return 0;
}

void PadState::Connect(int pad, const std::string& name, KeyState& keys) {
  if (!Valid(pad)) return;
  Pad& p = pads_[pad - 1];
  if (p.connected) Disconnect(pad, keys);
  p = Pad();
  p.connected = true;
  // Numbered across the whole process, so that the controls of a game that
  // restarts the platform never take a new pad for one they knew.
  static uint32_t connections = 0;
  p.connection = ++connections;
  p.name = Printable(name);  // from the device or a mappings file
}

void PadState::Disconnect(int pad, KeyState& keys) {
  if (!Connected(pad)) return;
  Pad& p = pads_[pad - 1];
  for (int s = 0; s < kSources; s++) Hold(p, s, 0, keys);
  uint32_t connection = p.connection;
  p = Pad();
  p.connection = connection;
}

void PadState::Button(int pad, int button, bool down, KeyState& keys) {
  if (!Connected(pad) || button < 0 || button >= kButtons) return;
  pads_[pad - 1].buttons[button] = down;
  Update(pads_[pad - 1], keys);
}

void PadState::Axis(int pad, int axis, float value, KeyState& keys) {
  if (!Connected(pad) || axis < 0 || axis >= kAxes) return;
  if (!std::isfinite(value)) value = 0;
  const float lo = axis >= padaxislefttrigger ? 0.0f : -1.0f;
  pads_[pad - 1].axes[axis] = value < lo ? lo : value > 1 ? 1 : value;
  Update(pads_[pad - 1], keys);
}

void PadState::SetKeyMode(int mode, KeyState& keys) {
  if (mode == mode_) return;
  // A button that stands for the same key in both modes keeps it down, so
  // the change makes no new press of it.
  mode_ = mode;
  for (Pad& p : pads_)
    if (p.connected) Update(p, keys);
}

void PadState::ClearPresses() {
  for (Pad& p : pads_)
    for (int& n : p.navPresses) n = 0;
}

int PadState::KeyFor(int source) const {
  if (mode_ == padkeysmenu) {
    switch (source) {
      case padbuttona:
      case padbuttonstart:
        return keyenter;
      case padbuttonb:
      case padbuttonback:
        return keyesc;
      case kNavSource + padnavup:
        return keyup;
      case kNavSource + padnavdown:
        return keydown;
      case kNavSource + padnavleft:
        return keyleft;
      case kNavSource + padnavright:
        return keyright;
      default:
        return 0;
    }
  }
  if (mode_ == padkeysmatch) {
    // B stands for nothing here: a stray press never ends a match.
    switch (source) {
      case padbuttona:
        return keyenter;
      case padbuttonstart:
        return keypause;
      case padbuttonback:
        return keyesc;
      case padbuttonx:
        return 'R';
      default:
        return 0;
    }
  }
  return 0;
}

void PadState::Hold(Pad& p, int source, int key, KeyState& keys) {
  int& held = p.heldKey[source];
  if (held == key) return;
  // A key stays down while any pad source holds it.
  if (held != 0 && --keyHolders_[held] == 0) keys.KeyUp(held);
  held = key;
  if (key != 0 && keyHolders_[key]++ == 0) keys.KeyDown(key);
}

void PadState::Update(Pad& p, KeyState& keys) {
  const float x = p.axes[padaxisleftx], y = p.axes[padaxislefty];
  const float along[4] = {-y, y, -x, x};
  const int dpad[4] = {padbuttonup, padbuttondown, padbuttonleft, padbuttonright};
  for (int d = 0; d < 4; d++) {
    p.stick[d] = p.stick[d] ? along[d] > kPointOff : along[d] > kPointOn;
    const bool nav = p.buttons[dpad[d]] || p.stick[d];
    if (nav && !p.nav[d]) ++p.navPresses[d];
    p.nav[d] = nav;
  }
  for (int s = 0; s < kSources; s++) {
    const bool down = s < kButtons ? p.buttons[s] : p.nav[s - kNavSource];
    Hold(p, s, down ? KeyFor(s) : 0, keys);
  }
}

void InputRouter::PadConnect(int pad, const std::string& name) {
  if (pad < 1 || pad > PadState::kPads) return;
  // Plugged in again without a word of leaving: it left first, as a device
  // replaced by another does.
  if (pads_.Connected(pad)) PadDisconnect(pad);
  pads_.Connect(pad, name, keys_);
  if (trace_.on()) trace_.Write(TraceLine("pad connect").Int(pad).Text(name));
}

void InputRouter::PadDisconnect(int pad) {
  if (!pads_.Connected(pad)) return;
  pads_.Disconnect(pad, keys_);
  if (trace_.on()) trace_.Write(TraceLine("pad disconnect").Int(pad));
}

}  // namespace plat

bool PadConnected(int pad) {
  plat::PollIfStale();
  return plat::State().pads.Connected(pad);
}

uint32_t PadConnection(int pad) {
  plat::PollIfStale();
  return plat::State().pads.Connection(pad);
}

std::string PadName(int pad) { return plat::State().pads.Name(pad); }

bool PadHeld(int pad, int button) {
  plat::PollIfStale();
  return plat::State().pads.Held(pad, button);
}

double PadAxisValue(int pad, int axis) {
  plat::PollIfStale();
  return plat::State().pads.AxisValue(pad, axis);
}

int PadNavPresses(int pad, int direction) {
  plat::PollIfStale();
  return plat::State().pads.TakeNavPresses(pad, direction);
}

void SetPadKeys(int mode) {
  plat::Platform& p = plat::State();
  p.pads.SetKeyMode(mode, p.keys);
}
