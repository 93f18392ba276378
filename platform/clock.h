// The millisecond clock and frame pacing, real or fake.
#pragma once

#include <chrono>
#include <cstdint>

namespace plat {

class FrameClock {
 public:
  // fake: the clock starts at 0 and moves only through Sleep and Pace.
  void Reset(bool fake);
  bool fake() const { return fake_; }
  int64_t Now() const;
  void Sleep(int64_t ms);
  // Waits for the next frame due time at `rate` frames a second. The due time
  // advances by 1000 / rate ms with the remainder carried; when the frame is
  // already late the due time moves to now rather than catching up.
  void Pace(int rate);
  // Forgets the due time; the next Pace starts counting from now.
  void RestartPacing() { pacing_ = false; }

 private:
  void SleepUntil(int64_t ms);

  bool fake_ = false;
  int64_t fakeNow_ = 0;
  std::chrono::steady_clock::time_point origin_ = std::chrono::steady_clock::now();
  bool pacing_ = false;
  int64_t due_ = 0;
  int64_t dueRemainder_ = 0;  // in 1/rate ms
};

}  // namespace plat
