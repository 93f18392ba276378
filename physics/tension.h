// A tension holds the angle that three balls of one ragdoll form at the
// middle one.
#pragma once

#include "physics/ball.h"
#include "physics/link.h"

class tension {
 public:
  virtual ~tension() = default;

  ball* ball1 = nullptr;
  ball* ball2 = nullptr;  // the vertex
  ball* ball3 = nullptr;
  double angle = 0;     // rest angle in degrees
  double strength = 0;  // stiffness cap; 10 or less does nothing

  // Adds this tension's corrections to the shift accumulators of its balls.
  // i raises the cap by 10000 * i; the tension pass passes 0.
  virtual int partialtension(int i, double s);
};

float wrap360(float a);  // into [0, 360)
float wrap180(float a);  // into [-180, 180]
