// The fifteen arenas: a stadium or circular outline and fixed round
// obstacles, built in code. Any other number gives the plain default arena.
#include <algorithm>

#include "match/tlevel.h"

namespace {

struct obstacle {
  double x, y, r;
};

struct arenadef {
  double w, h;
  std::vector<obstacle> obstacles;
};

// Stadiums are 4000 x 3000 (7000 long with their round ends); circles are
// width 0, height 4000, so radius 2000. Obstacles whose centres lie beyond
// the wall show as bumps into the play area.
const std::vector<arenadef>& arenas() {
  static const std::vector<arenadef> table = {
      {4000, 3000, {}},
      {0, 4000, {{2200, 0, 400}, {-2200, 0, 400}, {0, 2200, 400}, {0, -2200, 400}}},
      {4000, 3000, {{0, 0, 300}, {-2000, 0, 300}, {2000, 0, 300}}},
      {4000, 3000, {{0, -1700, 400}, {0, 1700, 400}}},
      {4000, 3000, {{0, -1700, 400}, {0, 1700, 400}, {3700, 0, 400}, {-3700, 0, 400}}},
      {4000, 3000, {{0, -1700, 400}, {0, 1700, 400}, {2000, 0, 300}, {-2000, 0, 300}}},
      {0,
       4000,
       {{0, 0, 300},
        {1600, 1600, 400},
        {-1600, 1600, 400},
        {-1600, -1600, 400},
        {1600, -1600, 400}}},
      {0, 4000, {{1600, 1600, 400}, {-1600, 1600, 400}, {-1600, -1600, 400}, {1600, -1600, 400}}},
      {0, 4000, {{2200, 0, 400}, {-2200, 0, 400}, {0, 2200, 400}, {0, -2200, 400}, {0, 0, 300}}},
      {0,
       4000,
       {{2200, 0, 400},
        {-2200, 0, 400},
        {0, 2200, 400},
        {0, -2200, 400},
        {700, 700, 200},
        {-700, 700, 200},
        {700, -700, 200},
        {-700, -700, 200}}},
      {4000,
       3000,
       {{0, -1700, 400},
        {0, 1700, 400},
        {3700, 0, 400},
        {-3700, 0, 400},
        {0, 0, 300},
        {-2000, 0, 300},
        {2000, 0, 300}}},
      {4000, 3000, {{0, -1700, 400}, {0, 1700, 400}, {3700, 0, 400}, {-3700, 0, 400}, {0, 0, 300}}},
      // Arena 9 with a second centre obstacle on top of the first.
      {0,
       4000,
       {{2200, 0, 400},
        {-2200, 0, 400},
        {0, 2200, 400},
        {0, -2200, 400},
        {0, 0, 300},
        {0, 0, 300}}},
      {0,
       4000,
       {{1600, 1600, 400},
        {-1600, 1600, 400},
        {-1600, -1600, 400},
        {1600, -1600, 400},
        {1000, 0, 200},
        {0, 1000, 200},
        {-1000, 0, 200},
        {0, -1000, 200}}},
      {4000,
       3000,
       {{0, -1700, 400},
        {0, 1700, 400},
        {3700, 0, 400},
        {-3700, 0, 400},
        {-2000, 0, 300},
        {2000, 0, 300}}},
  };
  return table;
}

}  // namespace

int tlevel::initarena(int arenanumber) {
  double w = 5000, h = 2500;
  auto rag = std::make_unique<ragobject>();
  if (arenanumber >= 1 && arenanumber <= static_cast<int>(arenas().size())) {
    const arenadef& def = arenas()[arenanumber - 1];
    w = def.w;
    h = def.h;
    for (const obstacle& o : def.obstacles) {
      ball* b = new ball();
      b->x = b->oldx = b->anchorx = o.x;
      b->y = b->oldy = b->anchory = o.y;
      b->r = o.r;
      b->anchored = 1;
      b->m = 1.0;
      b->bigball = 1;
      b->image = bigballimage;
      rag->balllist.push_back(b);
    }
  }

  border = std::make_unique<Tborder>();
  border->up = -h / 2;
  border->down = h / 2;
  border->Left = -w / 2;
  border->Right = w / 2;

  // A second call replaces the arena: the old one must not stay listed.
  if (arenarag)
    raglist.erase(std::remove(raglist.begin(), raglist.end(), arenarag.get()), raglist.end());
  arenarag = std::move(rag);
  raglist.push_back(arenarag.get());
  return 0;
}
