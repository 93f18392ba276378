// The transport over the Internet: ENet's reliable and unreliable packets
// over UDP. The one file that sees ENet.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "online/transport.h"

namespace online {

class enettransport : public transport {
 public:
  // Waits for joiners on a UDP port of every address of this machine, or
  // of `only` when given; port 0 takes any free one (see port()).
  static std::unique_ptr<enettransport> listen(uint16_t port, std::string* why, const char* only = nullptr);
  // Dials a host; the connection shows as a `connected` event, or never.
  // The other joiners of the match dial this machine on the same port
  // later; `only` keeps it to one address of this machine.
  static std::unique_ptr<enettransport> join(const std::string& host, uint16_t port, std::string* why,
                                             const char* only = nullptr);
  ~enettransport() override;

  void service(uint32_t nowms) override;
  bool receive(netevent& out) override;
  void send(int peer, const uint8_t* data, size_t size, bool reliable) override;
  void disconnect(int peer) override;
  int roundtrip(int peer) const override;
  bool whereis(int peer, uint32_t& address, uint16_t& port) const override;
  int dial(uint32_t address, uint16_t port) override;
  uint16_t port() const;

  struct impl;

 private:
  explicit enettransport(std::unique_ptr<impl> p);
  std::unique_ptr<impl> p_;
};

}  // namespace online
