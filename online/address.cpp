#include "online/address.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>

#include <cctype>

namespace online {

bool parseaddress(const std::string& text, std::string& host, uint16_t& port, std::string* why) {
  const size_t colon = text.rfind(':');
  host = text.substr(0, colon);
  port = defaultport;
  if (colon != std::string::npos) {
    const std::string digits = text.substr(colon + 1);
    long value = 0;
    for (char c : digits) {
      if (!std::isdigit(static_cast<unsigned char>(c)) || value > 65535) {
        value = -1;
        break;
      }
      value = value * 10 + (c - '0');
    }
    if (digits.empty() || value < 1 || value > 65535) {
      if (why) *why = "THE PORT MUST BE A NUMBER FROM 1 TO 65535";
      return false;
    }
    port = static_cast<uint16_t>(value);
  }
  bool ok = !host.empty() && host.size() <= 253;
  for (char c : host) {
    ok = ok && (std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-');
  }
  if (!ok) {
    if (why) *why = "TYPE THE HOST AS A NAME OR AN ADDRESS, WITH :PORT IF NEEDED";
    return false;
  }
  return true;
}

std::vector<std::string> localaddresses() {
  std::vector<std::string> out;
#ifdef __EMSCRIPTEN__
  // A web page sees no network interfaces (and plays no online game).
  return out;
#endif
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return out;
  for (ifaddrs* a = list; a; a = a->ifa_next) {
    if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET) continue;
    const auto* in = reinterpret_cast<const sockaddr_in*>(a->ifa_addr);
    if ((ntohl(in->sin_addr.s_addr) >> 24) == 127) continue;
    char text[INET_ADDRSTRLEN] = {};
    if (inet_ntop(AF_INET, &in->sin_addr, text, sizeof text)) out.push_back(text);
  }
  freeifaddrs(list);
  return out;
}

std::vector<uint32_t> localnumbers() {
  std::vector<uint32_t> out;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return out;
  for (ifaddrs* a = list; a; a = a->ifa_next) {
    if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET) continue;
    const uint32_t n = reinterpret_cast<const sockaddr_in*>(a->ifa_addr)->sin_addr.s_addr;
    if ((ntohl(n) >> 24) != 127) out.push_back(n);
  }
  freeifaddrs(list);
  return out;
}

bool onlocalnetwork(uint32_t address) {
  if ((ntohl(address) >> 24) == 127) return true;
  bool local = false;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return false;
  for (ifaddrs* a = list; a && !local; a = a->ifa_next) {
    if (!a->ifa_addr || !a->ifa_netmask || a->ifa_addr->sa_family != AF_INET) continue;
    const uint32_t mine = reinterpret_cast<const sockaddr_in*>(a->ifa_addr)->sin_addr.s_addr;
    const uint32_t mask = reinterpret_cast<const sockaddr_in*>(a->ifa_netmask)->sin_addr.s_addr;
    local = (mine & mask) == (address & mask);
  }
  freeifaddrs(list);
  return local;
}

std::string dotted(uint32_t address) {
  char text[INET_ADDRSTRLEN] = {};
  in_addr a;
  a.s_addr = address;
  return inet_ntop(AF_INET, &a, text, sizeof text) ? text : "";
}

const char* linename(linekind k) {
  switch (k) {
    case linekind::lan:
      return "lan";
    case linekind::direct:
      return "direct";
    case linekind::relay:
      return "relay";
    case linekind::unknown:
      break;
  }
  return "unknown";
}

}  // namespace online
