// Contacts of the players with the main balls and with each other.
#include <algorithm>

#include "match/tlevel.h"
#include "physics/collision.h"

namespace {

constexpr double ordinary = -20.0;  // the usual bounce between ragdolls
// Pairs stuck together for the whole contact history get a push of
// stuckpush - 20 (a fixed separation of 60 units) instead of a bounce.
constexpr int stuckpush = 80;

}  // namespace

int tlevel::menballcoll() {
  if (mainballnumber >= 1 && mainball[0] != nullptr) mainball[0]->untouched++;
  if (mennumber < 1) return 0;
  for (int b = 0; b < mainballnumber; b++) {
    // A random start, so no player wins every tie for the ball.
    int start = RandomInt(0, mennumber - 1);
    for (int n = start; n <= start + 3; n++) {
      Tman* man = men[n % mennumber];
      if (ragcollision(*man, *mainballrag[b], ordinary) == 1) {
        mainball[b]->untouched = 0;
        mainball[b]->team = man->team;
      }
    }
  }
  return 0;
}

int tlevel::manmancoll() {
  int n = std::min(mennumber, 4);
  for (int i = 0; i < n; i++) {
    for (int j = i + 1; j < n; j++) {
      int val = stuckpush;
      for (int t = contactframes - 1; t >= 1; t--) {
        mencollided[t][i][j] = mencollided[t - 1][i][j];
        if (mencollided[t][i][j] == 0) val = 0;
      }
      mencollided[0][i][j] = ragcollision(*men[i], *men[j], val - 20);
    }
  }
  return 0;
}
