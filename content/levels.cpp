#include "content/levels.h"

namespace {

// Levels 1 to 5 are written out one by one.
constexpr levelrule firstlevels[5] = {
    {2, false, 21, 1}, {2, false, 20, 9}, {3, false, 25, 6}, {3, false, 24, 11}, {2, true, 23, 4},
};

// From level 11 on the arena cycles through this list, every ten levels
// from level 16: entry (level - 11) for levels 11 to 30.
constexpr int laterarenas[20] = {2,  13, 15, 12, 1, 14, 7, 12, 4, 5,
                                 13, 12, 15, 1,  2, 14, 7, 12, 4, 5};

}  // namespace

levelrule rulesforlevel(int level) {
  levelrule rule{0, false, 7, level};
  if (level >= 1 && level <= 5) return firstlevels[level - 1];
  if (level < 6) return rule;

  // The opponents grow stronger every five levels: k is 0 for levels 6 to
  // 10, 1 for 11 to 15 and so on.
  int k = static_cast<int>((level - 6) / 5.0 + 0.1);
  int base = 18 - 3 * k;
  switch (level % 5) {
    case 1:
      rule = {2, false, base, 8};
      break;
    case 2:
      rule = {3, false, base + 5, 3};
      break;
    case 3:
      rule = {3, false, base + 4, 10};
      break;
    case 4:
      rule = {4, false, base + 7, 5};
      break;
    default:
      rule = {2, true, base + 2, 7};
      break;
  }
  if (level >= 11 && level <= lastlevel) {
    int index = level <= 30 ? level - 11 : level - 21;
    rule.arena = laterarenas[index];
  }
  return rule;
}
