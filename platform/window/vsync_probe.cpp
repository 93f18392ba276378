#include "platform/window/vsync_probe.h"

namespace plat {

void VsyncProbe::Reset(int rate) {
  periodMs_ = rate > 0 ? 1000.0 / rate : 1000.0 / 60.0;
  for (bool& f : fast_) f = false;
  next_ = filled_ = fastCount_ = 0;
  trusted_ = true;
}

void VsyncProbe::Sample(double intervalMs) {
  if (!trusted_) return;  // once caught, the display stays on clock pacing
  // Half a period leaves room for a late frame followed by an early one.
  const bool fast = intervalMs < periodMs_ * 0.5;
  if (filled_ == kWindow) {
    fastCount_ -= fast_[next_] ? 1 : 0;
  } else {
    ++filled_;
  }
  fast_[next_] = fast;
  fastCount_ += fast ? 1 : 0;
  next_ = (next_ + 1) % kWindow;
  if (fastCount_ >= kFastLimit) trusted_ = false;
}

}  // namespace plat
