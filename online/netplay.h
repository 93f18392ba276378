// One machine's part in an online series, from the lobby to the last match:
// the transport (ENet, behind a simulated bad network when asked), the
// lobby, a session per match, and what happened, as news for the game. The
// game drives it once a frame and never sees a socket.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "online/enet_transport.h"
#include "online/lobby.h"
#include "online/meeting.h"
#include "online/netsim.h"
#include "online/session.h"

namespace online {

struct netplayoptions {
  bool host = false;
  uint16_t port = 0;      // the host's UDP port
  std::string address;    // a joiner's "HOST", "HOST:PORT" or game code
  std::string meet;       // the meeting server's "HOST[:PORT]", empty for none
  bool simulate = false;  // --netsim
  netconditions conditions;
  lobbyidentity identity;
  const char* only = nullptr;  // keeps the sockets to one address of this machine
};

// What happened in the series since the game last asked, in order.
struct netnews {
  enum kind {
    joined,  // `machine` joined the lobby
    left,    // `machine` left the lobby, or the match (the computer plays its men)
    start,   // a match begins with `men` men in all
    check,   // this machine's `checksum` of confirmed `frame`
    desync,  // this machine's match differs from the host's at `frame`
    gotcode,  // the meeting server gave the host its game `code`
    lineup,   // the line to `machine` is up, or changed, and runs as `route`
  } what = joined;
  int machine = 0;
  int men = 0;
  int32_t frame = 0;
  uint64_t checksum = 0;
  std::string code;
  linekind route = linekind::unknown;
};

class netplay {
 public:
  // Opens ENet as the options say; null with the reason when it cannot.
  static std::unique_ptr<netplay> open(const netplayoptions& o, uint32_t nowms, std::string* why);
  // Over a transport the caller owns (the in-process network of tests); a
  // joiner's transport must already be dialling the host.
  // `meetfirst`: a joiner whose host the meeting server finds first.
  netplay(transport& net, const netplayoptions& o, uint32_t nowms, bool meetfirst = false);
  ~netplay();

  bool ishost() const { return host_ != nullptr; }
  // The UDP port ENet listens on (the host's), or 0.
  uint16_t port() const;
  // The host's game code from the meeting server, empty until there is one.
  std::string code() const { return meet_ ? meet_->code() : std::string(); }
  // How the host stands with the meeting server, for the lobby to say.
  enum meetstate { nomeeting, asking, registered, silent };
  meetstate meetstatus() const;
  // Why the meeting server named cannot be used, or empty.
  const std::string& meetproblem() const { return meetproblem_; }

  // The lobby, once a frame until the match starts.
  void servicelobby(uint32_t nowms);
  const std::vector<rosterentry>& roster() const;
  // This machine's players (Left and Right in the lobby).
  bool setplayers(int players);
  bool canstart() const { return host_ && host_->canstart(); }
  // Host: takes a joiner out of the lobby.
  bool remove(int machine) { return host_ && !started_ && host_->remove(machine); }
  // Host: starts the series with its settings and random seed.
  void startseries(uint64_t seed, const std::vector<uint8_t>& settings, uint32_t nowms);
  // The series has started: start() says with what.
  bool started() const { return started_; }
  const lobbystart& start() const { return start_; }
  // Why this machine is out of the series (refused, no answer, the host
  // left, out of sync), or reason::none.
  reason failure() const { return failure_; }
  // The version a host that refused ours runs.
  const std::string& hostversion() const;

  // A match of the series: every machine begins it once the previous one
  // ended, and ticks it once a frame. Between matches, tick with `play`
  // false so the lines stay alive.
  void beginmatch(rollbackgame& game, uint32_t nowms);
  session::result tick(const machineinput& local, uint32_t nowms, bool play = true);
  session* match() { return session_.get(); }
  int men() const;

  bool pollnews(netnews& out);

  // Esc or the window closing: hangs up on everybody.
  void close();

 private:
  void tell(const netnews& n) {
    if (news_.size() < 256) news_.push_back(n);
  }
  void lobbyevents();
  void meetinglobby(uint32_t nowms);
  void routelines();

  std::unique_ptr<enettransport> owned_;
  std::unique_ptr<meeting> meet_;
  std::string meetproblem_;
  std::string announcedcode_;
  int players_ = 1;
  linekind routes_[maxmachines + 1] = {};  // announced, by machine
  std::unique_ptr<netsim> sim_;
  transport* net_ = nullptr;
  netplayoptions options_;
  std::unique_ptr<lobbyhost> host_;
  std::unique_ptr<lobbyjoin> join_;
  std::unique_ptr<session> session_;
  lobbystart start_;
  bool started_ = false;
  int epoch_ = -1;
  std::vector<int> departed_;
  reason failure_ = reason::none;
  std::deque<netnews> news_;
};

}  // namespace online
