// The live side of a match's input: the keyboard (and whatever else drives
// the players) read once per frame into a FrameInput, and the clearing of
// keys the end screens ask for between frames.
#pragma once

#include <cstdint>

#include "match/frameinput.h"

class inputcapture {
 public:
  // This frame's input. typing: the match reads typed characters now
  // (elsewhere they stay queued, as they always have).
  FrameInput capture(bool typing);
  // True while the player asks to leave (Esc held): read between frames by
  // the loops that show a match.
  bool leaving() const;
  // Does what a frame's clear request asks (see tlevel::clearrequest).
  void clear(int request);

 private:
  uint16_t lastheld_ = 0;
};
