// Punches from anywhere on the Internet reach the game's socket: a word is
// accepted whole or not at all, and what is accepted has one spelling.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "online/words.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  online::word w;
  if (!online::readword(data, size, w)) return 0;
  uint8_t again[online::wordsize];
  online::writeword(w, again);
  if (size != online::wordsize || !std::equal(again, again + online::wordsize, data) || w.token == 0) {
    std::fprintf(stderr, "fuzz_punchword: an accepted word has another spelling\n");
    std::abort();
  }
  return 0;
}
