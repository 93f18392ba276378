// The player body of media/man.txt, loaded the way the match loads it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "content/ragdollfile.h"
#include "physics_helpers.h"

namespace {
// The tests run in the build folder, beside its copy of media/.
const char* const bodypath = "./media/man.txt";

void loadbody(ragobject& rag, double size) {
  loadragdoll(bodypath, rag, size, 1.12, nullptr, nullptr, 0, 0, 1.0);
}

// Worst relative deviation of a link from its rest length.
double worstlink(const ragobject& rag) {
  double worst = 0;
  for (const class link* l : rag.linklist) {
    const double d = separation(*l->ball1, *l->ball2);
    worst = std::max(worst, std::fabs(d - l->distance) / l->distance);
  }
  return worst;
}

bool insideoutline(const ball& b, const Tborder& border, double tolerance) {
  const double H = (border.down - border.up) / 2, cy = (border.up + border.down) / 2;
  if (b.x > border.Right) return std::hypot(b.x - border.Right, b.y - cy) <= H - b.r + tolerance;
  if (b.x < border.Left) return std::hypot(b.x - border.Left, b.y - cy) <= H - b.r + tolerance;
  return b.y >= border.up + b.r - tolerance && b.y <= border.down - b.r + tolerance;
}

class Body : public ::testing::TestWithParam<double> {};
}  // namespace

TEST(Man, IsAPersonOfTheRightSize) {
  ragobject rag;
  loadbody(rag, 0.5);
  ASSERT_GE(rag.balllist.size(), 15u);
  ASSERT_FALSE(rag.linklist.empty());
  ASSERT_FALSE(rag.TensionList.empty());
  double top = 1e9, bottom = -1e9, left = 1e9, right = -1e9;
  int shirtballs = 0, shirtlinks = 0;
  for (const ball* b : rag.balllist) {
    top = std::min(top, b->y - b->r);
    bottom = std::max(bottom, b->y + b->r);
    left = std::min(left, b->x - b->r);
    right = std::max(right, b->x + b->r);
    shirtballs += b->shirt == 1;
    EXPECT_GT(b->m, 0);
  }
  for (const class link* l : rag.linklist) shirtlinks += l->shirt == 1;
  EXPECT_GE(bottom - top, 320);  // 4 to 8 main-ball diameters
  EXPECT_LE(bottom - top, 640);
  EXPECT_LT(right - left, 1300 / 4);
  EXPECT_GT(shirtballs, 0);
  EXPECT_GT(shirtlinks, 0);
  // The steered ball sits on the body's axis, in the upper body.
  rag.updatemed();
  EXPECT_NEAR(rag.balllist[0]->x, rag.xmed, 1);
  EXPECT_LT(rag.balllist[0]->y, rag.ymed);
}

TEST_P(Body, KeepsItsShapeWhenLeftAlone) {
  ragobject rag;
  loadbody(rag, GetParam());
  for (int f = 0; f < 600; f++) stepframe(rag, 0);
  EXPECT_TRUE(finiterag(rag));
  EXPECT_LT(worstlink(rag), 0.05);
}

TEST_P(Body, SteeredIntoTheBorderStaysInside) {
  const double directions[][2] = {{6, 0}, {-6 * 0.707f, -6 * 0.707f}, {0, 6}};
  for (const auto& steer : directions) {
    ragobject rag;
    loadbody(rag, GetParam());
    Tborder border;
    for (int f = 0; f < 600; f++) {
      stepframe(rag, 0.5, steer[0], steer[1]);
      rag.bordercollision(border);
      ASSERT_TRUE(finiterag(rag)) << "frame " << f;
      for (const ball* b : rag.balllist) {
        ASSERT_TRUE(insideoutline(*b, border, 1)) << "frame " << f << " ball " << b->number;
      }
    }
  }
}

TEST_P(Body, RecoversFromAViolentKick) {
  for (int kicked : {0, 2, 11, 18}) {
    ragobject rag;
    loadbody(rag, GetParam());
    ASSERT_LT(static_cast<size_t>(kicked), rag.balllist.size());
    for (int f = 0; f < 60; f++) stepframe(rag, 0);
    rag.balllist[kicked]->xv += 200 * 0.6;
    rag.balllist[kicked]->yv -= 200 * 0.8;
    for (int f = 0; f < 120; f++) stepframe(rag, 0);
    EXPECT_TRUE(finiterag(rag));
    EXPECT_LT(worstlink(rag), 0.05) << "ball " << kicked;
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, Body, ::testing::Values(0.5, 1.0));
