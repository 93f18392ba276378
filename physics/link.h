// A link holds two balls of one ragdoll at a rest distance.
//
// POSIX <unistd.h> (pulled in by GoogleTest, among others) declares a
// function named link(), which hides this class in files that see both;
// write `class link` there.
#pragma once

#include <string>

#include "physics/ball.h"

class link {
 public:
  virtual ~link() = default;

  Image* image = nullptr;  // stretched along the link when drawn
  std::string kind = "normal";
  ball* ball1 = nullptr;
  ball* ball2 = nullptr;
  double distance = 0;  // rest length
  double width = 3;     // half thickness: touch distance and drawn size
  int shirt = 0;        // 1: drawn in the owning player's colour

  // Draws the image stretched between the two balls in the current colour.
  virtual int Draw(double xc, double yc, double zoom, double xwin, double ywin);
};

// One link's correction: adds to the shift accumulators of b1 and b2 so that
// 30% of the length error goes, the lighter ball moving more.
int linkshift(ball& b1, ball& b2, double rest);
