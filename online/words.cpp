#include "online/words.h"

#include <cstring>

namespace online {
namespace {

constexpr uint8_t mark[3] = {'P', 'V', 'H'};

}  // namespace

bool ismarked(const uint8_t* data, size_t size) { return size >= 3 && std::memcmp(data, mark, 3) == 0; }

void writeword(const word& w, uint8_t (&out)[wordsize]) {
  std::memset(out, 0, wordsize);
  std::memcpy(out, mark, 3);
  out[3] = w.what;
  for (int b = 0; b < 8; b++) out[4 + b] = static_cast<uint8_t>(w.token >> (8 * b));
}

bool readword(const uint8_t* data, size_t size, word& out) {
  if (size != wordsize || !ismarked(data, size)) return false;
  if (data[3] != word::punch && data[3] != word::punchback) return false;
  for (size_t i = 12; i < wordsize; i++)
    if (data[i] != 0) return false;
  out.what = static_cast<word::kind>(data[3]);
  out.token = 0;
  for (int b = 0; b < 8; b++) out.token |= static_cast<uint64_t>(data[4 + b]) << (8 * b);
  return out.token != 0;
}

}  // namespace online
