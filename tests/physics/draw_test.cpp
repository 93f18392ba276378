#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "physics/mainball.h"
#include "physics/ragobject.h"
#include "physics/view.h"
#include "physics_helpers.h"

TEST(View, WorldToScreenMapping) {
  EXPECT_EQ(toscreen(100, 0, 0.4, 800), 440);
  EXPECT_EQ(toscreen(-50, 0, 0.4, 600), 280);
  EXPECT_EQ(toscreen(10, 10, 3, 640), 320);
  ball b;
  b.x = 100;
  b.y = -50;
  b.updateapp(0, 0, 0.4, 800, 600);
  EXPECT_DOUBLE_EQ(b.xapp, 440);
  EXPECT_DOUBLE_EQ(b.yapp, 280);
  EXPECT_DOUBLE_EQ(b.rapp, 6);
}

namespace {
struct sprite {
  double x, y, sx, sy;
  int r, g, b;
  double alpha, angle;
  std::string name;
};

// Draws through a headless platform and reads back the sprites of the trace.
class DrawTrace : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/parvane_draw_XXXXXX";
    const int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    close(fd);
    tracefile = name;
    PlatformConfig config;
    config.headless = true;
    config.fakeClock = true;
    config.trace = tracefile;
    std::string error;
    ASSERT_EQ(PlatformInit(config, &error), 0) << error;
    ballimage = LoadSprite("media/ball.png", -1);
    rectimage = LoadSprite("media/rect.png", -1);
    ASSERT_NE(ballimage, nullptr);
    ASSERT_NE(rectimage, nullptr);
  }
  void TearDown() override { std::remove(tracefile.c_str()); }

  std::vector<sprite> sprites() {
    PlatformShutdown();
    std::vector<sprite> out;
    std::ifstream in(tracefile);
    std::string line;
    while (std::getline(in, line)) {
      std::istringstream fields(line);
      std::string kind;
      fields >> kind;
      if (kind != "sprite") continue;
      sprite s;
      int blend;
      fields >> s.x >> s.y >> s.sx >> s.sy >> s.r >> s.g >> s.b >> s.alpha >> s.angle >> blend >>
          s.name;
      out.push_back(s);
    }
    return out;
  }

  std::string tracefile;
  Image* ballimage = nullptr;
  Image* rectimage = nullptr;
};
}  // namespace

TEST_F(DrawTrace, BallsAreCentredAndScaledByRadius) {
  ball b;
  b.image = ballimage;
  b.x = 100;
  b.y = -50;
  SetAlpha(0.5);
  b.draw(0, 0, 0.4, 800, 600);
  b.bigball = 1;
  b.draw(0, 0, 0.4, 800, 600);
  const auto s = sprites();
  ASSERT_EQ(s.size(), 2u);
  EXPECT_NEAR(s[0].x, 440, 1e-3);
  EXPECT_NEAR(s[0].y, 280, 1e-3);
  EXPECT_NEAR(s[0].sx, 6.0 / 150, 1e-6);
  EXPECT_NEAR(s[0].sy, 6.0 / 150, 1e-6);
  EXPECT_EQ(s[0].alpha, 0.5);  // the caller's alpha, reset afterwards
  EXPECT_NEAR(s[1].sx, 6 * 0.0025, 1e-6);
  EXPECT_EQ(s[1].alpha, 1);
}

TEST_F(DrawTrace, LinksSpanTheirBallsAndLieOverThem) {
  ragobject rag;
  ball* top = placedball(0, 0);
  ball* below = placedball(0, 100);
  ball* same = placedball(50, 50);
  ball* same2 = placedball(50, 50);
  rag.balllist = {top, below, same, same2};
  for (ball* b : rag.balllist) b->image = ballimage;
  rag.linklist = {joined(top, below, 100), joined(same, same2, 0)};
  for (class link* l : rag.linklist) l->image = rectimage;
  rag.draw(0, 0, 1, 800, 600);
  const auto s = sprites();
  ASSERT_EQ(s.size(), 6u);
  for (int i = 0; i < 4; i++) EXPECT_EQ(s[i].name, "ball.png");
  const sprite& vertical = s[4];
  EXPECT_EQ(vertical.name, "rect.png");
  EXPECT_NEAR(vertical.angle, -90, 1e-3);
  EXPECT_NEAR(vertical.x, 400, 1e-3);
  EXPECT_NEAR(vertical.y, 350, 1e-3);
  EXPECT_NEAR(vertical.sx, 100.0 / 280, 1e-5);
  EXPECT_NEAR(vertical.sy, 3 * 2.0 / 280, 1e-5);
  EXPECT_EQ(s[5].sx, 0);  // zero screen length
  EXPECT_EQ(s[5].angle, 0);
}

TEST_F(DrawTrace, MainBallWearsItsOwnersColour) {
  Tmainball m;
  m.image = ballimage;
  m.x = 0;
  m.y = 0;
  m.team = 2;
  m.realcolor = {1, 2, 3};
  m.draw(0, 0, 1, 800, 600);
  EXPECT_EQ(m.realcolor[0], 130);
  EXPECT_EQ(m.realcolor[2], 255);
  for (int team : {0, 1, 3, 4, 7}) {
    m.team = team;
    m.draw(0, 0, 1, 800, 600);
  }
  ball plain;  // drawn after: the rotation is back to 0
  plain.image = ballimage;
  plain.draw(0, 0, 1, 800, 600);
  const auto s = sprites();
  ASSERT_EQ(s.size(), 7u);
  EXPECT_EQ(s[0].r, 130);
  EXPECT_EQ(s[0].g, 130);
  EXPECT_EQ(s[0].b, 255);
  EXPECT_NEAR(s[0].angle, 90 - 45, 1e-4);
  const int expected[5][3] = {
      {255, 255, 255}, {255, 130, 130}, {130, 255, 130}, {255, 255, 130}, {130, 130, 130}};
  for (int i = 0; i < 5; i++) {
    EXPECT_EQ(s[i + 1].r, expected[i][0]);
    EXPECT_EQ(s[i + 1].g, expected[i][1]);
    EXPECT_EQ(s[i + 1].b, expected[i][2]);
  }
  EXPECT_EQ(s[6].angle, 0);
}
