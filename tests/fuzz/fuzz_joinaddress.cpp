// What a joiner types, or finds in lastjoin.txt, as the host to join, and
// the --netsim conditions: refused with a message, or a host of name or
// address characters and a port that exists; conditions within their ranges.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "online/address.h"
#include "online/netsim.h"

namespace {
void check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "broken: %s\n", what);
  std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string host, why;
  uint16_t port = 0;
  if (online::parseaddress(text, host, port, &why)) {
    check(!host.empty() && host.size() <= 253, "a host of no or too many characters");
    for (char c : host)
      check(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-',
            "a host with a character no name or address has");
    check(port != 0, "port 0 accepted");
  } else {
    check(!why.empty(), "refused without a message");
  }
  online::netconditions c;
  why.clear();
  if (online::parseconditions(text, c, &why)) {
    check(c.loss >= 0 && c.loss <= 100 && c.delay >= 0 && c.delay <= 5000 && c.jitter >= 0 &&
              c.jitter <= 5000,
          "conditions out of range accepted");
  } else {
    check(!why.empty(), "conditions refused without a message");
  }
  return 0;
}
