#include "physics/collision.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "physics_helpers.h"

TEST(Linedistance, DistanceToTheLineThroughTwoPoints) {
  EXPECT_NEAR(linedistance(5, 7, 0, 0, 10, 0), 7, 1e-4);  // very slightly slanted
  EXPECT_NEAR(linedistance(0, 10, 0, 0, 10, 10), std::sqrt(50.0), 1e-6);
  EXPECT_NEAR(linedistance(8, 3, 2, 0, 2, 10), 6, 1e-3);  // vertical
}

TEST(Ballcollision, OverlappingBallsAtRestSeparateEvenly) {
  std::unique_ptr<ball> a(placedball(0, 0)), b(placedball(25, 0));
  EXPECT_EQ(ballcollision(*a, *b, -20), 1);
  EXPECT_NEAR(a->x, -2.55, 1e-5);
  EXPECT_NEAR(b->x, 27.55, 1e-5);
  EXPECT_NEAR(a->xv, 0, 1e-9);
  EXPECT_NEAR(b->xv, 0, 1e-9);
  EXPECT_EQ(ballcollision(*a, *b, -20), 0);  // now 0.1 beyond reach
}

TEST(Ballcollision, HeadOnBounceKeepsSeventySixPercent) {
  std::unique_ptr<ball> a(placedball(0, 0)), b(placedball(28, 0));
  a->xv = 5;
  b->xv = -5;
  ballcollision(*a, *b, -20);
  EXPECT_NEAR(a->xv, -3.8, 1e-4);
  EXPECT_NEAR(b->xv, 3.8, 1e-4);
  EXPECT_NEAR(a->yv + b->yv, 0, 1e-9);
}

TEST(Ballcollision, FastApproachReachesOneFrameOfTravel) {
  std::unique_ptr<ball> a(placedball(0, 0)), b(placedball(1000, 0));
  b->xv = -1200;
  EXPECT_EQ(ballcollision(*a, *b, -20), 1);
  EXPECT_NEAR(separation(*a, *b), 1200.1, 1e-4);
  // Moving apart at the same speed is no contact.
  std::unique_ptr<ball> c(placedball(0, 0)), d(placedball(1000, 0));
  d->xv = 1200;
  EXPECT_EQ(ballcollision(*c, *d, -20), 0);
}

TEST(Ballcollision, MomentumIsConservedAndHeavierMovesLess) {
  std::unique_ptr<ball> a(placedball(0, 0, 15, 1)), b(placedball(20, 12, 15, 4));
  a->xv = 3;
  a->yv = 1;
  b->xv = -2;
  const double px = a->xv * 1 + b->xv * 4, py = a->yv * 1 + b->yv * 4;
  ballcollision(*a, *b, -20);
  EXPECT_NEAR(a->xv * 1 + b->xv * 4, px, 1e-6);
  EXPECT_NEAR(a->yv * 1 + b->yv * 4, py, 1e-6);
  EXPECT_GT(std::hypot(a->x, a->y), std::hypot(b->x - 20, b->y - 12));
}

TEST(Ballcollision, PositiveDPushesApartAlongTheCentres) {
  std::unique_ptr<ball> a(placedball(0, 0)), b(placedball(0, 20));
  ballcollision(*a, *b, 60);
  EXPECT_NEAR(b->yv, 60 * 1.76 / 2, 1e-4);
  EXPECT_NEAR(a->yv, -60 * 1.76 / 2, 1e-4);
}

TEST(Ballcollision, DegenerateContactsStayFinite) {
  std::unique_ptr<ball> a(placedball(5, 5)), b(placedball(5, 5));
  b->xv = 1;
  EXPECT_EQ(ballcollision(*a, *b, -20), 1);
  EXPECT_TRUE(finiteball(*a) && finiteball(*b));
  EXPECT_GT(separation(*a, *b), 30);

  std::unique_ptr<ball> c(placedball(0, 0, 15, 0)), d(placedball(10, 3, 15, 0));
  d->xv = -4;
  ballcollision(*c, *d, -20);
  EXPECT_TRUE(finiteball(*c) && finiteball(*d));
  EXPECT_NEAR(c->xv + d->xv, -4, 1e-6);  // an even split
}

namespace {
// A horizontal link from (0, 0) to (200, 0) and a ball near it.
struct linkscene {
  ragobject body;
  ball* p;
  ball* e1;
  ball* e2;
  class link* l;
  linkscene(double px, double py) {
    e1 = placedball(0, 0);
    e2 = placedball(200, 0);
    l = joined(e1, e2, 200);
    body.balllist = {e1, e2};
    body.linklist = {l};
    p = placedball(px, py);
  }
  ~linkscene() { delete p; }
};
}  // namespace

TEST(Balllinkcollision, OnlyBetweenTheEnds) {
  linkscene beyond(210, 10);
  EXPECT_EQ(balllinkcollision(*beyond.p, *beyond.l, -20), 0);
  linkscene far(100, 40);
  EXPECT_EQ(balllinkcollision(*far.p, *far.l, -20), 0);
  linkscene near(100, 10);
  EXPECT_EQ(balllinkcollision(*near.p, *near.l, -20), 1);
  EXPECT_GT(linedistance(near.p->x, near.p->y, 0, near.e1->y, 200, near.e2->y), 18);
}

TEST(Balllinkcollision, PushesTheBallOutAndTheLinkBack) {
  linkscene s(50, 10);
  s.p->yv = -4;
  balllinkcollision(*s.p, *s.l, -20);
  EXPECT_GT(s.p->yv, 0);
  EXPECT_LT(s.e1->yv, 0);
  EXPECT_LT(s.e2->yv, 0);
  // The end nearer the contact takes more of the push.
  EXPECT_LT(s.e1->yv, s.e2->yv);
  EXPECT_LT(s.e1->y, s.e2->y);
}

TEST(Balllinkcollision, RollingBallKeepsItsSlideAndOthersLoseSome) {
  linkscene rolling(100, 10);
  rolling.p->rolling = 1;
  rolling.p->xv = 8;
  rolling.p->yv = -2;
  balllinkcollision(*rolling.p, *rolling.l, -20);
  EXPECT_NEAR(rolling.p->xv, 8, 1e-3);

  linkscene sliding(100, 10);
  sliding.p->xv = 8;
  sliding.p->yv = -2;
  balllinkcollision(*sliding.p, *sliding.l, -20);
  EXPECT_LT(sliding.p->xv, 8 - 0.1);
}

TEST(Balllinkcollision, BallOnTheLineIsPushedAlongTheNormal) {
  linkscene s(100, 0);
  EXPECT_EQ(balllinkcollision(*s.p, *s.l, -20), 1);
  EXPECT_TRUE(finiteball(*s.p) && finiteball(*s.e1) && finiteball(*s.e2));
  EXPECT_GT(std::fabs(s.p->y - s.e1->y), 15);
  linkscene pushed(100, 0);
  balllinkcollision(*pushed.p, *pushed.l, 60);
  EXPECT_TRUE(finiteball(*pushed.p));
  EXPECT_GT(std::fabs(pushed.p->yv), 10);
}

TEST(Balllinkcollision, DegenerateLinksStayFinite) {
  linkscene zero(0, 5);
  zero.e2->x = 0;  // both ends at one point
  EXPECT_EQ(balllinkcollision(*zero.p, *zero.l, -20), 0);

  linkscene weightless(100, 10);
  for (ball* b : {weightless.p, weightless.e1, weightless.e2}) b->actualmass = 0;
  weightless.p->yv = -3;
  balllinkcollision(*weightless.p, *weightless.l, -20);
  EXPECT_TRUE(finiteball(*weightless.p) && finiteball(*weightless.e1) &&
              finiteball(*weightless.e2));

  linkscene fast(100, 10);  // a huge approach: the separation loop still ends
  fast.e1->yv = fast.e2->yv = 1e6;
  EXPECT_EQ(balllinkcollision(*fast.p, *fast.l, -20), 1);
  EXPECT_TRUE(finiteball(*fast.p));
}

TEST(Ragcollision, ReportsAnyContactBetweenTwoRagdolls) {
  linkscene s(100, 10);
  ragobject other;
  other.balllist.push_back(s.p);
  s.p = placedball(5000, 5000);
  EXPECT_EQ(ragcollision(s.body, other, -20), 1);
  EXPECT_EQ(ragcollision(s.body, other, -20), 0);
  other.balllist[0]->x = 190;  // against an end ball only
  other.balllist[0]->y = -20;
  EXPECT_EQ(ragcollision(other, s.body, -20), 1);
}

namespace {
// A small random body: a chain of balls with links, scattered around (cx, cy).
void randombody(ragobject& rag, double cx, double cy, double speed) {
  for (int i = 0; i < 6; i++) {
    ball* b = placedball(cx + RandomReal(-120, 120), cy + RandomReal(-120, 120), RandomReal(5, 25),
                         RandomReal(0.5, 3));
    b->xv = RandomReal(-speed, speed);
    b->yv = RandomReal(-speed, speed);
    rag.balllist.push_back(b);
  }
  for (int i = 0; i + 1 < 6; i++) {
    class link* l = joined(rag.balllist[i], rag.balllist[i + 1], 50);
    l->width = RandomReal(2, 8);
    rag.linklist.push_back(l);
  }
}

// Every test of ragcollision, with nothing left out.
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
      ASSERT_EQ(a1.balllist[i]->yv, a2.balllist[i]->yv) << "scene " << scene;
      ASSERT_EQ(b1.balllist[i]->y, b2.balllist[i]->y) << "scene " << scene;
      ASSERT_EQ(b1.balllist[i]->xv, b2.balllist[i]->xv) << "scene " << scene;
    }
  }
  EXPECT_GT(contacts, 50);
  EXPECT_LT(contacts, 390);
}

TEST(Ragcollision, FastPartsReachAcrossAFrame) {
  ragobject still, fast;
  still.balllist.push_back(placedball(0, 0));
  fast.balllist.push_back(placedball(1000, 0));
  fast.balllist[0]->xv = -1200;
  EXPECT_EQ(ragcollision(still, fast, -20), 1);

  linkscene s(100, 500);
  ragobject diving;
  diving.balllist.push_back(s.p);
  s.p = placedball(0, 0);
  diving.balllist[0]->yv = -600;
  EXPECT_EQ(ragcollision(s.body, diving, -20), 1);
}
