#include "controls/padslots.h"

#include <utility>

int padslots::connect(int pad, const std::string& name, int prefer) {
  if (pad < 1 || pad > pads) return 0;
  if (slotof(pad) != 0) return slotof(pad);
  int slot = 0;
  if (prefer >= 1 && prefer <= slots && padinslot[prefer - 1] == 0) slot = prefer;
  for (int s = 1; s <= slots && slot == 0; s++)
    if (padinslot[s - 1] == 0 && lastname[s - 1] == name) slot = s;
  for (int s = 1; s <= slots && slot == 0; s++)
    if (padinslot[s - 1] == 0) slot = s;
  if (slot == 0) return 0;
  padinslot[slot - 1] = pad;
  lastname[slot - 1] = name;
  return slot;
}

int padslots::disconnect(int pad) {
  const int slot = slotof(pad);
  if (slot != 0) padinslot[slot - 1] = 0;
  return slot;
}

void padslots::move(int slot, int to) {
  if (slot < 1 || slot > slots || to < 1 || to > slots || slot == to) return;
  std::swap(padinslot[slot - 1], padinslot[to - 1]);
  std::swap(lastname[slot - 1], lastname[to - 1]);
}

int padslots::padin(int slot) const { return slot >= 1 && slot <= slots ? padinslot[slot - 1] : 0; }

int padslots::slotof(int pad) const {
  for (int s = 0; s < slots; s++)
    if (pad != 0 && padinslot[s] == pad) return s + 1;
  return 0;
}
