// What arrives over a match's lines: strangers knocking with the key of a
// direct line, and packets from the machines of the match, each checked
// against what its sender may say before the session acts on it.
#include "online/session.h"

#include <algorithm>

namespace online {
namespace {

// Joiners dialling us at once while they say who they are.
constexpr size_t maxknocks = maxmachines;

}  // namespace

void session::knock(int peer, const netevent& e, uint32_t nowms) {
  auto k = std::find_if(knocks_.begin(), knocks_.end(), [peer](const std::pair<int, uint32_t>& x) { return x.first == peer; });
  if (e.what == netevent::connected) {
    if (k != knocks_.end()) return;
    if (ishost() || !setup_.directlines || knocks_.size() >= maxknocks) {
      // A late knock at the host: the match has begun without it.
      out_.type = packettype::refuse;
      out_.reason = refusal::started;
      encode(out_, bytes_);
      net_.send(peer, bytes_.data(), bytes_.size(), true);
      net_.disconnect(peer);
      return;
    }
    knocks_.push_back({peer, nowms});
    return;
  }
  if (e.what == netevent::disconnected) {
    if (k != knocks_.end()) knocks_.erase(k);
    return;
  }
  // A line must say which joiner of this match it is before it counts;
  // inputs that overtook the greeting are sent again anyway. The greeting
  // may also come on a line whose connection the lobby saw, before this
  // machine's match began.
  if (ishost() || !setup_.directlines) return;
  if (!decode(e.data.data(), e.data.size(), in_) || in_.type != packettype::meet) return;
  if (k != knocks_.end()) knocks_.erase(k);
  const bool ok = in_.token != 0 && in_.token == setup_.keys[in_.machine] && present(in_.machine) && in_.machine != 1 &&
                  in_.machine < setup_.me && !lines_[in_.machine].up && !lines_[in_.machine].dialling;
  if (!ok) {
    net_.disconnect(peer);
    return;
  }
  lines_[in_.machine].open(peer, nowms, setup_.delay);
}

void session::receiveall(uint32_t nowms) {
  net_.service(nowms);
  while (net_.receive(incoming_)) {
    const int m = lineof(incoming_.peer);
    if (m == 0) {
      knock(incoming_.peer, incoming_, nowms);
      continue;
    }
    peerline& l = lines_[m];
    if (incoming_.what == netevent::disconnected) {
      lose(m, reason::hostleft);
      continue;
    }
    if (incoming_.what == netevent::connected) {
      if (l.dialling) {
        // Our call went through: say who we are before anything else.
        l.open(incoming_.peer, nowms, setup_.delay);
        out_.type = packettype::meet;
        out_.machine = static_cast<uint8_t>(setup_.me);
        out_.token = setup_.keys[m];
        sendreliable(m, out_);
      }
      continue;
    }
    stats_.packetsreceived++;
    stats_.bytesreceived += static_cast<int64_t>(incoming_.data.size());
    if (l.flooded(setup_.floodlimit)) {
      lose(m, reason::flooded);
      continue;
    }
    if (!decode(incoming_.data.data(), incoming_.data.size(), in_)) {
      lose(m, reason::brokenpacket);
      continue;
    }
    if (inmatch(in_.type) && in_.epoch != setup_.epoch) {
      // The previous match's last words, or the next one's first: the
      // machine is alive, and anything that matters is sent again.
      l.lastheard = nowms;
      continue;
    }
    handle(m, in_, nowms);
    if (over_) return;
  }
}

void session::handle(int machine, const packet& p, uint32_t nowms) {
  peerline& l = lines_[machine];
  const bool fromhost = machine == 1;
  switch (p.type) {
    case packettype::input:
      if (!takeinput(machine, p)) {
        lose(machine, reason::badpacket);
        return;
      }
      break;
    case packettype::check:
      // Checksums are compared with the host only.
      if (ishost() || fromhost) comparecheck(machine, p.frame, p.checksum);
      break;
    case packettype::leaving:
      if (ishost()) {
        // A joiner's answer: how much of the departed machine it holds.
        if (!departures_.asked(machine, p.machine)) break;
        if (p.frame > frame() + setup_.window + 2 * setup_.delay + 2) {
          lose(machine, reason::badpacket);
          return;
        }
        departures_.answer(machine, p.machine, p.frame);
      } else if (fromhost && present(p.machine) && p.machine != setup_.me) {
        // Hand the host what we hold of it, and stop listening to it.
        departures_.markleaving(p.machine);
        l.theirnext[p.machine] = std::max(l.theirnext[p.machine], p.frame);
        if (lines_[p.machine].up || lines_[p.machine].dialling) {
          lines_[p.machine].hangup(net_);
          sync_.forget(p.machine - 1);
        }
        out_.type = packettype::leaving;
        out_.machine = p.machine;
        out_.frame = queues_[p.machine].next();
        sendreliable(1, out_);
      } else {
        lose(machine, reason::badpacket);
        return;
      }
      break;
    case packettype::leave:
      // Only the host announces departures; our own means the host dropped us.
      if (!fromhost || !present(p.machine)) {
        lose(machine, reason::badpacket);
        return;
      }
      if (p.machine == setup_.me) {
        lose(machine, reason::dropped);
        return;
      }
      if (!queues_[p.machine].left()) {
        if (lines_[p.machine].up) lines_[p.machine].hangup(net_);
        depart(p.machine, p.frame);
      }
      break;
    case packettype::desync:
      // Only the host tells a machine it is out of step.
      if (fromhost) {
        outofstep(p.frame);
      } else {
        lose(machine, reason::badpacket);
      }
      return;
    default:
      // Lobby messages and greetings repeated late are harmless.
      break;
  }
  l.lastheard = nowms;
}

bool session::takeinput(int machine, const packet& p) {
  peerline& l = lines_[machine];
  // Nothing legitimate runs further ahead of us than this: the sender waits
  // for our inputs, which are at most one delay past our frame.
  const int32_t reach = frame() + setup_.window + 2 * setup_.delay + 2;
  if (p.base > reach) return false;
  if (!l.takeacks(p, machine, present_, setup_.me, queues_[setup_.me].next())) return false;
  // Read after the acknowledgements: a line that just failed comes with
  // how far its machine's inputs got, and passing them on starts there.
  if (ishost()) {
    for (int s = 1; s <= maxmachines; s++) l.theydirect[s] = (p.directmask >> s) & 1;
  }
  for (int i = 0; i < p.blockcount; i++) {
    const inputblock& b = p.blocks[i];
    inputqueue& q = queues_[b.machine];
    if (!receivesover(b.machine, machine)) {
      // A joiner may still hand over a departed machine's inputs it sent
      // before it heard the departure was settled.
      if (q.left() && ishost()) continue;
      return false;  // not theirs to send
    }
    if (b.players != q.players()) return false;
    if (b.start > q.next()) return false;  // a gap: nobody sends past what we acknowledged
    if (b.start + b.count > reach) return false;
    for (int k = 0; k < b.count; k++) {
      const int32_t f = b.start + k;
      if (f < q.next()) {
        // Sent again: it must be what came the first time.
        if (q.kept(f) && q.known(f) != b.frames[k]) return false;
        continue;
      }
      if (!q.add(f, b.frames[k]) && !(q.left() && f > q.leftafter())) return false;
      l.lastnews = now_;
    }
  }
  // Frame figures from an older packet that arrived late would mislead time sync.
  l.taketiming(p);
  return true;
}

}  // namespace online
