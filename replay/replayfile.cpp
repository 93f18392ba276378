// The replay format, all numbers little-endian:
//   "PVRP", u16 format version (which names the snapshot format too),
//   u8 length + the game's version,
//   u8 mode (1 levels, 2 custom, 3 multiplayer, 4 online), u8 level,
//   7 x u8 custom settings, 6 x u8 multiplayer settings,
//   u16 window width, u16 height, u8 fireworks, u8 trail, 4 x u16 wins,
//   i32 start score, i32 worst score, u64 generator state, i32 set-up clock,
//   u64 start checksum, u32 frames, the frames, i8 winner,
//   u64 end checksum, u64 hash of every byte before it.
// A frame is one control byte, then what it announces:
//   bits 0-4  clock step in ms, 0 to 30; 31: a zigzag varint follows
//   bit 5     the four players follow (keys, stick x, stick y each)
//   bit 6     held and pressed buttons follow (u16 each); otherwise the
//             buttons held stay as they were and none is pressed
//   bit 7     a typed character follows (never 0)
// A typical frame is the control byte alone. A player's keys are the
// direction bits; in an online match also the bit of a man the computer
// plays since his machine left.
#include "replay/replayfile.h"

#include <cstring>
#include <iterator>

#include "match/hash64.h"
#include "match/scoring.h"

namespace {

constexpr char magic[4] = {'P', 'V', 'R', 'P'};
// Each format of the files, oldest first, with the snapshot format its
// checksums hash; the newest is the one written. A new snapshot layout
// takes a new format here, and files of the older ones still play, with
// their checksums unchecked. So far the formats differ in nothing else.
struct fileformat {
  int version;
  int snapshot;
};
constexpr fileformat formats[] = {{1, 1}};
constexpr fileformat newest = formats[std::size(formats) - 1];
static_assert(newest.snapshot == snapshotformat,
              "the match's snapshot format was stepped: add a replay format for it");

const fileformat* formatof(int version) {
  for (const fileformat& f : formats) {
    if (f.version == version) return &f;
  }
  return nullptr;
}

constexpr size_t maxversionlength = 32;
constexpr uint16_t knownbuttons = (1u << 13) - 1;
constexpr uint8_t knownkeys = inputleft | inputright | inputup | inputdown;
constexpr int clockescape = 31;

class writer {
 public:
  std::string out;
  void u(uint64_t v, int bytes) {
    for (int i = 0; i < bytes; i++) out.push_back(static_cast<char>((v >> (8 * i)) & 0xff));
  }
  void varint(uint64_t v) {
    while (v >= 0x80) {
      out.push_back(static_cast<char>((v & 0x7f) | 0x80));
      v >>= 7;
    }
    out.push_back(static_cast<char>(v));
  }
};

// Every read is checked against the end; the first failure names the cause
// and every later read gives 0.
class reader {
 public:
  reader(const std::string& bytes)
      : p_(reinterpret_cast<const uint8_t*>(bytes.data())), end_(p_ + bytes.size()) {}
  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  size_t left() const { return static_cast<size_t>(end_ - p_); }
  void fail(const std::string& cause) {
    if (error_.empty()) error_ = cause;
  }
  uint64_t u(int bytes) {
    if (!ok()) return 0;
    if (left() < static_cast<size_t>(bytes)) {
      fail("it is cut short");
      return 0;
    }
    uint64_t v = loadle(p_, bytes);
    p_ += bytes;
    return v;
  }
  int64_t i(int bytes) {
    uint64_t v = u(bytes);
    int shift = 64 - 8 * bytes;
    return static_cast<int64_t>(v << shift) >> shift;
  }
  uint64_t varint() {
    uint64_t v = 0;
    for (int shift = 0; shift < 64; shift += 7) {
      uint64_t b = u(1);
      v |= (b & 0x7f) << shift;
      if ((b & 0x80) == 0) return v;
    }
    fail("a clock step is malformed");
    return 0;
  }
  // A small number that must lie in lo..hi.
  int ranged(int bytes, int lo, int hi, const char* what) {
    int64_t v = i(bytes);
    if (ok() && (v < lo || v > hi)) fail(std::string("its ") + what + " is out of range");
    return static_cast<int>(v);
  }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
  std::string error_;
};

void writeplayers(writer& w, const FrameInput& f) {
  for (const PlayerInput& p : f.players) {
    w.u(p.keys, 1);
    w.u(static_cast<uint8_t>(p.stickx), 1);
    w.u(static_cast<uint8_t>(p.sticky), 1);
  }
}

void readplayers(reader& r, FrameInput& f, uint8_t allowedkeys) {
  for (PlayerInput& p : f.players) {
    p.keys = static_cast<uint8_t>(r.u(1));
    p.stickx = static_cast<int8_t>(r.i(1));
    p.sticky = static_cast<int8_t>(r.i(1));
    if (!r.ok()) return;
    if ((p.keys & ~allowedkeys) != 0) r.fail("a player's keys are unknown");
    if (p.stickx < -PlayerInput::stickfull || p.sticky < -PlayerInput::stickfull)
      r.fail("a stick is out of range");
  }
}

}  // namespace

const char* replaymodename(int mode) {
  switch (mode) {
    case replaylevels:
      return "levels";
    case replaycustom:
      return "custom";
    case replaymultiplayer:
      return "multiplayer";
    case replayonline:
      return "online";
    default:
      return "";
  }
}

int replaymodeof(const std::string& name) {
  for (int m = replaylevels; m <= replayonline; m++) {
    if (name == replaymodename(m)) return m;
  }
  return 0;
}

std::string encodereplay(const replayrecord& r) {
  writer w;
  w.out.reserve(128 + r.frames.size() * 2);
  w.out.append(magic, 4);
  // A record of an older snapshot format keeps it, so its checksums are not
  // believed to hash this game's snapshots.
  int version = newest.version;
  for (const fileformat& f : formats) {
    if (f.snapshot == r.checksumformat) version = f.version;
  }
  w.u(version, 2);
  std::string game = r.version.substr(0, maxversionlength);
  w.u(game.size(), 1);
  w.out += game;
  const matchsetup& s = r.setup;
  w.u(replaymodeof(s.mode), 1);
  w.u(s.level, 1);
  const Tcustomsettings& c = s.custom;
  for (int v : {c.numplayers, c.AIlevel, c.speed, c.ballsize, c.ballmass, c.gravity, c.arenanum})
    w.u(static_cast<uint8_t>(v), 1);
  const Tmultiplayersettings& m = s.multi;
  for (int v : {m.numplayers, m.speed, m.ballsize, m.ballmass, m.gravity, m.arenanum})
    w.u(static_cast<uint8_t>(v), 1);
  w.u(s.xwin, 2);
  w.u(s.ywin, 2);
  w.u(s.fireworks, 1);
  w.u(s.trail, 1);
  for (int v : s.wins) w.u(static_cast<uint16_t>(v), 2);
  w.u(static_cast<uint32_t>(s.startscore), 4);
  w.u(static_cast<uint32_t>(s.worstscore), 4);
  w.u(r.randomstate, 8);
  w.u(static_cast<uint32_t>(s.startclock), 4);
  w.u(r.startchecksum, 8);
  w.u(r.frames.size(), 4);

  FrameInput last;
  int64_t clock = s.startclock;
  for (const FrameInput& f : r.frames) {
    int64_t step = static_cast<int64_t>(f.clock) - clock;
    clock = f.clock;
    uint8_t control = step >= 0 && step < clockescape ? static_cast<uint8_t>(step) : clockescape;
    bool players = f.players != last.players;
    bool buttons = f.held != last.held || f.pressed != 0;
    if (players) control |= 1 << 5;
    if (buttons) control |= 1 << 6;
    if (f.typed != 0) control |= 1 << 7;
    w.u(control, 1);
    if ((control & 31) == clockescape) {
      w.varint((static_cast<uint64_t>(step) << 1) ^ static_cast<uint64_t>(step >> 63));
    }
    if (players) writeplayers(w, f);
    if (buttons) {
      w.u(f.held, 2);
      w.u(f.pressed, 2);
    }
    if (f.typed != 0) w.u(f.typed, 1);
    last = f;
  }
  w.u(static_cast<uint8_t>(static_cast<int8_t>(r.winner)), 1);
  w.u(r.endchecksum, 8);
  w.u(hash64(reinterpret_cast<const uint8_t*>(w.out.data()), w.out.size()), 8);
  return w.out;
}

// The settings both set-ups share, in the order the file holds them.
template <typename settings>
void readmatchsettings(reader& r, settings& s) {
  s.speed = r.ranged(1, 1, 10, "speed");
  s.ballsize = r.ranged(1, 1, 10, "ball size");
  s.ballmass = r.ranged(1, 1, 10, "ball mass");
  s.gravity = r.ranged(1, 0, 10, "gravity");
  s.arenanum = r.ranged(1, 0, 16, "arena");
}

bool decodereplay(const std::string& bytes, replayrecord* out, std::string* error) {
  auto refuse = [&](const std::string& cause) {
    *error = "not a playable replay: " + cause;
    return false;
  };
  if (bytes.size() > maxreplaybytes) return refuse("it is too large");
  if (bytes.size() < 4 || std::memcmp(bytes.data(), magic, 4) != 0)
    return refuse("it is not a replay file");
  if (bytes.size() < 12) return refuse("it is cut short");
  // The hash at the end covers everything else: a damaged byte anywhere is
  // found before a single field is believed.
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  uint64_t stored = loadle(data + bytes.size() - 8, 8);
  bool intact = hash64(data, bytes.size() - 8) == stored;

  reader r(bytes);
  r.u(4);
  int version = static_cast<int>(r.u(2));
  const fileformat* format = formatof(version);
  if (format == nullptr) {
    return refuse("its format version " + std::to_string(version) + " is unknown (the newest is " +
                  std::to_string(newest.version) + ")");
  }
  if (!intact) return refuse("it is damaged or cut short (its check value does not match)");

  replayrecord& rec = *out;
  rec = replayrecord();
  rec.checksumformat = format->snapshot;
  size_t vlen = r.u(1);
  if (vlen > maxversionlength || vlen > r.left()) return refuse("its game version is malformed");
  rec.version.assign(bytes.data() + 7, vlen);
  for (size_t k = 0; k < vlen; k++) r.u(1);
  matchsetup& s = rec.setup;
  s.mode = replaymodename(r.ranged(1, replaylevels, replayonline, "mode"));
  s.level = r.ranged(1, 1, 40, "level");
  Tcustomsettings& c = s.custom;
  c.numplayers = r.ranged(1, 2, 4, "number of players");
  c.AIlevel = r.ranged(1, 0, 15, "computer level");
  readmatchsettings(r, c);
  Tmultiplayersettings& m = s.multi;
  m.numplayers = r.ranged(1, 2, 4, "number of players");
  readmatchsettings(r, m);
  s.xwin = static_cast<int>(r.u(2));
  s.ywin = static_cast<int>(r.u(2));
  if (r.ok() && resolutionof(s.xwin, s.ywin) == 0) r.fail("its window size is out of range");
  s.fireworks = r.ranged(1, 0, 1, "fireworks option");
  s.trail = r.ranged(1, 0, 2, "trail option");
  for (int& v : s.wins) v = static_cast<int>(r.u(2));
  s.startscore = static_cast<int32_t>(r.i(4));
  s.worstscore = static_cast<int32_t>(r.i(4));
  if (r.ok() && (s.startscore < 0 || s.startscore > maxscorebefore(s.level)))
    r.fail("its score is out of range");
  rec.randomstate = r.u(8);
  s.fixedclock = true;
  s.startclock = static_cast<int32_t>(r.i(4));
  rec.startchecksum = r.u(8);
  uint64_t count = r.u(4);
  if (!r.ok()) return refuse(r.error());
  if (count > maxreplayframes) return refuse("it has too many frames");
  // Every frame takes a byte at least: a count the file cannot hold is a
  // lie, and no more room than the bytes can fill is ever taken.
  if (count > r.left()) return refuse("it is cut short");
  rec.frames.reserve(count);

  // The computer takes over men in any mode: from a machine that left an
  // online match, or from a player who played on without his controller.
  const uint8_t allowedkeys = knownkeys | inputcomputer;
  FrameInput f;
  int64_t clock = s.startclock;
  for (uint64_t k = 0; k < count && r.ok(); k++) {
    uint8_t control = static_cast<uint8_t>(r.u(1));
    int64_t step = control & 31;
    if (step == clockescape) {
      uint64_t z = r.varint();
      step = static_cast<int64_t>(z >> 1) ^ -static_cast<int64_t>(z & 1);
      if (r.ok() && step >= 0 && step < clockescape) r.fail("a clock step is malformed");
    }
    if (!r.ok()) break;
    if (step < -(int64_t{1} << 32) || step > (int64_t{1} << 32)) {
      r.fail("its clock runs out of range");
      break;
    }
    clock += step;
    if (clock < INT32_MIN || clock > INT32_MAX) {
      r.fail("its clock runs out of range");
      break;
    }
    f.clock = static_cast<int32_t>(clock);
    if (control & (1 << 5)) readplayers(r, f, allowedkeys);
    if (control & (1 << 6)) {
      f.held = static_cast<uint16_t>(r.u(2));
      f.pressed = static_cast<uint16_t>(r.u(2));
      if (r.ok() && ((f.held | f.pressed) & ~knownbuttons) != 0) r.fail("its buttons are unknown");
    } else {
      f.pressed = 0;
    }
    f.typed = 0;
    if (control & (1 << 7)) {
      f.typed = static_cast<uint8_t>(r.u(1));
      if (r.ok() && f.typed == 0) r.fail("a typed character is malformed");
    }
    rec.frames.push_back(f);
  }
  rec.winner = r.ranged(1, -1, 4, "winner");
  rec.endchecksum = r.u(8);
  r.u(8);
  if (!r.ok()) return refuse(r.error());
  if (r.left() != 0) return refuse("it has bytes after its end");
  return true;
}
