// ENet on this machine's loopback: packets both ways, a hang-up seen by the
// other side, and a lobby and a short match between two transports.
#include <gtest/gtest.h>

#include "app/networds.h"
#include <unistd.h>

#include <chrono>
#include <functional>
#include <memory>

#include "online/address.h"
#include "online/enet_transport.h"
#include "online/lobby.h"
#include "tests/online/toygame.h"

using namespace online;

namespace {

uint32_t now() {
  using namespace std::chrono;
  return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// Services until `done` or a bounded number of rounds; loopback needs a few.
bool until(const std::function<bool()>& done, const std::function<void()>& round) {
  for (int i = 0; i < 2000; i++) {
    round();
    if (done()) return true;
    usleep(1000);
  }
  return false;
}

struct pair {
  std::unique_ptr<enettransport> host, joiner;
  pair() {
    std::string why;
    host = enettransport::listen(0, &why, "127.0.0.1");
    EXPECT_TRUE(host) << why;
    if (host) joiner = enettransport::join("127.0.0.1", host->port(), &why, "127.0.0.1");
    EXPECT_TRUE(joiner) << why;
  }
};

TEST(Enet, PacketsTravelBothWaysAndAHangUpIsSeen) {
  pair p;
  ASSERT_TRUE(p.host && p.joiner);
  netevent e;
  int hostpeer = -1, joinerpeer = -1;
  ASSERT_TRUE(until([&] { return hostpeer >= 0 && joinerpeer >= 0; },
                    [&] {
                      p.host->service(now());
                      p.joiner->service(now());
                      while (p.host->receive(e)) {
                        if (e.what == netevent::connected) joinerpeer = e.peer;
                      }
                      while (p.joiner->receive(e)) {
                        if (e.what == netevent::connected) hostpeer = e.peer;
                      }
                    }));
  EXPECT_GE(p.joiner->roundtrip(hostpeer), 0);
  const uint8_t one[] = {1, 2, 3};
  const uint8_t two[] = {9};
  p.joiner->send(hostpeer, one, sizeof one, true);
  p.joiner->send(hostpeer, two, sizeof two, false);
  std::vector<std::vector<uint8_t>> got;
  ASSERT_TRUE(until([&] { return got.size() == 2; },
                    [&] {
                      p.joiner->service(now());
                      p.host->service(now());
                      while (p.host->receive(e)) {
                        if (e.what == netevent::received) got.push_back(e.data);
                      }
                    }));
  std::sort(got.begin(), got.end());
  EXPECT_EQ(got[0], (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(got[1], (std::vector<uint8_t>{9}));

  p.host->disconnect(joinerpeer);
  bool gone = false;
  ASSERT_TRUE(until([&] { return gone; },
                    [&] {
                      p.host->service(now());
                      p.joiner->service(now());
                      while (p.joiner->receive(e)) gone = gone || e.what == netevent::disconnected;
                    }));
}

TEST(Enet, ADifferentVersionIsRefusedOverTheWire) {
  pair p;
  ASSERT_TRUE(p.host && p.joiner);
  lobbyhost host(*p.host, {"1.0", 42, 1});
  lobbyjoin joiner(*p.joiner, {"0.9", 42, 1}, now());
  ASSERT_TRUE(until([&] { return joiner.status() == lobbyjoin::failed; },
                    [&] {
                      host.service(now());
                      joiner.service(now());
                    }));
  EXPECT_EQ(networds(joiner.failure(), joiner.hostversion(), "0.9"), "THE HOST RUNS GAME VERSION 1.0, THIS IS 0.9");
  EXPECT_EQ(host.roster().size(), 1u);
}

TEST(Enet, TwoMachinesPlayTheSameMatch) {
  pair p;
  ASSERT_TRUE(p.host && p.joiner);
  lobbyhost host(*p.host, {"1.0", 42, 1});
  lobbyjoin joiner(*p.joiner, {"1.0", 42, 2}, now());
  ASSERT_TRUE(until([&] { return host.canstart(); },
                    [&] {
                      host.service(now());
                      joiner.service(now());
                    }));
  const lobbystart hs = host.start(77, {1, 2}, 2, now());
  ASSERT_TRUE(until([&] { return joiner.status() == lobbyjoin::started; }, [&] { joiner.service(now()); }));
  EXPECT_EQ(joiner.start().seed, 77u);
  sessionsetup hsetup = hs.setup, jsetup = joiner.start().setup;
  toygame hg, jg;
  session hsession(hg, *p.host, hsetup);
  session jsession(jg, *p.joiner, jsetup);
  hsession.link(2, host.peerof(2), now());
  jsession.link(1, joiner.hostpeer(), now());
  std::vector<uint64_t> hchecks, jchecks;
  sessionevent e;
  int t = 0;
  ASSERT_TRUE(until([&] { return hchecks.size() >= 3 && jchecks.size() >= 3; },
                    [&] {
                      machineinput a, b;
                      a.players[0].keys = static_cast<uint8_t>((t / 7) % 16);
                      b.players[1].keys = static_cast<uint8_t>((t / 5) % 16);
                      t++;
                      hsession.tick(a, now());
                      jsession.tick(b, now());
                      while (hsession.pollevent(e)) {
                        if (e.what == sessionevent::check) hchecks.push_back(e.checksum);
                      }
                      while (jsession.pollevent(e)) {
                        if (e.what == sessionevent::check) jchecks.push_back(e.checksum);
                      }
                    }));
  hchecks.resize(3);
  jchecks.resize(3);
  EXPECT_EQ(hchecks, jchecks);
  EXPECT_FALSE(hsession.isover());
  EXPECT_FALSE(jsession.isover());
}

TEST(Enet, JoinersReachEachOtherDirectly) {
  std::string why;
  auto hostnet = enettransport::listen(0, &why, "127.0.0.1");
  ASSERT_TRUE(hostnet) << why;
  auto anet = enettransport::join("127.0.0.1", hostnet->port(), &why, "127.0.0.1");
  auto bnet = enettransport::join("127.0.0.1", hostnet->port(), &why, "127.0.0.1");
  ASSERT_TRUE(anet && bnet) << why;
  lobbyhost host(*hostnet, {"1.0", 42, 1});
  lobbyjoin a(*anet, {"1.0", 42, 1}, now());
  lobbyjoin b(*bnet, {"1.0", 42, 1}, now());
  ASSERT_TRUE(until([&] { return host.men() == 3; },
                    [&] {
                      host.service(now());
                      a.service(now());
                      b.service(now());
                    }));
  const lobbystart hs = host.start(5, {}, 2, now());
  ASSERT_TRUE(until([&] { return a.status() == lobbyjoin::started && b.status() == lobbyjoin::started; },
                    [&] {
                      a.service(now());
                      b.service(now());
                    }));
  toygame games[3];
  session hsession(games[0], *hostnet, hs.setup);
  session asession(games[1], *anet, a.start().setup);
  session bsession(games[2], *bnet, b.start().setup);
  hsession.link(2, host.peerof(2), now());
  hsession.link(3, host.peerof(3), now());
  asession.link(1, a.hostpeer(), now());
  bsession.link(1, b.hostpeer(), now());
  session* all[3] = {&hsession, &asession, &bsession};
  int t = 0;
  ASSERT_TRUE(until([&] { return asession.direct(3) && bsession.direct(2) && t > 130; },
                    [&] {
                      for (int m = 0; m < 3; m++) {
                        machineinput in;
                        in.players[0].keys = static_cast<uint8_t>((t / (4 + m)) % 16);
                        all[m]->tick(in, now());
                      }
                      t++;
                    }));
  std::vector<uint64_t> sums[3];
  sessionevent e;
  for (int m = 0; m < 3; m++) {
    EXPECT_FALSE(all[m]->isover());
    while (all[m]->pollevent(e)) {
      if (e.what == sessionevent::check) sums[m].push_back(e.checksum);
    }
    ASSERT_FALSE(sums[m].empty()) << "machine " << m + 1 << " confirmed no sixtieth frame";
    sums[m].resize(1);
  }
  EXPECT_EQ(sums[0], sums[1]);
  EXPECT_EQ(sums[0], sums[2]);
}

TEST(Address, TypedAddressesAreReadStrictly) {
  std::string host;
  uint16_t port = 0;
  std::string why;
  ASSERT_TRUE(parseaddress("127.0.0.1", host, port, &why));
  EXPECT_EQ(host, "127.0.0.1");
  EXPECT_EQ(port, defaultport);
  ASSERT_TRUE(parseaddress("game-box.lan:30000", host, port, &why));
  EXPECT_EQ(host, "game-box.lan");
  EXPECT_EQ(port, 30000);
  for (const char* bad : {"", ":5", "host:", "host:0", "host:65536", "host:12a", "ho st", "host:99999999999"}) {
    EXPECT_FALSE(parseaddress(bad, host, port, &why)) << bad;
  }
}

}  // namespace
