// The points of the levels mode, and so the most a run can have scored.
#pragma once

#include <cstdint>

constexpr int levelpoints = 10000;      // per level number, for winning the level
constexpr int timebonuspoints = 20000;  // per level number, for winning it at once

// The most points a run can carry into level `levelnum`: every level before
// it won at once. Scores above it were made by hand.
constexpr int64_t maxscorebefore(int levelnum) {
  return int64_t{levelpoints + timebonuspoints} * levelnum * (levelnum - 1) / 2;
}
