#include "physics/collision.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "physics_helpers.h"

namespace {
using owned = std::unique_ptr<ball>;

// A horizontal link from (0, 0) to (200, 0) in its own ragdoll, and a ball.
struct linkscene {
  ragobject body;
  ball *p, *e1, *e2;
  class link* l;
  linkscene(double px, double py)
      : p(placedball(px, py)), e1(placedball(0, 0)), e2(placedball(200, 0)) {
    l = joined(e1, e2, 200);
    body.balllist = {e1, e2};
    body.linklist = {l};
  }
  ~linkscene() { delete p; }
  int hit(double d = -20) { return balllinkcollision(*p, *l, d); }
  bool finite() const { return finiteball(*p) && finiteball(*e1) && finiteball(*e2); }
};
}  // namespace

TEST(Ballcollision, OverlapAtRestSeparatesEvenly) {
  owned a(placedball(0, 0)), b(placedball(25, 0));
  EXPECT_EQ(ballcollision(*a, *b, -20), 1);
  EXPECT_NEAR(a->x, -2.55, 1e-5);
  EXPECT_NEAR(b->x, 27.55, 1e-5);
  EXPECT_NEAR(b->xv, 0, 1e-9);
  EXPECT_EQ(ballcollision(*a, *b, -20), 0);  // left 0.1 beyond reach
}

TEST(Ballcollision, HeadOnBounceKeepsSeventySixPercent) {
  owned a(placedball(0, 0)), b(placedball(28, 0));
  a->xv = 5;
  b->xv = -5;
  ballcollision(*a, *b, -20);
  EXPECT_NEAR(a->xv, -3.8, 1e-4);
  EXPECT_NEAR(b->xv, 3.8, 1e-4);
}

TEST(Ballcollision, FastApproachReachesOneFrameOfTravel) {
  owned a(placedball(0, 0)), b(placedball(1000, 0)), c(placedball(0, 0)), d(placedball(1000, 0));
  b->xv = -1200;
  d->xv = 1200;  // moving apart: no contact
  EXPECT_EQ(ballcollision(*a, *b, -20), 1);
  EXPECT_NEAR(separation(*a, *b), 1200.1, 1e-4);
  EXPECT_EQ(ballcollision(*c, *d, -20), 0);
}

TEST(Ballcollision, DegenerateContactsStayFinite) {
  owned a(placedball(5, 5)), b(placedball(5, 5));  // one point
  b->xv = 1;
  EXPECT_EQ(ballcollision(*a, *b, -20), 1);
  EXPECT_TRUE(finiteball(*a) && finiteball(*b));
  owned c(placedball(0, 0, 15, 0)), d(placedball(10, 3, 15, 0));  // weightless
  d->xv = -4;
  ballcollision(*c, *d, 60);
  EXPECT_TRUE(finiteball(*c) && finiteball(*d));
}

TEST(Balllinkcollision, OnlyWithinTheBandBetweenTheEnds) {
  linkscene beyond(210, 10), far(100, 40), near(100, 10);
  EXPECT_EQ(beyond.hit(), 0);
  EXPECT_EQ(far.hit(), 0);
  EXPECT_EQ(near.hit(), 1);
  EXPECT_GT(near.p->y - near.e1->y, 18);
}

TEST(Balllinkcollision, NearerEndTakesMoreOfThePush) {
  linkscene s(50, 10);
  s.p->yv = -4;
  s.hit();
  EXPECT_GT(s.p->yv, 0);
  EXPECT_LT(s.e1->yv, s.e2->yv);
  EXPECT_LT(s.e2->yv, 0);
}

TEST(Balllinkcollision, RollingBallKeepsItsSlideAndOthersLoseSome) {
  linkscene rolling(100, 10), sliding(100, 10);
  rolling.p->rolling = 1;
  for (ball* b : {rolling.p, sliding.p}) {
    b->xv = 8;
    b->yv = -2;
  }
  rolling.hit();
  sliding.hit();
  EXPECT_NEAR(rolling.p->xv, 8, 1e-3);
  EXPECT_LT(sliding.p->xv, 8 - 0.1);
}

// The response as numbers. The link runs from E1 = (0, 0) to E2 = (200, 0);
// P touches it at the foot (50, 0), so t1 = 50 and t2 = 150. With masses
// mP = 1, m1 = 1, m2 = 3: M = 2 x min(m1, m2) = 2, W = 50 x 1 + 150 x 3 = 500;
// E1 takes 150 x 3 / 500 = 0.9 of the link's share, E2 50 x 1 / 500 = 0.1.
TEST(Balllinkcollision, ImpulseFrictionAndEndSharesAsNumbers) {
  const double bounce = 2 * static_cast<double>(0.88f);
  struct scene {
    int rolling;
    double e1yv;  // the near end's own speed across the link
  };
  for (const scene& sc : {scene{0, 0}, scene{1, 0}, scene{0, 2}}) {
    linkscene s(50, 10);
    s.e2->m = s.e2->actualmass = 3;
    s.p->rolling = sc.rolling;
    s.p->xv = 8;
    s.p->yv = -4;
    s.e1->yv = sc.e1yv;
    ASSERT_EQ(s.hit(), 1);
    SCOPED_TRACE(testing::Message() << "rolling " << sc.rolling << " e1yv " << sc.e1yv);
    // The link moves at the contact as its ends weighted by their own
    // distance from the foot: (2 x 50 + 0 x 150) / 200 = 0.5 for e1yv = 2.
    const double vl = sc.e1yv * 50 / 200;
    // J: the relative speed across the link, less a tenth of the slide
    // along it unless the ball rolls.
    const double jx = sc.rolling ? 0 : -0.1 * 8, jy = vl - (-4);
    EXPECT_NEAR(s.p->xv, 8 + jx * bounce * 2 / 3, 1e-6);
    EXPECT_NEAR(s.p->yv, -4 + jy * bounce * 2 / 3, 1e-6);
    EXPECT_NEAR(s.e1->xv, -jx * 0.9 * bounce / 3, 1e-6);
    EXPECT_NEAR(s.e1->yv, sc.e1yv - jy * 0.9 * bounce / 3, 1e-6);
    EXPECT_NEAR(s.e2->xv, -jx * 0.1 * bounce / 3, 1e-6);
    EXPECT_NEAR(s.e2->yv, -jy * 0.1 * bounce / 3, 1e-6);
  }
}

TEST(Balllinkcollision, DegenerateContactsStayFinite) {
  linkscene online(100, 0), pushed(100, 0), zero(0, 5), weightless(100, 10), fast(100, 10);
  EXPECT_EQ(online.hit(), 1);  // pushed along the normal
  EXPECT_TRUE(online.finite());
  EXPECT_GT(std::fabs(online.p->y - online.e1->y), 15);
  pushed.hit(60);
  EXPECT_TRUE(pushed.finite());
  zero.e2->x = 0;  // both ends at one point
  EXPECT_EQ(zero.hit(), 0);
  for (ball* b : {weightless.p, weightless.e1, weightless.e2}) b->actualmass = 0;
  weightless.p->yv = -3;
  weightless.hit();
  EXPECT_TRUE(weightless.finite());
  fast.e1->yv = fast.e2->yv = 1e6;  // the separation loop still ends
  EXPECT_EQ(fast.hit(), 1);
  EXPECT_TRUE(fast.finite());
}

namespace {
void randombody(ragobject& rag, double cx, double cy, double speed) {
  for (int i = 0; i < 6; i++) {
    ball* b = placedball(cx + RandomReal(-120, 120), cy + RandomReal(-120, 120), RandomReal(5, 25),
                         RandomReal(0.5, 3));
    b->xv = RandomReal(-speed, speed);
    b->yv = RandomReal(-speed, speed);
    rag.balllist.push_back(b);
    if (i > 0) rag.linklist.push_back(joined(rag.balllist[i - 1], b, 50));
  }
}

// Every test ragcollision makes, with nothing left out for being far away.
int everytest(ragobject& R1, ragobject& R2, double d) {
  int hit = 0;
  for (class link* L : R1.linklist)
    for (ball* b : R2.balllist) hit |= balllinkcollision(*b, *L, d);
  for (class link* L : R2.linklist)
    for (ball* b : R1.balllist) hit |= balllinkcollision(*b, *L, d);
  for (ball* b2 : R2.balllist)
    for (ball* b1 : R1.balllist) hit |= ballcollision(*b2, *b1, d);
  return hit;
}
}  // namespace

TEST(Ragcollision, LeavingOutFarPartsChangesNothing) {
  int contacts = 0;
  for (int scene = 0; scene < 400; scene++) {
    ragobject a1, b1, a2, b2;
    const double gap = scene % 4 * 150, speed = scene % 5 == 0 ? 400 : 8;
    const double d = scene % 7 == 0 ? 60 : -20;
    SeedRandom(scene);
    randombody(a1, 0, 0, speed);
    randombody(b1, gap, gap / 2, speed);
    SeedRandom(scene);
    randombody(a2, 0, 0, speed);
    randombody(b2, gap, gap / 2, speed);
    const int hit = ragcollision(a1, b1, d);
    ASSERT_EQ(hit, everytest(a2, b2, d)) << "scene " << scene;
    contacts += hit;
    for (size_t i = 0; i < a1.balllist.size(); i++) {
      ASSERT_EQ(a1.balllist[i]->x, a2.balllist[i]->x) << "scene " << scene;
      ASSERT_EQ(b1.balllist[i]->yv, b2.balllist[i]->yv) << "scene " << scene;
    }
  }
  EXPECT_GT(contacts, 50);  // both outcomes were exercised
  EXPECT_LT(contacts, 390);
}

namespace {
// A chain of `count` balls wandering from (x, y) in steps of up to 90, with
// links up to `widest` wide, a few of its balls fast.
void longchain(ragobject& rag, double x, double y, int count, double speed, double rmin,
               double rmax, double widest) {
  for (int i = 0; i < count; i++) {
    ball* b = placedball(x, y, RandomReal(rmin, rmax), RandomReal(0.3, 5));
    if (RandomInt(0, 5) == 0) {
      b->xv = RandomReal(-speed, speed);
      b->yv = RandomReal(-speed, speed);
    }
    rag.balllist.push_back(b);
    if (i > 0) {
      class link* l = joined(rag.balllist[i - 1], b, 60);
      l->width = RandomReal(0, widest);
      rag.linklist.push_back(l);
    }
    x += RandomReal(-90, 90);
    y += RandomReal(-90, 90);
  }
}

bool samestate(const ragobject& a, const ragobject& b) {
  for (size_t i = 0; i < a.balllist.size(); i++) {
    const ball &p = *a.balllist[i], &q = *b.balllist[i];
    if (p.x != q.x || p.y != q.y || p.xv != q.xv || p.yv != q.yv) return false;
  }
  return true;
}
}  // namespace

// Long chains spread far beyond any one ball's reach, so that their parts
// are left out link by link: the outcome must be that of every test made.
TEST(Ragcollision, LongChainsMatchEveryTestMade) {
  int contacts = 0;
  for (int scene = 0; scene < 300; scene++) {
    ragobject a1, b1, a2, b2;
    const int count = 20 + scene % 3 * 10;
    const double speed = scene % 4 == 0 ? 150 : 6;
    const double gap = scene % 5 * 300;
    const double d = scene % 9 == 0 ? 60 : -20;
    // Every other scene: thin balls on wide links, where the width decides.
    const bool thin = scene % 2 == 1;
    const double rmin = thin ? 1 : 3, rmax = thin ? 3 : 30, widest = thin ? 45 : 14;
    SeedRandom(1000 + scene);
    longchain(a1, 0, 0, count, speed, rmin, rmax, widest);
    longchain(b1, gap, RandomReal(-400, 400), count, speed, rmin, rmax, widest);
    SeedRandom(1000 + scene);
    longchain(a2, 0, 0, count, speed, rmin, rmax, widest);
    longchain(b2, gap, RandomReal(-400, 400), count, speed, rmin, rmax, widest);
    const int hit = ragcollision(a1, b1, d);
    ASSERT_EQ(hit, everytest(a2, b2, d)) << "scene " << scene;
    ASSERT_TRUE(samestate(a1, a2) && samestate(b1, b2)) << "scene " << scene;
    contacts += hit;
  }
  EXPECT_GT(contacts, 40);
  EXPECT_LT(contacts, 280);
  // A wide link reaches further than any ball of either side.
  linkscene wide(100, 35);
  wide.l->width = 40;
  wide.e1->r = wide.e2->r = wide.p->r = 2;
  ragobject thin;
  thin.balllist.push_back(wide.p);
  wide.p = placedball(0, 0);  // the scene frees this one; thin frees the other
  EXPECT_EQ(ragcollision(wide.body, thin, -20), 1);
}

TEST(Ragcollision, FastPartsReachAcrossAFrame) {
  ragobject still, fast, diving;
  still.balllist.push_back(placedball(0, 0));
  fast.balllist.push_back(placedball(1000, 0));
  fast.balllist[0]->xv = -1200;
  EXPECT_EQ(ragcollision(still, fast, -20), 1);
  linkscene s(100, 500);
  diving.balllist.push_back(placedball(100, 500));
  diving.balllist[0]->yv = -600;
  EXPECT_EQ(ragcollision(s.body, diving, -20), 1);
}
