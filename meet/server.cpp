#include "meet/server.h"

namespace meet {

using online::meetaddress;
using online::meeterror;
using online::meetpacket;
using online::meettype;

namespace {
// A host proves its address within a round trip; a room whose address never
// answered goes soon, so forged registrations cannot fill the server.
constexpr uint32_t unprovedms = 10000;
}  // namespace

server::server(const serverlimits& limits, uint16_t firstrelay, int relays, std::function<uint64_t()> random)
    : limits_(limits),
      random_(std::move(random)),
      sources_(limits.rates, random_()),
      relays_(firstrelay, relays, limits.relays) {}

uint64_t server::nonzero() {
  uint64_t v = 0;
  while (v == 0) v = random_();
  return v;
}

bool server::newcode(uint32_t& code) {
  for (int tries = 0; tries < 16; tries++) {
    code = static_cast<uint32_t>(random_() % online::codespace);
    if (!rooms_.count(code)) return true;
  }
  return false;
}

void server::send(std::vector<outgoing>& out, const meetaddress& to, const meetpacket& p) {
  out.push_back({to, {}});
  online::encodemeet(p, out.back().bytes);
}

void server::error(std::vector<outgoing>& out, const meetaddress& to, meeterror reason, const std::string& code,
                   uint64_t token) {
  meetpacket e;
  e.type = meettype::error;
  e.reason = reason;
  e.code = code;
  e.token = token;
  send(out, to, e);
}

void server::receive(const meetaddress& from, const uint8_t* data, size_t size, uint32_t now,
                     std::vector<outgoing>& out) {
  if (!online::meetdatagram(data, size)) return;
  meetpacket p;
  if (!online::decodemeet(data, size, p)) {
    // A game of another version hears why, as long as its request was
    // padded like ours: the answer is never the longer.
    if (size == online::meetrequestsize && data[online::meetmagic.size()] != online::meetversion &&
        sources_.allow(from.ip, ratekind::any, now)) {
      error(out, from, meeterror::version, "", 0);
    }
    return;
  }
  if (!online::meetrequest(p.type)) return;
  // Beyond this a flood from one address is dropped without an answer.
  if (!sources_.allow(from.ip, ratekind::any, now)) return;
  switch (p.type) {
    case meettype::hostregister: hostregister(from, p, now, out); break;
    case meettype::lookup: lookup(from, p, now, out); break;
    case meettype::relayrequest: relayrequest(from, p, now, out); break;
    case meettype::hostclose: hostclose(from, p); break;
    default: break;  // relay binds go to relay ports; LAN probes are not for us
  }
}

void server::hostregister(const meetaddress& from, const meetpacket& p, uint32_t now, std::vector<outgoing>& out) {
  uint32_t code = 0;
  room* r = nullptr;
  const auto known = roomkeys_.find(p.key);
  if (known != roomkeys_.end()) {
    code = known->second;
    r = &rooms_[code];
  } else {
    if (!sources_.allow(from.ip, ratekind::room, now)) return error(out, from, meeterror::ratelimited, p.code, 0);
    // A host asking for its old code (the server restarted) gets it when free.
    const bool wanted = !p.code.empty() && !rooms_.count(online::codeindex(p.code));
    if (rooms_.size() >= limits_.maxrooms || (!wanted && !newcode(code))) {
      return error(out, from, meeterror::serverfull, p.code, 0);
    }
    if (wanted) code = online::codeindex(p.code);
    r = &rooms_[code];
    r->key = p.key;
    r->host = from;
    r->proof = nonzero();
    r->intros = bucket(limits_.introburst, 1, limits_.introevery, now);
    roomkeys_[p.key] = code;
  }
  if (r->host != from) {
    // The host's router gave it another port: that address proves itself anew.
    r->host = from;
    r->proof = nonzero();
    r->proved = false;
    if (r->opened) events_.push_back("room " + online::codefromindex(code) + " moved to " + online::meetaddresstext(from));
  } else if (!r->proved && p.token == r->proof) {
    // Forged registrations never get here, so they never reach the log.
    if (!r->opened) events_.push_back("room " + online::codefromindex(code) + " opened by " + online::meetaddresstext(from));
    r->proved = r->opened = true;
  }
  r->localcount = p.localcount;
  r->locals = p.locals;
  r->refreshed = now;
  meetpacket reply;
  reply.type = meettype::registered;
  reply.code = online::codefromindex(code);
  reply.token = r->proof;
  reply.address = from;
  send(out, from, reply);
}

void server::lookup(const meetaddress& from, const meetpacket& p, uint32_t now, std::vector<outgoing>& out) {
  if (!sources_.allow(from.ip, ratekind::lookup, now)) return error(out, from, meeterror::ratelimited, p.code, 0);
  const uint32_t code = online::codeindex(p.code);
  const auto it = rooms_.find(code);
  if (it == rooms_.end() || !it->second.proved) return error(out, from, meeterror::unknowncode, p.code, 0);
  room& r = it->second;
  if (!r.intros.take(now)) return error(out, from, meeterror::ratelimited, p.code, 0);
  if (pairs_.size() >= limits_.maxpairs) return error(out, from, meeterror::serverfull, p.code, 0);
  uint64_t token = nonzero();
  while (pairs_.count(token)) token = nonzero();
  pairs_[token] = {code, now, r.host.ip, from.ip};

  meetpacket intro;
  intro.type = meettype::introduce;
  intro.token = token;
  intro.role = online::meetrole::joiner;
  intro.address = r.host;
  intro.localcount = r.localcount;
  intro.locals = r.locals;
  send(out, from, intro);
  intro.role = online::meetrole::host;
  intro.address = from;
  intro.localcount = p.localcount;
  intro.locals = p.locals;
  send(out, r.host, intro);
  events_.push_back("room " + p.code + " joined from " + online::meetaddresstext(from));
}

void server::relayrequest(const meetaddress& from, const meetpacket& p, uint32_t now, std::vector<outgoing>& out) {
  const auto it = pairs_.find(p.token);
  if (it == pairs_.end() || (from.ip != it->second.hostip && from.ip != it->second.joinerip)) {
    return error(out, from, meeterror::unknownpair, "", p.token);
  }
  const std::string code = online::codefromindex(it->second.code);
  const int before = relays_.inuse();
  const uint16_t port = relays_.open(p.token, it->second.hostip, it->second.joinerip, now);
  if (port == 0) {
    events_.push_back("room " + code + ": no relay port free");
    return error(out, from, meeterror::relayfull, code, p.token);
  }
  if (relays_.inuse() != before) events_.push_back("room " + code + ": relay " + std::to_string(port) + " opened");
  meetpacket grant;
  grant.type = meettype::relaygrant;
  grant.token = p.token;
  grant.port = port;
  send(out, from, grant);
}

void server::hostclose(const meetaddress& from, const meetpacket& p) {
  const auto it = rooms_.find(online::codeindex(p.code));
  if (it != rooms_.end() && it->second.key == p.key && it->second.host == from) closeroom(it, "closed by its host");
}

void server::closeroom(std::unordered_map<uint32_t, room>::iterator it, const char* why) {
  if (it->second.opened) events_.push_back("room " + online::codefromindex(it->first) + " " + why);
  roomkeys_.erase(it->second.key);
  rooms_.erase(it);
}

void server::expire(uint32_t now) {
  for (auto it = rooms_.begin(); it != rooms_.end();) {
    const room& r = it->second;
    if (now - r.refreshed >= (r.proved ? online::roomlifetimems : unprovedms)) {
      closeroom(it++, "expired");
    } else {
      ++it;
    }
  }
  for (auto it = pairs_.begin(); it != pairs_.end();) {
    if (now - it->second.made >= limits_.pairms) {
      it = pairs_.erase(it);
    } else {
      ++it;
    }
  }
  relays_.expire(now, events_);
}

}  // namespace meet
