#include "effects/fireworks.h"

#include <cmath>

#include "tests/effects/headless_fixture.h"

namespace {

int Lifetime(int small) {
  auto f = std::make_unique<Tfirework>();
  f->init(0, 0, 0, 0, 0, 1, 100, 100, 100, 1, nullptr, small);
  for (int n = 1; n < 1000; n++) {
    if (f->update() != 0) return n;
  }
  return -1;
}

TEST(Firework, NormalLasts100FramesSmall50) {
  EXPECT_EQ(Lifetime(0), 100);
  EXPECT_EQ(Lifetime(1), 50);
}

TEST(Firework, SparkFlyingAtTheViewerSlowsAndReachesAbout430) {
  auto f = std::make_unique<Tfirework>();
  f->alpha = 1.0f;
  f->numsp = 1;
  f->sparks[0].z = -2000;
  f->sparks[0].zv = 20;
  for (int i = 0; i < 100; i++) f->update();
  EXPECT_NEAR(f->sparks[0].zv, 20 * std::pow(0.995, 100), 1e-3);
  EXPECT_NEAR(f->sparks[0].z, -430, 5);
}

class Fireworks : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    Start("", seeded_);
    Match(2);
    star_ = LoadCentred("media/smallstar.png");
    tlevel& l = *level_;
    l.images.starimage = star_;
    l.zoom = 0.5;  // the view at depth -2000 is then 4 times wider
    l.winner = 1;
    l.optfireworks = 1;
  }
  bool seeded_ = true;
  Image* star_ = nullptr;
};

TEST_F(Fireworks, SparkScaleAndPositionFollowDepth) {
  tspark s;
  s.image = star_;
  s.x = 100;
  s.z = -2000;
  float colour[3] = {10.5f, 20, 30};
  s.draw(0, 0, 0.5, 1024, 768, 0.5, colour, 0);  // p = 1 / (2 + 2)
  s.draw(0, 0, 0.5, 1024, 768, 0.5, colour, 1);
  s.z = 0;
  s.draw(0, 0, 0.5, 1024, 768, 0.5, colour, 0);
  DrawSprite(star_, 1, 1, 0);
  std::vector<SpriteLine> drawn = Sprites(TraceLines());
  ASSERT_EQ(drawn.size(), 4u);
  EXPECT_DOUBLE_EQ(drawn[0].sx, 0.3);
  EXPECT_DOUBLE_EQ(drawn[0].x, 537);
  EXPECT_DOUBLE_EQ(drawn[0].y, 384);
  EXPECT_EQ(drawn[0].blend, 4);
  EXPECT_EQ(drawn[0].r, 10);
  EXPECT_DOUBLE_EQ(drawn[1].sx, 0.15);
  EXPECT_DOUBLE_EQ(drawn[2].sx, 0.6);
  EXPECT_DOUBLE_EQ(drawn[2].x, 562);
  EXPECT_EQ(drawn[3].blend, 3);
  EXPECT_DOUBLE_EQ(drawn[3].alpha, 1.0);
  EXPECT_DOUBLE_EQ(drawn[3].sx, 1.0);
}

TEST_F(Fireworks, SparkOnTheScreenEdgeIsNotDrawn) {
  tspark s;
  s.image = star_;
  float colour[3] = {255, 255, 255};
  const double inside[][2] = {{-511, 0}, {511, 0}, {0, -383}, {0, 383}};
  const double edge[][2] = {{-512, 0}, {512, 0}, {0, -384}, {0, 384}};
  for (const auto& p : edge) {
    s.x = static_cast<float>(p[0]);
    s.y = static_cast<float>(p[1]);
    s.draw(0, 0, 1, 1024, 768, 1, colour, 0);
  }
  for (const auto& p : inside) {
    s.x = static_cast<float>(p[0]);
    s.y = static_cast<float>(p[1]);
    s.draw(0, 0, 1, 1024, 768, 1, colour, 0);
  }
  EXPECT_EQ(Sprites(TraceLines()).size(), 4u);
}

TEST_F(Fireworks, InitThrowsEverySparkAtTheSameSpeedFromOnePoint) {
  auto f = std::make_unique<Tfirework>();
  f->init(10, 20, -2000, 0, 0, 20, 1, 2, 3, 400, star_, 0);
  EXPECT_EQ(f->numsp, 400);
  EXPECT_FLOAT_EQ(f->alpha, 1.0f);
  EXPECT_FLOAT_EQ(f->color[0], 1);
  EXPECT_FLOAT_EQ(f->color[2], 3);
  for (int i = 0; i < f->numsp; i++) {
    const tspark& s = f->sparks[i];
    EXPECT_FLOAT_EQ(s.x, 10);
    EXPECT_FLOAT_EQ(s.z, -2000);
    EXPECT_NEAR(std::sqrt(s.xv * s.xv + s.yv * s.yv + s.zv * s.zv), 20, 1e-3);
  }
  // More sparks than the room there is are cut to the room.
  f->init(0, 0, 0, 0, 0, 1, 0, 0, 0, 100000, star_, 0);
  EXPECT_EQ(f->numsp, Tfirework::maxsparks);
}

TEST_F(Fireworks, NoLaunchWithoutWinnerOrOptionButRunningOnesFadeOn) {
  tlevel& l = *level_;
  l.winner = 0;
  for (int i = 0; i < 300; i++) l.Handlefireworks();
  EXPECT_TRUE(l.fireworkslist.empty());
  l.winner = 1;
  l.optfireworks = 0;
  for (int i = 0; i < 300; i++) l.Handlefireworks();
  EXPECT_TRUE(l.fireworkslist.empty());

  l.fireworkslist.push_back(std::make_unique<Tfirework>());
  l.fireworkslist.back()->init(0, 0, -2000, 0, 0, 20, 9, 9, 9, 400, star_, 0);
  for (int i = 0; i < 99; i++) l.Handlefireworks();
  EXPECT_EQ(l.fireworkslist.size(), 1u);
  l.Handlefireworks();
  EXPECT_TRUE(l.fireworkslist.empty());
}

TEST_F(Fireworks, AboutOneLaunchInTwentyFramesNeverMoreThanThree) {
  tlevel& l = *level_;
  int launches = 0;
  for (int i = 0; i < 4000; i++) {
    l.Handlefireworks();
    launches += static_cast<int>(l.fireworkslist.size());
    l.fireworkslist.clear();
  }
  EXPECT_GT(launches, 4000 * 5 / 101 - 50);
  EXPECT_LT(launches, 4000 * 5 / 101 + 50);

  size_t most = 0;
  for (int i = 0; i < 1000; i++) {
    l.Handlefireworks();
    most = std::max(most, l.fireworkslist.size());
  }
  EXPECT_EQ(most, 3u);
}

class FireworksUnseeded : public Fireworks {
 protected:
  void SetUp() override {
    seeded_ = false;
    Fireworks::SetUp();
  }
};

TEST_F(FireworksUnseeded, LaunchDrawsBlueGreenRedThenYThenX) {
  uint32_t seed = 1;
  for (;; seed++) {
    SeedRandom(seed);
    if (RandomInt(0, 100) > 95) break;
  }
  SeedRandom(seed);
  RandomInt(0, 100);
  int blue = RandomInt(0, 255);
  int green = RandomInt(0, 255);
  int red = RandomInt(0, 255);
  // Zoom 0.5: the view at depth -2000 spans 4096 x 3072 around the origin,
  // narrower than the arena across and taller than it.
  int y = RandomInt(-1250, 1250);
  int x = RandomInt(-2048, 2048);

  SeedRandom(seed);
  tlevel& l = *level_;
  l.Handlefireworks();
  ASSERT_EQ(l.fireworkslist.size(), 1u);
  const Tfirework& f = *l.fireworkslist.front();
  // One colour drift step of 6 has already been taken.
  EXPECT_NEAR(f.color[0], red, 6.01);
  EXPECT_NEAR(f.color[1], green, 6.01);
  EXPECT_NEAR(f.color[2], blue, 6.01);
  const tspark& s = f.sparks[0];
  EXPECT_NEAR(s.x - s.xv, x, 0.01);
  EXPECT_NEAR(s.y - s.yv, y, 0.01);
  EXPECT_NEAR(s.z - s.zv, -2000, 0.01);
}

}  // namespace
