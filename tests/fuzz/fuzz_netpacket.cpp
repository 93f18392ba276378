// Packets from anywhere. The first byte picks who receives them (a host's
// session, a joiner's session, a host's lobby, a joiner's lobby) and whether
// they come from the machine it talks to or from a stranger dialling in; the
// rest is a series of packets, each a length byte and that many bytes. Every
// packet the decoder accepts must encode back to bytes it reads the same.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "online/lobby.h"
#include "online/memnet.h"
#include "online/packet.h"
#include "online/session.h"
#include "tests/online/toygame.h"

namespace {

using namespace online;

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "fuzz_netpacket: %s\n", what);
    std::abort();
  }
}

void roundtrip(const uint8_t* data, size_t size) {
  packet p;
  if (!decode(data, size, p)) return;
  std::vector<uint8_t> once, twice;
  encode(p, once);
  packet again;
  check(decode(once.data(), once.size(), again), "an accepted packet encodes to bytes it refuses");
  encode(again, twice);
  check(once == twice, "an accepted packet does not read back the same");
  check(once.size() <= size, "re-encoding made a packet longer");
  if (p.type == packettype::input) {
    for (int i = 0; i < p.blockcount; i++) {
      for (int k = 0; k < p.blocks[i].count; k++) {
        for (const PlayerInput& in : p.blocks[i].frames[k].players) check(validplayerinput(in), "a bad input passed");
      }
    }
  }
}

sessionsetup threemachines(int me) {
  sessionsetup s;
  s.me = me;
  s.machines = 3;
  for (int j = 2; j <= 3; j++) s.keys[j] = j == me ? 0 : pairkey(7, me, j);
  s.roster[0] = {1, 1, 0};
  s.roster[1] = {2, 2, 0};
  s.roster[2] = {3, 1, 0};
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const int target = data[0] & 3;
  const int sender = (data[0] & 4) ? 2 : 1;
  std::vector<std::vector<uint8_t>> packets;
  for (size_t i = 1; i < size && packets.size() < 64;) {
    const size_t n = data[i++];
    const size_t take = n < size - i ? n : size - i;
    packets.emplace_back(data + i, data + i + take);
    i += take;
  }
  for (const auto& p : packets) roundtrip(p.data(), p.size());

  // The victim is endpoint 0; the packets come from endpoint 1.
  memnetwork net;
  net.add();
  net.add();
  net.add();
  net.connect(0, 1);
  net.connect(0, 2);
  toygame game;
  std::unique_ptr<session> s;
  std::unique_ptr<lobbyhost> host;
  std::unique_ptr<lobbyjoin> join;
  const lobbyidentity me{"1.0", 42, 1};
  if (target == 0) {
    s = std::make_unique<session>(game, net.at(0), threemachines(1));
    s->link(2, 1, 0);
    s->link(3, 2, 0);
  } else if (target == 1) {
    // Joiner 3: the host on endpoint 1, and joiner 2 may dial in from endpoint 2.
    s = std::make_unique<session>(game, net.at(0), threemachines(3));
    s->link(1, 1, 0);
  } else if (target == 2) {
    host = std::make_unique<lobbyhost>(net.at(0), me);
  } else {
    join = std::make_unique<lobbyjoin>(net.at(0), me, 0);
  }
  uint32_t now = 0;
  size_t next = 0;
  for (int tick = 0; tick < 12; tick++) {
    // A few packets a frame, so some land mid-match.
    for (int k = 0; k < 8 && next < packets.size(); k++, next++) {
      net.at(sender).send(0, packets[next].data(), packets[next].size(), false);
    }
    now += 16;
    if (s) {
      machineinput in;
      in.players[0].keys = static_cast<uint8_t>(tick & inputdirections);
      s->tick(in, now);
      check(s->frame() <= tick + 1, "the session played frames it had no time for");
      sessionevent e;
      while (s->pollevent(e)) {
      }
    }
    if (host) {
      host->service(now);
      check(host->men() <= maxmen, "the lobby took too many men");
      lobbyevent e;
      while (host->pollevent(e)) {
      }
    }
    if (join) {
      join->service(now);
      if (join->status() == lobbyjoin::started) {
        const sessionsetup& st = join->start().setup;
        check(st.machines >= 2 && st.machines <= maxmachines, "a start with a wrong roster");
      }
    }
  }
  return 0;
}
