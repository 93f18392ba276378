// The fifteen arenas: a stadium or circular outline and fixed round
// obstacles, as a table the match builds its arena from.
#pragma once

#include <vector>

struct obstacle {
  double x, y, r;
};

// w is the length of a stadium's straight sides and h its height (its round
// ends add h / 2 each); a circle has w 0 and diameter h.
struct arenadef {
  double w, h;
  std::vector<obstacle> obstacles;
};

// Arena 1 to 15; any other number gives the plain default arena.
const arenadef& arenafor(int number);
