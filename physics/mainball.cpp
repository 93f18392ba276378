#include "physics/mainball.h"

int Tmainball::updateoldvect() {
  history.push(x, y, xv, yv);
  return 0;
}
