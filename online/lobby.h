// Before a match: joiners reach the host, show who they are (game version,
// body file, how many players they bring), and wait in the lobby until the
// host starts; the host's settings and random seed then go to everybody.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "online/packet.h"
#include "online/reason.h"
#include "online/session.h"
#include "online/transport.h"

namespace online {

struct lobbyidentity {
  std::string version;    // the game's version
  uint64_t bodyhash = 0;  // the body file's, so men move alike everywhere
  int players = 1;        // players this machine brings
  // Host: where the keys of the joiners' direct lines come from; nobody
  // else learns it.
  uint64_t secret = 0;
};

struct lobbyevent {
  enum kind { joined, left } what = joined;
  int machine = 0;
};

// A hung-up or silent peer in the lobby is given up after this long.
constexpr uint32_t lobbytimeout = 5000;
// A connection must say hello this soon: one that does not holds a place
// an honest joiner may need.
constexpr uint32_t hellotimeout = 1500;
// Connections from one address that have not said hello yet; a further
// one lets the oldest go.
constexpr int strangersperaddress = 2;

// The match every machine starts, as the host decided it.
struct lobbystart {
  sessionsetup setup;
  uint64_t seed = 0;
  std::vector<uint8_t> settings;
};

class lobbyhost {
 public:
  lobbyhost(transport& net, const lobbyidentity& me);
  // Once a frame until start(): answers joiners, keeps everyone's roster fresh.
  void service(uint32_t nowms);
  // This machine's players; false when that would make too many men.
  bool setplayers(int players);
  int men() const;
  bool canstart() const { return men() >= 2; }
  // The machines in the lobby, the host first, then joiners by number.
  const std::vector<rosterentry>& roster() const { return roster_; }
  bool pollevent(lobbyevent& out);
  // Sends the start to every joiner. The session takes the transport over
  // from here; peerof() gives its links.
  lobbystart start(uint64_t seed, const std::vector<uint8_t>& settings, int delay, uint32_t nowms);
  int peerof(int machine) const;
  // Takes a joiner out of the lobby: it is told so and hung up on.
  bool remove(int machine);
  // Esc: hangs up on everybody.
  void close();

 private:
  struct guest {
    int peer = -1;
    int machine = 0;  // 0 until its hello is accepted
    int players = 0;
    uint32_t since = 0;
    uint32_t lastheard = 0;
    uint32_t address = 0;
  };
  void admit(int peer, uint32_t nowms);
  void handle(guest& g, const netevent& e, uint32_t nowms);
  void refuse(guest& g, refusal why);
  void drop(guest& g);
  void rebuild();
  void broadcast();
  guest* find(int peer);

  transport& net_;
  lobbyidentity me_;
  std::vector<guest> guests_;
  std::vector<rosterentry> roster_;
  std::deque<lobbyevent> events_;
  netevent incoming_;
  packet in_, out_;
  std::vector<uint8_t> bytes_;
  uint32_t lastroster_ = 0;
  bool started_ = false;
};

class lobbyjoin {
 public:
  enum state { connecting, waiting, inlobby, started, failed };

  // The transport is already dialling the host.
  lobbyjoin(transport& net, const lobbyidentity& me, uint32_t nowms);
  // Once a frame; stops reading right after the start, so the packets that
  // follow it are left for the session.
  void service(uint32_t nowms);
  state status() const { return state_; }
  // Why it failed; reason::none after close().
  reason failure() const { return failure_; }
  // The version a host that refused ours runs.
  const std::string& hostversion() const { return hostversion_; }
  void setplayers(int players);
  int me() const { return me_; }
  int hostpeer() const { return hostpeer_; }
  const std::vector<rosterentry>& roster() const { return roster_; }
  bool pollevent(lobbyevent& out);
  // After status() is started.
  const lobbystart& start() const { return start_; }
  void close();

 private:
  void fail(reason why);
  void handle(const netevent& e, uint32_t nowms);
  void takeroster(const packet& p);
  void send(const packet& p);

  transport& net_;
  lobbyidentity id_;
  state state_ = connecting;
  reason failure_ = reason::none;
  std::string hostversion_;
  int hostpeer_ = -1;
  int me_ = 0;
  uint32_t since_;
  uint32_t lastheard_ = 0;
  uint32_t lastsent_ = 0;
  std::vector<rosterentry> roster_;
  std::deque<lobbyevent> events_;
  lobbystart start_;
  netevent incoming_;
  packet in_, out_;
  std::vector<uint8_t> bytes_;
};

}  // namespace online
