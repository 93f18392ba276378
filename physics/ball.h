// A ball: the mass point with a radius that every moving or colliding thing
// in a match is made of.
#pragma once

#include <string>

#include "platform/platform.h"

class Tborder;

class ball {
 public:
  ball();
  virtual ~ball() = default;

  int bigball = 0;         // 1: drawn at the large (arena obstacle) scale
  Image* image = nullptr;  // drawn for the ball
  int rolling = 0;         // 1: full bounce off straight walls, no link friction
  std::string kind = "normal";
  double actualmass = 0;   // mass seen by constraints and collisions, set by updatemass
  double anchorx = 0;
  double anchory = 0;
  int anchored = 0;    // 1: pinned to the anchor; any non-zero value weighs 99
  double xapp = 0;     // screen position and radius of the last draw
  double yapp = 0;
  double rapp = 0;
  // Read by nothing, but drawn at construction: without it every later
  // random number, and so every seeded match and replay, would change.
  int col;  // 0..4
  double m = 1;           // configured mass
  double shiftx = 0;      // accumulated correction of one constraint pass
  double shifty = 0;
  int shirt = 0;   // 1: drawn in the owning player's colour
  int number = 0;  // the ball's number in its body file
  double xv = 0;   // velocity, world units per frame
  double yv = 0;
  double oldx;  // position at the start of the frame
  double oldy;
  double x;  // current position
  double y;
  double r = 15;  // radius

  // Screen position and radius for the view (centre xc, yc; zoom; window size).
  virtual int updateapp(double xc, double yc, double zoom, double xwin, double ywin);
  // One ball's share of the ragdoll step: gravity, then advance by the velocity.
  virtual int move(double s, double g);
  // Velocity from the displacement of the frame (no damping).
  virtual int updatev(double s);
  virtual int draw(double xc, double yc, double zoom, double xwin, double ywin);
  // Keeps the ball inside the arena outline.
  virtual int bordercollision(Tborder& border);
};
