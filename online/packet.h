// The bytes machines send each other, and the checks every received packet
// passes before anything reads it. A packet is one message; its first byte
// holds the protocol version and the message type.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "online/netgame.h"
#include "online/transport.h"

namespace online {

constexpr uint8_t protocolversion = 1;
constexpr int maxframesperblock = 32;  // inputs of one machine in one packet
constexpr int maxsettings = 64;        // the host's match settings, opaque here
constexpr int maxversion = 16;         // characters of the game's version
constexpr int32_t maxframe = 1 << 30;  // frame numbers stay far from overflow
constexpr int maxdelay = 8;
constexpr size_t maxpacket = 2048;     // nothing legitimate comes near it

enum class packettype : uint8_t {
  hello = 1,    // joiner -> host: who I am and what I run
  welcome,      // host -> joiner: your machine number
  refuse,       // host -> joiner: why not and the host's version, then the host hangs up
  roster,       // host -> all: the machines in the lobby
  players,      // joiner -> host: how many players I bring now
  start,        // host -> all: the match begins
  input,        // anyone: inputs, acknowledgements, time sync
  check,        // anyone: the checksum of a confirmed frame
  leave,        // host -> all: a machine left, the computer plays its men after a frame
  desync,       // anyone: the checksums differed
  meet,         // joiner -> joiner: the first words on a direct line
  leaving,      // host -> joiners: a machine is gone; joiner -> host: how much of it I have
  last = leaving
};

enum class refusal : uint8_t {
  version = 1,  // a different game version
  bodyfile,     // a different body file
  full,         // no room for that many men
  started,      // the match has begun
  removed,      // the host took this machine out of the lobby
  last = removed
};

struct rosterentry {
  uint8_t machine = 0;  // 1 is the host
  uint8_t players = 0;
  uint16_t roundtrip = 0;  // milliseconds, as the host measures it
  // Where the host reaches it, so the joiners can reach each other (start only).
  uint32_t address = 0;
  uint16_t port = 0;
  linekind route = linekind::unknown;  // the line to the host, as the host sees it (roster only)
};

// Inputs of one machine for `count` frames from `start`.
struct inputblock {
  uint8_t machine = 0;
  uint8_t players = 0;
  int32_t start = 0;
  uint8_t count = 0;
  std::array<machineinput, maxframesperblock> frames{};
};

// "I have every input of that machine before frame `next`."
struct inputack {
  uint8_t machine = 0;
  int32_t next = 0;
};

// Messages of a match carry its number in the series, so a late packet of
// the previous match is never taken for one of the next.
bool inmatch(packettype type);

struct packet {
  packettype type = packettype::input;
  uint8_t epoch = 0;  // the match's number in the series, for inmatch() types

  // hello (the joiner's version), refuse (the host's, printable characters)
  std::array<char, maxversion> version{};
  uint8_t versionlength = 0;
  uint64_t bodyhash = 0;
  uint8_t players = 0;  // hello and players

  // welcome, leave, meet, leaving
  uint8_t machine = 0;
  uint64_t token = 0;  // meet: the line's key, which the host gave only to its two machines

  // refuse
  refusal reason = refusal::version;

  // roster and start
  uint8_t rostercount = 0;
  std::array<rosterentry, maxmachines> roster{};

  // start
  uint64_t seed = 0;
  uint8_t delay = 0;
  uint8_t settingslength = 0;
  std::array<uint8_t, maxsettings> settings{};
  // For each machine of the roster, the key of the direct line between it
  // and the receiver: each joiner gets its own start.
  std::array<uint64_t, maxmachines> keys{};

  // input
  int8_t advantage = 0;  // the sender's frames ahead of the receiver, as it sees it
  int32_t base = 0;      // the sender's current frame
  uint8_t ackcount = 0;
  std::array<inputack, maxmachines> acks{};
  uint8_t blockcount = 0;
  std::array<inputblock, maxmachines> blocks{};
  // To the host: bit m set when a direct line to machine m is up, so the
  // host need not pass its inputs on (nor hear how far they got).
  uint8_t directmask = 0;

  // check, leave, desync, leaving
  int32_t frame = 0;
  uint64_t checksum = 0;

  std::string versionstring() const { return std::string(version.data(), versionlength); }
  void setversion(const std::string& v);
};

// Writes the packet into `out` (cleared first). The packet must be one that
// decode() accepts; anything else is a programming error and asserts.
void encode(const packet& p, std::vector<uint8_t>& out);

// Reads one packet. Everything that can be checked without knowing the
// session is checked here: the version, the type, every length and count,
// machine and player numbers, frame ranges, input bits, no bytes left over.
// On failure `why` (when given) names the first fault and `out` is
// meaningless.
bool decode(const uint8_t* data, size_t size, packet& out, std::string* why = nullptr);

// A player's controls as the match may receive them from another machine.
bool validplayerinput(const PlayerInput& in);

}  // namespace online
