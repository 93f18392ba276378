// Agreeing on the frame after which the computer plays a departed machine's
// men. The host alone decides: it asks the machines still here how much of
// the departed one's inputs they hold, gathers them, and names the last
// frame anyone can give. Joiners only mark the machine as leaving, so its
// inputs travel to the host instead of being taken from it.
#pragma once

#include <array>
#include <cstdint>

#include "online/netgame.h"

namespace online {

class departures {
 public:
  // Being settled: its inputs go to the host, none are taken from it.
  bool leaving(int machine) const { return valid(machine) && leaving_[machine]; }
  void markleaving(int machine) {
    if (valid(machine)) leaving_[machine] = true;
  }

  bool open(int machine) const { return valid(machine) && open_[machine].open; }
  // Host: starts settling `machine`, whose inputs the host holds before
  // frame `held`; `asked` says which machines must answer.
  void start(int machine, int32_t held, uint32_t nowms, const std::array<bool, maxmachines + 1>& asked);
  // Host: whether `from` still has to say how much of `machine` it holds.
  bool asked(int from, int machine) const {
    return valid(from) && open(machine) && open_[machine].waitingfor[from];
  }
  // Host: `from` answered that it holds `machine`'s inputs before `held`.
  // False when nobody asked it.
  bool answer(int from, int machine, int32_t held);
  // Host: a machine that will never answer anything.
  void unask(int machine);
  // Host: whether `machine` is settled now that the host holds its inputs
  // before `held`; `after` is the last frame they count for.
  bool settled(int machine, int32_t held, uint32_t nowms, uint32_t timeout, int32_t& after) const;
  // The departure is over on this machine.
  void close(int machine);

 private:
  static bool valid(int machine) { return machine >= 1 && machine <= maxmachines; }
  struct departure {
    bool open = false;
    uint32_t since = 0;
    std::array<bool, maxmachines + 1> waitingfor{};
    int32_t mostnext = 0;  // the most anyone holds
  };
  std::array<departure, maxmachines + 1> open_{};
  std::array<bool, maxmachines + 1> leaving_{};
};

}  // namespace online
