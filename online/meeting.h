// A game's side of the meeting server: the host registers and keeps a game
// code; a joiner looks a code up and the two are introduced; both punch
// through their routers from the socket they play on, and the joiner dials
// the first address a punch came through. Where none comes through in two
// seconds, both bind a relay port of the server and the joiner dials that:
// ENet runs through it unchanged. Games on the local network answer the
// join screen's broadcast question here too.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "online/enet_transport.h"
#include "online/meetpacket.h"
#include "online/reason.h"

namespace online {

// A key nobody can guess from what they see, never 0; false when the system
// gives no random bytes (hosting is then not safe).
bool drawkey(uint64_t& key);

class meeting {
 public:
  // `server` is "HOST[:PORT]"; false with the reason when it is no address.
  static bool findserver(const std::string& server, meetaddress& out, std::string* why);

  // A host on `net` (its game port), registering with `server`; `server`
  // with no port (0) only answers the local network's questions; `key`
  // (from drawkey) proves the room is ours.
  meeting(enettransport& net, const meetaddress& server, uint64_t key, uint32_t nowms);
  // A joiner looking up `code` at `server`.
  meeting(enettransport& net, const meetaddress& server, const std::string& code, uint32_t nowms);

  // Once a frame: reads what came, sends what is due.
  void service(uint32_t nowms);
  // Host: the game code, empty until registered.
  const std::string& code() const { return code_; }
  // Host: a meeting server was named but has not answered for a while.
  bool silent() const { return host_ && server_.port != 0 && asks_ >= 3; }
  // Joiner: the peer dialled (the host, directly or through the relay), -1
  // until then.
  int dialled() const { return dialled_; }
  // Joiner: why no line could be made.
  reason failure() const { return failure_; }
  // Host: the room goes at once (the series started or the host left).
  void close();

 private:
  // A joiner being introduced (host), or the host (joiner).
  struct pair {
    uint64_t token = 0;
    uint32_t since = 0;
    std::vector<meetaddress> places;  // public first, then local
    bool through = false;             // a punch of ours was answered, or theirs came
    int punches = 0;
    uint32_t lastpunch = 0;
    uint16_t relayport = 0;  // granted
    bool relaybound = false;
    uint32_t lastrelay = 0;
    int relaytries = 0;
  };
  void send(const meetaddress& to, const meetpacket& p);
  void sendword(const meetaddress& to, uint8_t what, uint64_t token, int hops = 0);
  void fromserver(const meetaddress& from, const meetpacket& p, uint32_t nowms);
  void fromgame(const meetaddress& from, const std::vector<uint8_t>& data, uint32_t nowms);
  void introduce(const meetpacket& p, uint32_t nowms);
  void punchandrelay(pair& q, uint32_t nowms);
  void dial(const meetaddress& to);
  void fail(reason why);
  pair* find(uint64_t token);
  void fillocals(meetpacket& p) const;
  void registerroom();

  enettransport& net_;
  meetaddress server_;
  bool host_;
  std::string code_;        // host: ours; joiner: the one looked up
  uint64_t key_ = 0;        // host: proves the room is ours
  uint64_t proof_ = 0;      // host: the server's, proves our address is ours
  std::vector<pair> pairs_;
  uint32_t lastask_ = 0;    // registration or lookup last sent
  int asks_ = 0;            // lookups sent, registrations unanswered
  bool answered_ = false;   // joiner: the server answered the lookup
  int dialled_ = -1;
  reason failure_ = reason::none;
  uint32_t offerwindow_ = 0;  // LAN offers made in the current second
  int offers_ = 0;
  std::vector<uint8_t> bytes_;
};

// The join screen's list of games on the local network.
struct langame {
  std::string address;  // "HOST:PORT", as --join takes it
  std::string code;
  std::string name;
};

class lanlist {
 public:
  explicit lanlist(uint32_t nowms);
  // Asks again now and then, and gathers the answers.
  void service(uint32_t nowms);
  const std::vector<langame>& games() const { return games_; }

 private:
  std::unique_ptr<lanfinder> finder_;
  std::vector<langame> games_;
  uint32_t lastask_ = 0;
  bool asked_ = false;
};

}  // namespace online
