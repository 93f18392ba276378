// The lobby over the in-process network: who may join, what a refused
// joiner is told, and a start that gives every machine the same match.
#include <gtest/gtest.h>

#include "app/networds.h"

#include <memory>

#include "online/lobby.h"
#include "online/memnet.h"
#include "tests/online/toygame.h"

using namespace online;

namespace {

// What the player of a failed joiner reads.
std::string words(const lobbyjoin& j) { return networds(j.failure(), j.hostversion(), "1.1"); }

const lobbyidentity hostid{"1.0", 42, 1};

struct lobbyrig {
  memnetwork net;
  uint32_t now = 0;
  std::unique_ptr<lobbyhost> host;
  std::vector<std::unique_ptr<lobbyjoin>> joiners;

  lobbyrig() {
    net.add();
    host = std::make_unique<lobbyhost>(net.at(0), hostid);
  }
  lobbyjoin& join(const lobbyidentity& id) {
    const int n = net.add().number();
    joiners.push_back(std::make_unique<lobbyjoin>(net.at(n), id, now));
    net.connect(0, n);
    return *joiners.back();
  }
  void frames(int n) {
    for (int i = 0; i < n; i++) {
      now += 16;
      host->service(now);
      for (auto& j : joiners) j->service(now);
    }
  }
};

TEST(Lobby, JoinersMeetAndStartTheSameMatch) {
  lobbyrig r;
  lobbyjoin& a = r.join({"1.0", 42, 2});
  lobbyjoin& b = r.join({"1.0", 42, 1});
  r.frames(5);
  ASSERT_EQ(a.status(), lobbyjoin::inlobby);
  ASSERT_EQ(b.status(), lobbyjoin::inlobby);
  EXPECT_EQ(a.me(), 2);
  EXPECT_EQ(b.me(), 3);
  EXPECT_EQ(r.host->men(), 4);
  ASSERT_EQ(b.roster().size(), 3u);
  EXPECT_EQ(b.roster()[1].players, 2);
  lobbyevent e;
  std::vector<int> joined;
  while (b.pollevent(e)) {
    if (e.what == lobbyevent::joined) joined.push_back(e.machine);
  }
  EXPECT_EQ(joined, (std::vector<int>{1, 2}));

  // Left and Right change how many players a machine brings, within four men.
  a.setplayers(3);
  r.frames(3);
  EXPECT_EQ(r.host->roster()[1].players, 2) << "a fifth man does not fit";
  a.setplayers(1);
  r.frames(3);
  EXPECT_EQ(r.host->roster()[1].players, 1);
  EXPECT_EQ(b.roster()[1].players, 1);
  EXPECT_FALSE(r.host->setplayers(4));
  EXPECT_TRUE(r.host->setplayers(2));

  ASSERT_TRUE(r.host->canstart());
  const lobbystart hs = r.host->start(0xabcdef, {4, 11, 7}, 2, r.now);
  r.frames(2);
  ASSERT_EQ(a.status(), lobbyjoin::started);
  ASSERT_EQ(b.status(), lobbyjoin::started);
  for (const lobbyjoin* j : {&a, &b}) {
    const lobbystart& s = j->start();
    EXPECT_EQ(s.seed, 0xabcdefu);
    EXPECT_EQ(s.settings, (std::vector<uint8_t>{4, 11, 7}));
    EXPECT_EQ(s.setup.delay, 2);
    ASSERT_EQ(s.setup.machines, 3);
    for (int i = 0; i < 3; i++) {
      EXPECT_EQ(s.setup.roster[i].machine, hs.setup.roster[i].machine);
      EXPECT_EQ(s.setup.roster[i].players, hs.setup.roster[i].players);
    }
  }
  EXPECT_EQ(a.start().setup.me, 2);

  // The sessions take the same transports over and play one match.
  toygame games[3];
  std::unique_ptr<session> s[3];
  s[0] = std::make_unique<session>(games[0], r.net.at(0), hs.setup);
  s[0]->link(2, r.host->peerof(2), r.now);
  s[0]->link(3, r.host->peerof(3), r.now);
  s[1] = std::make_unique<session>(games[1], r.net.at(1), a.start().setup);
  s[1]->link(1, a.hostpeer(), r.now);
  s[2] = std::make_unique<session>(games[2], r.net.at(2), b.start().setup);
  s[2]->link(1, b.hostpeer(), r.now);
  for (int t = 0; t < 300; t++) {
    r.now += 16;
    for (int m = 0; m < 3; m++) {
      machineinput in;
      in.players[0].keys = static_cast<uint8_t>((t / (5 + m)) % 16);
      s[m]->tick(in, r.now);
    }
  }
  for (int m = 0; m < 3; m++) {
    EXPECT_GE(s[m]->frame(), 290);
    EXPECT_FALSE(s[m]->isover());
  }
  EXPECT_EQ(s[1]->firstman(2), 2) << "the host's two men come first";
  // Late-comers find the door shut.
  lobbyjoin& late = r.join({"1.0", 42, 1});
  for (int t = 0; t < 3; t++) {
    r.now += 16;
    late.service(r.now);
    for (int m = 0; m < 3; m++) s[m]->tick({}, r.now);
  }
  EXPECT_EQ(words(late), "THE GAME HAS ALREADY STARTED");
}

TEST(Lobby, PlayersChangedBeforeTheWelcomeCount) {
  lobbyrig r;
  lobbyjoin& a = r.join({"1.0", 42, 1});
  // The hello is out; the host has not answered yet.
  a.service(r.now);
  ASSERT_EQ(a.status(), lobbyjoin::waiting);
  a.setplayers(3);
  r.frames(5);
  EXPECT_EQ(r.host->men(), 4);
}

TEST(Lobby, RefusedJoinersAreToldWhy) {
  lobbyrig r;
  ASSERT_TRUE(r.host->setplayers(2));
  lobbyjoin& other = r.join({"1.1", 42, 1});
  lobbyjoin& body = r.join({"1.0", 43, 1});
  lobbyjoin& fits = r.join({"1.0", 42, 2});
  r.frames(5);
  lobbyjoin& full = r.join({"1.0", 42, 1});
  r.frames(5);
  // The versions are named, so the player knows which one to get.
  EXPECT_EQ(networds(other.failure(), other.hostversion(), "1.1"), "THE HOST RUNS GAME VERSION 1.0, THIS IS 1.1");
  EXPECT_EQ(words(body), "THE HOST HAS A DIFFERENT BODY FILE");
  EXPECT_EQ(fits.status(), lobbyjoin::inlobby);
  EXPECT_EQ(words(full), "THE LOBBY IS FULL");
  EXPECT_EQ(r.host->roster().size(), 2u);
  EXPECT_EQ(r.host->men(), 4);

  // A joiner speaking another protocol altogether is told it is another version.
  const int n = r.net.add().number();
  r.net.connect(0, n);
  const uint8_t foreign[] = {(protocolversion + 1) << 4 | 1, 0, 0};
  r.net.at(n).send(0, foreign, sizeof foreign, true);
  r.frames(2);
  netevent e;
  packet p;
  bool told = false;
  while (r.net.at(n).receive(e)) {
    if (e.what == netevent::received && decode(e.data.data(), e.data.size(), p) && p.type == packettype::refuse)
      told = p.reason == refusal::version;
  }
  EXPECT_TRUE(told);
}

TEST(Lobby, SilenceAndDeparturesAreNoticed) {
  lobbyrig r;
  // Dialling a host that never answers.
  const int n = r.net.add().number();
  r.joiners.push_back(std::make_unique<lobbyjoin>(r.net.at(n), lobbyidentity{"1.0", 42, 1}, r.now));
  lobbyjoin& lost = *r.joiners.back();
  lobbyjoin& a = r.join({"1.0", 42, 1});
  lobbyjoin& b = r.join({"1.0", 42, 1});
  r.frames(5);
  ASSERT_EQ(b.status(), lobbyjoin::inlobby);
  a.close();
  r.frames(5);
  EXPECT_EQ(r.host->roster().size(), 2u);
  lobbyevent e;
  bool sawleave = false;
  while (b.pollevent(e)) sawleave = sawleave || (e.what == lobbyevent::left && e.machine == 2);
  EXPECT_TRUE(sawleave);
  r.frames(lobbytimeout / 16 + 2);
  EXPECT_EQ(words(lost), "NO ANSWER FROM THE HOST");
  EXPECT_EQ(b.status(), lobbyjoin::inlobby) << "the roster keeps coming";
  r.host->close();
  r.frames(2);
  EXPECT_EQ(words(b), "THE HOST LEFT");

  // A stranger that connects and never says hello is let go.
  lobbyrig q;
  const int s = q.net.add().number();
  q.net.connect(0, s);
  q.frames(lobbytimeout / 16 + 2);
  netevent ev;
  bool hungup = false;
  while (q.net.at(s).receive(ev)) hungup = hungup || ev.what == netevent::disconnected;
  EXPECT_TRUE(hungup);
}

}  // namespace
