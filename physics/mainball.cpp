#include "physics/mainball.h"

int Tmainball::updateoldvect() {
  for (int i = historylength - 1; i >= 1; i--) {
    oldvectx[i] = oldvectx[i - 1];
    oldvecty[i] = oldvecty[i - 1];
    oldvectxv[i] = oldvectxv[i - 1];
    oldvectyv[i] = oldvectyv[i - 1];
  }
  oldvectx[0] = x;
  oldvecty[0] = y;
  oldvectxv[0] = xv;
  oldvectyv[0] = yv;
  return 0;
}
