#include "match/matchgame.h"

#include "match/tlevel.h"

void matchgame::advance(const FrameInput& in, bool silent) {
  if (!level_.sharedpause || level_.phase != "end") level_.advance(in, silent);
}

void matchgame::save(std::vector<uint8_t>& snapshot) { level_.saveState(snapshot); }

void matchgame::load(const std::vector<uint8_t>& snapshot) { level_.loadState(snapshot); }

uint64_t matchgame::checksum() { return level_.checksum(); }
