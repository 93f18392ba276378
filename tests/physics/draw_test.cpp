#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "physics/mainball.h"
#include "physics/view.h"
#include "physics_helpers.h"

TEST(View, BallMapsToTheScreen) {
  ball b;
  b.x = 100;
  b.y = -50;
  b.updateapp(0, 0, 0.4, 800, 600);
  EXPECT_DOUBLE_EQ(b.xapp, 440);
  EXPECT_DOUBLE_EQ(b.yapp, 280);
  EXPECT_DOUBLE_EQ(b.rapp, 6);
  EXPECT_EQ(toscreen(10, 10, 3, 640), 320);
}

namespace {
struct sprite {
  double x, y, sx, sy;
  int r, g, b;
  double alpha, angle;
  std::string name;
};

// Draws through a headless platform, then reads the sprites back from its trace.
class DrawTrace : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/parvane_draw_XXXXXX";
    close(mkstemp(name));
    tracefile = name;
    PlatformConfig config;
    config.headless = true;
    config.fakeClock = true;
    config.trace = tracefile;
    std::string error;
    ASSERT_EQ(PlatformInit(config, &error), 0) << error;
    ballimage = LoadSprite("media/ball.png", -1);
    rectimage = LoadSprite("media/rect.png", -1);
    ASSERT_TRUE(ballimage && rectimage);
  }
  void TearDown() override { std::remove(tracefile.c_str()); }
  std::vector<sprite> sprites() {
    PlatformShutdown();
    std::vector<sprite> out;
    std::ifstream in(tracefile);
    for (std::string line; std::getline(in, line);) {
      std::istringstream f(line);
      std::string kind;
      sprite s;
      int blend;
      if (f >> kind && kind == "sprite" &&
          f >> s.x >> s.y >> s.sx >> s.sy >> s.r >> s.g >> s.b >> s.alpha >> s.angle >> blend >>
              s.name)
        out.push_back(s);
    }
    return out;
  }
  std::string tracefile;
  Image* ballimage = nullptr;
  Image* rectimage = nullptr;
};
}  // namespace

TEST_F(DrawTrace, BallsThenLinksSpanningTheirBalls) {
  ragobject rag;
  rag.balllist = {placedball(100, -50), placedball(100, 50), placedball(50, 50),
                  placedball(50, 50)};
  rag.balllist[0]->bigball = 1;
  for (ball* b : rag.balllist) b->image = ballimage;
  rag.linklist = {joined(rag.balllist[0], rag.balllist[1], 100),
                  joined(rag.balllist[2], rag.balllist[3], 0)};
  for (class link* l : rag.linklist) l->image = rectimage;
  SetAlpha(0.5);
  rag.draw(0, 0, 0.4, 800, 600);
  const auto s = sprites();
  ASSERT_EQ(s.size(), 6u);
  EXPECT_NEAR(s[0].x, 440, 1e-3);
  EXPECT_NEAR(s[0].y, 280, 1e-3);
  EXPECT_NEAR(s[0].sx, 6 * 0.0025, 1e-6);  // big ball
  EXPECT_EQ(s[0].alpha, 0.5);              // the caller's alpha, then reset
  EXPECT_NEAR(s[1].sx, 6.0 / 150, 1e-6);
  EXPECT_EQ(s[1].alpha, 1);
  const sprite& vertical = s[4];
  EXPECT_EQ(vertical.name, "rect.png");
  EXPECT_NEAR(vertical.angle, -90, 1e-3);
  EXPECT_NEAR(vertical.y, 300, 1e-3);
  EXPECT_NEAR(vertical.sx, 40.0 / 280, 1e-5);
  EXPECT_NEAR(vertical.sy, 3 * 2 * 0.4 / 280, 1e-5);
  EXPECT_EQ(s[5].sx, 0);  // zero screen length
}

TEST_F(DrawTrace, MainBallWearsItsOwnersColour) {
  Tmainball m;
  m.image = ballimage;
  m.x = m.y = 0;
  const int teams[] = {2, 0, 1, 3, 4, 7};
  const int expected[][3] = {{130, 130, 255}, {255, 255, 255}, {255, 130, 130},
                             {130, 255, 130}, {255, 255, 130}, {130, 130, 130}};
  for (int team : teams) {
    m.team = team;
    m.draw(0, 0, 1, 800, 600);
  }
  EXPECT_EQ(m.realcolor[1], 130);
  ball plain;  // drawn after: the rotation is back to 0
  plain.image = ballimage;
  plain.draw(0, 0, 1, 800, 600);
  const auto s = sprites();
  ASSERT_EQ(s.size(), 7u);
  EXPECT_NEAR(s[0].angle, 90 - 45, 1e-4);
  for (int i = 0; i < 6; i++) {
    EXPECT_EQ(s[i].r, expected[i][0]);
    EXPECT_EQ(s[i].g, expected[i][1]);
    EXPECT_EQ(s[i].b, expected[i][2]);
  }
  EXPECT_EQ(s[6].angle, 0);
}
