#include "content/ragdollfile.h"

#include <cfloat>
#include <cmath>

namespace {
constexpr double shirtenlargement = 1.2;

bool isheader(const std::string& line, const char* name) {
  const std::string h(name);
  return line == h || line == h + " ";
}

int readint(TextStream* f) { return TextToInt(ReadLine(f)); }

// A number too large to hold reads as 0, like any other line that is not a
// usable number, so no body starts at infinity. The reader saturates such a
// number at the largest real, which is no better: one step of the physics
// turns it into infinity.
double readreal(TextStream* f) {
  const double v = TextToReal(ReadLine(f));
  return std::isfinite(v) && std::fabs(v) < DBL_MAX ? v : 0;
}

std::string ballkind(const std::string& kind) {
  if (kind == "normal" || kind == "background" || kind == "damaging") return kind;
  return "normal";
}

std::string linkkind(const std::string& kind) {
  if (kind == "normal" || kind == "background" || kind == "damaging" || kind == "stop" ||
      kind == "virtual") {
    return kind;
  }
  return "normal";
}

// Every ball carrying the number; the last in the list wins.
ball* findball(const ragobject& rag, int number) {
  ball* found = nullptr;
  for (ball* b : rag.balllist) {
    if (b->number == number) found = b;
  }
  return found;
}

struct loadscale {
  double size, thickness, xoffset, yoffset, massfactor;
  Image* ballimage;
  Image* linkimage;
};

void readball(TextStream* f, ragobject& rag, const loadscale& s) {
  ball* b = new ball();
  b->number = readint(f);
  b->m = readreal(f) * s.massfactor;
  b->x = readreal(f) + s.xoffset;
  b->y = readreal(f) + s.yoffset;
  b->r = readreal(f) * s.size * s.thickness;
  b->anchored = readint(f);
  b->anchorx = readreal(f) + s.xoffset;
  b->anchory = readreal(f) + s.yoffset;
  b->kind = ReadLine(f);
  b->rolling = readint(f);
  b->shirt = readint(f);
  if (b->shirt == 1) b->r *= shirtenlargement;
  b->kind = ballkind(b->kind);
  b->oldx = b->x;
  b->oldy = b->y;
  b->image = s.ballimage;
  rag.balllist.push_back(b);
}

// A link naming a ball no earlier ball carries is dropped: the physics never
// sees a missing ball.
void readlink(TextStream* f, ragobject& rag, const loadscale& s) {
  const int n1 = readint(f);
  const int n2 = readint(f);
  const double distance = readreal(f) * s.size;
  double width = readreal(f) * s.size * s.thickness;
  const std::string kind = ReadLine(f);
  const int shirt = readint(f);
  ball* b1 = findball(rag, n1);
  ball* b2 = findball(rag, n2);
  if (!b1 || !b2) return;
  if (shirt == 1) width *= shirtenlargement;
  auto* l = new class link();
  l->ball1 = b1;
  l->ball2 = b2;
  l->distance = distance;
  l->width = width;
  l->kind = linkkind(kind);
  l->shirt = shirt;
  l->image = s.linkimage;
  rag.linklist.push_back(l);
}

void readtension(TextStream* f, ragobject& rag, const loadscale& s) {
  const int n1 = readint(f);
  const int n2 = readint(f);
  const int n3 = readint(f);
  const double angle = readreal(f);
  const double strength = readreal(f) * s.size * s.massfactor;
  ball* b1 = findball(rag, n1);
  ball* b2 = findball(rag, n2);
  ball* b3 = findball(rag, n3);
  if (!b1 || !b2 || !b3) return;
  auto* t = new tension();
  t->ball1 = b1;
  t->ball2 = b2;
  t->ball3 = b3;
  t->angle = angle;
  t->strength = strength;
  rag.TensionList.push_back(t);
}
}  // namespace

int loadragdoll(const std::string& path, ragobject& rag, double size, double thickness,
                Image* ballimage, Image* linkimage, double xoffset, double yoffset,
                double massfactor) {
  int result = 0;
  TextStream* f = OpenRead(path);
  if (!f) {
    Notify("could not open " + path);
    result = 1;
  } else {
    const loadscale s{size, thickness, xoffset, yoffset, massfactor, ballimage, linkimage};
    rag.clear();
    // The end test follows each pass: an empty file still reads one line.
    do {
      const std::string header = ReadLine(f);
      if (isheader(header, "New Ball")) {
        readball(f, rag, s);
      } else if (isheader(header, "New Link")) {
        readlink(f, rag, s);
      } else if (isheader(header, "New Tension")) {
        readtension(f, rag, s);
      }
    } while (!Eof(f));
    Close(f);
    if (rag.balllist.empty()) result = 2;
  }
  ClearKeys();
  return result;
}
