// The world-to-screen mapping shared by every drawing of the world.
#pragma once

// Screen coordinate of world coordinate w, with c at the centre of a window
// of size win and zoom pixels per world unit.
inline double toscreen(double w, double c, double zoom, double win) {
  return win / 2 + zoom * (w - c);
}
