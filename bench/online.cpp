// Online play's costs with the toy game standing in for the match: a frame
// that rolls back the full window, the bytes a four-machine match sends,
// and how often a bad network makes a machine roll back.
#include <benchmark/benchmark.h>

#include "bench/soak.h"
#include "online/packet.h"
#include "tests/online/rig.h"

namespace {

using namespace online;

// The host of four machines whose three joiners' inputs always arrive eight
// frames late and always differ from the guess: every frame loads the state
// of eight frames ago and simulates eight frames again before the new one.
void rollbackeveryframe(benchmark::State& state, rollbackgame& game) {
  memnetwork net;
  for (int i = 0; i < 4; i++) net.add();
  for (int i = 1; i < 4; i++) net.connect(0, i);
  sessionsetup setup;
  setup.machines = 4;
  for (int i = 0; i < 4; i++) setup.roster[i] = {static_cast<uint8_t>(i + 1), 1, 0};
  setup.checkinterval = 60;
  session host(game, net.at(0), setup);
  for (int m = 2; m <= 4; m++) host.link(m, m - 1, 0);

  std::vector<uint8_t> bytes;
  packet p;
  p.type = packettype::input;
  p.ackcount = 3;
  p.blockcount = 1;
  uint32_t now = 0;
  int32_t sent = setup.delay;  // the joiners' next frame to send
  for (auto _ : state) {
    const int32_t f = host.frame();
    // The joiners' inputs up to eight frames ago, each new one a change.
    while (sent <= f - 8) {
      for (int m = 2; m <= 4; m++) {
        p.base = std::max(f - 8, 0);
        p.advantage = 8;  // the same lag seen from both sides: nobody waits
        // Everything the host sends arrives at once.
        for (int k = 1, a = 0; k <= 4; k++) {
          if (k != m) p.acks[a++] = {static_cast<uint8_t>(k), k == 1 ? f + setup.delay : sent};
        }
        inputblock& b = p.blocks[0];
        b.machine = static_cast<uint8_t>(m);
        b.players = 1;
        b.start = sent;
        b.count = 1;
        b.frames[0].players[0].keys = static_cast<uint8_t>((sent + m) % 16);
        encode(p, bytes);
        net.at(m - 1).send(0, bytes.data(), bytes.size(), false);
      }
      sent++;
    }
    machineinput in;
    in.players[0].keys = static_cast<uint8_t>(f % 16);
    now += 16;
    benchmark::DoNotOptimize(host.tick(in, now));
    netevent drain;
    for (int m = 1; m < 4; m++) {
      while (net.at(m).receive(drain)) {
      }
    }
  }
  const sessionstats& s = host.stats();
  state.counters["rolled_back_per_frame"] = static_cast<double>(s.resimulated) / static_cast<double>(s.frames);
  state.counters["stalls"] = static_cast<double>(s.windowstalls + s.timesyncwaits);
}

// The session's own cost: the toy game costs next to nothing.
void BM_FrameWithEightFramesRolledBack(benchmark::State& state) {
  toygame game;
  rollbackeveryframe(state, game);
}
BENCHMARK(BM_FrameWithEightFramesRolledBack)->Unit(benchmark::kMicrosecond);

// The real match behind the session: four players on arena 11, the busiest
// arena, past its opening zoom; the new frame is drawn into the headless
// backend, the eight again are silent.
struct matchgame : rollbackgame {
  tlevel& level;
  explicit matchgame(tlevel& l) : level(l) {}
  void advance(const FrameInput& in, bool silent) override { level.advance(in, silent); }
  void save(std::vector<uint8_t>& out) override { level.saveState(out); }
  void load(const std::vector<uint8_t>& in) override { level.loadState(in); }
  uint64_t checksum() override { return level.checksum(); }
};

void BM_MatchFrameWithEightFramesRolledBack(benchmark::State& state) {
  static matchmedia media;
  static const bool started = startheadless(media);
  if (!started) std::exit(1);
  auto level = media.fourplayers();
  // Keep every man in the contest for the whole run: nobody wins.
  level->maxowntime = 1e9f;
  matchgame game(*level);
  rollbackeveryframe(state, game);
}
BENCHMARK(BM_MatchFrameWithEightFramesRolledBack)->Unit(benchmark::kMicrosecond);

// One minute of a four-machine match (one player each): bytes each way per
// machine. The UDP and IP headers (28 bytes) and ENet's own (about 12 for an
// unsequenced packet) come on top of every packet; `wire` counts them.
void BM_FourMachineBandwidth(benchmark::State& state) {
  const netconditions net{static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                          static_cast<int>(state.range(2))};
  double hostup = 0, hostdown = 0, joinerup = 0, joinerdown = 0, hostwire = 0, joinerwire = 0;
  for (auto _ : state) {
    rig r({1, 1, 1, 1}, net, 11, 60);
    r.begin();
    r.runto(3600, 20000);
    const double seconds = r.nodes[0]->s->frame() / 60.0;
    const sessionstats& h = r.nodes[0]->s->stats();
    hostup = h.bytessent * 8 / seconds / 1000;
    hostdown = h.bytesreceived * 8 / seconds / 1000;
    hostwire = (h.bytessent + 40.0 * h.packetssent) * 8 / seconds / 1000;
    for (int m = 2; m <= 4; m++) {
      const sessionstats& j = r.nodes[m - 1]->s->stats();
      joinerup = std::max(joinerup, j.bytessent * 8 / seconds / 1000);
      joinerdown = std::max(joinerdown, j.bytesreceived * 8 / seconds / 1000);
      joinerwire = std::max(joinerwire, (j.bytessent + 40.0 * j.packetssent) * 8 / seconds / 1000);
    }
  }
  state.counters["host_up_kbit"] = hostup;
  state.counters["host_down_kbit"] = hostdown;
  state.counters["host_up_wire_kbit"] = hostwire;
  state.counters["joiner_up_kbit"] = joinerup;
  state.counters["joiner_down_kbit"] = joinerdown;
  state.counters["joiner_up_wire_kbit"] = joinerwire;
}
BENCHMARK(BM_FourMachineBandwidth)->Args({0, 0, 0})->Args({5, 100, 30})->Iterations(1)->Unit(benchmark::kMillisecond);

// One minute under a bad network: the share of frames that began with a
// rollback, and the longest rollback, on the worst machine.
void BM_RollbacksUnderBadNetwork(benchmark::State& state) {
  const int machines = static_cast<int>(state.range(0));
  double share = 0, longest = 0, mean = 0, stalls = 0;
  for (auto _ : state) {
    rig r(std::vector<int>(static_cast<size_t>(machines), 1), {5, 100, 30}, 13, 60);
    r.begin();
    r.runto(3600, 20000);
    for (auto& n : r.nodes) {
      const sessionstats& s = n->s->stats();
      share = std::max(share, static_cast<double>(s.rollbacks) / static_cast<double>(s.frames));
      longest = std::max(longest, static_cast<double>(s.longestrollback));
      mean = std::max(mean, static_cast<double>(s.resimulated) / std::max<double>(1, s.rollbacks));
      stalls = std::max(stalls, static_cast<double>(s.windowstalls) / static_cast<double>(s.frames));
    }
  }
  state.counters["rollback_frame_share"] = share;
  state.counters["longest_rollback"] = longest;
  state.counters["mean_rollback"] = mean;
  state.counters["window_stall_share"] = stalls;
}
BENCHMARK(BM_RollbacksUnderBadNetwork)->Arg(2)->Arg(4)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
