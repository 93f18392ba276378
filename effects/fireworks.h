// Fireworks after a win: spheres of sparks flying out in three dimensions,
// drawn additively behind the arena with a simple depth perspective.
#pragma once

#include <array>

struct Image;

// One spark; z is depth, negative values lie behind the arena plane.
class tspark {
 public:
  float x = 0, y = 0, z = 0;
  float xv = 0, yv = 0, zv = 0;
  Image* image = nullptr;

  virtual ~tspark() = default;
  virtual int draw(double xcenter, double ycenter, double zoom, double xwin, double ywin,
                   double alpha, const float* colour, int small);
};

class Tfirework {
 public:
  static constexpr int maxsparks = 500;

  int small = 0;  // 1: fades twice as fast, sparks at half size
  int numsp = 0;  // sparks in use, from the front of `sparks`
  float color[3] = {0, 0, 0};
  float alpha = 0;
  Image* image = nullptr;
  // Room for every spark is taken once, when the firework is made.
  std::array<tspark, maxsparks> sparks;
  float adder[3] = {6.0f, 6.0f, 6.0f};

  virtual ~Tfirework() = default;
  // n is clamped to the room in `sparks`.
  virtual int init(double x, double y, double z, double bx, double by, double speed, int red,
                   int green, int blue, int n, Image* image, int small);
  // One frame; 1 once the firework has faded out.
  virtual int update();
  virtual int draw(double xcenter, double ycenter, double zoom, double xwin, double ywin);
};
