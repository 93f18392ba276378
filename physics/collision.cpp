#include "physics/collision.h"

double linedistance(double, double, double, double, double, double) { return 0; }
int ballcollision(ball&, ball&, double) { return 0; }
int balllinkcollision(ball&, class link&, double) { return 0; }
int ragcollision(ragobject&, ragobject&, double) { return 0; }
