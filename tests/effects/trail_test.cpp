#include "effects/trail.h"

#include <cmath>

#include "tests/effects/headless_fixture.h"

namespace {

TEST(Dotburst, InitTruncatesTowardZero) {
  dotburst d;
  float colour[3] = {10.9f, 20.5f, 255.0f};
  d.init(-2.7, 3.9, 1.5, -1.5, colour, nullptr, 1.0);
  EXPECT_EQ(d.x, -2);
  EXPECT_EQ(d.y, 3);
  EXPECT_EQ(d.xv, 1);
  EXPECT_EQ(d.yv, -1);
  EXPECT_EQ(d.color[0], 10);
  EXPECT_EQ(d.color[1], 20);
  EXPECT_EQ(d.color[2], 255);
  EXPECT_DOUBLE_EQ(d.r, 40.0);
  d.update(1.0);
  EXPECT_EQ(d.x, -1);
  EXPECT_EQ(d.y, 2);
}

// Number of updates until the dot reports it has faded out.
int Lifetime(double alpha, double slower) {
  dotburst d;
  float colour[3] = {0, 0, 0};
  d.init(0, 0, 0, 0, colour, nullptr, alpha);
  for (int n = 1; n < 1000; n++) {
    if (d.update(slower) != 0) return n;
  }
  return -1;
}

TEST(Dotburst, FullDotLasts44FramesHalfDot38WhateverTheSlowdown) {
  EXPECT_EQ(Lifetime(1.0, 1.0), 44);
  EXPECT_EQ(Lifetime(0.5, 1.0), 38);
  EXPECT_EQ(Lifetime(1.0, 0.25), 44);
}

class Trail : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    Start();
    Match(2);
    level_->images.sparki = LoadCentred("media/spark.png");
  }
  // One frame of the trail with the camera on the origin.
  void Frame(double zoom = 1.0) {
    level_->handledotbursts(zoom, 0, 0, 1024, 768);
    Flip(-1);
  }
};

TEST_F(Trail, OffLeavesTheListEmpty) {
  level_->opttrail = 0;
  for (int i = 0; i < 60; i++) Frame();
  EXPECT_TRUE(level_->dotlist.empty());
  EXPECT_TRUE(Sprites(TraceLines()).empty());
}

TEST_F(Trail, BallAtRestStacks44FadingDotsOnOneSpot) {
  level_->opttrail = 1;
  ball_->x = ball_->oldx = 100;
  ball_->y = ball_->oldy = -50;
  for (int i = 0; i < 80; i++) Frame();
  // The oldest dot is drawn once more in the frame it fades out.
  std::vector<SpriteLine> last = Sprites(HeadlessTest::Frame(TraceLines(), 79));
  ASSERT_EQ(last.size(), 44u);
  EXPECT_EQ(level_->dotlist.size(), 43u);
  double previous = 1.0;
  for (const SpriteLine& s : last) {
    EXPECT_DOUBLE_EQ(s.x, 612);
    EXPECT_DOUBLE_EQ(s.y, 334);
    EXPECT_EQ(s.name, "spark.png");
    EXPECT_EQ(s.blend, 4);
    EXPECT_LT(s.alpha, previous);  // newest first
    previous = s.alpha;
  }
  EXPECT_NEAR(last.front().alpha, 0.9, 1e-6);
}

TEST_F(Trail, HighQualityAddsAHalfwayDotTruncatedTowardZero) {
  level_->opttrail = 2;
  ball_->oldx = 0;
  ball_->oldy = 0;
  ball_->x = -10;
  ball_->y = -5;
  Frame();
  ASSERT_EQ(level_->dotlist.size(), 2u);
  const dotburst& halfway = *level_->dotlist.front();
  const dotburst& present = *level_->dotlist.back();
  EXPECT_EQ(halfway.x, -5);
  EXPECT_EQ(halfway.y, -2);  // -2.5 toward zero, not down to -3
  EXPECT_EQ(present.x, -10);
  EXPECT_EQ(present.y, -5);
  std::vector<SpriteLine> drawn = Sprites(TraceLines());
  ASSERT_EQ(drawn.size(), 2u);
  EXPECT_DOUBLE_EQ(drawn[0].x, 507);
  EXPECT_DOUBLE_EQ(drawn[0].y, 382);
  EXPECT_NEAR(drawn[0].alpha, 0.45, 1e-6);
  EXPECT_DOUBLE_EQ(drawn[1].x, 502);
  EXPECT_DOUBLE_EQ(drawn[1].y, 379);
}

TEST_F(Trail, DotKeepsTheColourOfItsMomentAndRestoresTheDrawingState) {
  level_->opttrail = 1;
  ball_->realcolor = {255, 0, 0};
  Frame(0.25);
  ball_->realcolor = {0, 0, 255.9f};
  level_->handledotbursts(0.25, 0, 0, 1024, 768);
  DrawSprite(level_->images.sparki, 1, 1, 0);
  std::vector<SpriteLine> drawn = Sprites(HeadlessTest::Frame(TraceLines(), 1));
  ASSERT_EQ(drawn.size(), 3u);
  EXPECT_EQ(drawn[0].b, 255);  // new dot, blue
  EXPECT_EQ(drawn[1].r, 255);  // older dot, still red
  EXPECT_EQ(drawn[1].b, 0);
  EXPECT_DOUBLE_EQ(drawn[1].sx, 0.4);
  // Whatever is drawn next gets alpha blending at full strength and size.
  EXPECT_EQ(drawn[2].blend, 3);
  EXPECT_DOUBLE_EQ(drawn[2].alpha, 1.0);
  EXPECT_DOUBLE_EQ(drawn[2].sx, 1.0);
}

}  // namespace
