// controls.txt from anywhere: reads the bytes as the bindings file the way
// the game does at start-up, checks that no key serves two actions and that
// every bound key is one a player may bind, then saves the bindings and
// reads them back unchanged.
#include <cstddef>
#include <cstdint>

#include "controls/bindings.h"
#include "tests/fuzz/scratchfolder.h"

namespace {
using scratch::check;

void checkrules(const keybindings& b) {
  int uses[256] = {};
  for (const auto& player : b.keys) {
    for (int key : player) {
      if (key == 0) continue;
      check(bindablekey(key), "a key no player may bind is bound");
      check(++uses[key] == 1, "two actions on one key");
    }
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  scratch::enter("fuzz_controls");
  scratch::writefile("controls.txt", data, size);

  const keybindings first = readbindings();
  checkrules(first);

  check(writebindings(first), "controls.txt could not be saved");
  check(readbindings() == first, "saved bindings read back differently");
  scratch::leave();
  return 0;
}
