// The arena outline: a stadium, straight walls at up and down from Left to
// Right, closed by two half circles of radius (down - up) / 2.
#pragma once

class Tborder {
 public:
  double up = -1250;
  double down = 1250;
  double Left = -2500;
  double Right = 2500;
};

struct point2 {
  double x;
  double y;
};

// The foot of the perpendicular from P onto the line through A and B.
// With P = a vector and A = the origin it projects the vector onto B.
point2 closestpoint(double px, double py, double ax, double ay, double bx, double by);
