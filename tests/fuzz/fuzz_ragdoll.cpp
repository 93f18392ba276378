// Body files from anywhere: loads the bytes as a body twice, side by side,
// and plays 60 frames of steering, gravity, collisions and the border.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "content/ragdollfile.h"
#include "physics/collision.h"

namespace {
std::string scratchfile() {
  static std::string path;
  if (path.empty()) {
    char name[] = "/tmp/fuzz_ragdoll_XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0) std::abort();
    close(fd);
    path = name;
    std::atexit([] { std::remove(path.c_str()); });
  }
  return path;
}

void frame(ragobject& rag) {
  rag.updatemass();
  rag.updateold();
  if (!rag.balllist.empty()) rag.balllist[0]->xv += 6;
  rag.move(1, 0.5);
  rag.doanchor();
  rag.shiftandtensions(1);
  rag.updatev(1);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = scratchfile();
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  if (size > 0) std::fwrite(data, 1, size, f);
  std::fclose(f);

  ragobject one, two;
  loadragdoll(path, one, 0.5, 1.12, nullptr, nullptr, 0, 0, 1.0);
  loadragdoll(path, two, 1.0, 1.12, nullptr, nullptr, 150, -40, 2.0);
  Tborder stadium;
  Tborder round;
  round.Left = round.Right = 0;  // both end circles meet
  for (int i = 0; i < 60; i++) {
    frame(one);
    frame(two);
    ragcollision(one, two, i % 10 == 9 ? 60 : -20);
    one.bordercollision(stadium);
    two.bordercollision(round);
  }
  return 0;
}
