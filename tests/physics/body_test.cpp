// The player body of media/man.txt, loaded and stepped the way a match does.
#include <gtest/gtest.h>

#include <algorithm>

#include "content/ragdollfile.h"
#include "physics_helpers.h"

namespace {
// Loaded from the build folder's copy of media/, the tests' working folder.
void loadbody(ragobject& rag, double size) {
  loadragdoll("./media/man.txt", rag, size, 1.12, nullptr, nullptr, 0, 0, 1.0);
  ASSERT_GE(rag.balllist.size(), 15u);
}

double worstlink(const ragobject& rag) {
  double worst = 0;
  for (const class link* l : rag.linklist)
    worst = std::max(worst, std::fabs(separation(*l->ball1, *l->ball2) / l->distance - 1));
  return worst;
}

bool insideoutline(const ball& b, const Tborder& border) {
  const double H = (border.down - border.up) / 2, cy = (border.up + border.down) / 2, slack = 1;
  if (b.x > border.Right) return std::hypot(b.x - border.Right, b.y - cy) <= H - b.r + slack;
  if (b.x < border.Left) return std::hypot(b.x - border.Left, b.y - cy) <= H - b.r + slack;
  return b.y >= border.up + b.r - slack && b.y <= border.down - b.r + slack;
}

class Body : public ::testing::TestWithParam<double> {};
}  // namespace

TEST(Man, IsAPersonOfTheRightSize) {
  ragobject rag;
  loadbody(rag, 0.5);
  double top = 1e9, bottom = -1e9, left = 1e9, right = -1e9;
  int shirts = 0;
  for (const ball* b : rag.balllist) {
    top = std::min(top, b->y - b->r);
    bottom = std::max(bottom, b->y + b->r);
    left = std::min(left, b->x - b->r);
    right = std::max(right, b->x + b->r);
    shirts += b->shirt == 1;
  }
  for (const class link* l : rag.linklist) shirts += l->shirt == 1;
  EXPECT_TRUE(bottom - top >= 320 && bottom - top <= 640);  // 4 to 8 main-ball diameters
  EXPECT_LT(right - left, 1300 / 4);
  EXPECT_GT(shirts, 4);
  EXPECT_FALSE(rag.TensionList.empty());
  rag.updatemed();  // the steered ball: on the axis, in the upper body
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
  const double steering[][2] = {{6, 0}, {-6 * 0.707f, -6 * 0.707f}, {0, 6}};
  for (const auto& steer : steering) {
    ragobject rag;
    loadbody(rag, GetParam());
    Tborder border;
    for (int f = 0; f < 600; f++) {
      stepframe(rag, 0.5, steer[0], steer[1]);
      rag.bordercollision(border);
      ASSERT_TRUE(finiterag(rag)) << "frame " << f;
      for (const ball* b : rag.balllist)
        ASSERT_TRUE(insideoutline(*b, border)) << "frame " << f << " ball " << b->number;
    }
  }
}

TEST_P(Body, RecoversFromAViolentKick) {
  for (int kicked : {0, 2, 11, 18}) {
    ragobject rag;
    loadbody(rag, GetParam());
    for (int f = 0; f < 60; f++) stepframe(rag, 0);
    rag.balllist.at(kicked)->xv += 200 * 0.6;
    rag.balllist.at(kicked)->yv -= 200 * 0.8;
    for (int f = 0; f < 120; f++) stepframe(rag, 0);
    EXPECT_TRUE(finiterag(rag));
    EXPECT_LT(worstlink(rag), 0.05) << "ball " << kicked;
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, Body, ::testing::Values(0.5, 1.0));
