// The rollback session against the toy game over the in-process network:
// whatever the network does, every machine's confirmed frames must be the
// frames a single machine computes from the same inputs.
#include <gtest/gtest.h>

#include "tests/online/rig.h"

using online::netconditions;
using online::sessionevent;

namespace {

// Every machine confirmed at least `frames`, and every checksum it confirmed
// is the no-network run's.
void expectsamematch(const rig& r, int32_t frames) {
  const std::vector<uint64_t> ref = r.reference(frames);
  for (int m = 1; m <= r.setup.machines; m++) {
    const rig::node& n = *r.nodes[m - 1];
    if (n.stopped) continue;
    EXPECT_GE(n.s->confirmed(), frames) << "machine " << m;
    EXPECT_GE(static_cast<int32_t>(n.checks.size()), frames - 1) << "machine " << m;
    EXPECT_EQ(r.mismatches(m, ref), std::vector<int32_t>{}) << "machine " << m;
    for (const sessionevent& e : n.events) EXPECT_NE(e.what, sessionevent::desync) << "machine " << m;
    // Every machine records the same inputs, so their replays are one.
    const auto& first = r.nodes[0]->confirmed;
    const size_t common = std::min(first.size(), n.confirmed.size());
    EXPECT_GE(common, static_cast<size_t>(frames));
    for (size_t f = 0; f < common; f++) {
      if (n.confirmed[f] != first[f]) {
        ADD_FAILURE() << "machine " << m << " records other inputs in frame " << f;
        break;
      }
    }
  }
}

TEST(Session, PerfectNetworkNeedsNoRollback) {
  // The input delay covers a network with no delay at all: nothing is guessed wrong.
  rig r({1, 2}, {}, 1);
  r.begin();
  r.runto(600, 2000);
  expectsamematch(r, 600);
  for (auto& n : r.nodes) {
    EXPECT_EQ(n->s->stats().rollbacks, 0);
    EXPECT_EQ(n->game.silent, 0);
    EXPECT_EQ(n->game.drawn, n->s->frame());
  }
}

TEST(Session, BadNetworksGiveTheSameMatchOnEveryMachine) {
  struct trial {
    std::vector<int> players;
    netconditions net;
  };
  const trial trials[] = {
      {{1, 1}, {10, 50, 40}},
      {{2, 1}, {5, 100, 30}},
      {{1, 1, 1}, {10, 30, 60}},
      {{1, 2, 1}, {20, 20, 20}},
      {{1, 1, 1, 1}, {10, 50, 40}},
      {{1, 1, 1, 1}, {3, 120, 10}},
  };
  uint64_t seed = 7;
  for (const trial& t : trials) {
    SCOPED_TRACE(::testing::Message() << t.players.size() << " machines, " << t.net.loss << "/"
                                      << t.net.delay << "/" << t.net.jitter);
    rig r(t.players, t.net, seed++);
    r.begin();
    r.runto(900, 4000);
    expectsamematch(r, 900);
    int64_t rollbacks = 0;
    for (auto& n : r.nodes) {
      rollbacks += n->s->stats().rollbacks;
      EXPECT_LE(n->s->stats().longestrollback, r.setup.window);
      // Pauses and presses travel too: the toy game saw them.
      EXPECT_GT(n->game.s.presses, 0);
    }
    EXPECT_GT(rollbacks, 0) << "the network was bad enough to need guesses";
  }
}

TEST(Session, ConfirmedChecksumsAreComparedEverySixtyFrames) {
  rig r({1, 1, 1}, {5, 40, 20}, 3, 60);
  r.begin();
  r.runto(600, 3000);
  for (auto& n : r.nodes) {
    ASSERT_GE(n->checks.size(), 10u);
    for (const auto& c : n->checks) EXPECT_EQ(c.first % 60, 0);
    EXPECT_EQ(n->checks, r.nodes[0]->checks);
  }
}

TEST(Session, MachineAheadWaitsForTheOthers) {
  // The host starts half a second early, a joiner's clock runs fast: both
  // must end up close to the others rather than stalling at the window.
  rig r({1, 1, 1}, {0, 30, 10}, 4);
  r.nodes[0]->starttick = 0;
  r.nodes[1]->starttick = 30;
  r.nodes[2]->starttick = 30;
  r.nodes[2]->extraevery = 20;
  r.begin();
  for (int i = 0; i < 1500; i++) r.step();
  int32_t lo = INT32_MAX, hi = 0;
  for (auto& n : r.nodes) {
    lo = std::min(lo, n->s->frame());
    hi = std::max(hi, n->s->frame());
  }
  EXPECT_LE(hi - lo, 3);
  EXPECT_GT(r.nodes[0]->s->stats().timesyncwaits, 3);
  // The fast clock gains a frame every 20: nearly all of them are given back.
  EXPECT_GE(r.nodes[2]->s->stats().timesyncwaits, 1500 / 20 - 10);
  // Once in step, waiting on the window is rare: it means the game froze.
  for (auto& n : r.nodes) EXPECT_LT(n->s->stats().windowstalls, 60);
  expectsamematch(r, lo - 10);
}

TEST(Session, SilentJoinerIsPlayedByTheComputerFromAnAgreedFrame) {
  rig r({1, 1, 2}, {5, 30, 20}, 5);
  r.begin();
  r.runto(200, 1000);
  // Machine 3 vanishes without a word.
  r.nodes[2]->stopped = true;
  r.net.cut(0, 2);
  r.runto(900, 5000);
  const int32_t gone = r.leftafter(3);
  ASSERT_GE(gone, 199) << "every input that was confirmed still counts";
  for (int m = 1; m <= 2; m++) {
    int leaves = 0;
    for (const sessionevent& e : r.nodes[m - 1]->events) {
      if (e.what == sessionevent::left) {
        leaves++;
        EXPECT_EQ(e.machine, 3);
        EXPECT_EQ(e.frame, gone) << "machine " << m << " must agree on the frame";
      }
    }
    EXPECT_EQ(leaves, 1);
    EXPECT_EQ(r.nodes[m - 1]->game.s.computer[2], 1);
    EXPECT_EQ(r.nodes[m - 1]->game.s.computer[3], 1);
    EXPECT_EQ(r.nodes[m - 1]->game.s.computer[0], 0);
  }
  expectsamematch(r, 900);
}

TEST(Session, InputsTheHostNeverGotStillCountWhenTheirMachineLeaves) {
  // Machine 3 loses the host but still reaches machine 2 for a while: the
  // host gathers from machine 2 what it missed before naming the frame.
  rig r({1, 1, 1}, {0, 20, 10}, 12);
  r.begin();
  r.runto(200, 1000);
  ASSERT_TRUE(r.nodes[1]->s->direct(3));
  const int32_t hosthad = r.nodes[0]->s->confirmed();
  r.net.cut(0, 2);
  for (int i = 0; i < 30; i++) r.step();
  r.nodes[2]->stopped = true;
  r.runto(900, 5000);
  const int32_t gone = r.leftafter(3);
  EXPECT_GT(gone, hosthad + 4) << "machine 2 held more of machine 3 than the host";
  for (int m = 1; m <= 2; m++) {
    for (const sessionevent& e : r.nodes[m - 1]->events) {
      if (e.what == sessionevent::left) {
        EXPECT_EQ(e.frame, gone);
      }
    }
  }
  expectsamematch(r, 900);
}

TEST(Session, ADirectLineDialledBeforeTheOtherJoinerStartedIsTaken) {
  // Machine 3 hears of the start late: machine 2's call reaches it while its
  // lobby still reads the network, and only the greeting is left for the match.
  rig r({1, 1, 1}, {0, 50, 0}, 16);
  r.nodes[2]->starttick = 12;
  r.begin();
  for (int i = 0; i < 2; i++) r.step();
  online::netevent e;
  std::vector<online::netevent> keep;
  while (r.net.at(2).receive(e)) {
    if (e.what != online::netevent::connected) keep.push_back(e);
  }
  ASSERT_EQ(keep.size(), 0u) << "the greeting is still on its way";
  r.runto(300, 2000);
  EXPECT_TRUE(r.nodes[1]->s->direct(3));
  EXPECT_TRUE(r.nodes[2]->s->direct(2));
  expectsamematch(r, 300);
}

TEST(Session, JoinersWithoutADirectLineGetEachOthersInputsThroughTheHost) {
  rig r({1, 1, 1, 1}, {5, 30, 20}, 14);
  r.net.cut(1, 2);  // machines 2 and 3 cannot reach each other
  r.begin();
  r.runto(900, 4000);
  expectsamematch(r, 900);
  EXPECT_FALSE(r.nodes[1]->s->direct(3));
  EXPECT_TRUE(r.nodes[1]->s->direct(4));
  EXPECT_TRUE(r.nodes[2]->s->direct(4));
}

TEST(Session, APressWhileWaitingIsPlayedInTheNextFrame) {
  rig r({1, 1}, {}, 17);
  r.begin();
  r.runto(50, 200);
  r.nodes[1]->stopped = true;  // the joiner hangs for a moment
  for (int i = 0; i < 20; i++) r.step();
  rig::node& host = *r.nodes[0];
  const int32_t held = host.s->frame();
  online::machineinput p;
  p.buttons = online::machinepause;
  ASSERT_EQ(host.s->tick(p, r.clockof(host)), online::session::waited);
  r.nodes[1]->stopped = false;
  r.runto(120, 400);
  bool pressed = false;
  for (const auto& f : host.sent) pressed = pressed || (f.first >= held && (f.second.buttons & online::machinepause));
  EXPECT_TRUE(pressed) << "P pressed while waiting was lost";
}

TEST(Session, IdleMachinesBetweenMatchesKeepTheirLines) {
  // The end screens take longer than the silence that ends a peer.
  rig r({1, 1, 1}, {5, 30, 20}, 15);
  r.begin();
  r.runto(120, 600);
  for (int t = 0; t < 10 * 60; t++) {
    for (auto& n : r.nodes) n->s->tick({}, static_cast<uint32_t>((r.globaltick + t) * 1000 / 60), false);
  }
  for (auto& n : r.nodes) {
    sessionevent e;
    while (n->s->pollevent(e)) n->events.push_back(e);
    EXPECT_FALSE(n->s->isover());
    EXPECT_LT(n->s->frame(), 140) << "no frame is played while idle";
    for (const sessionevent& e : n->events) EXPECT_NE(e.what, sessionevent::left);
  }
}

TEST(Session, HostLeavingEndsTheMatchEverywhere) {
  rig r({1, 1, 1}, {0, 20, 0}, 6);
  r.begin();
  r.runto(120, 600);
  r.nodes[0]->s->quit();
  for (int i = 0; i < 30; i++) r.step();
  for (int m = 2; m <= 3; m++) {
    EXPECT_TRUE(r.nodes[m - 1]->s->isover());
    ASSERT_FALSE(r.nodes[m - 1]->events.empty());
    EXPECT_EQ(r.nodes[m - 1]->events.back().what, sessionevent::hostleft);
  }

  // A host that merely falls silent ends it too, after the timeout.
  rig q({1, 1}, {0, 20, 0}, 6);
  q.begin();
  q.runto(120, 600);
  q.nodes[0]->stopped = true;
  q.net.cut(0, 1);
  for (int i = 0; i < 5 * 60 - 10; i++) q.step();
  EXPECT_FALSE(q.nodes[1]->s->isover()) << "five seconds of grace";
  for (int i = 0; i < 30; i++) q.step();
  EXPECT_TRUE(q.nodes[1]->s->isover());
}

TEST(Session, AMachineOutOfStepWithTheHostLeavesAndTheOthersPlayOn) {
  rig r({1, 1, 1}, {5, 30, 20}, 8, 60);
  r.nodes[2]->game.tamperat = 130;
  r.begin();
  r.runto(600, 2000);
  const rig::node& wrong = *r.nodes[2];
  EXPECT_TRUE(wrong.s->isover());
  ASSERT_FALSE(wrong.events.empty());
  EXPECT_EQ(wrong.events.back().what, sessionevent::desync);
  EXPECT_EQ(wrong.events.back().frame, 180);
  EXPECT_GE(r.leftafter(3), 0) << "the computer plays its man";
  for (int m = 1; m <= 2; m++) {
    EXPECT_FALSE(r.nodes[m - 1]->s->isover()) << "machine " << m;
    EXPECT_GE(r.nodes[m - 1]->s->confirmed(), 600) << "machine " << m;
    for (const sessionevent& e : r.nodes[m - 1]->events) EXPECT_NE(e.what, sessionevent::desync) << "machine " << m;
  }
}

}  // namespace
