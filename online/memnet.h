// Machines in one process joined by perfect pipes: every packet arrives, in
// order, at the receiver's next look. Tests put a netsim in front of each
// machine for a bad network, and cut pipes to make a machine fall silent.
#pragma once

#include <deque>
#include <memory>
#include <vector>

#include "online/transport.h"

namespace online {

class memnetwork {
 public:
  class endpoint : public transport {
   public:
    void service(uint32_t) override {}
    bool receive(netevent& out) override;
    void send(int peer, const uint8_t* data, size_t size, bool reliable) override;
    void disconnect(int peer) override;
    int roundtrip(int peer) const override;
    bool whereis(int peer, uint32_t& address, uint16_t& port) const override;
    int dial(uint32_t address, uint16_t port) override;
    int number() const { return number_; }

   private:
    friend class memnetwork;
    struct arrival {
      netevent::kind what;
      int from;
      std::vector<uint8_t> data;
    };
    memnetwork* net_ = nullptr;
    int number_ = 0;
    std::deque<arrival> inbox_;
  };

  // A new machine; its number is its peer number at the others.
  endpoint& add();
  // Both ends see a connection from the other.
  void connect(int a, int b);
  // From now on nothing passes between a and b, and neither is told.
  void cut(int a, int b);
  bool linked(int a, int b) const;
  endpoint& at(int n) { return *endpoints_[static_cast<size_t>(n)]; }

 private:
  std::vector<std::unique_ptr<endpoint>> endpoints_;
  std::vector<std::vector<char>> links_;  // 0 none, 1 up, 2 cut
};

}  // namespace online
