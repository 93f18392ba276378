// A joiner that breaks the rules is dropped by the host and played by the
// computer; the honest machines play on with the same match.
#include <gtest/gtest.h>

#include "online/packet.h"
#include "tests/online/rig.h"

using namespace online;

namespace {

class Hostile : public ::testing::Test {
 protected:
  // Machine 3's own session stops; the test speaks in its name instead.
  void SetUp() override {
    r_.begin();
    r_.runto(120, 600);
    r_.nodes[2]->stopped = true;
  }

  void inject(const std::vector<uint8_t>& bytes) { r_.net.at(2).send(0, bytes.data(), bytes.size(), false); }

  void inject(const packet& p) {
    std::vector<uint8_t> bytes;
    encode(p, bytes);
    inject(bytes);
  }

  // An input packet from machine 3 for `stream`, its real inputs from `start`.
  packet inputs(int stream, int32_t start, int count) {
    packet p;
    p.type = packettype::input;
    p.base = r_.nodes[0]->s->frame();
    p.blockcount = 1;
    inputblock& b = p.blocks[0];
    b.machine = static_cast<uint8_t>(stream);
    b.players = static_cast<uint8_t>(r_.setup.roster[stream - 1].players);
    b.start = start;
    b.count = static_cast<uint8_t>(count);
    for (int k = 0; k < count; k++) {
      auto it = r_.nodes[2]->sent.find(start + k);
      if (it != r_.nodes[2]->sent.end()) b.frames[k] = it->second;
    }
    return p;
  }

  int32_t droppedafter() {
    for (int i = 0; i < 10; i++) r_.step();
    return r_.leftafter(3);
  }

  // Whatever the attack, the honest machines agree with each other and
  // with the match played from the inputs that counted.
  void expecthonestmatch() {
    r_.runto(600, 3000);
    const std::vector<uint64_t> ref = r_.reference(600);
    for (int m = 1; m <= 2; m++) {
      EXPECT_FALSE(r_.nodes[m - 1]->s->isover());
      EXPECT_EQ(r_.mismatches(m, ref), std::vector<int32_t>{}) << "machine " << m;
      EXPECT_GE(r_.nodes[m - 1]->s->confirmed(), 600);
    }
  }

  rig r_{{1, 1, 1}, {}, 9};
};

TEST_F(Hostile, InputsForAnotherMachineGetTheSenderDropped) {
  inject(inputs(2, r_.nodes[0]->s->frame(), 4));
  EXPECT_GE(droppedafter(), 0);
  expecthonestmatch();
}

TEST_F(Hostile, GarbageGetsTheSenderDropped) {
  inject(std::vector<uint8_t>{0x17, 0xff, 0x00, 0x42});
  EXPECT_GE(droppedafter(), 0);
  expecthonestmatch();
}

TEST_F(Hostile, InputsFarInTheFutureGetTheSenderDropped) {
  const int32_t from = r_.nodes[0]->s->confirmed();
  packet p = inputs(3, from, 32);  // well-formed, but the sender cannot be that far ahead
  p.base = from + 200;
  inject(p);
  EXPECT_GE(droppedafter(), 0);
  expecthonestmatch();
}

TEST_F(Hostile, RewritingAConfirmedFrameGetsTheSenderDropped) {
  packet p = inputs(3, 100, 4);
  p.blocks[0].frames[1].players[0].keys ^= inputleft;
  inject(p);
  EXPECT_GE(droppedafter(), 0);
  expecthonestmatch();
}

TEST_F(Hostile, PacketsOfAnotherMatchOfTheSeriesAreLeftAlone) {
  // The same frames mean other inputs in the next match: neither taken nor
  // held against the sender.
  packet p = inputs(3, 100, 4);
  p.blocks[0].frames[1].players[0].keys ^= inputleft;
  p.epoch = 1;
  inject(p);
  for (int i = 0; i < 10; i++) r_.step();
  EXPECT_EQ(r_.leftafter(3), -1);
}

TEST_F(Hostile, ReplayedPacketsChangeNothing) {
  // Old, true inputs sent again and again: harmless, and not a reason to
  // drop anyone (a network may duplicate packets).
  for (int i = 0; i < 20; i++) inject(inputs(3, 90 + i, 8));
  for (int i = 0; i < 10; i++) r_.step();
  EXPECT_EQ(r_.leftafter(3), -1);
  // Machine 3 now falls silent for good and is dropped on the timeout.
  r_.net.cut(0, 2);
  expecthonestmatch();
}

TEST_F(Hostile, FloodingGetsTheSenderDropped) {
  for (int i = 0; i < r_.setup.floodlimit + 1; i++) inject(inputs(3, 100, 1));
  EXPECT_GE(droppedafter(), 0);
  expecthonestmatch();
}

TEST_F(Hostile, OnlyTheHostMayAnnounceADeparture) {
  packet p;
  p.type = packettype::leave;
  p.machine = 2;
  p.frame = 100;
  inject(p);
  EXPECT_GE(droppedafter(), 0);
  for (const sessionevent& e : r_.nodes[1]->events) EXPECT_NE(e.machine, 2) << "machine 2 is still here";
  expecthonestmatch();
}

}  // namespace

namespace {

// A joiner's checksum that differs from the host's is that joiner's
// problem, whether it comes after the host's was confirmed or before: it is
// dropped and the others play on.
class Checks : public Hostile, public ::testing::WithParamInterface<int32_t> {
 protected:
  void SetUp() override {
    r_.setup.checkinterval = 60;
    Hostile::SetUp();
  }
};

TEST_P(Checks, AForgedChecksumDropsOnlyItsSender) {
  const int32_t frame = GetParam();
  packet p;
  p.type = packettype::check;
  p.frame = frame;
  p.checksum = 12345;
  inject(p);
  // Frame 480 is compared once the host confirms it, which takes machine
  // 3's inputs: its own silence drops it first there.
  if (frame == 60) {
    EXPECT_GE(droppedafter(), 0);
  }
  expecthonestmatch();
  for (int m = 1; m <= 2; m++) {
    for (const sessionevent& e : r_.nodes[m - 1]->events) EXPECT_NE(e.what, sessionevent::desync) << "machine " << m;
  }
}

// Frame 60 is confirmed when the packet comes, frame 480 is not yet.
INSTANTIATE_TEST_SUITE_P(Hostile, Checks, ::testing::Values(60, 480));

}  // namespace
