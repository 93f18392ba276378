#include "match/tlevel.h"

#include "match/synctest.h"

tlevel::tlevel() = default;

// Out of line so that the owned types are complete where they are freed.
tlevel::~tlevel() = default;

Tman* tlevel::addman(int i) {
  ownedmen.push_back(std::make_unique<Tman>());
  men[i] = ownedmen.back().get();
  raglist.push_back(men[i]);
  return men[i];
}

bool tlevel::bodiesready() const {
  if (mennumber < 1) return false;
  for (int i = 0; i < mennumber; i++) {
    if (men[i] == nullptr || men[i]->balllist.empty()) return false;
  }
  return true;
}
