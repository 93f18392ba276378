// The simulated bad network: losses, delays, packets overtaking each
// other, and reliable packets that always arrive, in order.
#include <gtest/gtest.h>

#include "online/memnet.h"
#include "online/netsim.h"

using namespace online;

namespace {

struct arrival {
  uint32_t at;
  int number;
  bool reliable;
};

// Sends 1000 numbered packets, one a millisecond, and notes when each arrives.
std::vector<arrival> carry(const netconditions& c, bool reliableonly, int* disconnectedafter = nullptr) {
  memnetwork net;
  net.add();
  net.add();
  net.connect(0, 1);
  netsim sim(net.at(0), c, 99);
  std::vector<arrival> got;
  netevent e;
  while (net.at(1).receive(e)) {
  }
  for (uint32_t t = 0; t < 3000; t++) {
    sim.service(t);
    if (t < 1000) {
      const uint8_t bytes[2] = {static_cast<uint8_t>(t >> 8), static_cast<uint8_t>(t)};
      sim.send(1, bytes, 2, reliableonly || t % 2 == 0);
    }
    if (t == 1000 && disconnectedafter) sim.disconnect(1);
    while (net.at(1).receive(e)) {
      if (e.what == netevent::disconnected && disconnectedafter) *disconnectedafter = static_cast<int>(got.size());
      if (e.what != netevent::received) continue;
      const int n = e.data[0] << 8 | e.data[1];
      got.push_back({t, n, reliableonly || n % 2 == 0});
    }
  }
  return got;
}

TEST(Netsim, DelaysLossesAndOvertakingWithinTheConditions) {
  const std::vector<arrival> got = carry({10, 100, 40}, false);
  int unreliable = 0, overtaken = 0, lastreliable = -1;
  int lastseen = -1;
  for (const arrival& a : got) {
    const uint32_t sent = static_cast<uint32_t>(a.number);
    if (!a.reliable) {
      unreliable++;
      EXPECT_GE(a.at, sent + 100);
      EXPECT_LE(a.at, sent + 140);
    } else {
      EXPECT_GT(a.number, lastreliable) << "reliable packets keep their order";
      lastreliable = a.number;
    }
    if (a.number < lastseen) overtaken++;
    lastseen = std::max(lastseen, a.number);
  }
  // 500 unreliable packets at 10%: about 50 lost.
  EXPECT_GT(unreliable, 420);
  EXPECT_LT(unreliable, 480);
  EXPECT_EQ(static_cast<int>(got.size()) - unreliable, 500) << "no reliable packet is lost";
  EXPECT_GT(overtaken, 100);
}

TEST(Netsim, AHangUpLeavesAfterThePacketsBeforeIt) {
  int before = -1;
  const std::vector<arrival> got = carry({30, 50, 20}, true, &before);
  EXPECT_EQ(got.size(), 1000u);
  EXPECT_EQ(before, 1000);
}

TEST(Netsim, ConditionsAreReadStrictly) {
  netconditions c;
  std::string why;
  ASSERT_TRUE(parseconditions("5/100/30", c, &why));
  EXPECT_EQ(c.loss, 5);
  EXPECT_EQ(c.delay, 100);
  EXPECT_EQ(c.jitter, 30);
  for (const char* bad : {"", "5/100", "5/100/30/1", "x/1/1", "101/0/0", "5/-1/0", "5/100/30 ", "1/99999/0"}) {
    EXPECT_FALSE(parseconditions(bad, c, &why)) << bad;
    EXPECT_FALSE(why.empty());
  }
}

}  // namespace
