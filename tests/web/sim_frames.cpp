// Bent joints, then seeded matches between computer players simulated
// without drawing: the state's checksum every EVERY frames, then what a
// frame of simulation costs.
// The web build compiles the same program for Node.js; the two builds'
// lines but the cost must agree line for line, since a shared replay or an
// online match between them stands on the same bits, and the costs give
// WebAssembly's price against native code.
//   sim_frames MATCHES FRAMES EVERY
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "bench/soak.h"
#include "physics/tension.h"

namespace {

// Joints bent where an arc tangent one ulp off lands a float's rounding on
// the other side: found by a search against the C libraries' atan2 (the
// desktop's and Emscripten's), they show a joint that calls the system's
// instead of the game's own, which a match shows once in hours of play.
constexpr double kBends[][2] = {
    {-0x1.f28e543cb6773p+10, -0x1.02fe2f458e4bp+11}, {0x1.9ab751bbad648p+7, -0x1.2517b937acb18p+11},
    {-0x1.1a00b1c0daedcp+8, -0x1.9d67e1809af3dp+6}, {0x1.88fb815e124dp+8, -0x1.1c72c4f580a2dp+11},
    {-0x1.0c2041fcdea84p+10, -0x1.840e2b7619906p+10}, {0x1.27c4b47ef55cap+8, -0x1.f196b583bcbccp+8},
    {0x1.b695cc6f74d82p+6, 0x1.bd9eab6746951p+8}, {-0x1.f5b905c2c8311p+10, -0x1.90cc2b4806eb4p+10}};

// The push each bent joint gives its far ball: the first segment is (1, 0),
// so the arc tangent's arguments are exactly the second one.
void bentjoints() {
  for (const auto& bend : kBends) {
    ball b1, b2, b3;
    for (ball* b : {&b1, &b2, &b3}) b->x = b->y = 0, b->actualmass = 1;
    b1.x = -1;
    b3.x = bend[0];
    b3.y = bend[1];
    tension t;
    t.ball1 = &b1;
    t.ball2 = &b2;
    t.ball3 = &b3;
    t.strength = 1e9;
    t.partialtension(0, 1);
    std::printf("joint %a %a pushes %a %a\n", bend[0], bend[1], b3.shiftx, b3.shifty);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: sim_frames MATCHES FRAMES EVERY\n");
    return 2;
  }
  const int matches = std::atoi(argv[1]), frames = std::atoi(argv[2]);
  const int every = std::max(1, std::atoi(argv[3]));
  matchmedia media;
  if (!startheadless(media)) return 1;
  bentjoints();
  using clock = std::chrono::steady_clock;
  clock::duration simulated{};
  long simulatedframes = 0;
  for (int m = 1; m <= matches; m++) {
    // Every arena and player count comes up in turn, whatever the seeds.
    soakcase c = randomcase(static_cast<uint32_t>(m));
    c.arena = m % 17;
    std::unique_ptr<tlevel> level = startsoakmatch(media, c);
    if (!level) {
      std::printf("match %d did not start\n", m);
      return 1;
    }
    const FrameInput none;
    for (int f = 1; f <= frames; f++) {
      const clock::time_point start = clock::now();
      level->advance(none, true);
      simulated += clock::now() - start;
      simulatedframes++;
      if (f % every == 0 || f == frames)
        std::printf("match %d arena %d frame %d %s\n", m, c.arena, f,
                    checksumtext(level->checksum()).c_str());
    }
  }
  std::printf("simulation: %.2f us a frame over %ld frames\n",
              std::chrono::duration<double, std::micro>(simulated).count() / simulatedframes,
              simulatedframes);
  PlatformShutdown();
  return 0;
}
