#include "physics/link.h"

int linkshift(ball&, ball&, double) { return 0; }
