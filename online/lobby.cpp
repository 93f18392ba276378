#include "online/lobby.h"

#include <algorithm>

namespace online {
namespace {

// A packet from a machine speaking another protocol cannot be read, but its
// first byte still says so.
bool otherprotocol(const std::vector<uint8_t>& data) {
  return !data.empty() && (data[0] >> 4) != protocolversion;
}

constexpr uint32_t rosterevery = 1000;  // ms: round trips change, the roster follows

void diff(const std::vector<rosterentry>& before, const std::vector<rosterentry>& after, int me,
          std::deque<lobbyevent>& events) {
  auto has = [](const std::vector<rosterentry>& r, int m) {
    return std::any_of(r.begin(), r.end(), [m](const rosterentry& e) { return e.machine == m; });
  };
  for (const rosterentry& e : before) {
    if (e.machine != me && !has(after, e.machine)) events.push_back({lobbyevent::left, e.machine});
  }
  for (const rosterentry& e : after) {
    if (e.machine != me && !has(before, e.machine)) events.push_back({lobbyevent::joined, e.machine});
  }
}

}  // namespace

// ---- host ----

lobbyhost::lobbyhost(transport& net, const lobbyidentity& me) : net_(net), me_(me) {
  me_.players = std::clamp(me_.players, 1, maxlocalplayers);
  rebuild();
}

int lobbyhost::men() const {
  int n = 0;
  for (const rosterentry& e : roster_) n += e.players;
  return n;
}

bool lobbyhost::setplayers(int players) {
  if (players < 1 || players > maxlocalplayers || men() - me_.players + players > maxmen) return false;
  me_.players = players;
  rebuild();
  broadcast();
  return true;
}

lobbyhost::guest* lobbyhost::find(int peer) {
  for (guest& g : guests_) {
    if (g.peer == peer) return &g;
  }
  return nullptr;
}

void lobbyhost::rebuild() {
  std::vector<rosterentry> r;
  r.push_back({1, static_cast<uint8_t>(me_.players), 0});
  for (int m = 2; m <= maxmachines; m++) {
    for (const guest& g : guests_) {
      if (g.machine != m) continue;
      const int rtt = net_.roundtrip(g.peer);
      r.push_back({static_cast<uint8_t>(m), static_cast<uint8_t>(g.players),
                   static_cast<uint16_t>(std::clamp(rtt, 0, 65535)), 0, 0, net_.route(g.peer)});
    }
  }
  diff(roster_, r, 1, events_);
  roster_ = r;
}

void lobbyhost::broadcast() {
  out_.type = packettype::roster;
  out_.rostercount = static_cast<uint8_t>(roster_.size());
  std::copy(roster_.begin(), roster_.end(), out_.roster.begin());
  encode(out_, bytes_);
  for (const guest& g : guests_) {
    if (g.machine) net_.send(g.peer, bytes_.data(), bytes_.size(), true);
  }
}

bool lobbyhost::pollevent(lobbyevent& out) {
  if (events_.empty()) return false;
  out = events_.front();
  events_.pop_front();
  return true;
}

void lobbyhost::service(uint32_t nowms) {
  if (started_) return;
  net_.service(nowms);
  bool changed = false;
  while (net_.receive(incoming_)) {
    guest* g = find(incoming_.peer);
    if (incoming_.what == netevent::connected) {
      if (!g) admit(incoming_.peer, nowms);
      continue;
    }
    if (!g) continue;
    g->lastheard = nowms;
    const bool wasin = g->machine != 0;
    handle(*g, incoming_, nowms);
    changed = changed || wasin || g->machine != 0;
  }
  // Strangers that never say who they are are let go soon, joiners that
  // fall silent later.
  for (guest& g : guests_) {
    if (g.peer < 0) continue;
    if (!g.machine && nowms - g.since > hellotimeout) drop(g);
    if (g.machine && nowms - g.lastheard > lobbytimeout) {
      drop(g);
      changed = true;
    }
  }
  guests_.erase(std::remove_if(guests_.begin(), guests_.end(), [](const guest& g) { return g.peer < 0; }),
                guests_.end());
  if (changed || nowms - lastroster_ >= rosterevery) {
    rebuild();
    broadcast();
    lastroster_ = nowms;
  }
}

void lobbyhost::admit(int peer, uint32_t nowms) {
  guest stranger{peer, 0, 0, nowms, nowms, 0};
  uint16_t port = 0;
  net_.whereis(peer, stranger.address, port);
  // Strangers that crowd the door, from one address or from all, make
  // room for the newest: an honest joiner says hello at once, so only
  // those that never do are let go.
  int fromthere = 0, strangers = 0;
  guest* oldest = nullptr;
  guest* oldesthere = nullptr;
  for (guest& o : guests_) {
    if (o.machine || o.peer < 0) continue;
    strangers++;
    if (!oldest || o.since < oldest->since) oldest = &o;
    if (o.address != stranger.address) continue;
    fromthere++;
    if (!oldesthere || o.since < oldesthere->since) oldesthere = &o;
  }
  if (fromthere >= strangersperaddress) {
    drop(*oldesthere);
  } else if (strangers >= 2 * maxmachines) {
    drop(*oldest);
  }
  guests_.push_back(stranger);
}

bool lobbyhost::remove(int machine) {
  for (guest& g : guests_) {
    if (g.machine != machine || machine < 2) continue;
    refuse(g, refusal::removed);
    rebuild();
    broadcast();
    return true;
  }
  return false;
}

void lobbyhost::handle(guest& g, const netevent& e, uint32_t) {
  if (e.what == netevent::disconnected) {
    g.peer = -1;
    g.machine = 0;
    return;
  }
  if (!decode(e.data.data(), e.data.size(), in_)) {
    if (!g.machine && otherprotocol(e.data)) {
      refuse(g, refusal::version);
    } else {
      drop(g);
    }
    return;
  }
  if (in_.type == packettype::hello && !g.machine) {
    if (in_.versionstring() != me_.version) return refuse(g, refusal::version);
    if (in_.bodyhash != me_.bodyhash) return refuse(g, refusal::bodyfile);
    if (men() + in_.players > maxmen) return refuse(g, refusal::full);
    int free = 0;
    for (int m = maxmachines; m >= 2; m--) {
      if (std::none_of(guests_.begin(), guests_.end(), [m](const guest& o) { return o.machine == m; })) free = m;
    }
    if (!free) return refuse(g, refusal::full);
    g.machine = free;
    g.players = in_.players;
    out_.type = packettype::welcome;
    out_.machine = static_cast<uint8_t>(free);
    encode(out_, bytes_);
    net_.send(g.peer, bytes_.data(), bytes_.size(), true);
    rebuild();
    return;
  }
  if (in_.type == packettype::players && g.machine) {
    if (men() - g.players + in_.players <= maxmen) g.players = in_.players;
    return;
  }
  if (in_.type == packettype::input || in_.type == packettype::check) return;  // a session's, too early
  drop(g);  // anything else is not a joiner's to say here
}

void lobbyhost::refuse(guest& g, refusal why) {
  out_.type = packettype::refuse;
  out_.reason = why;
  out_.setversion(me_.version);
  encode(out_, bytes_);
  net_.send(g.peer, bytes_.data(), bytes_.size(), true);
  drop(g);
}

void lobbyhost::drop(guest& g) {
  if (g.peer >= 0) net_.disconnect(g.peer);
  g.peer = -1;
  g.machine = 0;
}

lobbystart lobbyhost::start(uint64_t seed, const std::vector<uint8_t>& settings, int delay, uint32_t nowms) {
  rebuild();
  lobbystart s;
  s.seed = seed;
  s.settings.assign(settings.begin(), settings.begin() + static_cast<std::ptrdiff_t>(std::min<size_t>(settings.size(), maxsettings)));
  s.setup.me = 1;
  s.setup.machines = static_cast<int>(roster_.size());
  s.setup.delay = std::clamp(delay, 0, maxdelay);
  for (size_t i = 0; i < roster_.size(); i++) {
    rosterentry& e = s.setup.roster[i];
    e = {roster_[i].machine, roster_[i].players, 0, 0, 0};
    // Where each joiner is seen from here, for the others to dial.
    const int peer = peerof(e.machine);
    if (peer >= 0) net_.whereis(peer, e.address, e.port);
  }
  out_.type = packettype::start;
  out_.seed = seed;
  out_.delay = static_cast<uint8_t>(s.setup.delay);
  out_.settingslength = static_cast<uint8_t>(s.settings.size());
  std::copy(s.settings.begin(), s.settings.end(), out_.settings.begin());
  out_.rostercount = static_cast<uint8_t>(roster_.size());
  std::copy(s.setup.roster.begin(), s.setup.roster.begin() + s.setup.machines, out_.roster.begin());
  if (s.setup.machines >= 2) {
    // Each joiner learns the keys of its own lines only.
    for (const guest& g : guests_) {
      if (!g.machine) continue;
      for (int i = 0; i < s.setup.machines; i++) {
        const int other = s.setup.roster[i].machine;
        out_.keys[i] = other == 1 || other == g.machine ? 0 : pairkey(me_.secret, g.machine, other);
      }
      encode(out_, bytes_);
      net_.send(g.peer, bytes_.data(), bytes_.size(), true);
    }
  }
  // Strangers still knocking are turned away: the match has begun.
  for (guest& g : guests_) {
    if (!g.machine) refuse(g, refusal::started);
  }
  net_.service(nowms);
  started_ = true;
  return s;
}

int lobbyhost::peerof(int machine) const {
  for (const guest& g : guests_) {
    if (g.machine == machine) return g.peer;
  }
  return -1;
}

void lobbyhost::close() {
  for (guest& g : guests_) drop(g);
  guests_.clear();
  started_ = true;
}

// ---- joiner ----

lobbyjoin::lobbyjoin(transport& net, const lobbyidentity& me, uint32_t nowms)
    : net_(net), id_(me), since_(nowms) {
  id_.players = std::clamp(id_.players, 1, maxlocalplayers);
}

void lobbyjoin::fail(reason why) {
  if (state_ == failed || state_ == started) return;
  state_ = failed;
  failure_ = why;
  if (hostpeer_ >= 0) net_.disconnect(hostpeer_);
}

void lobbyjoin::send(const packet& p) {
  encode(p, bytes_);
  net_.send(hostpeer_, bytes_.data(), bytes_.size(), true);
}

bool lobbyjoin::pollevent(lobbyevent& out) {
  if (events_.empty()) return false;
  out = events_.front();
  events_.pop_front();
  return true;
}

void lobbyjoin::setplayers(int players) {
  id_.players = std::clamp(players, 1, maxlocalplayers);
  if (state_ != inlobby) return;
  out_.type = packettype::players;
  out_.players = static_cast<uint8_t>(id_.players);
  send(out_);
}

void lobbyjoin::close() {
  if (hostpeer_ >= 0 && state_ != failed) net_.disconnect(hostpeer_);
  state_ = failed;
  failure_ = reason::none;
}

void lobbyjoin::service(uint32_t nowms) {
  if (state_ == failed || state_ == started) return;
  net_.service(nowms);
  while (state_ != failed && state_ != started && net_.receive(incoming_)) handle(incoming_, nowms);
  if (state_ == connecting || state_ == waiting) {
    if (nowms - since_ > lobbytimeout) fail(reason::noanswer);
  } else if (state_ == inlobby && nowms - lastheard_ > lobbytimeout) {
    fail(reason::hostsilent);
  } else if (state_ == inlobby && nowms - lastsent_ >= rosterevery) {
    // Still here: the host lets a joiner it no longer hears go.
    lastsent_ = nowms;
    setplayers(id_.players);
  }
}

void lobbyjoin::handle(const netevent& e, uint32_t nowms) {
  if (e.what == netevent::connected) {
    if (state_ != connecting) return;
    hostpeer_ = e.peer;
    state_ = waiting;
    since_ = nowms;
    out_.type = packettype::hello;
    out_.setversion(id_.version);
    out_.bodyhash = id_.bodyhash;
    out_.players = static_cast<uint8_t>(id_.players);
    send(out_);
    return;
  }
  if (e.peer != hostpeer_) return;
  if (e.what == netevent::disconnected) {
    hostpeer_ = -1;
    fail(state_ == waiting ? reason::hosthungup : reason::hostleft);
    return;
  }
  if (!decode(e.data.data(), e.data.size(), in_)) {
    fail(otherprotocol(e.data) ? reason::otherprotocol : reason::brokenpacket);
    return;
  }
  lastheard_ = nowms;
  switch (in_.type) {
    case packettype::refuse:
      // A player who runs another version is told which one to get.
      if (in_.reason == refusal::version) {
        hostversion_ = in_.versionstring();
        return fail(reason::otherversion);
      }
      fail(in_.reason == refusal::bodyfile  ? reason::bodyfile
           : in_.reason == refusal::full    ? reason::full
           : in_.reason == refusal::removed ? reason::removed
                                            : reason::started);
      return;
    case packettype::welcome:
      if (state_ != waiting) return fail(reason::brokenpacket);
      me_ = in_.machine;
      state_ = inlobby;
      // Players changed while the hello was on its way count too.
      setplayers(id_.players);
      return;
    case packettype::roster:
      if (state_ == inlobby) takeroster(in_);
      return;
    case packettype::start: {
      if (state_ != inlobby) return fail(reason::brokenpacket);
      takeroster(in_);
      int mine = -1;
      for (int i = 0; i < in_.rostercount; i++) {
        if (in_.roster[i].machine == me_) mine = i;
      }
      if (mine < 0) return fail(reason::notinmatch);
      start_.seed = in_.seed;
      start_.settings.assign(in_.settings.begin(), in_.settings.begin() + in_.settingslength);
      start_.setup.me = me_;
      for (int i = 0; i < in_.rostercount; i++) start_.setup.keys[in_.roster[i].machine] = in_.keys[i];
      start_.setup.delay = in_.delay;
      start_.setup.machines = in_.rostercount;
      std::copy(in_.roster.begin(), in_.roster.begin() + in_.rostercount, start_.setup.roster.begin());
      state_ = started;
      return;
    }
    default:
      return;  // a session's packets sent before our start arrived: sent again later
  }
}

void lobbyjoin::takeroster(const packet& p) {
  std::vector<rosterentry> r(p.roster.begin(), p.roster.begin() + p.rostercount);
  diff(roster_, r, me_, events_);
  roster_ = r;
}

}  // namespace online
