// Where a joiner dials, as the player types it, and where this machine can
// be reached, as the host's lobby shows it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "online/transport.h"

namespace online {

constexpr uint16_t defaultport = 24680;

// "HOST" or "HOST:PORT"; HOST is a name or a dotted address.
bool parseaddress(const std::string& text, std::string& host, uint16_t& port, std::string* why);

// This machine's IPv4 addresses other than loopback, for telling friends.
std::vector<std::string> localaddresses();
// The same as numbers in network order, for the meeting server to pass on.
std::vector<uint32_t> localnumbers();
// Whether a network-order address is this machine's loopback or on one of
// the networks its interfaces are on: a line there is local.
bool onlocalnetwork(uint32_t address);
std::string dotted(uint32_t address);

}  // namespace online
