#include "physics/border.h"

#include "physics/ball.h"
#include "physics/ragobject.h"

point2 closestpoint(double, double, double, double, double, double) { return {0, 0}; }
int ball::bordercollision(Tborder&) { return 0; }
int ragobject::bordercollision(Tborder&) { return 0; }
