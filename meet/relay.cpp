#include "meet/relay.h"

namespace meet {

using online::meetaddress;
using online::meetpacket;
using online::meettype;

relaytable::relaytable(uint16_t firstport, int count, const relaylimits& limits)
    : firstport_(firstport), limits_(limits), relays_(static_cast<size_t>(count)) {}

uint16_t relaytable::open(uint64_t token, uint32_t hostip, uint32_t joinerip, uint32_t now) {
  relay* free = nullptr;
  for (size_t i = 0; i < relays_.size(); i++) {
    relay& r = relays_[i];
    if (r.used && r.token == token) return static_cast<uint16_t>(firstport_ + i);
    if (!r.used && !free) free = &r;
  }
  if (!free) return 0;
  *free = relay();
  free->used = true;
  free->token = token;
  free->ip[0] = hostip;
  free->ip[1] = joinerip;
  free->lastused = now;
  free->bytes = bucket(limits_.burstbytes, limits_.bytesperms, 1, now);
  inuse_++;
  return static_cast<uint16_t>(firstport_ + (free - relays_.data()));
}

// A bind binds the role it names, from that role's IP, with the pair's
// token; a side whose router moved it to another port may bind again.
bool relaytable::bind(relay& r, const meetaddress& from, const uint8_t* data, size_t size,
                      std::vector<uint8_t>& reply) {
  meetpacket p;
  if (!online::decodemeet(data, size, p) || p.type != meettype::relaybind || p.token != r.token) return false;
  const int role = static_cast<int>(p.role);
  if (from.ip != r.ip[role]) return false;
  if (r.bound[1 - role] && r.side[1 - role] == from) return false;  // one address cannot be both sides
  r.side[role] = from;
  r.bound[role] = true;
  p.type = meettype::relaybound;
  online::encodemeet(p, reply);
  return true;
}

relayverdict relaytable::receive(uint16_t port, const meetaddress& from, const uint8_t* data, size_t size,
                                 uint32_t now, meetaddress& to, std::vector<uint8_t>& reply) {
  if (port < firstport_ || port - firstport_ >= static_cast<int>(relays_.size())) return relayverdict::drop;
  relay& r = relays_[port - firstport_];
  if (!r.used) return relayverdict::drop;
  int from_side = -1;
  for (int s = 0; s < 2; s++) {
    if (r.bound[s] && r.side[s] == from) from_side = s;
  }
  const uint32_t cost = static_cast<uint32_t>(size + limits_.overhead);
  // Strangers cost the pair nothing unless they bind, so flooding the port
  // cannot eat the pair's share; binds and forwarded datagrams both count.
  if (from_side < 0) {
    if (!online::meetdatagram(data, size) || !bind(r, from, data, size, reply)) return relayverdict::drop;
    r.lastused = now;
    return r.bytes.take(now, cost) ? relayverdict::reply : relayverdict::drop;
  }
  if (!r.bytes.take(now, cost)) return relayverdict::drop;
  r.lastused = now;
  if (online::meetdatagram(data, size) && bind(r, from, data, size, reply)) return relayverdict::reply;
  if (!r.bound[1 - from_side]) return relayverdict::drop;
  to = r.side[1 - from_side];
  return relayverdict::forward;
}

void relaytable::expire(uint32_t now, std::vector<std::string>& events) {
  for (size_t i = 0; i < relays_.size(); i++) {
    relay& r = relays_[i];
    if (r.used && now - r.lastused >= limits_.idlems) {
      events.push_back("relay " + std::to_string(firstport_ + i) + " closed after " +
                       std::to_string(limits_.idlems / 1000) + " s idle");
      r = relay();
      inuse_--;
    }
  }
}

}  // namespace meet
