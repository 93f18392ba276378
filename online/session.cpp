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
// A direct line quiet this long is not trusted to carry inputs: the host
// passes them on again.
constexpr uint32_t directquiet = 1000;
constexpr size_t maxknocks = maxmachines;

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
  out_.epoch = setup_.epoch;
}

bool session::present(int machine) const {
  for (int i = 0; i < setup_.machines; i++) {
    if (setup_.roster[i].machine == machine) return true;
  }
  return false;
}

int session::firstman(int machine) const { return present(machine) ? firstman_[machine] : -1; }
int session::players(int machine) const { return present(machine) ? queues_[machine].players() : 0; }

bool session::usable(int machine) const { return machine >= 1 && machine <= maxmachines && links_[machine].up; }

bool session::direct(int machine) const {
  // Only once inputs came over it: a line just dialled may not be through.
  return machine != 1 && !ishost() && usable(machine) && links_[machine].heard &&
         now_ - links_[machine].lastheard < directquiet;
}

bool session::sendsover(int stream, int machine) const {
  if (!present(stream) || stream == machine || !usable(machine)) return false;
  if (stream == setup_.me) return true;
  // The host passes on what the joiner cannot get straight from its owner.
  if (ishost()) return !links_[machine].theydirect[stream] || queues_[stream].left();
  // A joiner hands the host what it holds of a machine being settled.
  return machine == 1 && leaving_[stream];
}

bool session::receivesover(int stream, int machine) const {
  if (!present(stream) || stream == setup_.me) return false;
  if (stream == machine || machine == 1) return true;
  return ishost() && leaving_[stream];
}

int session::linkof(int peer) const {
  for (int m = 1; m <= maxmachines; m++) {
    if ((links_[m].up || links_[m].dialling) && links_[m].peer == peer) return m;
  }
  return 0;
}

void session::uplink(int machine, int peer, uint32_t nowms) {
  linkstate& l = links_[machine];
  l = linkstate{};
  l.peer = peer;
  l.up = true;
  l.lastheard = nowms;
  l.since = nowms;
  for (int s = 1; s <= maxmachines; s++) l.theirnext[s] = setup_.delay;
}

void session::link(int machine, int peer, uint32_t nowms) {
  if (!present(machine) || machine == setup_.me) return;
  uplink(machine, peer, nowms);
}

void session::gone(int machine) {
  if (!present(machine) || machine == setup_.me) return;
  links_[machine] = linkstate{};
  queues_[machine].leave(-1);
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

bool session::takeconfirmed(int32_t& f, FrameInput& in) {
  if (handedout_ >= std::min(confirmed(), frame_)) return false;
  f = handedout_++;
  in = frameinput(f);
  return true;
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

void session::dialjoiners(uint32_t nowms) {
  dialled_ = true;
  if (ishost() || !setup_.directlines) return;
  // The lower number dials the higher, so each pair makes one line.
  for (int i = 0; i < setup_.machines; i++) {
    const rosterentry& e = setup_.roster[i];
    if (e.machine == 1 || e.machine <= setup_.me) continue;
    const int peer = net_.dial(e.address, e.port);
    if (peer < 0) continue;
    linkstate& l = links_[e.machine];
    l = linkstate{};
    l.peer = peer;
    l.dialling = true;
    l.since = nowms;
  }
}

session::result session::tick(const machineinput& local, uint32_t nowms, bool play) {
  now_ = nowms;
  if (over_) {
    // Still ticked for a moment after the end, so the last words get out.
    net_.service(nowms);
    while (net_.receive(incoming_)) {
    }
    return over;
  }
  if (!dialled_) dialjoiners(nowms);
  for (linkstate& l : links_) l.packetsthistick = 0;
  ticks_++;
  receiveall(nowms);
  for (int m = 1; m <= maxmachines && !over_; m++) {
    linkstate& l = links_[m];
    if (l.up && nowms - l.lastheard > setup_.droptimeout) lose(m, "THE HOST STOPPED ANSWERING");
    if (l.dialling && nowms - l.since > setup_.droptimeout) {
      // No direct line to that joiner: the host keeps passing its inputs on.
      net_.disconnect(l.peer);
      l.dialling = false;
    }
  }
  for (size_t i = 0; i < knocks_.size();) {
    if (nowms - knocks_[i].second > setup_.droptimeout) {
      net_.disconnect(knocks_[i].first);
      knocks_.erase(knocks_.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      i++;
    }
  }
  if (ishost()) settledepartures(nowms);
  if (over_) return over;
  rollback();
  if (over_) return over;

  // Presses made while this machine waits are kept for the frame it plays.
  pendingbuttons_ |= local.buttons & machinebuttons;
  result r = advanced;
  if (!play) {
    r = waited;
  } else if (frame_ - confirmed() >= setup_.window) {
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
    const linkstate& l = links_[m];
    if (l.up && l.heard) sync_.sample(m - 1, frame_ - l.lastbase, l.lastadvantage);
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
    // Joiners compare with the host, the host with every joiner.
    if (ishost()) {
      for (int m = 2; m <= maxmachines; m++) {
        if (usable(m)) sendreliable(m, out_);
      }
    } else if (usable(1)) {
      sendreliable(1, out_);
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
    if (usable(m) && m != from) sendreliable(m, out_);
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
  if (l.dialling) {
    net_.disconnect(l.peer);
    l.dialling = false;
    return;
  }
  if (!l.up) return;
  net_.disconnect(l.peer);
  l.up = false;
  sync_.forget(machine - 1);
  if (machine == 1) {
    // Without the host there is no match.
    sessionevent e;
    e.what = sessionevent::hostleft;
    e.why = why;
    push(e);
    over_ = true;
    return;
  }
  if (!ishost()) return;  // a direct line to a joiner: the host passes its inputs on instead
  for (departure& d : departures_) d.waitingfor[machine] = false;
  startdeparture(machine);
}

void session::startdeparture(int machine) {
  departure& d = departures_[machine];
  if (d.open || queues_[machine].left()) return;
  d = departure{};
  d.open = true;
  d.since = now_;
  d.mostnext = queues_[machine].next();
  leaving_[machine] = true;
  // Says how much the host holds, so the others send only what it lacks.
  out_.type = packettype::leaving;
  out_.machine = static_cast<uint8_t>(machine);
  out_.frame = queues_[machine].next();
  for (int m = 2; m <= maxmachines; m++) {
    if (m == machine || !usable(m)) continue;
    d.waitingfor[m] = true;
    sendreliable(m, out_);
  }
}

void session::settledepartures(uint32_t nowms) {
  for (int j = 2; j <= maxmachines; j++) {
    departure& d = departures_[j];
    if (!d.open) continue;
    const bool answered = std::none_of(d.waitingfor.begin(), d.waitingfor.end(), [](bool w) { return w; });
    if (answered && queues_[j].next() >= d.mostnext) {
      depart(j, d.mostnext - 1);
    } else if (nowms - d.since > setup_.droptimeout) {
      // Someone claimed inputs it never handed over: settle on what is here.
      depart(j, queues_[j].next() - 1);
    }
  }
}

void session::depart(int machine, int32_t after) {
  departures_[machine].open = false;
  leaving_[machine] = false;
  inputqueue& q = queues_[machine];
  q.leave(after);
  sessionevent e;
  e.what = sessionevent::left;
  e.machine = machine;
  e.frame = q.leftafter();
  push(e);
  if (!ishost()) return;
  out_.type = packettype::leave;
  out_.machine = static_cast<uint8_t>(machine);
  out_.frame = q.leftafter();
  for (int m = 2; m <= maxmachines; m++) {
    if (usable(m)) sendreliable(m, out_);
  }
}

void session::quit() {
  for (int m = 1; m <= maxmachines; m++) {
    if (links_[m].up || links_[m].dialling) net_.disconnect(links_[m].peer);
    links_[m].up = links_[m].dialling = false;
  }
  for (const auto& k : knocks_) net_.disconnect(k.first);
  knocks_.clear();
  over_ = true;
}

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
  const bool ok = in_.token == setup_.token && present(in_.machine) && in_.machine != 1 &&
                  in_.machine < setup_.me && !links_[in_.machine].up && !links_[in_.machine].dialling;
  if (!ok) {
    net_.disconnect(peer);
    return;
  }
  uplink(in_.machine, peer, nowms);
}

void session::receiveall(uint32_t nowms) {
  net_.service(nowms);
  while (net_.receive(incoming_)) {
    const int m = linkof(incoming_.peer);
    if (m == 0) {
      knock(incoming_.peer, incoming_, nowms);
      continue;
    }
    linkstate& l = links_[m];
    if (incoming_.what == netevent::disconnected) {
      lose(m, "THE HOST LEFT");
      continue;
    }
    if (incoming_.what == netevent::connected) {
      if (l.dialling) {
        // Our call went through: say who we are before anything else.
        uplink(m, incoming_.peer, nowms);
        out_.type = packettype::meet;
        out_.machine = static_cast<uint8_t>(setup_.me);
        out_.token = setup_.token;
        sendreliable(m, out_);
      }
      continue;
    }
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
  linkstate& l = links_[machine];
  const bool fromhost = machine == 1;
  switch (p.type) {
    case packettype::input:
      if (!takeinput(machine, p)) {
        lose(machine, "THE HOST SENT A BAD PACKET");
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
        departure& d = departures_[p.machine];
        if (!d.open || !d.waitingfor[machine]) break;
        if (p.frame > frame_ + setup_.window + 2 * setup_.delay + 2) {
          lose(machine, "");
          return;
        }
        d.waitingfor[machine] = false;
        d.mostnext = std::max(d.mostnext, p.frame);
      } else if (fromhost && present(p.machine) && p.machine != setup_.me) {
        // Hand the host what we hold of it, and stop listening to it.
        leaving_[p.machine] = true;
        l.theirnext[p.machine] = std::max(l.theirnext[p.machine], p.frame);
        if (links_[p.machine].up || links_[p.machine].dialling) {
          net_.disconnect(links_[p.machine].peer);
          links_[p.machine].up = links_[p.machine].dialling = false;
          sync_.forget(p.machine - 1);
        }
        out_.type = packettype::leaving;
        out_.machine = p.machine;
        out_.frame = queues_[p.machine].next();
        sendreliable(1, out_);
      } else {
        lose(machine, "THE HOST SENT A BAD PACKET");
        return;
      }
      break;
    case packettype::leave:
      // Only the host announces departures; our own means the host dropped us.
      if (!fromhost || !present(p.machine)) {
        lose(machine, "THE HOST SENT A BAD PACKET");
        return;
      }
      if (p.machine == setup_.me) {
        lose(machine, "THE HOST DROPPED THIS MACHINE");
        return;
      }
      if (!queues_[p.machine].left()) {
        if (links_[p.machine].up) {
          net_.disconnect(links_[p.machine].peer);
          links_[p.machine].up = false;
        }
        depart(p.machine, p.frame);
      }
      break;
    case packettype::desync:
      raisedesync(p.frame, machine);
      return;
    default:
      // Lobby messages and greetings repeated late are harmless.
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
    if (!present(s) || s == machine) return false;
    if (s == setup_.me && p.acks[i].next > queues_[s].next()) return false;  // what we never sent
    l.theirnext[s] = std::max(l.theirnext[s], p.acks[i].next);
  }
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
    }
  }
  // Frame figures from an older packet that arrived late would mislead time sync.
  if (p.base >= l.lastbase) {
    l.lastbase = p.base;
    l.lastadvantage = p.advantage;
    l.heard = true;
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
    out_.directmask = 0;
    // A change must go at once: the others guessed it had not happened.
    bool urgent = ticks_ - l.lastsend >= setup_.quietsend;
    for (int s = 1; s <= maxmachines; s++) {
      // To the host: how far we got with what it passes on, and which
      // machines we hear directly instead.
      if (m == 1 && direct(s)) {
        out_.directmask |= static_cast<uint8_t>(1 << s);
      } else if (receivesover(s, m) && (m == 1 || s == m || ishost())) {
        out_.acks[out_.ackcount++] = {static_cast<uint8_t>(s), queues_[s].next()};
      }
      if (!sendsover(s, m)) continue;
      const inputqueue& q = queues_[s];
      const int32_t end = q.left() ? std::min(q.next(), q.leftafter() + 1) : q.next();
      const int32_t from = l.theirnext[s];
      if (from >= end) continue;
      if (!q.kept(from)) {
        // So far behind that the inputs are gone: it cannot catch up.
        if (s != setup_.me) continue;
        lose(m, "THIS MACHINE FELL TOO FAR BEHIND");
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
