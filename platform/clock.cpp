#include "platform/clock.h"

#include <thread>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include "platform/internal.h"
#include "platform/platform.h"

namespace plat {

namespace {

// A web page must never block: its sleeps give the browser its turn.
void SleepFor(std::chrono::steady_clock::duration span) {
#ifdef __EMSCRIPTEN__
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(span).count();
  emscripten_sleep(static_cast<unsigned>(ms > 0 ? ms : 0));
#else
  std::this_thread::sleep_for(span);
#endif
}

}  // namespace

void FrameClock::Reset(bool fake) {
  fake_ = fake;
  fakeNow_ = 0;
  origin_ = std::chrono::steady_clock::now();
  pacing_ = false;
  due_ = 0;
  dueRemainder_ = 0;
}

int64_t FrameClock::Now() const {
  if (fake_) return fakeNow_;
  auto elapsed = std::chrono::steady_clock::now() - origin_;
  return std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
}

void FrameClock::Sleep(int64_t ms) {
  if (ms <= 0) return;
  if (fake_) {
    fakeNow_ += ms;
    return;
  }
  SleepFor(std::chrono::milliseconds(ms));
}

void FrameClock::SleepUntil(int64_t ms) {
  if (fake_) {
    if (ms > fakeNow_) fakeNow_ = ms;
    return;
  }
  SleepFor(origin_ + std::chrono::milliseconds(ms) - std::chrono::steady_clock::now());
}

void FrameClock::Pace(int rate) {
  if (rate <= 0) rate = 60;
  int64_t now = Now();
  if (!pacing_) {
    pacing_ = true;
    due_ = now;
    dueRemainder_ = 0;
  }
  dueRemainder_ += 1000;
  due_ += dueRemainder_ / rate;
  dueRemainder_ %= rate;
  if (now < due_) {
    SleepUntil(due_);
  } else {
    due_ = now;
    dueRemainder_ = 0;
  }
}

}  // namespace plat

uint32_t RealClock() {
  static const auto origin = std::chrono::steady_clock::now();
  return static_cast<uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - origin)
          .count());
}

void RealSleep(int ms) {
  if (ms > 0) plat::SleepFor(std::chrono::milliseconds(ms));
}

int Clock() { return static_cast<int>(plat::State().clock.Now()); }

void Sleep(int ms) { plat::State().clock.Sleep(ms); }
