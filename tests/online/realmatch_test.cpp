// The real match behind the session: two machines over a bad in-process
// network each play their own copy, and every frame both confirm is the
// frame one machine computes from the same inputs with no network at all.
#include <gtest/gtest.h>

#include "bench/soak.h"
#include "tests/online/rig.h"

using namespace online;

namespace {

// One copy of the match. The game's random generator is one for the whole
// program, so each copy keeps its own state and puts it in place around
// every call, as if it ran in a process of its own.
struct matchcopy : rollbackgame {
  std::unique_ptr<tlevel> level;
  uint64_t random = 0;

  void in() { SetRandomState(random); }
  void out() { random = RandomState(); }
  void advance(const FrameInput& i, bool silent) override {
    in();
    level->advance(i, silent);
    out();
  }
  void save(std::vector<uint8_t>& s) override {
    in();
    level->saveState(s);
  }
  void load(const std::vector<uint8_t>& s) override {
    level->loadState(s);
    out();
  }
  uint64_t checksum() override {
    in();
    return level->checksum();
  }
};

matchmedia& media() {
  static matchmedia m;
  static const bool started = startheadless(m);
  EXPECT_TRUE(started);
  return m;
}

std::unique_ptr<matchcopy> newcopy() {
  auto c = std::make_unique<matchcopy>();
  matchmedia& m = media();  // starting the platform seeds the generator too
  SeedRandom(21);
  c->level = m.newmatch();
  c->level->savereplay = false;
  Tcustomsettings settings;
  settings.numplayers = 3;
  settings.arenanum = 11;
  int wins[4] = {0, 0, 0, 0};
  c->level->startmatch("custom", 1, nullptr, &settings, wins);
  c->out();
  return c;
}

TEST(RealMatch, ConfirmedFramesEqualAMatchWithNoNetwork) {
  memnetwork net;
  net.add();
  net.add();
  net.connect(0, 1);
  netsim sim0(net.at(0), {10, 60, 40}, 1), sim1(net.at(1), {10, 60, 40}, 2);
  sessionsetup setup;
  setup.machines = 2;
  setup.roster[0] = {1, 1, 0, 0, 0};
  setup.roster[1] = {2, 2, 0, 1, 0};
  setup.checkinterval = 1;
  auto a = newcopy(), b = newcopy();
  ASSERT_EQ(a->checksum(), b->checksum());
  sessionsetup sa = setup, sb = setup;
  sb.me = 2;
  session host(*a, sim0, sa), joiner(*b, sim1, sb);
  host.link(2, 1, 0);
  joiner.link(1, 0, 0);

  std::map<int32_t, uint64_t> checks[2];
  std::vector<FrameInput> inputs;
  const int frames = 240;
  for (int t = 0; t < 2000 && (host.confirmed() < frames || joiner.confirmed() < frames); t++) {
    const uint32_t now = static_cast<uint32_t>(t * 1000 / 60);
    host.tick(rig::play(1, t, 1), now);
    joiner.tick(rig::play(2, t, 2), now);
    sessionevent e;
    while (host.pollevent(e)) checks[0][e.frame] = e.checksum;
    while (joiner.pollevent(e)) checks[1][e.frame] = e.checksum;
    int32_t f;
    FrameInput fi;
    while (host.takeconfirmed(f, fi)) inputs.push_back(fi);
  }
  ASSERT_GE(inputs.size(), static_cast<size_t>(frames));
  EXPECT_GT(host.stats().rollbacks + joiner.stats().rollbacks, 0);

  auto reference = newcopy();
  for (int f = 0; f < frames; f++) {
    reference->advance(inputs[static_cast<size_t>(f)], true);
    const uint64_t sum = reference->checksum();
    for (int m = 0; m < 2; m++) {
      auto it = checks[m].find(f + 1);
      ASSERT_NE(it, checks[m].end()) << "machine " << m + 1 << " frame " << f + 1;
      ASSERT_EQ(it->second, sum) << "machine " << m + 1 << " frame " << f + 1;
    }
  }
}

}  // namespace
