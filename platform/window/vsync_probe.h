// Checks that presenting with vsync really waits. Some drivers (software
// ones, virtual displays) accept a swap interval and then return at once;
// trusting them would let the game run as fast as the machine can draw.
#pragma once

namespace plat {

class VsyncProbe {
 public:
  // Starts over for a display refreshing at `rate` Hz.
  void Reset(int rate);
  // The time between two presents that both waited for the vertical blank.
  void Sample(double intervalMs);
  // False once most recent presents came back far sooner than one period.
  bool Trusted() const { return trusted_; }

 private:
  static constexpr int kWindow = 30;
  static constexpr int kFastLimit = 20;  // of kWindow samples
  double periodMs_ = 1000.0 / 60.0;
  bool fast_[kWindow] = {};
  int next_ = 0;
  int filled_ = 0;
  int fastCount_ = 0;
  bool trusted_ = true;
};

}  // namespace plat
