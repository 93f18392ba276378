// A bad network in front of a real one: every packet leaves after a delay
// plus a random part (so packets overtake each other), and unreliable ones
// are lost at a given rate. A lost reliable packet is not dropped, since the
// transport under it would send it again: it comes one round trip later,
// still in order. The random numbers are its own, never the game's.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "online/transport.h"

namespace online {

struct netconditions {
  int loss = 0;    // percent of packets lost
  int delay = 0;   // milliseconds every packet waits
  int jitter = 0;  // up to this many milliseconds more, at random
};

// Reads "LOSS/DELAY/JITTER" (percent, milliseconds, milliseconds).
bool parseconditions(const std::string& text, netconditions& out, std::string* why);

class netsim : public transport {
 public:
  // Packets waiting beyond this are dropped: a stalled network does not
  // make memory grow.
  static constexpr size_t maxwaiting = 4096;

  netsim(transport& inner, const netconditions& c, uint64_t seed);
  void service(uint32_t nowms) override;
  bool receive(netevent& out) override { return inner_.receive(out); }
  void send(int peer, const uint8_t* data, size_t size, bool reliable) override;
  void disconnect(int peer) override;
  int roundtrip(int peer) const override;
  linekind route(int peer) const override { return inner_.route(peer); }
  bool whereis(int peer, uint32_t& address, uint16_t& port) const override {
    return inner_.whereis(peer, address, port);
  }
  int dial(uint32_t address, uint16_t port) override { return inner_.dial(address, port); }

  int64_t lost() const { return lost_; }
  // Sends everything still waiting, now: the program is closing.
  void flush();

 private:
  struct waiting {
    uint32_t due;
    uint64_t order;
    int peer;
    bool reliable;
    bool hangup;  // a disconnection, which leaves after the packets before it
    std::vector<uint8_t> data;
  };
  uint32_t random(uint32_t below);
  void enqueue(waiting w);

  transport& inner_;
  netconditions c_;
  uint64_t state_;
  uint32_t now_ = 0;
  uint64_t order_ = 0;
  int64_t lost_ = 0;
  std::vector<waiting> queue_;  // kept in the order packets leave
  std::vector<std::pair<int, uint32_t>> lastreliable_;  // per peer: when its latest reliable leaves
};

}  // namespace online
