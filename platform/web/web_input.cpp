#include "platform/web/web_input.h"

#include <cstring>

namespace plat {

int WebVirtualKey(const char* code) {
  if (!code) return 0;
  const size_t n = std::strlen(code);
  if (n == 4 && std::strncmp(code, "Key", 3) == 0 && code[3] >= 'A' && code[3] <= 'Z')
    return code[3];
  if (n == 6 && std::strncmp(code, "Digit", 5) == 0 && code[5] >= '0' && code[5] <= '9')
    return code[5];
  if (n == 7 && std::strncmp(code, "Numpad", 6) == 0 && code[6] >= '0' && code[6] <= '9')
    return 96 + (code[6] - '0');
  static const struct {
    const char* code;
    int vk;
  } kNamed[] = {{"Enter", 13},     {"NumpadEnter", 13}, {"Escape", 27},    {"Space", 32},
                {"Backspace", 8},  {"Tab", 9},          {"ArrowLeft", 37}, {"ArrowUp", 38},
                {"ArrowRight", 39}, {"ArrowDown", 40}};
  for (const auto& k : kNamed)
    if (std::strcmp(code, k.code) == 0) return k.vk;
  return 0;
}

int TypedCodePoint(const char* key) {
  if (!key || !key[0]) return 0;
  const auto* s = reinterpret_cast<const unsigned char*>(key);
  int length = s[0] < 0x80 ? 1 : (s[0] & 0xE0) == 0xC0 ? 2 : (s[0] & 0xF0) == 0xE0 ? 3
                               : (s[0] & 0xF8) == 0xF0 ? 4 : 0;
  if (length == 0) return 0;
  int code = length == 1 ? s[0] : s[0] & (0x7F >> length);
  for (int k = 1; k < length; ++k) {
    if ((s[k] & 0xC0) != 0x80) return 0;
    code = (code << 6) | (s[k] & 0x3F);
  }
  // Named keys ("Enter", "F1") are longer than one character.
  if (s[length] != 0 || code < 32 || code == 127) return 0;
  return code;
}

namespace {

// The game's buttons (A, B, X, Y, back, guide, start, stick presses,
// shoulders, pad up, down, left, right) in the standard layout's order.
constexpr int kButtonFrom[15] = {0, 1, 2, 3, 8, 16, 9, 10, 11, 4, 5, 12, 13, 14, 15};

float AxisOf(const PadSample& s, int axis) {
  float v = axis < 4 ? s.axes[axis] : s.buttons[axis == 4 ? 6 : 7];
  if (v != v) v = 0;  // a browser's NaN is no position
  const float low = axis < 4 ? -1.0f : 0.0f;
  return v < low ? low : v > 1 ? 1 : v;
}

}  // namespace

void PadSlots::Update(int slot, const PadSample& sample, InputSink& sink) {
  if (slot < 0 || slot >= kSlots) return;
  Held& h = held_[slot];
  const bool playing = sample.connected && sample.standard;
  if (!playing) {
    if (h.number != 0) sink.PadDisconnect(h.number);
    h = Held();
    return;
  }
  if (h.number == 0) {
    bool used[kPads + 1] = {};
    for (const Held& other : held_) used[other.number] = true;
    for (int n = 1; n <= kPads && h.number == 0; ++n)
      if (!used[n]) h.number = n;
    if (h.number == 0) return;  // more pads than the game has numbers for
    sink.PadConnect(h.number, sample.id.empty() ? "Controller" : sample.id);
  }
  for (int b = 0; b < 15; ++b) {
    const bool down = sample.buttons[kButtonFrom[b]] > 0.5f;
    if (down != h.buttons[b]) sink.PadButton(h.number, b, down);
    h.buttons[b] = down;
  }
  for (int a = 0; a < 6; ++a) {
    const float v = AxisOf(sample, a);
    if (v != h.axes[a]) sink.PadAxis(h.number, a, v);
    h.axes[a] = v;
  }
}

}  // namespace plat
