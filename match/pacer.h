// The pace of the loops that show a match: one frame every 1000/63 ms,
// slept out rather than spun on the clock, and the frames counted each
// second.
#pragma once

class framepacer {
 public:
  framepacer();
  // Counts the frame shown.
  void count();
  // Sleeps out what is left of the frame.
  void wait();

 private:
  int oldtime;  // clock at the end of the previous frame's wait
  int fpstime = 0;
  int fpscycles = 0;
  int fps = 0;
};
