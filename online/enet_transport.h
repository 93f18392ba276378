// The transport over the Internet: ENet's reliable and unreliable packets
// over UDP. The one file that sees ENet.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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
  // A joiner's socket that dials nobody yet: the meeting server says where.
  static std::unique_ptr<enettransport> unbound(std::string* why, const char* only = nullptr);
  // A name or dotted address as a network-order IPv4 address.
  static bool resolve(const std::string& host, uint32_t& address);
  ~enettransport() override;

  void service(uint32_t nowms) override;
  bool receive(netevent& out) override;
  void send(int peer, const uint8_t* data, size_t size, bool reliable) override;
  void disconnect(int peer) override;
  int roundtrip(int peer) const override;
  bool whereis(int peer, uint32_t& address, uint16_t& port) const override;
  int dial(uint32_t address, uint16_t port) override;
  linekind route(int peer) const override;
  uint16_t port() const;

  // Datagrams beside ENet's on the same socket, so the routers open one
  // hole for both: the meeting server's words and punches are taken out of
  // ENet's stream and wait here. At most a few dozen wait; a flood is
  // dropped.
  bool receiveraw(uint32_t& address, uint16_t& port, std::vector<uint8_t>& data);
  // hops > 0 sends with that time to live, restored right after.
  void sendraw(uint32_t address, uint16_t port, const uint8_t* data, size_t size, int hops = 0);
  // A relay port of the meeting server: lines through it are relayed.
  void markrelay(uint32_t address, uint16_t port);

  struct impl;

 private:
  explicit enettransport(std::unique_ptr<impl> p);
  std::unique_ptr<impl> p_;
};

// The join screen's look for games hosted on the local network: a question
// broadcast to the game's port, answered by every host that hears it.
class lanfinder {
 public:
  static std::unique_ptr<lanfinder> open();
  ~lanfinder();
  void ask(const uint8_t* data, size_t size, uint16_t port);
  bool heard(uint32_t& address, uint16_t& port, std::vector<uint8_t>& data);

 private:
  lanfinder() = default;
  int socket_ = -1;
};

}  // namespace online
