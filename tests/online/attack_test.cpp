// A hostile machine speaking the game's own protocol over ENet on 127.0.0.1
// against a real host and honest joiners. The hostile one is a real game
// whose outgoing packets a tap rewrites, or bare connections the test makes;
// the clock is the test's, a frame a round, so every attack is bounded in
// rounds and packets.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "online/enet_transport.h"
#include "online/netplay.h"
#include "tests/online/toygame.h"

using namespace online;

namespace {

// A transport whose outgoing packets to a peer pass through `rewrite`
// (false drops one).
class tap : public transport {
 public:
  explicit tap(std::unique_ptr<enettransport> t) : t_(std::move(t)) {}
  std::function<bool(int, packet&)> rewrite;

  void service(uint32_t nowms) override { t_->service(nowms); }
  bool receive(netevent& out) override { return t_->receive(out); }
  void send(int peer, const uint8_t* data, size_t size, bool reliable) override {
    packet p;
    if (rewrite && decode(data, size, p)) {
      if (!rewrite(peer, p)) return;
      std::vector<uint8_t> bytes;
      encode(p, bytes);
      t_->send(peer, bytes.data(), bytes.size(), reliable);
      return;
    }
    t_->send(peer, data, size, reliable);
  }
  void disconnect(int peer) override { t_->disconnect(peer); }
  int roundtrip(int peer) const override { return t_->roundtrip(peer); }
  bool whereis(int peer, uint32_t& a, uint16_t& p) const override { return t_->whereis(peer, a, p); }
  int dial(uint32_t a, uint16_t p) override { return t_->dial(a, p); }

 private:
  std::unique_ptr<enettransport> t_;
};

struct machine {
  std::unique_ptr<tap> wire;  // the hostile one's
  std::unique_ptr<netplay> net;
  toygame game;
  std::vector<netnews> news;
  bool begun = false;
  bool held = false;  // not ticked for now
  bool late = false;  // in the series, but its match not begun
  int ticks = 0;

  bool left(int m) const {
    for (const netnews& n : news) {
      if (n.what == netnews::left && n.machine == m) return true;
    }
    return false;
  }
  std::vector<uint64_t> checks() const {
    std::vector<uint64_t> out;
    for (const netnews& n : news) {
      if (n.what == netnews::check) out.push_back(n.checksum);
    }
    return out;
  }
};

class Attack : public ::testing::Test {
 protected:
  // CTest runs each test in a process of its own, side by side: every test
  // takes ports of its own by its place in the suite.
  static uint16_t port() {
    static uint16_t next = 0;
    if (next == 0) {
      const auto* suite = ::testing::UnitTest::GetInstance()->current_test_suite();
      const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
      int place = 0;
      for (int i = 0; i < suite->total_test_count(); i++)
        if (name == suite->GetTestInfo(i)->name()) place = i;
      next = static_cast<uint16_t>(30400 + 8 * place);
    }
    return next++;
  }

  netplayoptions options(bool host) {
    netplayoptions o;
    o.host = host;
    o.port = port_;
    o.address = "127.0.0.1:" + std::to_string(port_);
    o.only = "127.0.0.1";
    o.identity = {"1.0", 42, 1};
    return o;
  }
  // The host, then `joiners` joiners; `hostile` (a machine number) is the
  // one whose packets pass through a tap.
  void open(int joiners, int hostile = 0) {
    port_ = port();
    std::string why;
    m_.resize(static_cast<size_t>(joiners) + 1);
    m_[0].net = netplay::open(options(true), now_, &why);
    ASSERT_TRUE(m_[0].net) << why;
    for (int j = 1; j <= joiners; j++) {
      if (j + 1 == hostile) {
        auto t = enettransport::join("127.0.0.1", port_, &why, "127.0.0.1");
        ASSERT_TRUE(t) << why;
        m_[j].wire = std::make_unique<tap>(std::move(t));
        m_[j].net = std::make_unique<netplay>(*m_[j].wire, options(false), now_);
      } else {
        m_[j].net = netplay::open(options(false), now_, &why);
        ASSERT_TRUE(m_[j].net) << why;
      }
      // Joiners come one after the other, so machine numbers are known.
      ASSERT_TRUE(until([&] { return m_[0].net->roster().size() == static_cast<size_t>(j) + 1; }));
    }
  }
  void startall() {
    m_[0].net->startseries(0x5eed, {3, 1}, now_);
    ASSERT_TRUE(until([&] {
      return std::all_of(m_.begin(), m_.end(), [](const machine& m) { return m.net->started(); });
    }));
    for (machine& m : m_) {
      if (!m.late) begin(m);
    }
  }
  void begin(machine& m) {
    m.net->beginmatch(m.game, now_);
    m.begun = true;
  }
  void round() {
    now_ += 16;
    for (machine& m : m_) {
      if (!m.net || m.held) continue;
      if (!m.begun) {
        m.net->servicelobby(now_);
      } else {
        machineinput in;
        in.players[0].keys = static_cast<uint8_t>((m.ticks++ / 9) % 16);
        m.net->tick(in, now_);
      }
      netnews n;
      while (m.net->pollnews(n)) m.news.push_back(n);
    }
    if (extra) extra();
    usleep(300);
  }
  bool until(const std::function<bool()>& done, int rounds = 1200) {
    for (int i = 0; i < rounds && !done(); i++) round();
    return done();
  }
  int32_t frame(int m) { return m_[static_cast<size_t>(m) - 1].net->match()->frame(); }
  machine& at(int m) { return m_[static_cast<size_t>(m) - 1]; }
  // The honest machines play on together past `frames`, none of them out.
  void expecthonestplayon(std::vector<int> honest, int32_t frames) {
    EXPECT_TRUE(until([&] {
      return std::all_of(honest.begin(), honest.end(), [&](int m) { return frame(m) >= frames; });
    }, 3000));
    for (int m : honest) {
      EXPECT_EQ(at(m).net->failure(), reason::none) << "machine " << m;
      const std::vector<uint64_t> a = at(1).checks(), b = at(m).checks();
      const size_t common = std::min(a.size(), b.size());
      EXPECT_GE(common, 2u);
      EXPECT_EQ(std::vector<uint64_t>(a.begin(), a.begin() + common),
                std::vector<uint64_t>(b.begin(), b.begin() + common)) << "machine " << m;
    }
  }

  uint32_t now_ = 0;
  uint16_t port_ = 0;
  std::vector<machine> m_;
  std::function<void()> extra;  // the test's own work each round
};

// Packets that bring no new inputs (none at all, another match's, or a
// drip of them every half second) hold the match up; past the silence
// timeout the machine is dropped, and the wait is shown meanwhile. The
// honest joiner, starved by the same machine, is not blamed for it.
TEST_F(Attack, AMachineThatHoldsTheMatchUpIsDroppedLikeASilentOne) {
  const char* kinds[] = {"packets without inputs", "another match's packets", "a packet every half second",
                         "a frame every half second", "a packet every half second to the host only"};
  for (int kind = 0; kind < 5; kind++) {
    SCOPED_TRACE(kinds[kind]);
    m_.clear();
    now_ = 0;
    open(2, 3);
    ASSERT_FALSE(HasFatalFailure());
    startall();
    ASSERT_TRUE(until([&] { return frame(1) >= 120 && frame(3) >= 120; }));
    // Each line its own drip, the two out of step.
    std::map<int, uint32_t> lastdrip;
    const int host = at(3).net->match()->peerof(1);
    at(3).wire->rewrite = [&](int peer, packet& p) {
      if (p.type != packettype::input || (kind == 4 && peer != host)) return true;
      if (kind == 0) p.blockcount = 0;
      if (kind == 1) p.epoch++;
      if (kind >= 2) {
        if (!lastdrip.count(peer)) lastdrip[peer] = now_ - 250 * static_cast<uint32_t>(lastdrip.size());
        if (now_ - lastdrip[peer] < 500) return false;
        lastdrip[peer] = now_;
        for (int i = 0; kind == 3 && i < p.blockcount; i++) p.blocks[i].count = 1;
      }
      return true;
    };
    bool shown = false;
    const int32_t from = frame(1);
    int rounds = 0;
    ASSERT_TRUE(until([&] {
      uint32_t held, left;
      int m;
      if (at(1).net->match()->waiting(held, m, left) && held > 400) shown = shown || (m == 3 && left < 5000);
      rounds++;
      return at(1).left(3) && at(2).left(3);
    }, 60 * 30)) << frame(1) - from << " frames in " << rounds << " rounds";
    EXPECT_TRUE(shown) << "the host showed whom it waited for";
    at(3).held = true;
    expecthonestplayon({1, 2}, frame(1) + 300);
    EXPECT_FALSE(at(1).left(2));
  }
}

// A machine that feeds the host but drips its inputs to the other joiner
// over their direct line gets that joiner blamed for nothing: the host
// passes the inputs on, and the match runs.
TEST_F(Attack, StarvingOneJoinerGetsNobodyDropped) {
  open(2, 3);
  ASSERT_FALSE(HasFatalFailure());
  startall();
  ASSERT_TRUE(until([&] { return frame(1) >= 120 && frame(2) >= 120 && at(2).net->match()->direct(3); }));
  uint32_t lastdrip = now_;
  const int host = at(3).net->match()->peerof(1);
  at(3).wire->rewrite = [&](int peer, packet& p) {
    if (p.type != packettype::input || peer == host) return true;
    if (now_ - lastdrip < 500) return false;
    lastdrip = now_;
    return true;
  };
  const int32_t from = frame(1);
  for (int i = 0; i < 60 * 30; i++) round();
  EXPECT_GT(frame(1) - from, 60 * 30 * 3 / 4);
  for (const machine& m : m_) EXPECT_EQ(m.net->failure(), reason::none);
  EXPECT_FALSE(at(1).left(2));
  EXPECT_FALSE(at(1).left(3));
}

// Only the host declares a desync: forged desync packets and wrong
// checksums from a joiner get that joiner dropped, nobody else.
TEST_F(Attack, ForgedDesyncsAndChecksumsEndNothing) {
  open(2, 3);
  ASSERT_FALSE(HasFatalFailure());
  startall();
  ASSERT_TRUE(until([&] { return frame(1) >= 30 && frame(3) >= 30; }));
  at(3).wire->rewrite = [](int, packet& p) {
    if (p.type == packettype::check) p.checksum ^= 1;
    if (p.type == packettype::input) {
      // Every input packet is followed by a claim that the match is lost.
      p.type = packettype::desync;
      p.frame = 60;
    }
    return true;
  };
  ASSERT_TRUE(until([&] { return at(1).left(3) && at(2).left(3); }, 60 * 8));
  at(3).held = true;
  expecthonestplayon({1, 2}, 600);
  for (const netnews& n : at(1).news) EXPECT_NE(n.what, netnews::desync);
  for (const netnews& n : at(2).news) EXPECT_NE(n.what, netnews::desync);
}

// Machine 4 dials machine 3 claiming to be machine 2, with every key it can
// know (the match's seed, its own line's key), and sends machine 2's
// "inputs": machine 3 never takes them.
TEST_F(Attack, NoMachineCanPoseAsAnotherOnADirectLine) {
  open(3);
  ASSERT_FALSE(HasFatalFailure());
  std::string why;
  at(2).late = true;  // the real machine 2 begins late
  startall();
  const lobbystart& s = at(4).net->start();
  const uint64_t guesses[] = {s.seed, s.setup.keys[3]};
  std::unique_ptr<enettransport> imposter;
  int line = -1;
  for (uint64_t key : guesses) {
    // Its call to the host is turned away: the match has begun.
    imposter = enettransport::join("127.0.0.1", port_, &why, "127.0.0.1");
    ASSERT_TRUE(imposter) << why;
    line = imposter->dial(s.setup.roster[2].address, s.setup.roster[2].port);
    ASSERT_GE(line, 0);
    bool met = false;
    int sent = 0;
    extra = [&] {
      imposter->service(now_);
      netevent e;
      while (imposter->receive(e)) {
        if (e.what != netevent::connected || e.peer != line) continue;
        packet p;
        p.type = packettype::meet;
        p.machine = 2;
        p.token = key;
        std::vector<uint8_t> bytes;
        encode(p, bytes);
        imposter->send(line, bytes.data(), bytes.size(), true);
        met = true;
      }
      if (!met || sent >= 20) return;
      // Machine 2's "inputs": always left, from its first real frame on.
      packet p;
      p.type = packettype::input;
      p.base = frame(3);
      p.blockcount = 1;
      p.blocks[0].machine = 2;
      p.blocks[0].players = 1;
      p.blocks[0].start = s.setup.delay;
      p.blocks[0].count = 8;
      for (auto& f : p.blocks[0].frames) f.players[0].keys = inputleft;
      std::vector<uint8_t> bytes;
      encode(p, bytes);
      imposter->send(line, bytes.data(), bytes.size(), false);
      sent++;
    };
    ASSERT_TRUE(until([&] { return sent >= 20; }, 120)) << "the imposter's call never went through";
    extra = nullptr;
  }
  begin(at(2));
  expecthonestplayon({1, 2, 3, 4}, 400);
  EXPECT_FALSE(at(1).left(3)) << "machine 3 played false inputs";
}

// Connections that never say hello, reopened as they are let go, leave room
// for an honest joiner.
TEST_F(Attack, SilentConnectionsCannotHoldTheDoorShut) {
  m_.resize(1);
  port_ = port();
  std::string why;
  m_[0].net = netplay::open(options(true), now_, &why);
  ASSERT_TRUE(m_[0].net) << why;
  std::vector<std::unique_ptr<enettransport>> crowd(12);
  int opened = 0;
  extra = [&] {
    for (auto& c : crowd) {
      bool gone = !c;
      if (c) {
        c->service(now_);
        netevent e;
        while (c->receive(e)) gone = gone || e.what == netevent::disconnected;
      }
      if (gone && opened < 200) {
        c = enettransport::join("127.0.0.1", port_, &why, "127.0.0.1");
        opened++;
      }
    }
  };
  for (int i = 0; i < 60; i++) round();
  m_.emplace_back();
  m_[1].net = netplay::open(options(false), now_, &why);
  ASSERT_TRUE(m_[1].net) << why;
  EXPECT_TRUE(until([&] { return m_[0].net->roster().size() == 2 || m_[1].net->failure() != reason::none; }, 600));
  EXPECT_EQ(m_[1].net->failure(), reason::none);
  EXPECT_EQ(m_[0].net->roster().size(), 2u);
  extra = nullptr;
}

// A joiner that says hello with three players and then nothing goes once
// it stops answering; one that keeps answering the host removes.
TEST_F(Attack, SquattersLeaveTheLobby) {
  m_.resize(1);
  port_ = port();
  std::string why;
  m_[0].net = netplay::open(options(true), now_, &why);
  ASSERT_TRUE(m_[0].net) << why;
  std::unique_ptr<enettransport> silent = enettransport::join("127.0.0.1", port_, &why, "127.0.0.1");
  extra = [&] {
    silent->service(now_);  // ENet's own keep-alive goes on
    netevent e;
    while (silent->receive(e)) {
      if (e.what != netevent::connected) continue;
      packet p;
      p.type = packettype::hello;
      p.setversion("1.0");
      p.bodyhash = 42;
      p.players = 3;
      std::vector<uint8_t> bytes;
      encode(p, bytes);
      silent->send(e.peer, bytes.data(), bytes.size(), true);
    }
  };
  ASSERT_TRUE(until([&] { return m_[0].net->roster().size() == 2; }, 300));
  EXPECT_TRUE(until([&] { return m_[0].net->roster().size() == 1; }, 60 * 7)) << "a silent squatter stays";

  netplayoptions three = options(false);
  three.identity.players = 3;
  m_.emplace_back();
  m_[1].net = netplay::open(three, now_, &why);
  ASSERT_TRUE(until([&] { return m_[0].net->roster().size() == 2; }, 300));
  for (int i = 0; i < 60 * 6; i++) round();
  ASSERT_EQ(m_[0].net->roster().size(), 2u) << "an answering joiner stays until removed";
  EXPECT_TRUE(m_[0].net->remove(2));
  EXPECT_TRUE(until([&] { return m_[1].net->failure() == reason::removed; }, 300));
  EXPECT_EQ(m_[0].net->roster().size(), 1u);

  m_.emplace_back();
  m_[2].net = netplay::open(options(false), now_, &why);
  EXPECT_TRUE(until([&] { return m_[0].net->canstart(); }, 300));
  extra = nullptr;
}

// A machine that claims to run far behind the others while its inputs come
// on time slows nobody down.
TEST_F(Attack, LyingAboutTimeSlowsNobody) {
  open(2, 3);
  ASSERT_FALSE(HasFatalFailure());
  startall();
  ASSERT_TRUE(until([&] { return frame(1) >= 60 && frame(3) >= 60; }));
  at(3).wire->rewrite = [](int, packet& p) {
    if (p.type == packettype::input) p.advantage = -100;
    return true;
  };
  const int64_t before = at(1).net->match()->stats().timesyncwaits;
  const int32_t from = frame(1);
  for (int i = 0; i < 600; i++) round();
  const int64_t waits = at(1).net->match()->stats().timesyncwaits - before;
  // Honest machines on one clock wait a frame now and then, not one in five.
  EXPECT_LT(waits, 30) << "over " << frame(1) - from << " frames";
  EXPECT_FALSE(at(1).left(3));
}

}  // namespace
