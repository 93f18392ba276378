#include "online/packet.h"

#include <cassert>
#include <cstring>

namespace online {
namespace {

// A player's keys byte on the wire: the direction bits, and one bit telling
// whether the stick's two bytes follow (keyboard players never send them).
constexpr uint8_t wirestick = 0x10;
// On an input packet's counts byte: the mask of direct lines follows.
constexpr uint8_t hasdirect = 0x80;
constexpr uint8_t machinebits = 0x1e;  // bits 1 to 4
// A run of equal frames is one byte: its length less one, and the buttons.
constexpr int runbits = 5;
static_assert(maxframesperblock <= (1 << runbits), "a run length must fit its bits");
static_assert(machinebuttons == (0xff >> runbits), "the buttons fill the bits above the run length");

class writer {
 public:
  explicit writer(std::vector<uint8_t>& out) : out_(out) { out_.clear(); }
  void byte(uint8_t b) { out_.push_back(b); }
  void u16(uint16_t v) {
    byte(static_cast<uint8_t>(v));
    byte(static_cast<uint8_t>(v >> 8));
  }
  void u64(uint64_t v) {
    for (int i = 0; i < 8; i++) byte(static_cast<uint8_t>(v >> (8 * i)));
  }
  void varint(uint32_t v) {
    while (v >= 0x80) {
      byte(static_cast<uint8_t>(v | 0x80));
      v >>= 7;
    }
    byte(static_cast<uint8_t>(v));
  }
  // Small differences of either sign in one or two bytes.
  void signedvarint(int32_t v) {
    varint(v < 0 ? ((static_cast<uint32_t>(-(v + 1)) << 1) | 1) : (static_cast<uint32_t>(v) << 1));
  }

 private:
  std::vector<uint8_t>& out_;
};

class reader {
 public:
  reader(const uint8_t* data, size_t size, std::string* why) : p_(data), end_(data + size), why_(why) {}

  bool fail(const char* fault) {
    if (ok_ && why_) *why_ = fault;
    ok_ = false;
    p_ = end_;
    return false;
  }
  bool ok() const { return ok_; }
  bool done() const { return p_ == end_; }

  uint8_t byte() {
    if (p_ == end_) {
      fail("the packet is cut short");
      return 0;
    }
    return *p_++;
  }
  uint16_t u16() {
    const uint16_t lo = byte();
    return static_cast<uint16_t>(lo | (byte() << 8));
  }
  uint64_t u64() {
    uint64_t v = 0;
    for (int i = 0; i < 8; i++) v |= static_cast<uint64_t>(byte()) << (8 * i);
    return v;
  }
  // At most five bytes, and no value above 32 bits; a longer or padded
  // encoding is refused, so one value has one spelling.
  uint32_t varint() {
    uint64_t v = 0;
    for (int shift = 0; shift < 35; shift += 7) {
      const uint8_t b = byte();
      if (!ok_) return 0;
      v |= static_cast<uint64_t>(b & 0x7f) << shift;
      if (!(b & 0x80)) {
        if (b == 0 && shift > 0) fail("a number is padded");
        if (v > 0xffffffffu) fail("a number is too large");
        return static_cast<uint32_t>(v);
      }
    }
    fail("a number is too long");
    return 0;
  }
  int64_t signedvarint() {
    const uint32_t v = varint();
    return (v & 1) ? -static_cast<int64_t>(v >> 1) - 1 : static_cast<int64_t>(v >> 1);
  }
  const uint8_t* bytes(size_t n) {
    if (static_cast<size_t>(end_ - p_) < n) {
      fail("the packet is cut short");
      return nullptr;
    }
    const uint8_t* at = p_;
    p_ += n;
    return at;
  }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
  std::string* why_;
  bool ok_ = true;
};

void writeversion(writer& w, const packet& p) {
  w.byte(p.versionlength);
  for (int i = 0; i < p.versionlength; i++) w.byte(static_cast<uint8_t>(p.version[i]));
}

bool readversion(reader& r, packet& p) {
  p.versionlength = r.byte();
  if (p.versionlength > maxversion) return r.fail("the version is too long");
  const uint8_t* v = r.bytes(p.versionlength);
  if (v) std::memcpy(p.version.data(), v, p.versionlength);
  return r.ok();
}

bool validmachine(int m) { return m >= 1 && m <= maxmachines; }
bool validframe(int64_t f) { return f >= 0 && f < maxframe; }

void writeplayer(writer& w, const PlayerInput& in) {
  const bool stick = in.stickx != 0 || in.sticky != 0;
  w.byte(static_cast<uint8_t>(in.keys | (stick ? wirestick : 0)));
  if (stick) {
    w.byte(static_cast<uint8_t>(in.stickx));
    w.byte(static_cast<uint8_t>(in.sticky));
  }
}

bool readplayer(reader& r, PlayerInput& in) {
  const uint8_t b = r.byte();
  if (b & ~(inputdirections | wirestick)) return r.fail("a player's keys hold unknown bits");
  in.keys = static_cast<uint8_t>(b & inputdirections);
  in.stickx = in.sticky = 0;
  if (b & wirestick) {
    in.stickx = static_cast<int8_t>(r.byte());
    in.sticky = static_cast<int8_t>(r.byte());
    if (in.stickx == 0 && in.sticky == 0) return r.fail("a still stick is sent");
  }
  if (!validplayerinput(in)) return r.fail("a stick is pushed beyond its reach");
  return r.ok();
}

bool sameframe(const machineinput& a, const machineinput& b, int players) {
  if (a.buttons != b.buttons) return false;
  for (int i = 0; i < players; i++) {
    if (a.players[i] != b.players[i]) return false;
  }
  return true;
}

void writeblock(writer& w, const inputblock& b, int32_t base) {
  w.byte(static_cast<uint8_t>(b.machine << 4 | b.players));
  w.signedvarint(b.start - base);
  w.byte(b.count);
  int i = 0;
  while (i < b.count) {
    int run = 1;
    while (i + run < b.count && sameframe(b.frames[i + run], b.frames[i], b.players)) run++;
    w.byte(static_cast<uint8_t>((run - 1) | (b.frames[i].buttons << runbits)));
    for (int p = 0; p < b.players; p++) writeplayer(w, b.frames[i].players[p]);
    i += run;
  }
}

bool readblock(reader& r, inputblock& b, int32_t base) {
  const uint8_t who = r.byte();
  b.machine = who >> 4;
  b.players = who & 15;
  if (!validmachine(b.machine)) return r.fail("an input block names no machine");
  if (b.players < 1 || b.players > maxlocalplayers) return r.fail("an input block has a wrong player count");
  const int64_t start = base + r.signedvarint();
  b.count = r.byte();
  if (!r.ok()) return false;
  if (b.count < 1 || b.count > maxframesperblock) return r.fail("an input block has a wrong frame count");
  if (!validframe(start) || !validframe(start + b.count)) return r.fail("an input block's frames are out of range");
  b.start = static_cast<int32_t>(start);
  int i = 0;
  while (i < b.count && r.ok()) {
    const uint8_t head = r.byte();
    const int run = (head & ((1 << runbits) - 1)) + 1;
    machineinput in;
    in.buttons = static_cast<uint8_t>(head >> runbits);  // every bit there is a button
    for (int p = 0; p < b.players; p++) readplayer(r, in.players[p]);
    if (run > b.count - i) return r.fail("a run of frames overflows its block");
    for (int k = 0; k < run; k++) b.frames[i + k] = in;
    i += run;
  }
  return r.ok();
}

bool readroster(reader& r, packet& p, bool withroundtrip) {
  p.rostercount = r.byte();
  if (!r.ok()) return false;
  if (p.rostercount < 1 || p.rostercount > maxmachines) return r.fail("a roster has a wrong machine count");
  int men = 0;
  for (int i = 0; i < p.rostercount; i++) {
    rosterentry& e = p.roster[i];
    e.machine = r.byte();
    e.players = r.byte();
    e.roundtrip = withroundtrip ? r.u16() : 0;
    const uint8_t route = withroundtrip ? r.byte() : 0;
    if (route > static_cast<uint8_t>(linekind::relay)) return r.fail("a roster names no kind of line");
    e.route = static_cast<linekind>(route);
    e.address = 0;
    e.port = 0;
    if (!withroundtrip) {
      for (int b = 0; b < 4; b++) e.address |= static_cast<uint32_t>(r.byte()) << (8 * b);
      e.port = r.u16();
    }
    if (!r.ok()) return false;
    if (!validmachine(e.machine)) return r.fail("a roster names no machine");
    if (e.players < 1 || e.players > maxlocalplayers) return r.fail("a roster has a wrong player count");
    for (int j = 0; j < i; j++) {
      if (p.roster[j].machine == e.machine) return r.fail("a roster names a machine twice");
    }
    men += e.players;
  }
  if (p.roster[0].machine != 1) return r.fail("a roster does not start with the host");
  if (men > maxmen) return r.fail("a roster has too many men");
  return true;
}

void writeroster(writer& w, const packet& p, bool withroundtrip) {
  w.byte(p.rostercount);
  for (int i = 0; i < p.rostercount; i++) {
    w.byte(p.roster[i].machine);
    w.byte(p.roster[i].players);
    if (withroundtrip) {
      w.u16(p.roster[i].roundtrip);
      w.byte(static_cast<uint8_t>(p.roster[i].route));
    } else {
      for (int b = 0; b < 4; b++) w.byte(static_cast<uint8_t>(p.roster[i].address >> (8 * b)));
      w.u16(p.roster[i].port);
    }
  }
}

bool readframe(reader& r, int32_t& frame) {
  const uint32_t f = r.varint();
  if (!r.ok()) return false;
  if (!validframe(f)) return r.fail("a frame number is out of range");
  frame = static_cast<int32_t>(f);
  return true;
}

}  // namespace

bool inmatch(packettype type) {
  return type == packettype::input || type == packettype::check || type == packettype::leave ||
         type == packettype::desync || type == packettype::leaving;
}

bool validplayerinput(const PlayerInput& in) {
  if (in.keys & ~inputdirections) return false;
  // Rounding each axis of a full push may overshoot by less than one.
  const int reach = PlayerInput::stickfull + 1;
  return in.stickx * in.stickx + in.sticky * in.sticky <= reach * reach;
}

void packet::setversion(const std::string& v) {
  versionlength = static_cast<uint8_t>(v.size() < version.size() ? v.size() : version.size());
  std::memcpy(version.data(), v.data(), versionlength);
}

void encode(const packet& p, std::vector<uint8_t>& out) {
  writer w(out);
  w.byte(static_cast<uint8_t>(protocolversion << 4 | static_cast<uint8_t>(p.type)));
  if (inmatch(p.type)) w.byte(p.epoch);
  switch (p.type) {
    case packettype::hello:
      writeversion(w, p);
      w.u64(p.bodyhash);
      w.byte(p.players);
      break;
    case packettype::welcome:
      w.byte(p.machine);
      break;
    case packettype::refuse:
      w.byte(static_cast<uint8_t>(p.reason));
      writeversion(w, p);
      break;
    case packettype::roster:
      writeroster(w, p, true);
      break;
    case packettype::players:
      w.byte(p.players);
      break;
    case packettype::start:
      w.u64(p.seed);
      w.byte(p.delay);
      w.byte(p.settingslength);
      for (int i = 0; i < p.settingslength; i++) w.byte(p.settings[i]);
      writeroster(w, p, false);
      for (int i = 0; i < p.rostercount; i++) w.u64(p.keys[i]);
      break;
    case packettype::input:
      w.byte(static_cast<uint8_t>(p.advantage));
      w.varint(static_cast<uint32_t>(p.base));
      w.byte(static_cast<uint8_t>(p.ackcount << 4 | p.blockcount | (p.directmask ? hasdirect : 0)));
      if (p.directmask) w.byte(p.directmask);
      for (int i = 0; i < p.ackcount; i++) {
        w.byte(p.acks[i].machine);
        w.signedvarint(p.acks[i].next - p.base);
      }
      for (int i = 0; i < p.blockcount; i++) writeblock(w, p.blocks[i], p.base);
      break;
    case packettype::check:
      w.varint(static_cast<uint32_t>(p.frame));
      w.u64(p.checksum);
      break;
    case packettype::leave:
      w.byte(p.machine);
      w.varint(static_cast<uint32_t>(p.frame));
      break;
    case packettype::desync:
      w.varint(static_cast<uint32_t>(p.frame));
      break;
    case packettype::meet:
      w.byte(p.machine);
      w.u64(p.token);
      break;
    case packettype::leaving:
      w.byte(p.machine);
      w.varint(static_cast<uint32_t>(p.frame));
      break;
  }
  assert(out.size() <= maxpacket);
}

bool decode(const uint8_t* data, size_t size, packet& p, std::string* why) {
  reader r(data, size, why);
  if (size > maxpacket) return r.fail("the packet is too long");
  const uint8_t head = r.byte();
  if (!r.ok()) return false;
  if ((head >> 4) != protocolversion) return r.fail("the packet is from another protocol version");
  const int type = head & 15;
  if (type < 1 || type > static_cast<int>(packettype::last)) return r.fail("the packet type is unknown");
  p.type = static_cast<packettype>(type);
  p.epoch = inmatch(p.type) ? r.byte() : 0;
  switch (p.type) {
    case packettype::hello: {
      if (!readversion(r, p)) return false;
      p.bodyhash = r.u64();
      p.players = r.byte();
      if (r.ok() && (p.players < 1 || p.players > maxlocalplayers)) return r.fail("a machine brings a wrong number of players");
      break;
    }
    case packettype::welcome:
      p.machine = r.byte();
      if (r.ok() && (p.machine < 2 || p.machine > maxmachines)) return r.fail("a joiner's machine number is out of range");
      break;
    case packettype::refuse: {
      const uint8_t reason = r.byte();
      if (r.ok() && (reason < 1 || reason > static_cast<uint8_t>(refusal::last))) return r.fail("the refusal is unknown");
      p.reason = static_cast<refusal>(reason);
      if (!readversion(r, p)) return false;
      // The joiner shows it.
      for (int i = 0; i < p.versionlength; i++) {
        if (p.version[i] < ' ' || p.version[i] > '~')
          return r.fail("the host's version is not printable");
      }
      break;
    }
    case packettype::roster:
      readroster(r, p, true);
      break;
    case packettype::players:
      p.players = r.byte();
      if (r.ok() && (p.players < 1 || p.players > maxlocalplayers)) return r.fail("a machine brings a wrong number of players");
      break;
    case packettype::start: {
      p.seed = r.u64();
      p.delay = r.byte();
      if (r.ok() && p.delay > maxdelay) return r.fail("the input delay is too long");
      p.settingslength = r.byte();
      if (r.ok() && p.settingslength > maxsettings) return r.fail("the settings are too long");
      const uint8_t* s = r.bytes(p.settingslength);
      if (s) std::memcpy(p.settings.data(), s, p.settingslength);
      if (r.ok()) readroster(r, p, false);
      if (r.ok() && p.rostercount < 2) return r.fail("a match needs two machines");
      for (int i = 0; i < p.rostercount && r.ok(); i++) p.keys[i] = r.u64();
      break;
    }
    case packettype::input: {
      p.advantage = static_cast<int8_t>(r.byte());
      if (!readframe(r, p.base)) return false;
      const uint8_t counts = r.byte();
      p.ackcount = (counts >> 4) & 7;
      p.blockcount = counts & 15;
      p.directmask = (counts & hasdirect) ? r.byte() : 0;
      if (!r.ok()) return false;
      if ((counts & hasdirect) && (p.directmask == 0 || (p.directmask & ~machinebits)))
        return r.fail("the direct lines name no machine");
      if (p.ackcount > maxmachines || p.blockcount > maxmachines) return r.fail("an input packet has too many parts");
      for (int i = 0; i < p.ackcount && r.ok(); i++) {
        p.acks[i].machine = r.byte();
        const int64_t next = p.base + r.signedvarint();
        if (!r.ok()) return false;
        if (!validmachine(p.acks[i].machine)) return r.fail("an acknowledgement names no machine");
        if (!validframe(next)) return r.fail("an acknowledgement's frame is out of range");
        p.acks[i].next = static_cast<int32_t>(next);
        for (int j = 0; j < i; j++) {
          if (p.acks[j].machine == p.acks[i].machine) return r.fail("a machine is acknowledged twice");
        }
      }
      for (int i = 0; i < p.blockcount && r.ok(); i++) {
        if (!readblock(r, p.blocks[i], p.base)) return false;
        for (int j = 0; j < i; j++) {
          if (p.blocks[j].machine == p.blocks[i].machine) return r.fail("a machine's inputs come twice");
        }
      }
      break;
    }
    case packettype::check:
      if (!readframe(r, p.frame)) return false;
      p.checksum = r.u64();
      break;
    case packettype::leave:
      p.machine = r.byte();
      if (r.ok() && (p.machine < 2 || p.machine > maxmachines)) return r.fail("a leaving machine's number is out of range");
      readframe(r, p.frame);
      break;
    case packettype::desync:
      readframe(r, p.frame);
      break;
    case packettype::meet:
      p.machine = r.byte();
      p.token = r.u64();
      if (r.ok() && (p.machine < 2 || p.machine > maxmachines)) return r.fail("a meeting machine's number is out of range");
      break;
    case packettype::leaving:
      p.machine = r.byte();
      if (r.ok() && (p.machine < 2 || p.machine > maxmachines)) return r.fail("a leaving machine's number is out of range");
      readframe(r, p.frame);
      break;
  }
  if (!r.ok()) return false;
  if (!r.done()) return r.fail("the packet has bytes left over");
  return true;
}

}  // namespace online
