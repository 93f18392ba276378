#include "online/inputqueue.h"

#include <algorithm>

namespace online {

machineinput inputqueue::computerinput() {
  machineinput in;
  for (PlayerInput& p : in.players) p.keys = inputcomputer;
  return in;
}

void inputqueue::reset(int players, int delay) {
  ring_.fill(entry{});
  players_ = players;
  next_ = 0;
  leftafter_ = -1;
  firstwrong_ = nowrong;
  lastguessed_ = -1;
  last_ = machineinput{};
  for (int f = 0; f < delay; f++) add(f, machineinput{});
}

bool inputqueue::add(int32_t frame, const machineinput& in) {
  if (frame != next_ || (left() && frame > leftafter_)) return false;
  entry& e = slot(frame);
  if (e.frame == frame && e.guessed && e.in != in) firstwrong_ = std::min(firstwrong_, frame);
  e.in = in;
  e.frame = frame;
  e.guessed = false;
  last_ = in;
  next_++;
  return true;
}

const machineinput& inputqueue::get(int32_t frame) {
  if (frame < next_) return slot(frame).in;
  if (leftafter_ >= 0 && frame > leftafter_) return computer_;
  entry& e = slot(frame);
  // A button is a press in one frame: guessing it again would press it twice.
  e.in = last_;
  e.in.buttons = 0;
  e.frame = frame;
  e.guessed = true;
  lastguessed_ = std::max(lastguessed_, frame);
  return e.in;
}

void inputqueue::leave(int32_t frame) {
  if (left()) return;
  // Inputs already in stay in: the departure cannot reach back before them.
  leftafter_ = std::max(frame, next_ - 1);
  // Guesses for frames past the departure were the last input; the men
  // there are the computer's now.
  if (lastguessed_ > leftafter_) firstwrong_ = std::min(firstwrong_, leftafter_ + 1);
}

}  // namespace online
