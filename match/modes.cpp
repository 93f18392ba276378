// The set-up of each mode: the players' bodies read from their file, the
// main balls, and the arena built from its table in content/.
#include <algorithm>

#include "content/arenas.h"
#include "content/levels.h"
#include "content/ragdollfile.h"
#include "match/tlevel.h"

namespace {

const char* const bodyfile = "media/man.txt";
constexpr double bodythickness = 1.12;
// Players start this far apart, centred on the arena.
constexpr double playerspacing = 1300;
constexpr float fullbar = 1800;  // owned frames that win: 30 seconds

double startx(int i, int n) { return (i - (n - 1) / 2.0) * playerspacing; }

}  // namespace

Tman* tlevel::newbody(int i, double size) {
  Tman* man = addman(i);
  const int loaded = loadragdoll(bodyfile, *man, size, bodythickness, images.ballimage,
                                 images.rectimage, startx(i, mennumber), 0, 1.0);
  // The match cannot be played without bodies and is skipped; a file that
  // is there but holds none is said once per match (a missing one is
  // announced by the loader itself).
  if (loaded == 2 && i == 0) Notify(std::string("no body in ") + bodyfile);
  man->team = i + 1;
  return man;
}

void tlevel::newmainballs(double radius, double mass) {
  for (int j = 0; j < mainballnumber; j++) {
    mainballrag[j] = std::make_unique<ragobject>();
    auto* mb = new Tmainball();
    mb->image = images.mainballimage;
    mb->r = radius;
    mb->m = mass;
    mb->rolling = 1;
    mb->x = 0;
    mb->y = 0;
    mb->xv = RandomInt(-20, 20);
    mb->yv = RandomInt(-20, 20);
    mainballrag[j]->balllist.push_back(mb);
    mainball[j] = mb;
    raglist.push_back(mainballrag[j].get());
  }
}

void tlevel::clearbodies() {
  raglist.clear();
  dotlist.clear();
  ownedmen.clear();
  men.fill(nullptr);
}

int tlevel::initsingleplayer(int levelnumber) {
  mainballnumber = 1;
  maxowntime = fullbar;
  mennumber = RandomInt(2, 3);  // replaced by every level of the table
  gravity = 0;
  levelrule rule = rulesforlevel(levelnumber);
  if (rule.players > 0) mennumber = rule.players;

  clearbodies();
  for (int i = 0; i < mennumber; i++) {
    Tman* man = newbody(i, i == 1 && rule.big ? 1.0 : 0.5);
    man->bot = i > 0 ? 1 : 0;
    man->speed = 6.0f;
    man->followedball = RandomInt(0, mainballnumber - 1);
    man->AIlevel = rule.ailevel;
  }
  newmainballs(40.0, 5.0);
  initarena(rule.arena);

  phase = "normal";
  temposcritta = 120;
  scritta = "   LEVEL " + std::to_string(levelnumber) + "   ";
  return 0;
}

// The menus keep every setting in range; a caller that does not gets the
// nearest playable value instead of an empty or weightless match.
// ailevel < 0: every player is at the keyboard.
static void fromsettings(tlevel& level, int players, int speed, int ailevel, int ballsize,
                         int ballmass, int gravity, int arena) {
  level.clearbodies();
  level.mennumber = players;
  for (int i = 0; i < players; i++) {
    Tman* man = level.newbody(i, 0.5);
    if (ailevel >= 0 && i > 0) man->bot = 1;
    man->speed = speed;
    if (ailevel >= 0) man->AIlevel = aireaction(ailevel);
  }
  level.mainballnumber = 1;
  level.maxowntime = fullbar;
  level.gravity = std::clamp(gravity, 0, 10) / 20.0;
  level.newmainballs(std::clamp(ballsize, 1, 10) * 8, std::clamp(ballmass, 1, 10));
  level.initarena(arena);
  level.phase = "normal";
}

int tlevel::initcustom(const Tcustomsettings& settings) {
  fromsettings(*this, std::clamp(settings.numplayers, 2, 4), settings.speed,
               std::max(settings.AIlevel, 0), settings.ballsize, settings.ballmass,
               settings.gravity, settings.arenanum);
  return 0;
}

int tlevel::initmultiplayer(const Tmultiplayersettings& settings) {
  // The menu offers a fourth player only when one has a control.
  fromsettings(*this, std::clamp(settings.numplayers, 2, 4), settings.speed, -1, settings.ballsize,
               settings.ballmass, settings.gravity, settings.arenanum);
  return 0;
}

int tlevel::initarena(int arenanumber) {
  const arenadef& def = arenafor(arenanumber);
  const double w = def.w, h = def.h;
  auto rag = std::make_unique<ragobject>();
  for (const obstacle& o : def.obstacles) {
    ball* b = new ball();
    b->x = b->oldx = b->anchorx = o.x;
    b->y = b->oldy = b->anchory = o.y;
    b->r = o.r;
    b->anchored = 1;
    b->m = 1.0;
    b->bigball = 1;
    b->image = images.bigballimage;
    rag->balllist.push_back(b);
  }

  border = std::make_unique<Tborder>();
  border->up = -h / 2;
  border->down = h / 2;
  border->Left = -w / 2;
  border->Right = w / 2;

  // A second call replaces the arena: the old one must not stay listed.
  if (arenarag)
    raglist.erase(std::remove(raglist.begin(), raglist.end(), arenarag.get()), raglist.end());
  arenarag = std::move(rag);
  raglist.push_back(arenarag.get());
  return 0;
}
