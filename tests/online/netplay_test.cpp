// Three machines over loopback ENet, each behind a simulated bad network: a
// lobby, two matches of a series with the same `net check` lines on every
// machine, and a joiner leaving in the second.
#include <gtest/gtest.h>
#include <unistd.h>

#include <map>
#include <memory>

#include "online/memnet.h"
#include "online/netplay.h"
#include "platform/random.h"
#include "tests/online/toygame.h"

using namespace online;

namespace {

struct machine {
  std::unique_ptr<netplay> net;
  std::unique_ptr<toygame> game;
  std::vector<std::string> lines;
  bool playing = false;
  int ticks = 0;

  void collect() {
    netnews n;
    while (net->pollnews(n)) {
      switch (n.what) {
        case netnews::joined:
          lines.push_back("net peer join " + std::to_string(n.machine));
          break;
        case netnews::left:
          lines.push_back("net peer leave " + std::to_string(n.machine));
          break;
        case netnews::start:
          lines.push_back("net start " + std::to_string(n.men));
          break;
        case netnews::check:
          lines.push_back("net check " + std::to_string(n.frame) + " " + std::to_string(n.checksum));
          break;
        case netnews::desync:
          lines.push_back("net desync " + std::to_string(n.frame));
          break;
        case netnews::gotcode:
          lines.push_back("net code " + n.code);
          break;
        case netnews::lineup:
          lines.push_back("net route " + std::to_string(n.machine) + " " + linename(n.route));
          break;
      }
    }
  }
  bool has(const std::string& l) const { return std::find(lines.begin(), lines.end(), l) != lines.end(); }
  bool hasprefix(const std::string& p) const {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(p, 0) == 0; });
  }
};

class Netplay : public ::testing::Test {
 protected:
  // A round is a frame on every machine; the clock the sessions and the
  // simulated network read moves a frame's worth each round.
  void round() {
    now_ += 16;
    for (machine& m : m_) {
      if (!m.net) continue;
      if (!m.net->started()) {
        m.net->servicelobby(now_);
      } else {
        machineinput in;
        in.players[0].keys = static_cast<uint8_t>((m.ticks++ / 9) % 16);
        m.net->tick(in, now_, m.playing);
      }
      m.collect();
    }
    usleep(500);
  }
  bool until(const std::function<bool()>& done, int rounds = 4000) {
    for (int i = 0; i < rounds; i++) {
      if (done()) return true;
      round();
    }
    return done();
  }
  void beginall() {
    for (machine& m : m_) {
      if (!m.net) continue;
      m.game = std::make_unique<toygame>();
      m.net->beginmatch(*m.game, now_);
      m.playing = true;
      m.collect();
    }
  }
  // The check lines from `from` on, as one machine printed them.
  static std::vector<std::string> checks(const machine& m, size_t from) {
    std::vector<std::string> out;
    for (size_t i = from; i < m.lines.size(); i++) {
      if (m.lines[i].rfind("net check ", 0) == 0) out.push_back(m.lines[i]);
    }
    return out;
  }

  uint32_t now_ = 0;
  machine m_[3];
};

TEST_F(Netplay, ASeriesOverABadNetworkPlaysAlikeEverywhere) {
  netplayoptions o;
  o.simulate = true;
  o.conditions = {10, 80, 40};
  o.only = "127.0.0.1";
  o.identity = {"1.0", 42, 1};
  o.host = true;
  std::string why;
  m_[0].net = netplay::open(o, now_, &why);
  ASSERT_TRUE(m_[0].net) << why;
  o.host = false;
  // The host listens on a port of the system's choosing.
  o.address = "127.0.0.1:" + std::to_string(m_[0].net->port());
  o.identity.players = 2;
  m_[1].net = netplay::open(o, now_, &why);
  o.identity.players = 1;
  m_[2].net = netplay::open(o, now_, &why);
  ASSERT_TRUE(m_[1].net && m_[2].net) << why;

  ASSERT_TRUE(until([&] { return m_[0].net->roster().size() == 3; }));
  ASSERT_TRUE(until([&] { return m_[2].net->roster().size() == 3; }));
  EXPECT_TRUE(m_[0].has("net peer join 2"));
  EXPECT_TRUE(m_[0].has("net peer join 3"));
  EXPECT_TRUE(m_[2].has("net peer join 1"));
  ASSERT_TRUE(m_[0].net->canstart());
  m_[0].net->startseries(0x5eed, {3, 1}, now_);
  ASSERT_TRUE(until([&] { return m_[1].net->started() && m_[2].net->started(); }));
  EXPECT_EQ(m_[2].net->start().seed, 0x5eedu);

  // First match: to frame 240 everywhere.
  beginall();
  for (machine& m : m_) EXPECT_TRUE(m.has("net start 4"));
  ASSERT_TRUE(until([&] {
    return std::all_of(std::begin(m_), std::end(m_), [](const machine& m) { return m.has(checks(m, 0).size() >= 4 ? checks(m, 0)[3] : "-"); });
  }));
  std::vector<std::string> first = checks(m_[0], 0);
  first.resize(4);
  for (machine& m : m_) {
    std::vector<std::string> c = checks(m, 0);
    c.resize(4);
    EXPECT_EQ(c, first);
    EXPECT_EQ(first[3].rfind("net check 240 ", 0), 0u);
    EXPECT_EQ(m.net->failure(), reason::none);
  }

  // The end screens: nobody plays for a while, nobody is dropped.
  for (machine& m : m_) m.playing = false;
  for (int i = 0; i < 100; i++) round();
  size_t mark[3];
  for (int i = 0; i < 3; i++) mark[i] = m_[i].lines.size();

  // Second match: machine 3 leaves after its second check.
  beginall();
  ASSERT_TRUE(until([&] { return checks(m_[2], mark[2]).size() >= 2; }));
  m_[2].net->close();
  m_[2].net.reset();
  ASSERT_TRUE(until([&] { return m_[0].has("net peer leave 3") && m_[1].has("net peer leave 3"); }));
  ASSERT_TRUE(until([&] { return checks(m_[1], mark[1]).size() >= 6 && checks(m_[0], mark[0]).size() >= 6; }));
  std::vector<std::string> a = checks(m_[0], mark[0]), b = checks(m_[1], mark[1]);
  a.resize(6);
  b.resize(6);
  EXPECT_EQ(a, b);
  EXPECT_EQ(m_[1].net->failure(), reason::none);

  // The host leaving ends the series for the rest.
  m_[0].net->close();
  m_[0].net.reset();
  ASSERT_TRUE(until([&] { return m_[1].net->failure() != reason::none; }));
  EXPECT_EQ(m_[1].net->failure(), reason::hostleft);
}

}  // namespace

// Keys anyone could guess are no keys: without the system's random bytes a
// machine refuses to host rather than open a lobby.
TEST(NetplayKeys, NoRandomBytesNoHosting) {
  plat::EntropyReader before = plat::SetEntropyReader([](void*, size_t) -> long { return -1; });
  netplayoptions o;
  o.host = true;
  o.only = "127.0.0.1";
  std::string why;
  EXPECT_FALSE(netplay::open(o, 0, &why));
  EXPECT_NE(why.find("RANDOM"), std::string::npos) << why;
  memnetwork wire;
  netplay p(wire.add(), o, 0);
  EXPECT_FALSE(p.ishost());
  EXPECT_EQ(p.failure(), reason::norandom);
  plat::SetEntropyReader(before);
}
