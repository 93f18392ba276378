// The contested main ball: a ball that remembers its owner, its recent
// motion and the colour it was drawn in.
#pragma once

#include <array>

#include "physics/ball.h"
#include "physics/motionhistory.h"

class Tmainball : public ball {
 public:
  int untouched = 0;  // frames since a player last touched it
  int team = 0;       // owner: 0 nobody, 1..4 a player team
  motionhistory history;
  std::array<float, 3> realcolor{};  // colour of the last draw, read by the trail

  int draw(double xc, double yc, double zoom, double xwin, double ywin) override;
  // The colour of the owner, as draw shows it and the trail takes it.
  void updatecolor();
  // Shifts the history one frame back and stores x, y, xv, yv in entry 0.
  int updateoldvect();
};
