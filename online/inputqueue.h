// The inputs of one machine, frame by frame: the ones that arrived (always
// in order, without gaps), the guesses made for the ones still on their way,
// and the earliest guess that turned out wrong.
#pragma once

#include <array>
#include <cstdint>

#include "online/netgame.h"

namespace online {

class inputqueue {
 public:
  // Frames kept: far more than a rollback ever reaches back, so the inputs a
  // slow peer has not acknowledged yet are still here to send again.
  static constexpr int capacity = 128;
  static constexpr int32_t nowrong = INT32_MAX;

  // Starts a match: the first `delay` frames are known to be still.
  void reset(int players, int delay);

  int players() const { return players_; }
  // The first frame whose input has not arrived: everything before it is known.
  int32_t next() const { return next_; }
  // Known for every frame, now and later: the machine left and the computer
  // plays its men, or its inputs are in up to its departure.
  bool complete() const { return leftafter_ >= 0 && next_ > leftafter_; }
  bool left() const { return leftafter_ >= 0; }
  int32_t leftafter() const { return leftafter_; }

  // The real input of `frame`. Only next() is taken; an earlier frame is an
  // old copy and is ignored, a later one would leave a gap and is refused.
  // Returns false when the input was not taken.
  bool add(int32_t frame, const machineinput& in);

  // The input the match is to use for `frame`: the real one when it is in,
  // otherwise a guess (the last real input), which is remembered so its
  // arrival can tell whether the guess was right.
  const machineinput& get(int32_t frame);

  // A real input still kept: frames from next() - capacity to next() - 1.
  bool kept(int32_t frame) const { return frame < next_ && frame >= next_ - capacity + 1 && frame >= 0; }
  const machineinput& known(int32_t frame) const { return slot(frame).in; }

  // The earliest frame simulated with a guess that the real input proved
  // wrong, or nowrong.
  int32_t firstwrong() const { return firstwrong_; }
  void clearwrong() { firstwrong_ = nowrong; }

  // The machine is gone: its inputs up to `frame` still count, and the
  // computer plays its men after that.
  void leave(int32_t frame);

  // What a departed machine's men get.
  static machineinput computerinput();

 private:
  struct entry {
    machineinput in;
    int32_t frame = -1;
    bool guessed = false;
  };
  entry& slot(int32_t frame) { return ring_[static_cast<uint32_t>(frame) % capacity]; }
  const entry& slot(int32_t frame) const { return ring_[static_cast<uint32_t>(frame) % capacity]; }

  std::array<entry, capacity> ring_{};
  int players_ = 1;
  int32_t next_ = 0;
  int32_t leftafter_ = -1;
  int32_t firstwrong_ = nowrong;
  int32_t lastguessed_ = -1;  // the latest frame a guess was made for
  machineinput last_;         // the latest real input, the guess for what follows
  machineinput computer_ = computerinput();
};

}  // namespace online
