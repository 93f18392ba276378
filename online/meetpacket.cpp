#include "online/meetpacket.h"

#include <cassert>
#include <cstring>

namespace online {
namespace {

constexpr size_t headersize = meetmagic.size() + 2;

class writer {
 public:
  explicit writer(std::vector<uint8_t>& out) : out_(out) { out_.clear(); }
  void byte(uint8_t b) { out_.push_back(b); }
  void u16(uint16_t v) {
    byte(static_cast<uint8_t>(v >> 8));
    byte(static_cast<uint8_t>(v));
  }
  void u32(uint32_t v) {
    u16(static_cast<uint16_t>(v >> 16));
    u16(static_cast<uint16_t>(v));
  }
  void u64(uint64_t v) {
    u32(static_cast<uint32_t>(v >> 32));
    u32(static_cast<uint32_t>(v));
  }
  void address(const meetaddress& a) {
    u32(a.ip);
    u16(a.port);
  }
  void code(const std::string& c) {
    for (int i = 0; i < codelength; i++) byte(c.empty() ? 0 : static_cast<uint8_t>(c[i]));
  }
  void locals(const meetpacket& p) {
    byte(p.localcount);
    for (int i = 0; i < p.localcount; i++) address(p.locals[i]);
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
  size_t left() const { return static_cast<size_t>(end_ - p_); }
  const uint8_t* at() const { return p_; }

  uint8_t byte() {
    if (p_ == end_) {
      fail("the datagram is cut short");
      return 0;
    }
    return *p_++;
  }
  uint16_t u16() {
    const uint16_t hi = byte();
    return static_cast<uint16_t>(hi << 8 | byte());
  }
  uint32_t u32() {
    const uint32_t hi = u16();
    return hi << 16 | u16();
  }
  uint64_t u64() {
    const uint64_t hi = u32();
    return hi << 32 | u32();
  }
  meetaddress address() {
    meetaddress a;
    a.ip = u32();
    a.port = u16();
    return a;
  }
  bool publicaddress(meetaddress& a) {
    a = address();
    if (ok_ && (a.ip == 0 || a.port == 0)) return fail("a public address is empty");
    return ok_;
  }
  // Six zero bytes are no code; anything else must be a valid one.
  bool code(std::string& c, bool required) {
    c.clear();
    bool zero = true;
    for (int i = 0; i < codelength; i++) {
      const uint8_t b = byte();
      zero = zero && b == 0;
      c.push_back(static_cast<char>(b));
    }
    if (!ok_) return false;
    if (zero && !required) {
      c.clear();
      return true;
    }
    if (!validcode(c)) return fail("a code holds a symbol outside the alphabet");
    return true;
  }
  bool locals(meetpacket& p) {
    p.localcount = byte();
    if (p.localcount > maxlocals) return fail("too many local addresses");
    for (int i = 0; i < p.localcount && ok_; i++) {
      p.locals[i] = address();
      if (ok_ && !validlocal(p.locals[i])) return fail("a local address cannot be one");
    }
    return ok_;
  }
  bool token(uint64_t& t) {
    t = u64();
    if (ok_ && t == 0) return fail("a token is zero");
    return ok_;
  }
  bool role(meetrole& r) {
    const uint8_t b = byte();
    if (ok_ && b > static_cast<uint8_t>(meetrole::joiner)) return fail("an unknown role");
    r = static_cast<meetrole>(b);
    return ok_;
  }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
  std::string* why_;
  bool ok_ = true;
};

bool printable(char c) { return c >= 0x20 && c < 0x7f; }

}  // namespace

const char* meeterrortext(meeterror reason) {
  switch (reason) {
    case meeterror::unknowncode: return "No game has that code. Check it with the host.";
    case meeterror::ratelimited: return "The meeting server asks us to slow down. Try again in a minute.";
    case meeterror::relayfull: return "The meeting server's relay is full. Try again later.";
    case meeterror::serverfull: return "The meeting server is full. Try again later.";
    case meeterror::unknownpair: return "The meeting server forgot this connection. Join again.";
    case meeterror::version: return "The meeting server runs another version.";
  }
  return "The meeting server refused.";
}

std::string meetaddresstext(const meetaddress& a) {
  return std::to_string(a.ip >> 24) + "." + std::to_string((a.ip >> 16) & 255) + "." +
         std::to_string((a.ip >> 8) & 255) + "." + std::to_string(a.ip & 255) + ":" + std::to_string(a.port);
}

bool meetrequest(meettype type) {
  switch (type) {
    case meettype::hostregister:
    case meettype::lookup:
    case meettype::relayrequest:
    case meettype::relaybind:
    case meettype::hostclose:
    case meettype::lanprobe:
      return true;
    default:
      return false;
  }
}

void encodemeet(const meetpacket& p, std::vector<uint8_t>& out) {
  writer w(out);
  for (uint8_t b : meetmagic) w.byte(b);
  w.byte(meetversion);
  w.byte(static_cast<uint8_t>(p.type));
  switch (p.type) {
    case meettype::hostregister:
      w.u64(p.key);
      w.code(p.code);
      w.u64(p.token);
      w.locals(p);
      break;
    case meettype::registered:
      w.code(p.code);
      w.u64(p.token);
      w.address(p.address);
      break;
    case meettype::lookup:
      w.code(p.code);
      w.locals(p);
      break;
    case meettype::introduce:
      w.u64(p.token);
      w.byte(static_cast<uint8_t>(p.role));
      w.address(p.address);
      w.locals(p);
      break;
    case meettype::relayrequest:
      w.u64(p.token);
      break;
    case meettype::relaygrant:
      w.u64(p.token);
      w.u16(p.port);
      break;
    case meettype::relaybind:
    case meettype::relaybound:
      w.u64(p.token);
      w.byte(static_cast<uint8_t>(p.role));
      break;
    case meettype::hostclose:
      w.u64(p.key);
      w.code(p.code);
      break;
    case meettype::error:
      w.byte(static_cast<uint8_t>(p.reason));
      w.code(p.code);
      w.u64(p.token);
      break;
    case meettype::lanprobe:
      break;
    case meettype::lanoffer:
      w.u16(p.port);
      w.code(p.code);
      w.byte(static_cast<uint8_t>(p.name.size()));
      for (char c : p.name) w.byte(static_cast<uint8_t>(c));
      break;
  }
  assert(out.size() <= meetrequestsize);
  if (meetrequest(p.type)) out.resize(meetrequestsize, 0);
#ifndef NDEBUG
  meetpacket check;
  assert(decodemeet(out.data(), out.size(), check));
#endif
}

bool decodemeet(const uint8_t* data, size_t size, meetpacket& p, std::string* why) {
  p = meetpacket();
  reader r(data, size, why);
  if (!meetdatagram(data, size)) return r.fail("not a meeting datagram");
  if (size > meetrequestsize) return r.fail("the datagram is too long");
  for (size_t i = 0; i < meetmagic.size(); i++) r.byte();
  if (r.byte() != meetversion) return r.fail("another version of the meeting protocol");
  const uint8_t type = r.byte();
  if (type < 1 || type > static_cast<uint8_t>(meettype::last)) return r.fail("an unknown message type");
  p.type = static_cast<meettype>(type);
  switch (p.type) {
    case meettype::hostregister:
      p.key = r.u64();
      if (r.ok() && p.key == 0) return r.fail("a host key is zero");
      if (r.code(p.code, false)) {
        p.token = r.u64();
        r.locals(p);
      }
      break;
    case meettype::registered:
      r.code(p.code, true) && r.token(p.token) && r.publicaddress(p.address);
      break;
    case meettype::lookup:
      r.code(p.code, true) && r.locals(p);
      break;
    case meettype::introduce:
      r.token(p.token) && r.role(p.role) && r.publicaddress(p.address) && r.locals(p);
      break;
    case meettype::relayrequest:
      r.token(p.token);
      break;
    case meettype::relaygrant:
      if (r.token(p.token)) {
        p.port = r.u16();
        if (r.ok() && p.port == 0) return r.fail("a relay port is zero");
      }
      break;
    case meettype::relaybind:
    case meettype::relaybound:
      r.token(p.token) && r.role(p.role);
      break;
    case meettype::hostclose:
      p.key = r.u64();
      if (r.ok() && p.key == 0) return r.fail("a host key is zero");
      r.code(p.code, true);
      break;
    case meettype::error: {
      const uint8_t reason = r.byte();
      if (r.ok() && (reason < 1 || reason > static_cast<uint8_t>(meeterror::last))) {
        return r.fail("an unknown error");
      }
      p.reason = static_cast<meeterror>(reason);
      if (r.code(p.code, false)) p.token = r.u64();
      break;
    }
    case meettype::lanprobe:
      break;
    case meettype::lanoffer: {
      p.port = r.u16();
      if (r.ok() && p.port == 0) return r.fail("a game port is zero");
      r.code(p.code, false);
      const uint8_t length = r.byte();
      if (r.ok() && length > maxlanname) return r.fail("a name is too long");
      for (int i = 0; i < length && r.ok(); i++) {
        const char c = static_cast<char>(r.byte());
        if (r.ok() && !printable(c)) return r.fail("a name holds an unprintable character");
        p.name.push_back(c);
      }
      break;
    }
  }
  if (!r.ok()) return false;
  if (meetrequest(p.type)) {
    if (size != meetrequestsize) return r.fail("a request is not padded to its size");
    const uint8_t* pad = r.at();
    for (size_t i = 0, n = r.left(); i < n; i++) {
      if (pad[i] != 0) return r.fail("a request's padding is not zero");
    }
  } else if (r.left() != 0) {
    return r.fail("bytes left over");
  }
  return true;
}

bool meetdatagram(const uint8_t* data, size_t size) {
  return size >= headersize && std::memcmp(data, meetmagic.data(), meetmagic.size()) == 0;
}

bool validcode(const std::string& code) {
  if (code.size() != static_cast<size_t>(codelength)) return false;
  for (char c : code) {
    if (c == 0 || !std::strchr(codealphabet, c)) return false;
  }
  return true;
}

bool parsecode(const std::string& typed, std::string& code) {
  std::string c;
  for (char ch : typed) {
    if (ch == ' ' || ch == '-') continue;
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
    c.push_back(ch);
    if (c.size() > static_cast<size_t>(codelength)) return false;
  }
  if (!validcode(c)) return false;
  code = c;
  return true;
}

uint32_t codeindex(const std::string& code) {
  assert(validcode(code));
  uint32_t v = 0;
  for (char c : code) v = v * codesymbols + static_cast<uint32_t>(std::strchr(codealphabet, c) - codealphabet);
  return v;
}

std::string codefromindex(uint32_t index) {
  assert(index < codespace);
  std::string c(codelength, ' ');
  for (int i = codelength - 1; i >= 0; i--) {
    c[i] = codealphabet[index % codesymbols];
    index /= codesymbols;
  }
  return c;
}

bool validlocal(const meetaddress& a) {
  const uint32_t first = a.ip >> 24;
  return first != 0 && first < 224 && a.port != 0;
}

}  // namespace online
