#include "match/tlevel.h"

int tlevel::fixzoom() { return 0; }
int tlevel::dobackground2() { return 0; }
