#include "online/session.h"

#include <algorithm>

namespace online {
namespace {

uint16_t framebuttons(uint8_t machine) {
  uint16_t b = 0;
  if (machine & machinepause) b |= buttonpause;
  if (machine & machineenter) b |= buttonenter;
  if (machine & machinespace) b |= buttonspace;
  return b;
}

constexpr size_t maxevents = 64;

}  // namespace

session::session(rollbackgame& game, transport& net, const sessionsetup& setup)
    : game_(game), net_(net), setup_(setup) {
  int man = 0;
  for (int i = 0; i < setup_.machines; i++) {
    const rosterentry& e = setup_.roster[i];
    firstman_[e.machine] = man;
    man += e.players;
    queues_[e.machine].reset(e.players, setup_.delay);
  }
  // Every frame a rollback can reach back to, and the present one.
  snapshots_.resize(static_cast<size_t>(setup_.window) + 2);
  // Ours wait at most a window between being computed and confirmed; a
  // peer's run at most a window and two delays ahead of ours.
  setup_.checkinterval = std::max(setup_.checkinterval, 1);
  const size_t checks = static_cast<size_t>((setup_.window + 2 * setup_.delay + 4) / setup_.checkinterval) + 2;
  ownchecks_.resize(checks);
  for (auto& t : theirchecks_) t.resize(checks);
  sync_.reset();
}

bool session::present(int machine) const {
  for (int i = 0; i < setup_.machines; i++) {
    if (setup_.roster[i].machine == machine) return true;
  }
  return false;
}

int session::firstman(int machine) const { return present(machine) ? firstman_[machine] : -1; }
int session::players(int machine) const { return present(machine) ? queues_[machine].players() : 0; }

bool session::sendsover(int stream, int machine) const {
  if (!present(stream) || stream == machine) return false;
  return ishost() || stream == setup_.me;
}

bool session::receivesover(int stream, int machine) const {
  if (!present(stream) || stream == setup_.me) return false;
  return ishost() ? stream == machine : machine == 1;
}

int session::linkof(int peer) const {
  for (int m = 1; m <= maxmachines; m++) {
    if (links_[m].up && links_[m].peer == peer) return m;
  }
  return 0;
}

void session::link(int machine, int peer, uint32_t nowms) {
  if (!present(machine) || machine == setup_.me) return;
  linkstate& l = links_[machine];
  l = linkstate{};
  l.peer = peer;
  l.up = true;
  l.lastheard = nowms;
  for (int s = 1; s <= maxmachines; s++) l.theirnext[s] = setup_.delay;
}

int32_t session::confirmed() const {
  int32_t c = INT32_MAX;
  for (int i = 0; i < setup_.machines; i++) {
    const inputqueue& q = queues_[setup_.roster[i].machine];
    if (!q.complete()) c = std::min(c, q.next());
  }
  return c;
}

FrameInput session::frameinput(int32_t f) {
  FrameInput in;
  for (int i = 0; i < setup_.machines; i++) {
    const int m = setup_.roster[i].machine;
    const machineinput& mi = queues_[m].get(f);
    for (int p = 0; p < queues_[m].players(); p++) in.players[firstman_[m] + p] = mi.players[p];
    in.pressed |= framebuttons(mi.buttons);
  }
  in.held = in.pressed;
  in.clock = static_cast<int32_t>(static_cast<int64_t>(f) * 1000 / 60);
  return in;
}

void session::push(const sessionevent& e) {
  if (events_.size() < maxevents) events_.push_back(e);
}

bool session::pollevent(sessionevent& out) {
  if (events_.empty()) return false;
  out = events_.front();
  events_.pop_front();
  return true;
}

session::result session::tick(const machineinput& local, uint32_t nowms) {
  if (over_) {
    // Still ticked for a moment after the end, so the last words get out.
    net_.service(nowms);
    while (net_.receive(incoming_)) {
    }
    return over;
  }
  for (linkstate& l : links_) l.packetsthistick = 0;
  ticks_++;
  receiveall(nowms);
  for (int m = 1; m <= maxmachines && !over_; m++) {
    if (links_[m].up && nowms - links_[m].lastheard > setup_.droptimeout) lose(m, "THE HOST STOPPED ANSWERING");
  }
  if (over_) return over;
  rollback();
  if (over_) return over;

  // Presses made while this machine waits are kept for the frame it plays.
  pendingbuttons_ |= local.buttons & machinebuttons;
  result r = advanced;
  if (frame_ - confirmed() >= setup_.window) {
    r = waited;
    stats_.windowstalls++;
  } else if (sync_.wait()) {
    r = waited;
    stats_.timesyncwaits++;
  } else {
    machineinput mine = local;
    mine.buttons = pendingbuttons_;
    pendingbuttons_ = 0;
    queues_[setup_.me].add(frame_ + setup_.delay, mine);
    lastlocalframe_ = frame_ + setup_.delay;
    lastlocal_ = mine;
    simulate(frame_, false);
    stats_.frames++;
  }
  reportchecks();
  if (!over_) sendinputs();
  // The figures time sync works from, once a frame for every peer.
  for (int m = 1; m <= maxmachines; m++) {
    if (links_[m].up) sync_.sample(m - 1, frame_ - links_[m].lastbase, links_[m].lastadvantage);
  }
  return over_ ? over : r;
}

void session::simulate(int32_t f, bool silent) {
  snapshot& s = snapshots_[static_cast<size_t>(f) % snapshots_.size()];
  s.frame = f;
  game_.save(s.data);
  game_.advance(frameinput(f), silent);
  frame_ = f + 1;
  if (frame_ % setup_.checkinterval == 0) {
    checkrecord& c = ownchecks_[static_cast<size_t>(frame_ / setup_.checkinterval) % ownchecks_.size()];
    c.frame = frame_;
    c.sum = game_.checksum();
  }
}

void session::rollback() {
  int32_t wrong = inputqueue::nowrong;
  for (inputqueue& q : queues_) {
    wrong = std::min(wrong, q.firstwrong());
    q.clearwrong();
  }
  if (wrong >= frame_) return;
  const snapshot& s = snapshots_[static_cast<size_t>(wrong) % snapshots_.size()];
  if (s.frame != wrong) {
    // Only a peer breaking the rules can push a correction this far back.
    raisedesync(wrong, setup_.me);
    return;
  }
  const int32_t present = frame_;
  game_.load(s.data);
  for (int32_t f = wrong; f < present; f++) simulate(f, true);
  const int frames = present - wrong;
  stats_.rollbacks++;
  stats_.resimulated += frames;
  stats_.longestrollback = std::max(stats_.longestrollback, frames);
}

void session::reportchecks() {
  const int32_t upto = std::min(confirmed(), frame_);
  for (int32_t f = reported_ + setup_.checkinterval; f <= upto && !over_; f += setup_.checkinterval) {
    reported_ = f;
    const checkrecord& c = ownchecks_[static_cast<size_t>(f / setup_.checkinterval) % ownchecks_.size()];
    if (c.frame != f) continue;  // too far behind to have it: cannot happen within the window
    sessionevent e;
    e.what = sessionevent::check;
    e.frame = f;
    e.checksum = c.sum;
    push(e);
    out_.type = packettype::check;
    out_.frame = f;
    out_.checksum = c.sum;
    for (int m = 1; m <= maxmachines; m++) {
      // Joiners compare with the host, the host with every joiner.
      if (links_[m].up) sendreliable(m, out_);
    }
    for (int m = 1; m <= maxmachines && !over_; m++) {
      for (const checkrecord& t : theirchecks_[m]) {
        if (t.frame == f && t.sum != c.sum) raisedesync(f, setup_.me);
      }
    }
  }
}

void session::comparecheck(int machine, int32_t f, uint64_t sum) {
  if (f % setup_.checkinterval != 0) return;
  if (f <= reported_) {
    const checkrecord& c = ownchecks_[static_cast<size_t>(f / setup_.checkinterval) % ownchecks_.size()];
    if (c.frame == f && c.sum != sum) raisedesync(f, setup_.me);
    return;
  }
  // Ours is not confirmed yet: keep theirs for when it is.
  theirchecks_[machine][static_cast<size_t>(f / setup_.checkinterval) % theirchecks_[machine].size()] = {f, sum};
}

void session::raisedesync(int32_t f, int from) {
  if (over_) return;
  sessionevent e;
  e.what = sessionevent::desync;
  e.frame = f;
  push(e);
  out_.type = packettype::desync;
  out_.frame = f;
  for (int m = 1; m <= maxmachines; m++) {
    if (links_[m].up && m != from) sendreliable(m, out_);
  }
  over_ = true;
}

void session::sendreliable(int machine, const packet& p) {
  encode(p, bytes_);
  net_.send(links_[machine].peer, bytes_.data(), bytes_.size(), true);
  stats_.packetssent++;
  stats_.bytessent += static_cast<int64_t>(bytes_.size());
}

void session::lose(int machine, const char* why) {
  linkstate& l = links_[machine];
  if (!l.up) return;
  net_.disconnect(l.peer);
  l.up = false;
  sync_.forget(machine - 1);
  if (!ishost()) {
    // A joiner's only link is the host's: without it there is no match.
    sessionevent e;
    e.what = sessionevent::hostleft;
    e.why = why;
    push(e);
    over_ = true;
    return;
  }
  inputqueue& q = queues_[machine];
  q.leave(q.next() - 1);
  sessionevent e;
  e.what = sessionevent::left;
  e.machine = machine;
  e.frame = q.leftafter();
  push(e);
  out_.type = packettype::leave;
  out_.machine = static_cast<uint8_t>(machine);
  out_.frame = q.leftafter();
  for (int m = 2; m <= maxmachines; m++) {
    if (links_[m].up) sendreliable(m, out_);
  }
}

void session::quit() {
  for (int m = 1; m <= maxmachines; m++) {
    if (links_[m].up) net_.disconnect(links_[m].peer);
    links_[m].up = false;
  }
  over_ = true;
}

void session::receiveall(uint32_t nowms) {
  net_.service(nowms);
  while (net_.receive(incoming_)) {
    const int m = linkof(incoming_.peer);
    if (m == 0) {
      // A late knock on the door: the match has begun without it.
      if (incoming_.what == netevent::connected) {
        out_.type = packettype::refuse;
        out_.reason = refusal::started;
        encode(out_, bytes_);
        net_.send(incoming_.peer, bytes_.data(), bytes_.size(), true);
        net_.disconnect(incoming_.peer);
      }
      continue;  // otherwise a lobby leftover or a machine already gone
    }
    if (incoming_.what == netevent::disconnected) {
      lose(m, "THE HOST LEFT");
      continue;
    }
    if (incoming_.what != netevent::received) continue;
    linkstate& l = links_[m];
    stats_.packetsreceived++;
    stats_.bytesreceived += static_cast<int64_t>(incoming_.data.size());
    if (++l.packetsthistick > setup_.floodlimit) {
      lose(m, "THE HOST FLOODED US");
      continue;
    }
    if (!decode(incoming_.data.data(), incoming_.data.size(), in_)) {
      lose(m, "THE HOST SENT A BROKEN PACKET");
      continue;
    }
    handle(m, in_, nowms);
    if (over_) return;
  }
}

void session::handle(int machine, const packet& p, uint32_t nowms) {
  linkstate& l = links_[machine];
  switch (p.type) {
    case packettype::input:
      if (!takeinput(machine, p)) {
        lose(machine, "THE HOST SENT A BAD PACKET");
        return;
      }
      break;
    case packettype::check:
      comparecheck(machine, p.frame, p.checksum);
      break;
    case packettype::leave:
      // Only the host announces departures; our own means the host dropped us.
      if (ishost() || !present(p.machine)) {
        lose(machine, "THE HOST SENT A BAD PACKET");
        return;
      }
      if (p.machine == setup_.me) {
        lose(machine, "THE HOST DROPPED THIS MACHINE");
        return;
      }
      if (!queues_[p.machine].left()) {
        queues_[p.machine].leave(p.frame);
        sessionevent e;
        e.what = sessionevent::left;
        e.machine = p.machine;
        e.frame = queues_[p.machine].leftafter();
        push(e);
      }
      break;
    case packettype::desync:
      raisedesync(p.frame, machine);
      return;
    default:
      // Lobby messages repeated late are harmless; nothing else is expected.
      break;
  }
  l.lastheard = nowms;
}

bool session::takeinput(int machine, const packet& p) {
  linkstate& l = links_[machine];
  // Nothing legitimate runs further ahead of us than this: the sender waits
  // for our inputs, which are at most one delay past our frame.
  const int32_t reach = frame_ + setup_.window + 2 * setup_.delay + 2;
  if (p.base > reach) return false;
  for (int i = 0; i < p.ackcount; i++) {
    const int s = p.acks[i].machine;
    if (!sendsover(s, machine)) return false;
    if (p.acks[i].next > queues_[s].next()) return false;  // acknowledges what we never sent
    l.theirnext[s] = std::max(l.theirnext[s], p.acks[i].next);
  }
  for (int i = 0; i < p.blockcount; i++) {
    const inputblock& b = p.blocks[i];
    if (!receivesover(b.machine, machine)) return false;  // not theirs to send
    inputqueue& q = queues_[b.machine];
    if (b.players != q.players()) return false;
    if (b.start > q.next()) return false;  // a gap: we acknowledged nothing past next
    if (b.start + b.count > reach) return false;
    for (int k = 0; k < b.count; k++) {
      const int32_t f = b.start + k;
      if (f < q.next()) {
        // Sent again: it must be what came the first time.
        if (q.kept(f) && q.known(f) != b.frames[k]) return false;
        continue;
      }
      if (!q.add(f, b.frames[k]) && !(q.left() && f > q.leftafter())) return false;
    }
  }
  // Frame figures from an older packet that arrived late would mislead time sync.
  if (p.base >= l.lastbase) {
    l.lastbase = p.base;
    l.lastadvantage = p.advantage;
  }
  return true;
}

void session::sendinputs() {
  for (int m = 1; m <= maxmachines; m++) {
    linkstate& l = links_[m];
    if (!l.up) continue;
    out_.type = packettype::input;
    out_.base = frame_;
    out_.advantage = static_cast<int8_t>(std::clamp(frame_ - l.lastbase, -127, 127));
    out_.ackcount = 0;
    out_.blockcount = 0;
    // A change must go at once: the others guessed it had not happened.
    bool urgent = ticks_ - l.lastsend >= setup_.quietsend;
    for (int s = 1; s <= maxmachines; s++) {
      if (receivesover(s, m)) out_.acks[out_.ackcount++] = {static_cast<uint8_t>(s), queues_[s].next()};
      if (!sendsover(s, m)) continue;
      const inputqueue& q = queues_[s];
      const int32_t end = q.left() ? std::min(q.next(), q.leftafter() + 1) : q.next();
      const int32_t from = l.theirnext[s];
      if (from >= end) continue;
      if (!q.kept(from)) {
        // So far behind that its inputs are gone: it cannot catch up.
        lose(m, "THE HOST FELL BEHIND");
        break;
      }
      inputblock& b = out_.blocks[out_.blockcount++];
      b.machine = static_cast<uint8_t>(s);
      b.players = static_cast<uint8_t>(q.players());
      b.start = from;
      b.count = static_cast<uint8_t>(std::min<int32_t>(end - from, maxframesperblock));
      for (int k = 0; k < b.count; k++) b.frames[k] = q.known(from + k);
      for (int32_t f = std::max(l.sentupto[s], from); f < from + b.count && !urgent; f++) {
        urgent = !q.kept(f - 1) || q.known(f) != q.known(f - 1) || q.known(f).buttons;
      }
    }
    if (!l.up || !urgent) continue;
    for (int i = 0; i < out_.blockcount; i++) {
      l.sentupto[out_.blocks[i].machine] = out_.blocks[i].start + out_.blocks[i].count;
    }
    l.lastsend = ticks_;
    encode(out_, bytes_);
    net_.send(l.peer, bytes_.data(), bytes_.size(), false);
    stats_.packetssent++;
    stats_.bytessent += static_cast<int64_t>(bytes_.size());
  }
}

}  // namespace online
