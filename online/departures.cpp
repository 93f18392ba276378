#include "online/departures.h"

#include <algorithm>

namespace online {

void departures::start(int machine, int32_t held, uint32_t nowms, const std::array<bool, maxmachines + 1>& asked) {
  if (!valid(machine)) return;
  departure& d = open_[machine];
  d = departure{};
  d.open = true;
  d.since = nowms;
  d.mostnext = held;
  d.waitingfor = asked;
  leaving_[machine] = true;
}

bool departures::answer(int from, int machine, int32_t held) {
  if (!asked(from, machine)) return false;
  departure& d = open_[machine];
  d.waitingfor[from] = false;
  d.mostnext = std::max(d.mostnext, held);
  return true;
}

void departures::unask(int machine) {
  if (!valid(machine)) return;
  for (departure& d : open_) d.waitingfor[machine] = false;
}

bool departures::settled(int machine, int32_t held, uint32_t nowms, uint32_t timeout, int32_t& after) const {
  if (!open(machine)) return false;
  const departure& d = open_[machine];
  const bool answered = std::none_of(d.waitingfor.begin(), d.waitingfor.end(), [](bool w) { return w; });
  if (answered && held >= d.mostnext) {
    after = d.mostnext - 1;
    return true;
  }
  if (nowms - d.since > timeout) {
    // Someone claimed inputs it never handed over: settle on what is here.
    after = held - 1;
    return true;
  }
  return false;
}

void departures::close(int machine) {
  if (!valid(machine)) return;
  open_[machine].open = false;
  leaving_[machine] = false;
}

}  // namespace online
