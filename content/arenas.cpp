#include "match/tlevel.h"

int tlevel::initarena(int) { return 0; }
