// The main-ball trail: still dots of light dropped every frame in the
// ball's colour, fading out over the following frames.
#pragma once

#include <cstdint>

struct Image;

class dotburst {
 public:
  Image* image = nullptr;
  double r = 0;  // world units; the image is scaled by zoom * 2 * r / 50
  double alpha = 0;
  int32_t x = 0, y = 0;    // truncated toward zero when set
  int32_t xv = 0, yv = 0;  // movement per frame
  int32_t color[3] = {0, 0, 0};

  virtual ~dotburst() = default;
  virtual int init(double x, double y, double xv, double yv, const float* colour, Image* image,
                   double alpha);
  // One frame; 1 once the dot has faded out. `slower` does not change it.
  virtual int update(double slower);
  // Zoom comes first here, unlike the other draw methods.
  virtual int draw(double zoom, double xcenter, double ycenter, double xwin, double ywin);
};
