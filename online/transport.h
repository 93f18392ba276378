// How the session and the lobby reach other machines: numbered peers,
// packets either reliable (delivered once, in order) or not (may be lost,
// late or overtaken). ENet is one implementation, an in-process network for
// tests is another, and a simulated bad network can wrap either.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace online {

// How a line between two machines runs: over the local network, straight
// through the routers on the way, or through the meeting server's relay.
enum class linekind : uint8_t { unknown = 0, lan = 1, direct = 2, relay = 3 };
const char* linename(linekind k);  // "lan", "direct", "relay" or "unknown"

struct netevent {
  enum kind { connected, disconnected, received } what = received;
  int peer = 0;
  std::vector<uint8_t> data;  // received only; reused from event to event
};

class transport {
 public:
  virtual ~transport() = default;
  // Lets the transport move its packets; `nowms` is the caller's millisecond
  // clock. Call once per frame before receiving.
  virtual void service(uint32_t nowms) = 0;
  // The next event that arrived, or false when there is none.
  virtual bool receive(netevent& out) = 0;
  virtual void send(int peer, const uint8_t* data, size_t size, bool reliable) = 0;
  // Hangs up; the peer sees a disconnection. Its later packets are dropped.
  virtual void disconnect(int peer) = 0;
  // The round trip to the peer in milliseconds, or -1 when not known yet.
  virtual int roundtrip(int peer) const = 0;
  // Where a peer is seen from here (an IPv4 address and a port, or any two
  // numbers the transport understands), and dialling such a place: the
  // joiners of a match reach each other this way. dial() gives the new
  // peer's number (its `connected` event follows) or -1.
  virtual bool whereis(int peer, uint32_t& address, uint16_t& port) const = 0;
  virtual int dial(uint32_t address, uint16_t port) = 0;
  // How the line to a peer runs; lines inside one process are local.
  virtual linekind route(int) const { return linekind::lan; }
};

}  // namespace online
