// Where a body was and how fast it moved in each of the last 50 frames:
// the computer players react to what they saw some frames ago.
#pragma once

#include <array>

struct motionhistory {
  static constexpr int length = 50;

  // Entry 0 is the latest frame.
  std::array<double, length> x{};
  std::array<double, length> y{};
  std::array<double, length> xv{};
  std::array<double, length> yv{};

  // Shifts every entry one frame back and stores the new frame in entry 0.
  void push(double x0, double y0, double xv0, double yv0) {
    for (int k = length - 1; k >= 1; k--) {
      x[k] = x[k - 1];
      y[k] = y[k - 1];
      xv[k] = xv[k - 1];
      yv[k] = yv[k - 1];
    }
    x[0] = x0;
    y[0] = y0;
    xv[0] = xv0;
    yv[0] = yv0;
  }
};
