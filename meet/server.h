// The meeting server without its sockets: rooms by code, introductions of a
// joiner to a host, and the relays. Time and randomness come from outside,
// so tests drive it with a clock of their own.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "meet/ratelimit.h"
#include "meet/relay.h"
#include "online/meetpacket.h"

namespace meet {

struct serverlimits {
  uint32_t maxrooms = 65536;
  uint32_t maxpairs = 65536;
  uint32_t pairms = 120000;  // an introduction may ask for a relay this long
  uint32_t introburst = 8, introevery = 3000;  // joiners introduced to one room
  ratelimits rates;
  relaylimits relays;
};

struct outgoing {
  online::meetaddress to;
  std::vector<uint8_t> bytes;
};

class server {
 public:
  // Relay ports firstrelay .. firstrelay + relays - 1.
  server(const serverlimits& limits, uint16_t firstrelay, int relays, std::function<uint64_t()> random);

  // A datagram to the meeting port; what to send goes into `out`.
  void receive(const online::meetaddress& from, const uint8_t* data, size_t size, uint32_t now,
               std::vector<outgoing>& out);

  relaytable& relays() { return relays_; }

  // Drops expired rooms, introductions and relays; call about once a second.
  void expire(uint32_t now);

  // The room events since the last call, one line each.
  std::vector<std::string>& events() { return events_; }

  size_t rooms() const { return rooms_.size(); }
  size_t pairs() const { return pairs_.size(); }

 private:
  struct room {
    uint64_t key = 0;
    online::meetaddress host;
    uint8_t localcount = 0;
    std::array<online::meetaddress, online::maxlocals> locals{};
    uint32_t refreshed = 0;
    uint64_t proof = 0;
    bool proved = false;  // the host's address answered with the proof
    bool opened = false;  // proved once: the log knows the room
    bucket intros;
  };
  struct pair {
    uint32_t code = 0;
    uint32_t made = 0;
    uint32_t hostip = 0;
    uint32_t joinerip = 0;
  };

  void hostregister(const online::meetaddress& from, const online::meetpacket& p, uint32_t now,
                    std::vector<outgoing>& out);
  void lookup(const online::meetaddress& from, const online::meetpacket& p, uint32_t now,
              std::vector<outgoing>& out);
  void relayrequest(const online::meetaddress& from, const online::meetpacket& p, uint32_t now,
                    std::vector<outgoing>& out);
  void hostclose(const online::meetaddress& from, const online::meetpacket& p);
  void send(std::vector<outgoing>& out, const online::meetaddress& to, const online::meetpacket& p);
  void error(std::vector<outgoing>& out, const online::meetaddress& to, online::meeterror reason,
             const std::string& code, uint64_t token);
  uint64_t nonzero();
  // A fresh code: random, and not one in use.
  bool newcode(uint32_t& code);
  void closeroom(std::unordered_map<uint32_t, room>::iterator it, const char* why);

  serverlimits limits_;
  std::function<uint64_t()> random_;
  sourcetable sources_;
  relaytable relays_;
  std::unordered_map<uint32_t, room> rooms_;        // by code number
  std::unordered_map<uint64_t, uint32_t> roomkeys_;  // host key -> code number
  std::unordered_map<uint64_t, pair> pairs_;         // by token
  std::vector<std::string> events_;
};

}  // namespace meet
