// A match played by several machines, each running the whole simulation.
// Every machine sends its players' inputs to the others a few frames ahead
// of their use (the input delay); a frame is never held up for a late input:
// the session guesses it (the last input that arrived), and when the real
// one differs it loads the state saved before that frame and simulates up
// to the present again, silently, before drawing the next frame.
//
// Joiners dial each other when the match starts and send their inputs
// straight to everybody; the host passes on the inputs of any machine a
// joiner has no direct line to. The host alone decides departures: it asks
// the others how much of the departed machine's inputs they hold, gathers
// them, and names the frame after which the computer plays its men. Every 60
// confirmed frames the machines compare checksums with the host.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "match/rollback.h"
#include "online/checkbook.h"
#include "online/departures.h"
#include "online/inputqueue.h"
#include "online/netgame.h"
#include "online/packet.h"
#include "online/peerline.h"
#include "online/reason.h"
#include "online/timesync.h"
#include "online/transport.h"

namespace online {

struct sessionsetup {
  int me = 1;  // this machine's number; 1 is the host
  // The machines in the order of their men: the host first. The joiners'
  // addresses are where they are dialled.
  int machines = 0;
  std::array<rosterentry, maxmachines> roster{};
  // keys[m] opens the direct line between this machine and joiner m: the
  // host gives it to exactly those two, so no third can pose as either.
  std::array<uint64_t, maxmachines + 1> keys{};
  uint8_t epoch = 0;             // the match's number in the series
  int delay = 2;                 // frames between a press and its use
  int window = 8;                // the furthest a guess may run ahead of the inputs
  // Milliseconds a peer may be silent, or hold the match up with no new
  // inputs, before it is dropped.
  uint32_t droptimeout = 5000;
  int checkinterval = 60;        // frames between checksum comparisons
  int floodlimit = 512;          // packets from one peer in one frame
  // While nothing changes, inputs go out every this many frames: the guess
  // (the last input) is right, so only the window waits on them.
  int quietsend = 2;
  bool directlines = true;       // joiners dial each other
};

// The key of the direct line between machines a and b, from the host's
// secret: the same whichever of the two asks.
uint64_t pairkey(uint64_t secret, int a, int b);

struct sessionevent {
  enum kind {
    check,     // this machine's checksum of a confirmed frame
    left,      // a machine left; the computer plays its men after `frame`
    desync,    // this machine's match differs from the host's at `frame`: it is over here
    hostleft,  // the host is gone or hung up on us: the series is over
  } what = check;
  int machine = 0;
  int32_t frame = 0;
  uint64_t checksum = 0;
  reason why = reason::none;  // hostleft: what happened
};

struct sessionstats {
  int64_t frames = 0;          // frames played
  int64_t rollbacks = 0;       // frames on which a rollback happened
  int64_t resimulated = 0;     // frames simulated again
  int longestrollback = 0;
  int64_t timesyncwaits = 0;   // frames skipped to let the others catch up
  int64_t windowstalls = 0;    // frames held because the inputs were too far behind
  int64_t packetssent = 0;
  int64_t bytessent = 0;
  int64_t packetsreceived = 0;
  int64_t bytesreceived = 0;
};

class session {
 public:
  session(rollbackgame& game, transport& net, const sessionsetup& setup);

  // A machine that left in an earlier match of the series: the computer
  // plays its men from the start. Done before the first tick.
  void gone(int machine);

  // The transport's peer for a machine already reached in the lobby (for a
  // joiner the host; for the host every joiner). Done before the first tick;
  // joiners dial each other on their own.
  void link(int machine, int peer, uint32_t nowms);

  enum result { advanced, waited, over };
  // One frame of the game loop: takes what arrived, rolls back when a guess
  // was wrong, plays the next frame unless this machine must wait, sends.
  // `local` holds this machine's players in its own order. With `play`
  // false (the match has ended, the next has not begun) it only keeps the
  // lines alive: no frame is played and nobody is dropped for waiting.
  result tick(const machineinput& local, uint32_t nowms, bool play = true);

  bool pollevent(sessionevent& out);

  int32_t frame() const { return core_.frame(); }
  // Every input of the frames before this one is known on this machine.
  int32_t confirmed() const;
  bool isover() const { return over_; }
  const sessionstats& stats() const { return stats_; }
  // The first man of a machine and how many it has.
  int firstman(int machine) const;
  int players(int machine) const;
  // Whether a direct line to that machine is up.
  bool direct(int machine) const;
  // The transport's peer of a line that is up, or -1: the next match of the
  // series takes the lines over.
  int peerof(int machine) const { return usable(machine) ? lines_[machine].peer : -1; }
  // The input the match gets in `frame` from all machines.
  FrameInput frameinput(int32_t frame);
  // What this machine's players did in the latest frame it played, and the
  // frame that input belongs to (a delay later).
  int32_t lastlocalframe() const { return lastlocalframe_; }
  const machineinput& lastlocal() const { return lastlocal_; }

  // The inputs of confirmed frames, each once and in order, as a replay
  // records them: every machine hands out the same ones. Call after every
  // tick; false when no new frame was confirmed.
  bool takeconfirmed(int32_t& frame, FrameInput& input);

  // Leaves on purpose: tells the others right away.
  void quit();

  // The latest frame was held up by inputs that have not come: `machine` is
  // the one waiting is for, `held` how long (milliseconds) it has held the
  // match up, silent or dripping, and `left` the time until it is dropped.
  // False when the latest frame was not held up by a missing input.
  bool waiting(uint32_t& held, int& machine, uint32_t& left) const;

 private:
  bool present(int machine) const { return machine >= 1 && machine <= maxmachines && present_[machine]; }
  bool ishost() const { return setup_.me == 1; }
  bool usable(int machine) const { return machine >= 1 && machine <= maxmachines && lines_[machine].up; }
  // Streams that travel over the line to `machine`: sent, received, and
  // acknowledged by the other side.
  bool sendsover(int stream, int machine) const;
  bool receivesover(int stream, int machine) const;
  int lineof(int peer) const;

  void dialjoiners(uint32_t nowms);
  // What arrives (intake.cpp).
  void receiveall(uint32_t nowms);
  void knock(int peer, const netevent& e, uint32_t nowms);
  void handle(int machine, const packet& p, uint32_t nowms);
  bool takeinput(int machine, const packet& p);
  void lose(int machine, reason why);
  void startdeparture(int machine);
  void settledepartures(uint32_t nowms);
  void depart(int machine, int32_t after);
  void rollback();
  void simulate(int32_t f, bool silent);
  void reportchecks();
  void comparecheck(int machine, int32_t frame, uint64_t sum);
  void sendinputs();
  void sendreliable(int machine, const packet& p);
  void holdup(uint32_t nowms, bool stalled);
  void blame(int machine, int32_t frame);
  // The machines the present stall waits for: those whose inputs are
  // missing at the frame that blocks.
  std::array<bool, maxmachines + 1> holders() const;
  void outofstep(int32_t frame);
  void push(const sessionevent& e);

  rollbackgame& game_;
  transport& net_;
  sessionsetup setup_;
  rollbackcore core_;
  checkbook checks_;
  departures departures_;
  std::array<bool, maxmachines + 1> present_{};
  std::array<inputqueue, maxmachines + 1> queues_{};  // by machine number
  std::array<peerline, maxmachines + 1> lines_{};
  std::array<int, maxmachines + 1> firstman_{};
  // Strangers that knocked: peers waiting to say which joiner they are.
  std::vector<std::pair<int, uint32_t>> knocks_;
  int32_t handedout_ = 0; // the first frame takeconfirmed() has not given yet
  int64_t ticks_ = 0;
  uint8_t pendingbuttons_ = 0;
  int32_t lastlocalframe_ = -1;
  machineinput lastlocal_;
  bool dialled_ = false;
  uint32_t now_ = 0;
  // What holding the match up costs each machine: milliseconds of waiting
  // for its inputs, paid back slowly while frames flow. Past the drop
  // timeout it counts as silence, whatever else it sends.
  std::array<uint32_t, maxmachines + 1> held_{};
  uint32_t lastnow_ = 0;
  bool ticked_ = false;
  bool stalled_ = false;
  bool over_ = false;
  timesync sync_;
  std::deque<sessionevent> events_;
  sessionstats stats_;
  netevent incoming_;
  packet in_;
  packet out_;
  std::vector<uint8_t> bytes_;
};

}  // namespace online
