#include "match/tlevel.h"

int tlevel::menballcoll() { return 0; }
int tlevel::manmancoll() { return 0; }
