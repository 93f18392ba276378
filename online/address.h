// Where a joiner dials, as the player types it, and where this machine can
// be reached, as the host's lobby shows it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace online {

constexpr uint16_t defaultport = 24680;

// "HOST" or "HOST:PORT"; HOST is a name or a dotted address.
bool parseaddress(const std::string& text, std::string& host, uint16_t& port, std::string* why);

// This machine's IPv4 addresses other than loopback, for telling friends.
std::vector<std::string> localaddresses();

}  // namespace online
