// The meeting server's logic on a clock of our own: rooms live while their
// host refreshes them, nobody is introduced to an address that never proved
// itself, one address cannot run through codes, and a relay carries only its
// pair.
#include <gtest/gtest.h>

#include "meet/server.h"

using namespace online;

namespace {

const meetaddress hostaddr{0x0a000001, 24680}, joineraddr{0x0a000002, 24680}, stranger{0x0a000003, 5000};

struct rig {
  uint64_t counter = 1;
  meet::server server{meet::serverlimits(), 31000, 2, [this] { return counter++ * 0x9e3779b97f4a7c15ull; }};
  uint32_t now = 1000;
  std::vector<meet::outgoing> out;

  // Sends `p` from `from`; the replies, decoded, in order.
  std::vector<meetpacket> send(const meetaddress& from, meetpacket p) {
    std::vector<uint8_t> bytes;
    encodemeet(p, bytes);
    out.clear();
    server.receive(from, bytes.data(), bytes.size(), now, out);
    std::vector<meetpacket> got;
    for (const auto& o : out) {
      EXPECT_LE(o.bytes.size(), bytes.size()) << "an answer outgrew its request";
      got.emplace_back();
      EXPECT_TRUE(decodemeet(o.bytes.data(), o.bytes.size(), got.back()));
    }
    return got;
  }
  meetpacket registerhost(uint64_t proof = 0, const std::string& code = "") {
    meetpacket p;
    p.type = meettype::hostregister;
    p.key = 77;
    p.code = code;
    p.token = proof;
    auto got = send(hostaddr, p);
    EXPECT_EQ(got.size(), 1u);
    return got.empty() ? meetpacket() : got[0];
  }
  std::vector<meetpacket> lookup(const std::string& code, const meetaddress& from = joineraddr) {
    meetpacket p;
    p.type = meettype::lookup;
    p.code = code;
    return send(from, p);
  }
  void pass(uint32_t ms) {
    for (uint32_t t = 0; t < ms; t += 1000) {
      now += 1000;
      server.expire(now);
    }
  }
};

bool iserror(const std::vector<meetpacket>& got, meeterror reason) {
  return got.size() == 1 && got[0].type == meettype::error && got[0].reason == reason;
}

}  // namespace

TEST(MeetServer, RoomLivesWhileRefreshedAndIntroducesBothSides) {
  rig r;
  const meetpacket first = r.registerhost();
  ASSERT_EQ(first.type, meettype::registered);
  EXPECT_EQ(first.address, hostaddr);
  // Until the host's address gives the proof back, nobody meets it.
  EXPECT_TRUE(iserror(r.lookup(first.code), meeterror::unknowncode));
  EXPECT_EQ(r.registerhost(first.token).code, first.code);

  std::vector<meetpacket> intro = r.lookup(first.code);
  ASSERT_EQ(intro.size(), 2u);
  EXPECT_EQ(r.out[0].to, joineraddr);
  EXPECT_EQ(intro[0].role, meetrole::joiner);
  EXPECT_EQ(intro[0].address, hostaddr);
  EXPECT_EQ(r.out[1].to, hostaddr);
  EXPECT_EQ(intro[1].role, meetrole::host);
  EXPECT_EQ(intro[1].address, joineraddr);
  EXPECT_EQ(intro[0].token, intro[1].token);

  for (int i = 0; i < 4; i++) {
    r.pass(meetrefreshms);
    r.registerhost(first.token);
  }
  EXPECT_EQ(r.lookup(first.code).size(), 2u) << "a refreshed room expired";
  r.pass(roomlifetimems);
  EXPECT_TRUE(iserror(r.lookup(first.code), meeterror::unknowncode)) << "a silent room lived on";

  // A restarted server hands the host its old code back.
  rig restarted;
  EXPECT_EQ(restarted.registerhost(0, first.code).code, first.code);
}

TEST(MeetServer, OneAddressCannotRunThroughCodes) {
  rig r;
  int refused = 0;
  std::string code = "222222";
  for (int i = 0; i < 30; i++) {
    code[5] = codealphabet[i];
    refused += iserror(r.lookup(code), meeterror::ratelimited);
  }
  EXPECT_EQ(refused, 20) << "ten lookups at once, then none";
  EXPECT_TRUE(iserror(r.lookup(code, stranger), meeterror::unknowncode)) << "another address is not limited";
  r.now += 3000;
  EXPECT_TRUE(iserror(r.lookup(code), meeterror::unknowncode)) << "the limit never lifts";
  EXPECT_TRUE(iserror(r.lookup(code), meeterror::ratelimited));
  // Past its burst of any requests an address hears nothing at all.
  for (int i = 0; i < 60; i++) r.lookup(code);
  EXPECT_TRUE(r.lookup(code).empty());
}

TEST(MeetServer, RelayCarriesOnlyItsPair) {
  rig r;
  r.registerhost(r.registerhost().token);
  const std::vector<meetpacket> intro = r.lookup(r.registerhost().code);
  ASSERT_EQ(intro.size(), 2u);
  const uint64_t token = intro[0].token;

  meetpacket ask;
  ask.type = meettype::relayrequest;
  ask.token = token;
  EXPECT_TRUE(iserror(r.send(stranger, ask), meeterror::unknownpair)) << "a stranger got a relay";
  const std::vector<meetpacket> grant = r.send(joineraddr, ask);
  ASSERT_EQ(grant.size(), 1u);
  ASSERT_EQ(grant[0].type, meettype::relaygrant);
  const uint16_t port = grant[0].port;
  EXPECT_EQ(r.send(hostaddr, ask)[0].port, port) << "the pair's sides got different relays";

  meet::relaytable& relay = r.server.relays();
  std::vector<uint8_t> reply;
  meetaddress to;
  auto bind = [&](const meetaddress& from, meetrole role, uint64_t t) {
    meetpacket b;
    b.type = meettype::relaybind;
    b.token = t;
    b.role = role;
    std::vector<uint8_t> bytes;
    encodemeet(b, bytes);
    return relay.receive(port, from, bytes.data(), bytes.size(), r.now, to, reply);
  };
  const meetaddress hostrelayside{hostaddr.ip, 40000};  // a symmetric router's other port
  EXPECT_EQ(bind(stranger, meetrole::host, token), meet::relayverdict::drop) << "bound from a foreign address";
  EXPECT_EQ(bind(hostrelayside, meetrole::host, token + 1), meet::relayverdict::drop) << "bound without the token";
  EXPECT_EQ(bind(hostrelayside, meetrole::joiner, token), meet::relayverdict::drop) << "bound the other side's role";
  EXPECT_EQ(bind(hostrelayside, meetrole::host, token), meet::relayverdict::reply);

  const uint8_t game[100] = {1, 2, 3};
  EXPECT_EQ(relay.receive(port, hostrelayside, game, sizeof game, r.now, to, reply), meet::relayverdict::drop)
      << "forwarded before the other side bound";
  EXPECT_EQ(bind(joineraddr, meetrole::joiner, token), meet::relayverdict::reply);
  ASSERT_EQ(relay.receive(port, hostrelayside, game, sizeof game, r.now, to, reply), meet::relayverdict::forward);
  EXPECT_EQ(to, joineraddr);
  ASSERT_EQ(relay.receive(port, joineraddr, game, sizeof game, r.now, to, reply), meet::relayverdict::forward);
  EXPECT_EQ(to, hostrelayside);
  EXPECT_EQ(relay.receive(port, stranger, game, sizeof game, r.now, to, reply), meet::relayverdict::drop)
      << "an open proxy";

  // The pair's cap: its burst goes through, then it waits for the refill.
  int forwarded = 0;
  for (int i = 0; i < 2000; i++) {
    forwarded += relay.receive(port, joineraddr, game, sizeof game, r.now, to, reply) == meet::relayverdict::forward;
  }
  EXPECT_LT(forwarded, 600);
  r.now += 100;
  EXPECT_EQ(relay.receive(port, joineraddr, game, sizeof game, r.now, to, reply), meet::relayverdict::forward);

  r.pass(30000);
  EXPECT_EQ(relay.inuse(), 0) << "an idle relay kept its port";
}
