// The match as the rollback core sees it: the self-test and the online
// session drive it through the four operations of a rollbackgame alone.
#pragma once

#include <cstdint>
#include <vector>

#include "match/rollback.h"

class tlevel;

// An online match, once ended,
// stays as it ended: every machine reports the same last frame however far
// its guesses (or a replay's inputs) run past it.
class matchgame : public rollbackgame {
 public:
  explicit matchgame(tlevel& level) : level_(level) {}
  void advance(const FrameInput& in, bool silent) override;
  void save(std::vector<uint8_t>& snapshot) override;
  void load(const std::vector<uint8_t>& snapshot) override;
  uint64_t checksum() override;

 private:
  tlevel& level_;
};
