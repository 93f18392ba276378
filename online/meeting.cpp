#include "online/meeting.h"

#include <arpa/inet.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>

#include "online/address.h"
#include "online/words.h"
#include "platform/random.h"

namespace online {
namespace {

// Lookups and relay questions go again this often, this many times, before
// the server counts as silent.
constexpr uint32_t askevery = 500;
constexpr int asktimes = 6;
// A registered host refreshes its room this often: a restarted server has
// the room back within seconds, under the same code.
constexpr uint32_t refreshevery = 5000;
// Punches: one every this often for this long. The first dies a hop past
// this side's router: it opens that router without reaching the other side's
// before its own punch left, where a router that answers for itself would
// take it and keep the port it needed.
constexpr uint32_t punchevery = 100;
constexpr uint32_t punchfor = 4000;
constexpr int firsthops = 2;
// Without an answered punch by then, the pair goes through the relay.
constexpr uint32_t relayafter = 2000;
// Joiners being introduced at once; a pair is forgotten after this long.
constexpr size_t maxpairs = 8;
constexpr uint32_t pairlife = 15000;
// LAN questions answered in one second: never a flood's reflector.
constexpr int offerspersecond = 20;
// The join screen asks the local network this often.
constexpr uint32_t lanaskevery = 1000;
constexpr size_t maxlangames = 8;

meetaddress fromnet(uint32_t address, uint16_t port) { return {ntohl(address), port}; }

}  // namespace

bool drawkey(uint64_t& key) {
  key = 0;
  // Zero means "no key" on the wire; drawing it twice running is no accident.
  for (int i = 0; i < 2 && key == 0; i++) {
    if (!plat::UnpredictableBytes(&key, sizeof key)) return false;
  }
  return key != 0;
}

bool meeting::findserver(const std::string& server, meetaddress& out, std::string* why) {
  std::string host;
  uint16_t port = 0;
  std::string bad;
  if (!parseaddress(server, host, port, &bad)) {
    if (why) *why = "THE MEETING SERVER " + server + " IS NO ADDRESS";
    return false;
  }
  uint32_t address = 0;
  if (!enettransport::resolve(host, address)) {
    if (why) *why = "NO MEETING SERVER CALLED " + host + ": CHECK THE NAME, OR TYPE THE HOST'S ADDRESS";
    return false;
  }
  out = fromnet(address, server.find(':') == std::string::npos ? defaultmeetport : port);
  return true;
}

meeting::meeting(enettransport& net, const meetaddress& server, uint64_t key, uint32_t nowms)
    : net_(net), server_(server), host_(true), key_(key) {
  lastask_ = nowms - refreshevery;
}

meeting::meeting(enettransport& net, const meetaddress& server, const std::string& code, uint32_t nowms)
    : net_(net), server_(server), host_(false), code_(code) {
  lastask_ = nowms - askevery;
}

void meeting::send(const meetaddress& to, const meetpacket& p) {
  encodemeet(p, bytes_);
  net_.sendraw(htonl(to.ip), to.port, bytes_.data(), bytes_.size());
}

void meeting::sendword(const meetaddress& to, uint8_t what, uint64_t token, int hops) {
  uint8_t bytes[wordsize];
  writeword({static_cast<word::kind>(what), token}, bytes);
  net_.sendraw(htonl(to.ip), to.port, bytes, sizeof bytes, hops);
}

void meeting::fillocals(meetpacket& p) const {
  p.localcount = 0;
  for (uint32_t a : localnumbers()) {
    const meetaddress m = fromnet(a, net_.port());
    if (p.localcount < maxlocals && validlocal(m)) p.locals[p.localcount++] = m;
  }
}

void meeting::fail(reason why) {
  if (failure_ == reason::none && dialled_ < 0) failure_ = why;
}

meeting::pair* meeting::find(uint64_t token) {
  for (pair& q : pairs_)
    if (q.token == token) return &q;
  return nullptr;
}

void meeting::close() {
  if (!host_ || server_.port == 0 || code_.empty()) return;
  meetpacket p;
  p.type = meettype::hostclose;
  p.key = key_;
  p.code = code_;
  send(server_, p);
  server_.port = 0;
}

void meeting::service(uint32_t nowms) {
  uint32_t address = 0;
  uint16_t port = 0;
  std::vector<uint8_t> data;
  meetpacket p;
  while (net_.receiveraw(address, port, data)) {
    const meetaddress from = fromnet(address, port);
    if (ismarked(data.data(), data.size())) {
      fromgame(from, data, nowms);
    } else if (decodemeet(data.data(), data.size(), p)) {
      fromserver(from, p, nowms);
    }
  }
  if (server_.port != 0 && host_ && nowms - lastask_ >= (code_.empty() ? askevery * 2 : refreshevery)) {
    lastask_ = nowms;
    asks_++;
    registerroom();
  }
  if (server_.port != 0 && !host_ && !answered_ && failure_ == reason::none && nowms - lastask_ >= askevery) {
    if (asks_ == asktimes) {
      fail(reason::meetsilent);
    } else {
      lastask_ = nowms;
      asks_++;
      meetpacket r;
      r.type = meettype::lookup;
      r.code = code_;
      fillocals(r);
      send(server_, r);
    }
  }
  for (pair& q : pairs_) punchandrelay(q, nowms);
  pairs_.erase(std::remove_if(pairs_.begin(), pairs_.end(),
                              [nowms](const pair& q) { return nowms - q.since > pairlife; }),
               pairs_.end());
}

void meeting::registerroom() {
  meetpacket r;
  r.type = meettype::hostregister;
  r.key = key_;
  r.code = code_;
  r.token = proof_;
  fillocals(r);
  send(server_, r);
}

void meeting::fromserver(const meetaddress& from, const meetpacket& p, uint32_t nowms) {
  if (p.type == meettype::lanprobe) {
    // Anyone on the network may ask who hosts here; the offer is no bigger.
    if (!host_) return;
    if (nowms - offerwindow_ >= 1000) {
      offerwindow_ = nowms;
      offers_ = 0;
    }
    if (++offers_ > offerspersecond) return;
    meetpacket o;
    o.type = meettype::lanoffer;
    o.port = net_.port();
    o.code = code_;
    char name[64] = {};
    if (gethostname(name, sizeof name - 1) == 0) {
      for (const char* c = name; *c && o.name.size() < static_cast<size_t>(maxlanname); c++)
        if (*c >= 0x20 && *c < 0x7f) o.name += static_cast<char>(std::toupper(static_cast<unsigned char>(*c)));
    }
    send(from, o);
    return;
  }
  // The rest comes only from the server, or from a relay port on its address.
  if (from.ip != server_.ip) return;
  switch (p.type) {
    case meettype::registered:
      if (!host_ || from != server_) return;
      asks_ = 0;
      code_ = p.code;
      // The proof comes back from our address: nobody forged it.
      if (p.token != 0 && p.token != proof_) {
        proof_ = p.token;
        registerroom();
      }
      return;
    case meettype::introduce:
      if (from == server_ && p.role == (host_ ? meetrole::host : meetrole::joiner)) introduce(p, nowms);
      return;
    case meettype::relaygrant:
      if (pair* q = find(p.token)) {
        if (from == server_ && q->relayport == 0 && p.port != 0) q->relayport = p.port;
      }
      return;
    case meettype::relaybound:
      if (pair* q = find(p.token)) {
        if (q->relayport == 0 || from.port != q->relayport || q->relaybound) return;
        q->relaybound = true;
        net_.markrelay(htonl(from.ip), from.port);
        // The joiner dials the relay once both... its own side is bound;
        // ENet's connect is sent again until the host's side is too.
        if (!host_ && !q->through) dial(from);
      }
      return;
    case meettype::error:
      if (from != server_) return;
      if (host_) {
        // A refused registration is tried again at the next refresh; a
        // forgotten pair is simply dropped.
        if (p.reason == meeterror::unknownpair) {
          pairs_.erase(std::remove_if(pairs_.begin(), pairs_.end(), [&](const pair& q) { return q.token == p.token; }),
                       pairs_.end());
        }
        return;
      }
      switch (p.reason) {
        case meeterror::unknowncode:
          answered_ = true;
          fail(reason::unknowncode);
          return;
        case meeterror::relayfull:
          fail(reason::relayfull);
          return;
        default:
          answered_ = true;
          fail(p.reason == meeterror::ratelimited ? reason::meetbusy : reason::meetrefused);
          return;
      }
    default:
      return;
  }
}

void meeting::introduce(const meetpacket& p, uint32_t nowms) {
  answered_ = true;
  if (find(p.token)) return;
  if (!host_ && !pairs_.empty()) return;
  if (pairs_.size() >= maxpairs) pairs_.erase(pairs_.begin());
  pair q;
  q.token = p.token;
  q.since = nowms;
  q.places.push_back(p.address);
  for (int i = 0; i < p.localcount && i < maxlocals; i++)
    if (p.locals[i] != p.address) q.places.push_back(p.locals[i]);
  pairs_.push_back(q);
  punchandrelay(pairs_.back(), nowms);
}

void meeting::punchandrelay(pair& q, uint32_t nowms) {
  const uint32_t age = nowms - q.since;
  if (!q.through && age < punchfor && (q.punches == 0 || nowms - q.lastpunch >= punchevery)) {
    for (const meetaddress& a : q.places) sendword(a, word::punch, q.token, q.punches == 0 ? firsthops : 0);
    q.punches++;
    q.lastpunch = nowms;
  }
  if (q.through || q.relaybound || age < relayafter || nowms - q.lastrelay < askevery) return;
  if (q.relaytries == asktimes * 2) {
    fail(reason::relaysilent);
    return;
  }
  q.lastrelay = nowms;
  q.relaytries++;
  meetpacket r;
  r.token = q.token;
  if (q.relayport == 0) {
    r.type = meettype::relayrequest;
    send(server_, r);
  } else {
    // One datagram from the game's socket binds its address to our side.
    r.type = meettype::relaybind;
    r.role = host_ ? meetrole::host : meetrole::joiner;
    send({server_.ip, q.relayport}, r);
  }
}

void meeting::fromgame(const meetaddress& from, const std::vector<uint8_t>& data, uint32_t) {
  word w;
  if (!readword(data.data(), data.size(), w)) return;
  pair* q = find(w.token);
  if (!q) return;
  if (w.what == word::punch) sendword(from, word::punchback, w.token);
  // Only the joiner dials, so each pair makes one line.
  if (!q->through) {
    q->through = true;
    if (!host_ && !q->relaybound) dial(from);
  }
}

void meeting::dial(const meetaddress& to) {
  if (dialled_ >= 0) return;
  dialled_ = net_.dial(htonl(to.ip), to.port);
  if (dialled_ < 0) fail(reason::noanswer);
}

lanlist::lanlist(uint32_t) : finder_(lanfinder::open()) {}

void lanlist::service(uint32_t nowms) {
  if (!finder_) return;
  if (!asked_ || nowms - lastask_ >= lanaskevery) {
    asked_ = true;
    lastask_ = nowms;
    meetpacket p;
    p.type = meettype::lanprobe;
    std::vector<uint8_t> bytes;
    encodemeet(p, bytes);
    finder_->ask(bytes.data(), bytes.size(), defaultport);
  }
  uint32_t address = 0;
  uint16_t port = 0;
  std::vector<uint8_t> data;
  meetpacket p;
  for (int n = 0; n < 32 && finder_->heard(address, port, data); n++) {
    if (!decodemeet(data.data(), data.size(), p) || p.type != meettype::lanoffer) continue;
    langame g;
    g.address = dotted(address) + ":" + std::to_string(p.port);
    g.code = p.code;
    g.name = p.name;
    // A host on this machine answers on loopback and on its network too.
    const bool known = std::any_of(games_.begin(), games_.end(), [&](const langame& k) {
      return k.address == g.address || (k.code == g.code && k.name == g.name &&
                                        k.address.substr(k.address.rfind(':')) == g.address.substr(g.address.rfind(':')));
    });
    if (!known && games_.size() < maxlangames) games_.push_back(g);
  }
}

}  // namespace online
