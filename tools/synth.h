// Small building blocks shared by the sound generators: oscillators, a filter and
// panning. Everything is computed sample by sample in double precision.
#pragma once

#include <cmath>

#include "tools/mediagen.h"

namespace mediagen {

constexpr double kTau = 6.28318530717958647692;

inline double MidiToHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

// Correction that removes most of the aliasing of a hard step in an oscillator
// (t is the phase in cycles, dt the phase step).
inline double PolyBlep(double t, double dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1.0;
  }
  if (t > 1.0 - dt) {
    t = (t - 1.0) / dt;
    return t * t + t + t + 1.0;
  }
  return 0.0;
}

// A band-limited sawtooth or pulse oscillator.
class Osc {
 public:
  explicit Osc(double phase = 0) : phase_(phase) {}
  double Saw(double hz) {
    double dt = hz / kSampleRate;
    double v = 2.0 * phase_ - 1.0 - PolyBlep(phase_, dt);
    Advance(dt);
    return v;
  }
  double Pulse(double hz, double width) {
    double dt = hz / kSampleRate;
    double shifted = phase_ + (1.0 - width);
    shifted -= std::floor(shifted);
    double v = (phase_ < width ? 1.0 : -1.0) + PolyBlep(phase_, dt) - PolyBlep(shifted, dt);
    Advance(dt);
    return v;
  }
  double Sine(double hz) {
    double v = std::sin(kTau * phase_);
    Advance(hz / kSampleRate);
    return v;
  }
  double Triangle(double hz) {
    double v = 4.0 * std::abs(phase_ - 0.5) - 1.0;
    Advance(hz / kSampleRate);
    return v;
  }

 private:
  void Advance(double dt) {
    phase_ += dt;
    phase_ -= std::floor(phase_);
  }
  double phase_;
};

// A state-variable filter (trapezoidal form), stable under fast cutoff changes.
class Svf {
 public:
  struct Out {
    double low, band, high;
  };
  Out Run(double x, double hz, double q) {
    hz = std::fmin(hz, kSampleRate * 0.45);
    double g = std::tan(kTau / 2 * hz / kSampleRate);
    double k = 1.0 / q;
    double a1 = 1.0 / (1.0 + g * (g + k));
    double a2 = g * a1, a3 = g * a2;
    double v3 = x - s2_;
    double v1 = a1 * s1_ + a2 * v3;
    double v2 = s2_ + a2 * s1_ + a3 * v3;
    s1_ = 2 * v1 - s1_;
    s2_ = 2 * v2 - s2_;
    return Out{v2, v1, x - k * v1 - v2};
  }

 private:
  double s1_ = 0, s2_ = 0;
};

// Adds a mono sample into a stereo buffer with constant-power panning
// (pan -1 left .. 1 right). Samples past the end are dropped.
inline void AddPanned(Stereo& out, size_t i, double v, double pan) {
  if (i >= out.frames()) return;
  double angle = (pan + 1.0) * kTau / 8.0;
  out.left[i] += static_cast<float>(v * std::cos(angle));
  out.right[i] += static_cast<float>(v * std::sin(angle));
}

}  // namespace mediagen
