// The relay ports: each carries one pair's datagrams between exactly the two
// addresses that bound it, unchanged, within a bandwidth cap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "meet/ratelimit.h"
#include "online/meetpacket.h"

namespace meet {

struct relaylimits {
  uint32_t idlems = 30000;         // a relay nobody used for this long is freed
  uint32_t bytesperms = 128;       // per pair, both ways together: 128 kB/s
  uint32_t burstbytes = 64 * 1024;
  uint32_t overhead = 28;          // IP and UDP headers, counted with each datagram
};

enum class relayverdict { drop, forward, reply };

class relaytable {
 public:
  relaytable(uint16_t firstport, int count, const relaylimits& limits);

  // A port for the pair, whose sides must bind from these IPs; the pair's
  // port again when it has one; 0 when every port is taken.
  uint16_t open(uint64_t token, uint32_t hostip, uint32_t joinerip, uint32_t now);

  // A datagram to relay port `port`: forward it unchanged to `to`, send
  // `reply` back, or drop it.
  relayverdict receive(uint16_t port, const online::meetaddress& from, const uint8_t* data, size_t size,
                       uint32_t now, online::meetaddress& to, std::vector<uint8_t>& reply);

  // Frees the idle relays, with a line for each in `events`.
  void expire(uint32_t now, std::vector<std::string>& events);

  int inuse() const { return inuse_; }
  size_t bytes() const { return relays_.capacity() * sizeof(relay); }

 private:
  struct relay {
    bool used = false;
    uint64_t token = 0;
    uint32_t ip[2] = {0, 0};  // where each role must bind from
    online::meetaddress side[2];
    bool bound[2] = {false, false};
    uint32_t lastused = 0;
    bucket bytes;
  };
  bool bind(relay& r, const online::meetaddress& from, const uint8_t* data, size_t size, std::vector<uint8_t>& reply);

  uint16_t firstport_;
  relaylimits limits_;
  std::vector<relay> relays_;
  int inuse_ = 0;
};

}  // namespace meet
