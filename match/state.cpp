// Saving, restoring and hashing a match's simulation state. One visitor
// walks every field that a frame reads and changes, in one fixed order, so
// saving and restoring cannot disagree about the layout. Which balls, links
// and tensions exist is fixed at the set-up: a snapshot starts with a
// signature of that shape and is only ever taken back into a match of the
// same shape. The set-up's constants (masses, radii, rest lengths, angles,
// speeds, gravity) are saved too, so the checksum of a new match tells
// whether two set-ups were the same.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <type_traits>

#include "match/hash64.h"
#include "match/tlevel.h"

namespace {

// Tripwires against a forgotten field: beside each visit function stands
// the size of every struct it walks, so a member added to one (or to
// tlevel) stops the build. Then: if a frame reads or changes the member,
// name it in the visit function and step snapshotformat; if not, say
// beside the member why it is no part of the state. Then write the new
// size. The sizes are those of the builds the game ships: 64-bit with
// libstdc++ (the desktop) and the web's 32-bit wasm with libc++; other
// builds check nothing. A member that fits a hole left for alignment
// changes no size, so read the visitor all the same.
enum class sizes { desktop, web, unmeasured };
#if defined(__EMSCRIPTEN__) && defined(_LIBCPP_VERSION)
constexpr sizes measuredon = sizes::web;
#elif defined(__GLIBCXX__) && _GLIBCXX_USE_CXX11_ABI && !defined(_GLIBCXX_DEBUG)
constexpr sizes measuredon = sizeof(void*) == 8 ? sizes::desktop : sizes::unmeasured;
#else
constexpr sizes measuredon = sizes::unmeasured;
#endif

// The size a struct should have on this build; `found` is its size, there
// to be named when the tripwire fires.
template <size_t found, size_t desktop, size_t web>
struct measured {
  static constexpr size_t size = measuredon == sizes::desktop ? desktop
                                 : measuredon == sizes::web   ? web
                                                              : found;
};

class saver {
 public:
  static constexpr bool loading = false;
  // Writes into the buffer's whole capacity and trims it at the end: a
  // snapshot saved again into the same buffer costs no allocation.
  explicit saver(matchsnapshot& out) : out_(out) {
    if (out_.size() < out_.capacity()) out_.resize(out_.capacity());
  }
  ~saver() { out_.resize(used_); }
  template <typename T>
  void raw(const T* p, size_t n) {
    static_assert(std::is_trivially_copyable<T>::value, "plain values only");
    size_t bytes = n * sizeof(T);
    if (used_ + bytes > out_.size()) out_.resize(std::max<size_t>(2 * out_.size(), used_ + bytes + 4096));
    std::memcpy(out_.data() + used_, p, bytes);
    used_ += bytes;
  }
  template <typename T>
  void operator()(T& v) {
    raw(&v, 1);
  }
  void text(std::string& s) {
    uint32_t n = static_cast<uint32_t>(s.size());
    raw(&n, 1);
    raw(s.data(), n);
  }
  // The size of a list; the loader hands back the saved one.
  uint32_t count(size_t n) {
    uint32_t c = static_cast<uint32_t>(n);
    raw(&c, 1);
    return c;
  }
  // A value fixed by the set-up: saved so that loading can check it.
  void shape(uint32_t v) { raw(&v, 1); }
  bool ok() const { return true; }

 private:
  matchsnapshot& out_;
  size_t used_ = 0;
};

class loader {
 public:
  static constexpr bool loading = true;
  explicit loader(const matchsnapshot& in) : p_(in.data()), end_(in.data() + in.size()) {}
  template <typename T>
  void raw(T* p, size_t n) {
    size_t bytes = n * sizeof(T);
    if (!ok_ || static_cast<size_t>(end_ - p_) < bytes) {
      ok_ = false;
      return;
    }
    std::memcpy(static_cast<void*>(p), p_, bytes);
    p_ += bytes;
  }
  template <typename T>
  void operator()(T& v) {
    raw(&v, 1);
  }
  void text(std::string& s) {
    uint32_t n = 0;
    raw(&n, 1);
    if (!ok_ || static_cast<size_t>(end_ - p_) < n) {
      ok_ = false;
      return;
    }
    s.assign(reinterpret_cast<const char*>(p_), n);
    p_ += n;
  }
  uint32_t count(size_t) {
    uint32_t c = 0;
    raw(&c, 1);
    return ok_ ? c : 0;
  }
  void shape(uint32_t v) {
    uint32_t saved = 0;
    raw(&saved, 1);
    if (saved != v) ok_ = false;
  }
  bool ok() const { return ok_; }
  bool finished() const { return ok_ && p_ == end_; }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
  bool ok_ = true;
};

// A saved count is believed only as far as the bytes behind it can hold
// entries; the walk stops at the first short read anyway.
template <typename T, typename Make>
void resize(std::list<std::unique_ptr<T>>& list, uint32_t n, uint32_t most, Make make) {
  if (n > most) n = 0;
  while (list.size() > n) list.pop_back();
  while (list.size() < n) list.push_back(make());
}

// The set-up's shape of the bodies: every ragdoll's ball, link and tension
// count, the players and main balls in play.
template <class V>
void visitshape(tlevel& l, V& v) {
  v.shape(static_cast<uint32_t>(l.mennumber));
  v.shape(static_cast<uint32_t>(l.mainballnumber));
  v.shape(static_cast<uint32_t>(l.raglist.size()));
  for (ragobject* rag : l.raglist) {
    v.shape(static_cast<uint32_t>(rag->balllist.size()));
    v.shape(static_cast<uint32_t>(rag->linklist.size()));
    v.shape(static_cast<uint32_t>(rag->TensionList.size()));
  }
  v.shape(static_cast<uint32_t>(l.adder.size()));
  v.shape(static_cast<uint32_t>(l.levelcol.size()));
}

static_assert(measured<sizeof(Tman), 1768, 1736>::size == sizeof(Tman),
              "Tman changed: see the tripwires' note");

template <class V>
void visithistory(motionhistory& h, V& v) {
  v.raw(h.x.data(), motionhistory::length);
  v.raw(h.y.data(), motionhistory::length);
  v.raw(h.xv.data(), motionhistory::length);
  v.raw(h.yv.data(), motionhistory::length);
}

template <class V>
void visitman(Tman& m, V& v) {
  v(m.speed);
  v(m.AIlevel);
  v(m.bot);
  v(m.team);
  v(m.wins);
  v(m.direction);
  v(m.followedball);
  v(m.owntime);
  visithistory(m.history, v);
}

static_assert(measured<sizeof(Tmainball), 1840, 1808>::size == sizeof(Tmainball),
              "Tmainball changed: see the tripwires' note");

template <class V>
void visitmainball(Tmainball& b, V& v) {
  v(b.untouched);
  v(b.team);
  visithistory(b.history, v);
  v.raw(b.realcolor.data(), 3);
}

static_assert(measured<sizeof(ragobject), 136, 104>::size == sizeof(ragobject),
              "ragobject changed: see the tripwires' note");
static_assert(measured<sizeof(ball), 216, 184>::size == sizeof(ball),
              "ball changed: see the tripwires' note");
static_assert(measured<sizeof(class link), 88, 56>::size == sizeof(class link),
              "link changed: see the tripwires' note");
static_assert(measured<sizeof(tension), 48, 32>::size == sizeof(tension),
              "tension changed: see the tripwires' note");

template <class V>
void visitrag(ragobject& rag, V& v) {
  v(rag.xmed);
  v(rag.ymed);
  v(rag.xvmed);
  v(rag.yvmed);
  for (ball* b : rag.balllist) {
    v(b->m);
    v(b->r);
    v(b->anchored);
    v(b->anchorx);
    v(b->anchory);
    v(b->rolling);
    v(b->x);
    v(b->y);
    v(b->xv);
    v(b->yv);
    v(b->oldx);
    v(b->oldy);
    v(b->actualmass);
    v(b->shiftx);
    v(b->shifty);
  }
  for (class link* k : rag.linklist) {
    v(k->distance);
    v(k->width);
  }
  for (tension* t : rag.TensionList) {
    v(t->angle);
    v(t->strength);
  }
}

static_assert(measured<sizeof(dotburst), 64, 56>::size == sizeof(dotburst),
              "dotburst changed: see the tripwires' note");

template <class V>
void visitdot(dotburst& d, V& v) {
  v(d.r);
  v(d.alpha);
  v(d.x);
  v(d.y);
  v(d.xv);
  v(d.yv);
  v.raw(d.color, 3);
}

static_assert(measured<sizeof(Tfirework), 20056, 16044>::size == sizeof(Tfirework),
              "Tfirework changed: see the tripwires' note");
static_assert(measured<sizeof(tspark), 40, 32>::size == sizeof(tspark),
              "tspark changed: see the tripwires' note");

template <class V>
void visitfirework(Tfirework& f, V& v) {
  v(f.small);
  v(f.numsp);
  if (V::loading && (f.numsp < 0 || f.numsp > Tfirework::maxsparks)) f.numsp = 0;
  v.raw(f.color, 3);
  v(f.alpha);
  v.raw(f.adder, 3);
  for (int i = 0; i < f.numsp; i++) {
    tspark& s = f.sparks[i];
    v(s.x);
    v(s.y);
    v(s.z);
    v(s.xv);
    v(s.yv);
    v(s.zv);
  }
}

static_assert(measured<sizeof(tlevel), 12464, 11336>::size == sizeof(tlevel),
              "tlevel changed: see the tripwires' note");

template <class V>
void visitmatch(tlevel& l, V& v) {
  visitshape(l, v);
  if (!v.ok()) return;

  uint64_t random = RandomState();
  v(random);
  if (V::loading) SetRandomState(random);

  v(l.gravity);
  v(l.maxowntime);
  v(l.levelnum);
  v.text(l.leveltype);
  v(l.framecount);
  v(l.decidedframe);
  v(l.clearrequest);
  v(l.leveltime);
  v(l.phasetime);
  v(l.winner);
  v(l.temposcritta);
  v(l.initialtime);
  v(l.levelscore);
  v(l.timebonus);
  v(l.startscore);
  v(l.endscore);
  v(l.charposition);
  v(l.cursorletter);
  v.text(l.phase);
  v.text(l.name);
  v.text(l.scritta);
  for (std::string& c : l.characters) v.text(c);
  v.raw(l.bglinescol, 3);
  v.raw(l.bglinesadd, 3);
  v.raw(l.scrittacol, 3);
  v.raw(l.scrittaadd, 3);
  v.raw(l.adder.data(), l.adder.size());
  v.raw(l.levelcol.data(), l.levelcol.size());
  v(l.xcenter);
  v(l.ycenter);
  v(l.zoom);
  v(l.slower);
  // Only online matches can pause inside the simulation: local snapshots
  // keep the layout, and the checksums, they always had.
  if (l.sharedpause) v(l.paused);
  v.raw(&l.mencollided[0][0][0], sizeof l.mencollided / sizeof(int));

  for (int i = 0; i < l.mennumber; i++) visitman(*l.men[i], v);
  for (int i = 0; i < l.mainballnumber; i++) visitmainball(*l.mainball[i], v);
  for (ragobject* rag : l.raglist) visitrag(*rag, v);

  // The effect lists: loading keeps the entries already there and makes or
  // drops only the difference, so a rollback seldom reaches the heap.
  uint32_t dots = v.count(l.dotlist.size());
  if (V::loading) {
    resize(l.dotlist, dots, 1u << 16, [&l] {
      auto dot = std::make_unique<dotburst>();
      dot->image = l.images.sparki;
      return dot;
    });
  }
  for (auto& dot : l.dotlist) visitdot(*dot, v);
  uint32_t fireworks = v.count(l.fireworkslist.size());
  if (V::loading) {
    resize(l.fireworkslist, fireworks, 64, [&l] {
      auto firework = std::make_unique<Tfirework>();
      firework->image = l.images.starimage;
      for (tspark& s : firework->sparks) s.image = l.images.starimage;
      return firework;
    });
  }
  for (auto& firework : l.fireworkslist) visitfirework(*firework, v);
}

}  // namespace

void tlevel::saveState(matchsnapshot& out) const {
  saver v(out);
  // Saving reads the fields only; the visitor takes them by reference so
  // that one walk serves both directions.
  visitmatch(const_cast<tlevel&>(*this), v);
}

bool tlevel::loadState(const matchsnapshot& in) {
  // The shape is checked before anything is written.
  {
    loader check(in);
    visitshape(*this, check);
    if (!check.ok()) return false;
  }
  loader v(in);
  visitmatch(*this, v);
  return v.finished();
}

uint64_t tlevel::checksumof(const matchsnapshot& snapshot) {
  return hash64(snapshot.data(), snapshot.size());
}

uint64_t tlevel::checksum() const {
  thread_local matchsnapshot scratch;
  saveState(scratch);
  return checksumof(scratch);
}
