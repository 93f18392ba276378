// What rollback and replays cost: saving and restoring a match's state,
// simulating frames again without drawing, and the size of a replay.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "bench/soak.h"
#include "replay/replayfile.h"

namespace {

struct platform {
  platform() {
    if (!startheadless(media)) std::exit(1);
  }
  ~platform() { PlatformShutdown(); }
  matchmedia media;
};

platform& shared() {
  static platform p;
  return p;
}

std::unique_ptr<tlevel> fourplayers() { return shared().media.fourplayers(); }

// A player's keys as a person changes them: a new direction every 10 to 40
// frames, now and then none.
std::vector<FrameInput> typicalinputs(int frames, int players) {
  SeedRandom(11);
  std::vector<FrameInput> out;
  FrameInput f;
  int next[maxinputplayers] = {0, 0, 0, 0};
  for (int k = 0; k < frames; k++) {
    f.clock += k % 3 == 2 ? 16 : 17;
    f.pressed = 0;
    for (int p = 0; p < players; p++) {
      if (k < next[p]) continue;
      int d = RandomInt(0, 8);
      static const uint8_t dirs[9] = {0, 1, 2, 4, 8, 5, 6, 9, 10};
      f.players[p].keys = dirs[d];
      next[p] = k + RandomInt(10, 40);
    }
    out.push_back(f);
  }
  return out;
}

void BM_SnapshotSaveRestore(benchmark::State& state) {
  auto level = fourplayers();
  if (state.range(0) != 0) {
    // The end screen: fireworks add their sparks to the state.
    level->men[0]->owntime = level->maxowntime + 10;
    matchloop loop(*level);
    for (int f = 0; f < 200; f++) loop.playframe();
  }
  matchsnapshot snapshot;
  for (auto _ : state) {
    level->saveState(snapshot);
    benchmark::DoNotOptimize(level->loadState(snapshot));
  }
  state.counters["bytes"] = static_cast<double>(snapshot.size());
  state.counters["fireworks"] = static_cast<double>(level->fireworkslist.size());
}
BENCHMARK(BM_SnapshotSaveRestore)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_Checksum(benchmark::State& state) {
  auto level = fourplayers();
  for (auto _ : state) benchmark::DoNotOptimize(level->checksum());
}
BENCHMARK(BM_Checksum)->Unit(benchmark::kMicrosecond);

// The worst case of a rollback each frame: back 8 frames and forward again
// without drawing (argument 1), and the same 8 frames drawn for comparison
// (argument 0).
void BM_Resimulate8(benchmark::State& state) {
  const bool silent = state.range(0) != 0;
  auto level = fourplayers();
  std::vector<FrameInput> inputs = typicalinputs(8, 1);
  matchsnapshot start;
  level->saveState(start);
  for (auto _ : state) {
    level->loadState(start);
    for (const FrameInput& in : inputs) level->advance(in, silent);
  }
}
BENCHMARK(BM_Resimulate8)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

// Replay bytes per 1000 frames: three people at the keyboard, 2000 frames.
void BM_ReplayEncode(benchmark::State& state) {
  replayrecord r;
  r.version = gameversion;
  r.setup.mode = "multiplayer";
  r.setup.level = 1;
  r.frames = typicalinputs(2000, 3);
  std::string bytes;
  for (auto _ : state) bytes = encodereplay(r);
  state.counters["bytes"] = static_cast<double>(bytes.size());
  state.counters["bytes_per_1000_frames"] = bytes.size() * 1000.0 / r.frames.size();
}
BENCHMARK(BM_ReplayEncode)->Unit(benchmark::kMicrosecond);

void BM_ReplayDecode(benchmark::State& state) {
  replayrecord r;
  r.version = gameversion;
  r.setup.mode = "multiplayer";
  r.setup.level = 1;
  r.frames = typicalinputs(2000, 3);
  std::string bytes = encodereplay(r), error;
  replayrecord back;
  for (auto _ : state) benchmark::DoNotOptimize(decodereplay(bytes, &back, &error));
}
BENCHMARK(BM_ReplayDecode)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
