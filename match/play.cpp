#include "match/tlevel.h"

int tlevel::Play(const std::string&, int, Tmultiplayersettings*, Tcustomsettings*, int*) {
  return -1;
}
int tlevel::countfps() { return 0; }
int tlevel::pause() { return 0; }
int tlevel::deltatimecount() { return 0; }
int tlevel::handleslower() { return 0; }
int keepmusic(tlevel&, Channel*, double) { return 0; }
