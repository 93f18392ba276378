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

}  // namespace online
