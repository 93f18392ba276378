// The live loop of one match: each frame it reads the keyboard and pads
// once, holds the match for the pause and for a lost controller, shows the
// instant replay the end screens offer, tells the keeper, runs the
// self-test and keeps the pace. The match itself (tlevel) only advances.
#pragma once

#include <memory>

#include "match/capture.h"
#include "match/pacer.h"
#include "match/setup.h"

class tlevel;
class matchkeeper;
class synctest;

class matchloop {
 public:
  // keeper: told when the match is decided and when it ends (null keeps
  // nothing). synctest: frames rolled back and simulated again after every
  // frame (--synctest), 0 for none.
  explicit matchloop(tlevel& level, matchkeeper* keeper = nullptr, int synctest = 0);
  ~matchloop();
  matchloop(const matchloop&) = delete;
  matchloop& operator=(const matchloop&) = delete;

  // Sets the match up and plays it to its end. Returns the 1-based winner,
  // or -1 when the match was left or could not be set up.
  int Play(const matchsetup& setup);
  // Play in two halves, for tests and benchmarks that step a match
  // themselves: the set-up (0, or -1 when no match can be played), then one
  // frame of the loop.
  int startmatch(const matchsetup& setup);
  int playframe();

  // Starts the rollback check (n frames, 0 off) from the present frame.
  void startsynctest(int n);
  int synctest() const { return synctest_; }

  // Waits, showing the last frame, until P or Esc; not on the game-over
  // screen.
  int pause();
  // Holds the match while a player's unplugged pad has no replacement.
  int controllerpause();

 private:
  tlevel& level_;
  matchkeeper* keeper_;
  int synctest_;
  inputcapture capture_;
  framepacer pacer_;
  std::unique_ptr<class synctest> selftest_;  // null when off
};
