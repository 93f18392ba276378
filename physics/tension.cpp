#include "physics/tension.h"

int tension::partialtension(int, double) { return 0; }
float wrap360(float a) { return a; }
float wrap180(float a) { return a; }
