// One line between this machine and another of the match: whether it is up,
// when it was last heard, what the other side holds of every machine's
// inputs (its acknowledgements), what we last sent over it, how it reports
// its own frame, and how many packets came this frame.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "online/inputqueue.h"
#include "online/packet.h"
#include "online/transport.h"

namespace online {

class peerline {
 public:
  int peer = -1;
  bool up = false;
  bool dialling = false;   // a direct line we asked for, not connected yet
  uint32_t lastheard = 0;
  uint32_t since = 0;      // when it was dialled or opened
  int32_t lastbase = 0;    // the peer's frame in its latest input packet
  int lastadvantage = 0;   // its frames past us, as it reported
  bool heard = false;      // an input packet came: the two figures above mean something
  uint32_t lastnews = 0;   // when a packet over it last brought inputs we lacked
  bool waited = false;     // the match waited for inputs it should bring,
  uint32_t lastwait = 0;   // last at this time
  std::array<int32_t, maxmachines + 1> theirnext{};  // what it has of each stream
  std::array<int32_t, maxmachines + 1> sentupto{};   // the end of what we last sent of each
  std::array<bool, maxmachines + 1> theydirect{};    // it has a direct line to that machine

  // A line that is up: every stream is held from the first real frame.
  void open(int peernumber, uint32_t nowms, int32_t delay);
  void dial(int peernumber, uint32_t nowms);
  // Hangs up, whether it was up or still dialling.
  void hangup(transport& net);
  void newframe() { packetsthisframe_ = 0; }
  // One more packet came this frame: true past the limit.
  bool flooded(int limit) { return ++packetsthisframe_ > limit; }

  // Reads what the sender holds of each stream; false when it claims what
  // cannot be: a machine not in the match (`present`), itself (`sender`),
  // or more of our own (`me`, whose inputs we hold before `mine`) than we
  // ever sent.
  bool takeacks(const packet& p, int sender, const std::array<bool, maxmachines + 1>& present, int me,
                int32_t mine);
  // The sender's own frame figures, unless an older packet came late.
  void taketiming(const packet& p);

  // Adds what the other side lacks of `stream` to `out`; `urgent` becomes
  // true when it holds news (a change, a press, a resend). False when what
  // it lacks is no longer kept here.
  bool addblock(int stream, const inputqueue& q, packet& out, bool& urgent) const;
  // Whether an input packet is due though nothing changed.
  bool due(int64_t frame, int quietsend) const { return frame - lastsend_ >= quietsend; }
  void sentinputs(const packet& out, int64_t frame);
  // Sends over the line; returns the bytes sent.
  size_t send(transport& net, const packet& p, bool reliable, std::vector<uint8_t>& bytes) const;

 private:
  int64_t lastsend_ = 0;  // the frame of our latest input packet on it
  int packetsthisframe_ = 0;
};

}  // namespace online
