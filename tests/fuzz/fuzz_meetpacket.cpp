// Datagrams from anywhere to the meeting server or to a game. The whole
// input is one datagram for the decoder: whatever it accepts must encode back
// to the same bytes, and nothing may be longer than a request. Then the input
// is read as a series of datagrams, each a length byte, a byte choosing the
// sender and the port, and the bytes, played into a server: it must never
// answer with more than it got, nor keep more than its limits allow.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "meet/server.h"
#include "online/meetpacket.h"

namespace {

using namespace online;

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "fuzz_meetpacket: %s\n", what);
    std::abort();
  }
}

void roundtrip(const uint8_t* data, size_t size) {
  meetpacket p;
  if (!decodemeet(data, size, p)) return;
  std::vector<uint8_t> again;
  encodemeet(p, again);
  check(again.size() == size && std::equal(again.begin(), again.end(), data), "an accepted datagram has two spellings");
  check(again.size() <= meetrequestsize, "a datagram is longer than a request");
  check(meetrequest(p.type) == (size == meetrequestsize), "a request is not padded, or a reply is");
  if (!p.code.empty()) check(codefromindex(codeindex(p.code)) == p.code, "a code does not survive its number");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  roundtrip(data, size);

  meet::serverlimits limits;
  limits.maxrooms = 4;
  limits.maxpairs = 4;
  limits.rates.slots = 2;
  uint64_t counter = 0;
  // Predictable proofs and tokens (1, 2, 3...), so the fuzzer can find them.
  meet::server server(limits, 31000, 2, [&counter] { return ++counter; });
  const meetaddress senders[4] = {{0x0a000001, 1000}, {0x0a000001, 1001}, {0x0a000002, 1000}, {0x0b000001, 7}};
  std::vector<meet::outgoing> out;
  std::vector<uint8_t> reply;
  uint32_t now = 0;
  for (size_t i = 0; i + 2 <= size;) {
    const size_t n = std::min<size_t>(data[i], size - i - 2);
    const uint8_t how = data[i + 1];
    const uint8_t* bytes = data + i + 2;
    i += 2 + n;
    const meetaddress& from = senders[how & 3];
    now += (how >> 4) * 1000;
    if (how & 8) {
      meetaddress to;
      const uint16_t port = static_cast<uint16_t>(31000 + ((how >> 2) & 1));
      if (server.relays().receive(port, from, bytes, n, now, to, reply) == meet::relayverdict::reply) {
        check(reply.size() <= n, "a relay answered with more than it got");
      }
    } else {
      out.clear();
      server.receive(from, bytes, n, now, out);
      check(out.size() <= 2, "one datagram set off a burst");
      for (const meet::outgoing& o : out) check(o.bytes.size() <= n, "an answer outgrew its request");
    }
    server.expire(now);
    check(server.rooms() <= limits.maxrooms && server.pairs() <= limits.maxpairs, "the server outgrew its limits");
    server.events().clear();
  }
  return 0;
}
