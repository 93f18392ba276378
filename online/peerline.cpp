#include "online/peerline.h"

#include <algorithm>

namespace online {

void peerline::open(int peernumber, uint32_t nowms, int32_t delay) {
  *this = peerline{};
  peer = peernumber;
  up = true;
  lastheard = nowms;
  since = nowms;
  theirnext.fill(delay);
}

void peerline::dial(int peernumber, uint32_t nowms) {
  *this = peerline{};
  peer = peernumber;
  dialling = true;
  since = nowms;
}

void peerline::hangup(transport& net) {
  if (up || dialling) net.disconnect(peer);
  up = dialling = false;
}

bool peerline::takeacks(const packet& p, int sender, const std::array<bool, maxmachines + 1>& present, int me,
                        int32_t mine) {
  for (int i = 0; i < p.ackcount; i++) {
    const int s = p.acks[i].machine;
    if (s < 1 || s > maxmachines || !present[s] || s == sender) return false;
    if (s == me && p.acks[i].next > mine) return false;  // what we never sent
    theirnext[s] = std::max(theirnext[s], p.acks[i].next);
  }
  return true;
}

void peerline::taketiming(const packet& p) {
  if (p.base < lastbase) return;
  lastbase = p.base;
  lastadvantage = p.advantage;
  heard = true;
}

bool peerline::addblock(int stream, const inputqueue& q, packet& out, bool& urgent) const {
  const int32_t end = q.left() ? std::min(q.next(), q.leftafter() + 1) : q.next();
  const int32_t from = theirnext[stream];
  if (from >= end) return true;
  // So far behind that the inputs are gone: it cannot catch up.
  if (!q.kept(from)) return false;
  inputblock& b = out.blocks[out.blockcount++];
  b.machine = static_cast<uint8_t>(stream);
  b.players = static_cast<uint8_t>(q.players());
  b.start = from;
  b.count = static_cast<uint8_t>(std::min<int32_t>(end - from, maxframesperblock));
  for (int k = 0; k < b.count; k++) b.frames[k] = q.known(from + k);
  // A change must go at once: the others guessed it had not happened.
  for (int32_t f = std::max(sentupto[stream], from); f < from + b.count && !urgent; f++) {
    urgent = !q.kept(f - 1) || q.known(f) != q.known(f - 1) || q.known(f).buttons;
  }
  return true;
}

void peerline::sentinputs(const packet& out, int64_t frame) {
  for (int i = 0; i < out.blockcount; i++) {
    sentupto[out.blocks[i].machine] = out.blocks[i].start + out.blocks[i].count;
  }
  lastsend_ = frame;
}

size_t peerline::send(transport& net, const packet& p, bool reliable, std::vector<uint8_t>& bytes) const {
  encode(p, bytes);
  net.send(peer, bytes.data(), bytes.size(), reliable);
  return bytes.size();
}

}  // namespace online
