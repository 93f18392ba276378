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

}  // namespace

uint64_t pairkey(uint64_t secret, int a, int b) {
  uint64_t x = secret ^ (static_cast<uint64_t>(std::min(a, b)) << 8 | static_cast<uint64_t>(std::max(a, b)));
  for (int i = 0; i < 2; i++) {
    x += 0x9e3779b97f4a7c15ull;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
    x ^= x >> 31;
  }
  return x;
}

session::session(rollbackgame& game, transport& net, const sessionsetup& setup)
    : game_(game), net_(net), setup_(setup), core_(game, setup.window) {
  int man = 0;
  for (int i = 0; i < setup_.machines; i++) {
    const rosterentry& e = setup_.roster[i];
    present_[e.machine] = true;
    firstman_[e.machine] = man;
    man += e.players;
    queues_[e.machine].reset(e.players, setup_.delay);
  }
  // Ours wait at most a window between being computed and confirmed; a
  // peer's run at most a window and two delays ahead of ours.
  setup_.checkinterval = std::max(setup_.checkinterval, 1);
  checks_.reset(setup_.checkinterval, setup_.window + 2 * setup_.delay + 4);
  sync_.reset();
  out_.epoch = setup_.epoch;
}

int session::firstman(int machine) const { return present(machine) ? firstman_[machine] : -1; }
int session::players(int machine) const { return present(machine) ? queues_[machine].players() : 0; }

bool session::direct(int machine) const {
  // Only while new inputs come over it, and not for a while after we had
  // to wait for them: a line just dialled may not be through, and one that
  // brings only empty packets, or a drip of inputs, would starve us.
  const peerline& l = lines_[machine];
  return machine != 1 && !ishost() && usable(machine) && l.heard && now_ - l.lastnews < directquiet &&
         !(l.waited && now_ - l.lastwait < directquiet);
}

bool session::sendsover(int stream, int machine) const {
  if (!present(stream) || stream == machine || !usable(machine)) return false;
  if (stream == setup_.me) return true;
  // The host passes on what the joiner cannot get straight from its owner.
  if (ishost()) return !lines_[machine].theydirect[stream] || queues_[stream].left();
  // A joiner hands the host what it holds of a machine being settled.
  return machine == 1 && departures_.leaving(stream);
}

bool session::receivesover(int stream, int machine) const {
  if (!present(stream) || stream == setup_.me) return false;
  if (stream == machine || machine == 1) return true;
  return ishost() && departures_.leaving(stream);
}

int session::lineof(int peer) const {
  for (int m = 1; m <= maxmachines; m++) {
    if ((lines_[m].up || lines_[m].dialling) && lines_[m].peer == peer) return m;
  }
  return 0;
}

void session::link(int machine, int peer, uint32_t nowms) {
  if (!present(machine) || machine == setup_.me) return;
  lines_[machine].open(peer, nowms, setup_.delay);
}

void session::gone(int machine) {
  if (!present(machine) || machine == setup_.me) return;
  lines_[machine] = peerline{};
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
  if (handedout_ >= std::min(confirmed(), frame())) return false;
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
    if (peer >= 0) lines_[e.machine].dial(peer, nowms);
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
  for (peerline& l : lines_) l.newframe();
  ticks_++;
  receiveall(nowms);
  for (int m = 1; m <= maxmachines && !over_; m++) {
    peerline& l = lines_[m];
    if (l.up && nowms - l.lastheard > setup_.droptimeout) lose(m, reason::hostsilent);
    // No direct line to that joiner: the host keeps passing its inputs on.
    if (l.dialling && nowms - l.since > setup_.droptimeout) l.hangup(net_);
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
  const bool stalled = play && frame() - confirmed() >= setup_.window;
  holdup(nowms, stalled);
  if (over_) return over;
  if (!play) {
    r = waited;
  } else if (stalled) {
    r = waited;
    stats_.windowstalls++;
  } else if (sync_.wait()) {
    r = waited;
    stats_.timesyncwaits++;
  } else {
    machineinput mine = local;
    mine.buttons = pendingbuttons_;
    pendingbuttons_ = 0;
    queues_[setup_.me].add(frame() + setup_.delay, mine);
    lastlocalframe_ = frame() + setup_.delay;
    lastlocal_ = mine;
    simulate(frame(), false);
    stats_.frames++;
  }
  reportchecks();
  if (!over_) sendinputs();
  // The figures time sync works from, once a frame for every peer.
  for (int m = 1; m <= maxmachines; m++) {
    const peerline& l = lines_[m];
    if (!l.up || !l.heard) continue;
    const int local = frame() - l.lastbase;
    // What a peer says of its own timing slows us only as far as its
    // inputs bear out: they reach a delay past its frame, so the frames we
    // run past its inputs are the most it can be behind.
    const int behind = std::max(frame() - (queues_[m].next() - setup_.delay), 0);
    sync_.sample(m - 1, local, std::max(l.lastadvantage, local - 2 * behind));
  }
  return over_ ? over : r;
}

void session::simulate(int32_t f, bool silent) {
  core_.play(frameinput(f), silent);
  if (checks_.due(core_.frame())) checks_.own(core_.frame(), core_.checksum());
}

void session::rollback() {
  int32_t wrong = inputqueue::nowrong;
  int culprit = 0;
  for (int m = 1; m <= maxmachines; m++) {
    inputqueue& q = queues_[m];
    if (q.firstwrong() < wrong) wrong = q.firstwrong(), culprit = m;
    q.clearwrong();
  }
  const int32_t present = frame();
  if (wrong >= present) return;
  if (!core_.rewind(wrong)) {
    // Only a peer breaking the rules can push a correction this far back.
    // The host's match stands and the machine is dropped; a joiner can no
    // longer play the host's.
    if (ishost() && culprit != setup_.me) {
      blame(culprit, wrong);
    } else {
      outofstep(wrong);
    }
    return;
  }
  for (int32_t f = wrong; f < present; f++) simulate(f, true);
  const int frames = present - wrong;
  stats_.rollbacks++;
  stats_.resimulated += frames;
  stats_.longestrollback = std::max(stats_.longestrollback, frames);
}

void session::reportchecks() {
  const int32_t upto = std::min(confirmed(), frame());
  int32_t f;
  uint64_t sum;
  while (!over_ && checks_.report(upto, f, sum)) {
    sessionevent e;
    e.what = sessionevent::check;
    e.frame = f;
    e.checksum = sum;
    push(e);
    out_.type = packettype::check;
    out_.frame = f;
    out_.checksum = sum;
    // Joiners compare with the host, the host with every joiner.
    if (ishost()) {
      for (int m = 2; m <= maxmachines; m++) {
        if (usable(m)) sendreliable(m, out_);
      }
    } else if (usable(1)) {
      sendreliable(1, out_);
    }
    for (int m = 1; m <= maxmachines && !over_; m++) {
      if (!checks_.keptdiffers(m, f, sum)) continue;
      if (ishost()) {
        blame(m, f);
      } else {
        outofstep(f);
      }
    }
  }
}

void session::comparecheck(int machine, int32_t f, uint64_t sum) {
  if (checks_.compare(machine, f, sum) != checkbook::differs) return;
  if (ishost()) {
    blame(machine, f);
  } else {
    outofstep(f);
  }
}

// The host's match is the match: a joiner whose state differs is told so
// and dropped, and the computer plays its men on every other machine.
void session::blame(int machine, int32_t f) {
  if (!usable(machine)) return;
  out_.type = packettype::desync;
  out_.frame = f;
  sendreliable(machine, out_);
  lose(machine, reason::outofsync);
}

// This machine's match is not the host's: it leaves.
void session::outofstep(int32_t f) {
  if (over_) return;
  sessionevent e;
  e.what = sessionevent::desync;
  e.frame = f;
  push(e);
  quit();
}

void session::holdup(uint32_t nowms, bool stalled) {
  // A stopped process finds a long gap when it goes on: that was not
  // anybody's waiting.
  const uint32_t dt = ticked_ ? std::min<uint32_t>(nowms - lastnow_, 100) : 0;
  lastnow_ = nowms;
  ticked_ = true;
  if (!stalled) {
    stalled_ = false;
    // Paid back at an eighth of the time frames flow: a lag now and then
    // is forgiven, while a machine that holds the match up for more than
    // one part in nine is dropped in the end, however it spaces its inputs.
    for (uint32_t& h : held_) h -= std::min(h, dt / 8);
    return;
  }
  stalled_ = true;
  const std::array<bool, maxmachines + 1> who = holders();
  for (int m = 1; m <= maxmachines && !over_; m++) {
    if (!who[m]) continue;
    held_[m] += dt;
    lines_[m].waited = true;
    lines_[m].lastwait = nowms;
    // Packets that bring nothing new count as silence: only the host
    // drops a joiner, and a joiner gives up on its host.
    if (held_[m] > setup_.droptimeout && (ishost() || m == 1)) lose(m, reason::hostsilent);
  }
}

std::array<bool, maxmachines + 1> session::holders() const {
  std::array<bool, maxmachines + 1> out{};
  const int32_t c = confirmed();
  for (int m = 1; m <= maxmachines; m++) {
    out[m] = m != setup_.me && present(m) && !queues_[m].complete() && queues_[m].next() == c;
  }
  return out;
}

bool session::waiting(uint32_t& held, int& machine, uint32_t& left) const {
  if (!stalled_ || over_) return false;
  machine = 0;
  uint32_t most = 0;
  const std::array<bool, maxmachines + 1> who = holders();
  for (int m = 1; m <= maxmachines; m++) {
    if (!who[m]) continue;
    uint32_t spent = held_[m];
    if (usable(m)) spent = std::max(spent, now_ - lines_[m].lastheard);
    if (machine == 0 || spent > most) machine = m, most = spent;
  }
  if (machine == 0) return false;
  held = most;
  left = setup_.droptimeout - std::min(most, setup_.droptimeout);
  return true;
}

void session::sendreliable(int machine, const packet& p) {
  stats_.packetssent++;
  stats_.bytessent += static_cast<int64_t>(lines_[machine].send(net_, p, true, bytes_));
}

void session::lose(int machine, reason why) {
  peerline& l = lines_[machine];
  if (l.dialling) {
    l.hangup(net_);
    return;
  }
  if (!l.up) return;
  l.hangup(net_);
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
  departures_.unask(machine);
  startdeparture(machine);
}

void session::startdeparture(int machine) {
  if (departures_.open(machine) || queues_[machine].left()) return;
  std::array<bool, maxmachines + 1> asked{};
  for (int m = 2; m <= maxmachines; m++) asked[m] = m != machine && usable(m);
  departures_.start(machine, queues_[machine].next(), now_, asked);
  // Says how much the host holds, so the others send only what it lacks.
  out_.type = packettype::leaving;
  out_.machine = static_cast<uint8_t>(machine);
  out_.frame = queues_[machine].next();
  for (int m = 2; m <= maxmachines; m++) {
    if (asked[m]) sendreliable(m, out_);
  }
}

void session::settledepartures(uint32_t nowms) {
  for (int j = 2; j <= maxmachines; j++) {
    int32_t after;
    if (departures_.settled(j, queues_[j].next(), nowms, setup_.droptimeout, after)) depart(j, after);
  }
}

void session::depart(int machine, int32_t after) {
  departures_.close(machine);
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
  for (peerline& l : lines_) l.hangup(net_);
  for (const auto& k : knocks_) net_.disconnect(k.first);
  knocks_.clear();
  over_ = true;
}

void session::sendinputs() {
  for (int m = 1; m <= maxmachines; m++) {
    peerline& l = lines_[m];
    if (!l.up) continue;
    out_.type = packettype::input;
    out_.base = frame();
    out_.advantage = static_cast<int8_t>(std::clamp(frame() - l.lastbase, -127, 127));
    out_.ackcount = 0;
    out_.blockcount = 0;
    out_.directmask = 0;
    bool urgent = l.due(ticks_, setup_.quietsend);
    for (int s = 1; s <= maxmachines; s++) {
      // To the host: how far we got with what it passes on, and which
      // machines we hear directly instead.
      if (m == 1 && direct(s)) {
        out_.directmask |= static_cast<uint8_t>(1 << s);
      } else if (receivesover(s, m) && (m == 1 || s == m || ishost())) {
        out_.acks[out_.ackcount++] = {static_cast<uint8_t>(s), queues_[s].next()};
      }
      if (!sendsover(s, m)) continue;
      if (!l.addblock(s, queues_[s], out_, urgent) && s == setup_.me) {
        lose(m, reason::fellbehind);
        break;
      }
    }
    if (!l.up || !urgent) continue;
    l.sentinputs(out_, ticks_);
    stats_.packetssent++;
    stats_.bytessent += static_cast<int64_t>(l.send(net_, out_, false, bytes_));
  }
}

}  // namespace online
