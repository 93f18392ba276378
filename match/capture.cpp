#include "match/capture.h"

#include "controls/controls.h"
#include "platform/platform.h"
#include "players/man.h"

namespace {

constexpr int keyreplay = 'R';

struct buttonkey {
  uint16_t button;
  int key;
};

constexpr buttonkey heldkeys[] = {
    {buttonenter, keyenter}, {buttonspace, keyspace}, {buttonesc, keyesc}, {buttonpause, keypause},
    {button1, key1},         {button4, key4},         {button5, key5},     {buttonreplaykey, keyreplay},
};

}  // namespace

FrameInput inputcapture::capture(bool typing) {
  FrameInput in;
  for (int i = 0; i < maxinputplayers; i++) in.players[i] = keyboardinput(i);
  for (const buttonkey& b : heldkeys) {
    if (KeyHeld(b.key)) in.held |= b.button;
  }
  for (int n = 1; n <= maxpads; n++) {
    if (PadConnected(n) && PadHeld(n, padbuttonx)) in.held |= buttonreplay;
  }
  in.pressed = in.held & ~lastheld_;
  // A pad's d-pad spells the name on the prompt; elsewhere its presses are
  // dropped so none is left over for the prompt's first frame.
  const uint16_t nav = padnavpressed();
  if (typing) in.pressed |= nav;
  // A press and release between two frames still counts for these two.
  if (KeyPresses(keypause) != 0) in.pressed |= buttonpause;
  if (KeyPresses(keyreplay) != 0) in.pressed |= buttonreplaykey;
  lastheld_ = in.held;
  if (typing) {
    int c = NextTypedChar();
    in.typed = c > 0 && c < 256 ? static_cast<uint8_t>(c) : 0;
  }
  in.clock = Clock();
  return in;
}

bool inputcapture::leaving() const { return KeyHeld(keyesc); }

void inputcapture::clear(int request) {
  if (request >= 2) {
    ClearKeys();
    lastheld_ = 0;
  } else if (request == 1) {
    while (NextTypedChar() != 0) {
    }
    for (int key : {keypause, keyenter, keyesc, keyspace, keyleft, keyright, keyup, keydown})
      KeyPresses(key);
  }
}
