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

// A custom match of three, or an online match of two.
std::unique_ptr<matchcopy> newcopy(bool online = false) {
  auto c = std::make_unique<matchcopy>();
  matchmedia& m = media();  // starting the platform seeds the generator too
  SeedRandom(21);
  c->level = m.newmatch();
  matchsetup setup = matchmedia::setup(online ? "online" : "custom");
  setup.custom.numplayers = 3;
  setup.custom.arenanum = 11;
  setup.multi.numplayers = 2;
  setup.multi.arenanum = 11;
  c->level->startmatch(setup);
  c->out();
  return c;
}

// What two machines confirmed: every frame's checksum on each, the inputs.
struct confirmedrun {
  std::map<int32_t, uint64_t> checks[2];
  std::vector<FrameInput> inputs;
  int64_t rollbacks = 0;
};

// The host with one man and the joiner with `joinermen`, over a network
// that loses, delays and reorders, until both confirmed `frames` frames.
template <class Inputs>
confirmedrun playonline(bool online, int joinermen, int frames, Inputs inputs) {
  memnetwork net;
  net.add();
  net.add();
  net.connect(0, 1);
  netsim sim0(net.at(0), {10, 60, 40}, 1), sim1(net.at(1), {10, 60, 40}, 2);
  sessionsetup setup;
  setup.machines = 2;
  setup.roster[0] = {1, 1, 0, 0, 0};
  setup.roster[1] = {2, static_cast<uint8_t>(joinermen), 0, 1, 0};
  setup.checkinterval = 1;
  auto a = newcopy(online), b = newcopy(online);
  EXPECT_EQ(a->checksum(), b->checksum());
  sessionsetup sa = setup, sb = setup;
  sb.me = 2;
  session host(*a, sim0, sa), joiner(*b, sim1, sb);
  host.link(2, 1, 0);
  joiner.link(1, 0, 0);

  confirmedrun run;
  for (int t = 0; t < 2000 && (host.confirmed() < frames || joiner.confirmed() < frames); t++) {
    const uint32_t now = static_cast<uint32_t>(t * 1000 / 60);
    host.tick(inputs(1, t), now);
    joiner.tick(inputs(2, t), now);
    sessionevent e;
    while (host.pollevent(e)) run.checks[0][e.frame] = e.checksum;
    while (joiner.pollevent(e)) run.checks[1][e.frame] = e.checksum;
    int32_t f;
    FrameInput fi;
    while (host.takeconfirmed(f, fi)) run.inputs.push_back(fi);
  }
  run.rollbacks = host.stats().rollbacks + joiner.stats().rollbacks;
  return run;
}

// Plays the confirmed inputs with no network into `reference`, checking
// every frame against both machines; `each` sees the match after a frame.
template <class Each>
void expectsameasnonetwork(const confirmedrun& run, matchcopy& reference, int frames, Each each) {
  ASSERT_GE(run.inputs.size(), static_cast<size_t>(frames));
  for (int f = 0; f < frames; f++) {
    reference.advance(run.inputs[static_cast<size_t>(f)], true);
    const uint64_t sum = reference.checksum();
    for (int m = 0; m < 2; m++) {
      auto it = run.checks[m].find(f + 1);
      ASSERT_NE(it, run.checks[m].end()) << "machine " << m + 1 << " frame " << f + 1;
      ASSERT_EQ(it->second, sum) << "machine " << m + 1 << " frame " << f + 1;
    }
    each(f + 1);
  }
}

TEST(RealMatch, ConfirmedFramesEqualAMatchWithNoNetwork) {
  const confirmedrun run =
      playonline(false, 2, 240, [](int m, int t) { return rig::play(m, t, m); });
  EXPECT_GT(run.rollbacks, 0);
  auto reference = newcopy();
  expectsameasnonetwork(run, *reference, 240, [](int) {});
}

// The joiner pauses, the host resumes, over a bad network: the pause lands
// on the same frames on both machines however late the presses arrive, and
// nothing moves in between.
TEST(RealMatch, APauseUnderRollbackHoldsBothMachinesOnTheSameFrames) {
  const confirmedrun run = playonline(true, 1, 300, [](int m, int t) {
    machineinput in = rig::play(m, t, 1);
    in.buttons = (m == 2 && t == 60) || (m == 1 && t == 200) ? machinepause : 0;
    return in;
  });
  EXPECT_GT(run.rollbacks, 0);
  auto reference = newcopy(true);
  int paused = 0, pausedafter = 0;
  double x = 0;
  expectsameasnonetwork(run, *reference, 300, [&](int f) {
    const tlevel& l = *reference->level;
    const double now = l.men[0]->balllist.front()->x + l.mainball[0]->x;
    if (l.paused) {
      if (paused++ > 0) {
        EXPECT_EQ(now, x) << "frame " << f;
      }
    } else if (paused > 0 && pausedafter == 0) {
      pausedafter = f;
    }
    x = now;
  });
  // The presses were about 140 frames apart; a frame or two lost to waiting
  // shifts them a little.
  EXPECT_GT(paused, 100);
  EXPECT_LT(paused, 180);
  EXPECT_GT(pausedafter, 0) << "never resumed";
}

}  // namespace
