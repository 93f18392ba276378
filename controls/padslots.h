// Which controller plays which player. Each pad takes, in the order pads are
// plugged in, the lowest of slots 1 to 4 that has none; a pad plugged back
// finds the slot it left when that is still free.
#pragma once

#include <string>

class padslots {
 public:
  static constexpr int slots = 4;
  static constexpr int pads = 8;

  // Pad numbers are the platform's, 1 to 8. `prefer` (1 to 4) is a free slot
  // to take before any other. Returns the slot taken, 0 when none is free.
  int connect(int pad, const std::string& name, int prefer = 0);
  // Returns the slot the pad leaves, 0 when it had none.
  int disconnect(int pad);
  // The pad in `slot` moves to `to`; a pad there takes its place.
  void move(int slot, int to);

  int padin(int slot) const;  // 0 when none
  int slotof(int pad) const;  // 0 when none

 private:
  int padinslot[slots] = {};
  std::string lastname[slots];  // of the pad that last had the slot
};
