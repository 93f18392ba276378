// Datagrams from anywhere to the meeting server or to a game: every one the
// decoder accepts must encode back to the same bytes, and nothing it accepts
// may be answered with more bytes than a request carries.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "online/meetpacket.h"

namespace {

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "fuzz_meetpacket: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace online;
  meetpacket p;
  if (!decodemeet(data, size, p)) return 0;
  std::vector<uint8_t> again;
  encodemeet(p, again);
  check(again.size() == size && std::equal(again.begin(), again.end(), data), "an accepted datagram has two spellings");
  check(again.size() <= meetrequestsize, "a datagram is longer than a request");
  check(meetrequest(p.type) == (size == meetrequestsize), "a request is not padded, or a reply is");
  if (!p.code.empty()) check(codefromindex(codeindex(p.code)) == p.code, "a code does not survive its number");
  return 0;
}
