// What the game and the meeting server say to each other, as plain bytes.
// The game talks to the server from the socket it plays on, so every
// datagram starts with `meetmagic` (4 bytes) and the version byte: the game
// takes those out of its stream before the transport sees them.
//
//   [magic 4][version 1][type 1][fields...][zero padding]
//
// Numbers are big-endian. An address is 6 bytes: IPv4 then port. A code is
// 6 characters of `codealphabet`, or 6 zero bytes for none.
//
// Requests (host or joiner to server, or to a relay port, or a LAN probe)
// are always padded with zeros to exactly `meetrequestsize` bytes; replies
// are their natural length and never longer than that. So the server never
// sends more bytes than it got, whoever the sender pretends to be.
//
//   hostregister  host -> server   key, wanted code (or none), proof (or 0),
//                                  local addresses. Sent every `meetrefreshms`
//                                  to keep the room; the key proves the room is
//                                  this host's, and the wanted code lets a host
//                                  keep its code across a restart of the server.
//   registered    server -> host   code, proof, the host's public address as
//                                  seen. A host sends hostregister again at
//                                  once with a proof it has not sent before:
//                                  until the server gets its proof back from
//                                  the host's address, nobody is introduced to
//                                  the room (the address may be forged).
//   lookup        joiner -> server code, the joiner's local addresses
//   introduce     server -> both   pair token, your role, the peer's public
//                                  and local addresses: start punching now
//   relayrequest  either -> server pair token
//   relaygrant    server -> either pair token, relay port (on the server's IP)
//   relaybind     either -> relay  pair token, role; binds the sender's
//                                  address to that role. Afterwards the relay
//                                  forwards any other datagram unchanged
//                                  between the two bound addresses.
//   relaybound    relay -> either  pair token, role
//   hostclose     host -> server   key, code: the room goes at once
//   error         server -> anyone reason, the code and token it concerns
//   lanprobe      game -> broadcast
//   lanoffer      host -> prober   game port, code (or none), a short name
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace online {

constexpr std::array<uint8_t, 4> meetmagic = {0xff, 0xff, 'P', 'm'};
constexpr uint8_t meetversion = 1;
constexpr uint16_t defaultmeetport = 24681;
constexpr size_t meetrequestsize = 64;
constexpr int maxlocals = 4;     // local addresses a machine reports
constexpr int maxlanname = 16;   // characters of a LAN offer's name
constexpr int codelength = 6;
// No 0/O, 1/I/L: 31 symbols, 31^6 (about 887 million) codes.
constexpr char codealphabet[] = "23456789ABCDEFGHJKMNPQRSTUVWXYZ";
constexpr int codesymbols = sizeof(codealphabet) - 1;
constexpr uint32_t codespace = 887503681u;  // codesymbols^codelength
constexpr uint32_t meetrefreshms = 15000;   // a host's register interval
constexpr uint32_t roomlifetimems = 60000;  // a room without refresh goes

enum class meettype : uint8_t {
  hostregister = 1,
  registered,
  lookup,
  introduce,
  relayrequest,
  relaygrant,
  relaybind,
  relaybound,
  hostclose,
  error,
  lanprobe,
  lanoffer,
  last = lanoffer
};

enum class meeterror : uint8_t {
  unknowncode = 1,  // no room has that code (or it expired)
  ratelimited,      // too many requests from this address: wait
  relayfull,        // no relay port is free
  serverfull,       // no room is free
  unknownpair,      // no introduction with that token (or it expired)
  version,          // the server speaks another version
  last = version
};

// What the game shows for an error from the server.
const char* meeterrortext(meeterror reason);

enum class meetrole : uint8_t { host = 0, joiner = 1 };

// An IPv4 address in host order (a.b.c.d is a << 24 | ...), port in host order.
struct meetaddress {
  uint32_t ip = 0;
  uint16_t port = 0;
  bool operator==(const meetaddress& o) const { return ip == o.ip && port == o.port; }
  bool operator!=(const meetaddress& o) const { return !(*this == o); }
};

// "a.b.c.d:port"
std::string meetaddresstext(const meetaddress& a);

struct meetpacket {
  meettype type = meettype::lookup;
  uint64_t key = 0;      // hostregister, hostclose: the host's secret, nonzero
  // introduce, relay*: the pair's, nonzero; error: 0 for none; registered:
  // the proof, nonzero; hostregister: the last proof received, 0 for none.
  uint64_t token = 0;
  std::string code;      // empty or codelength characters of codealphabet
  meetrole role = meetrole::host;  // introduce, relaybind, relaybound
  meetaddress address;   // registered: the host's public; introduce: the peer's public
  uint8_t localcount = 0;  // hostregister, lookup, introduce (the peer's)
  std::array<meetaddress, maxlocals> locals{};
  uint16_t port = 0;     // relaygrant: the relay port; lanoffer: the game port
  meeterror reason = meeterror::unknowncode;  // error
  std::string name;      // lanoffer: printable, at most maxlanname
};

// Requests are padded to meetrequestsize; replies are not.
bool meetrequest(meettype type);

// Writes the packet into `out` (cleared first). The packet must be one that
// decodemeet() accepts; anything else is a programming error and asserts.
void encodemeet(const meetpacket& p, std::vector<uint8_t>& out);

// Reads one datagram: magic, version, type, every field, the exact length and
// zero padding. On failure `why` (when given) names the fault.
bool decodemeet(const uint8_t* data, size_t size, meetpacket& out, std::string* why = nullptr);

// Whether a datagram starts with the magic (of any version): for telling the
// meeting server's datagrams from the game's own.
bool meetdatagram(const uint8_t* data, size_t size);

// Codes: valid (exactly six symbols of the alphabet); a typed code made
// valid (lower case raised, blanks and dashes dropped), false when it cannot
// be; and the number of a code in 0..codespace-1 and back.
bool validcode(const std::string& code);
bool parsecode(const std::string& typed, std::string& code);
uint32_t codeindex(const std::string& code);
std::string codefromindex(uint32_t index);

// An address a machine may name as its own local one: no 0.x.x.x, no
// multicast or reserved (224 and up), port not 0. Loopback is allowed.
bool validlocal(const meetaddress& a);

}  // namespace online
