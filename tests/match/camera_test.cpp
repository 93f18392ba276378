// The camera's intro and fitted zoom, and the background grid.
#include "tests/match/match_setup.h"

namespace {

class Camera : public MatchRun {
 protected:
  // Player 1 at (mx, my), player 2 at (ox, oy), the main ball at (bx, by).
  std::unique_ptr<tlevel> Scene(double mx, double my, double bx, double by, double ox = 0,
                                double oy = 0) {
    auto level = NewMatch();
    level->leveltype = "custom";
    level->mennumber = 2;
    for (int i = 0; i < 2; i++) {
      ball* b = new ball();
      b->x = i == 0 ? mx : ox;
      b->y = i == 0 ? my : oy;
      level->addman(i)->balllist.push_back(b);
    }
    level->mainballrag[0] = std::make_unique<ragobject>();
    auto* mb = new Tmainball();
    mb->x = bx;
    mb->y = by;
    level->mainballrag[0]->balllist.push_back(mb);
    level->mainball[0] = mb;
    level->mainballnumber = 1;
    level->initarena(0);
    return level;
  }
};

TEST_F(Camera, ZoomsInFromTheOriginOver150Frames) {
  Start("", 1, false);
  // 1000 apart horizontally, 500 vertically: fitted zoom 0.8 x 1.024, capped.
  auto level = Scene(1000, 0, 2000, 500, -5000, 3000);
  const double fitted = 0.7f;

  level->leveltime = 0;
  level->fixzoom();
  EXPECT_EQ(level->xcenter, 0);
  EXPECT_EQ(level->ycenter, 0);
  EXPECT_DOUBLE_EQ(level->zoom, 0.05);

  level->leveltime = 75;
  level->fixzoom();
  EXPECT_DOUBLE_EQ(level->xcenter, 750);
  EXPECT_DOUBLE_EQ(level->ycenter, 125);
  EXPECT_DOUBLE_EQ(level->zoom, (fitted + 0.05) / 2);

  // From 150 on the intro is over; the far-off player 2 is not tracked.
  level->leveltime = 150;
  level->fixzoom();
  EXPECT_DOUBLE_EQ(level->xcenter, 1500);
  EXPECT_DOUBLE_EQ(level->ycenter, 250);
  EXPECT_DOUBLE_EQ(level->zoom, fitted);
}

TEST_F(Camera, FitsTheTrackedPointsAndScalesWithTheWindow) {
  Start("", 1, false);
  auto level = Scene(0, 0, 2000, 100);
  level->leveltime = 500;
  level->fixzoom();
  EXPECT_DOUBLE_EQ(level->zoom, static_cast<double>(0.8f) * 1024 / 2000);

  // Same x: the vertical ratio decides. Same point: the 0.7 limit.
  level = Scene(0, 0, 0, 1000);
  level->leveltime = 500;
  level->fixzoom();
  EXPECT_DOUBLE_EQ(level->zoom, static_cast<double>(0.8f) * 768 / 1000);
  level = Scene(10, 10, 10, 10);
  level->xwin = 800;
  level->ywin = 600;
  level->leveltime = 500;
  level->fixzoom();
  EXPECT_DOUBLE_EQ(level->zoom, static_cast<double>(0.7f) * 800 / 1024);
}

TEST_F(Camera, MultiplayerKeepsEveryoneInView) {
  Start("", 1, false);
  auto level = Scene(0, 0, 0, 0, 4000, 0);
  level->leveltype = "multiplayer";
  level->leveltime = 500;
  level->fixzoom();
  EXPECT_DOUBLE_EQ(level->xcenter, 2000);
  EXPECT_DOUBLE_EQ(level->zoom, static_cast<double>(0.8f) * 1024 / 4000);
}

// Vertical grid lines of a trace, by screen x.
std::vector<double> verticals(const std::vector<std::string>& trace) {
  std::vector<double> xs;
  for (const std::string& line : trace) {
    if (line.rfind("line ", 0) != 0) continue;
    std::istringstream in(line.substr(5));
    double x1, y1, x2, y2;
    in >> x1 >> y1 >> x2 >> y2;
    if (x1 == x2) xs.push_back(x1);
  }
  return xs;
}

TEST_F(Camera, GridLinesOnTheWindowEdgeAreNotDrawn) {
  // At zoom 1 the nearest layer has zoom 1/2, and in the default arena its
  // first vertical line stands at world x -4550: on screen at
  // 512 + (-4550 - xcenter) / 2.
  struct shot {
    double xcenter;
    double expected;  // the line's rounded screen x
    bool drawn;
  };
  const shot shots[] = {{-3526, 0, false},        // exactly on the left edge
                        {-3527, 1, true},         // at 0.5, which rounds up
                        {-3525.98, 0, false},     // at -0.01, which rounds to the edge
                        {-5574, 1024, false},     // exactly on the right edge
                        {-5572.02, 1023, true}};  // at 1023.01
  for (const shot& s : shots) {
    Start("", 1, true);
    auto level = Scene(0, 0, 0, 0);
    level->zoom = 1;
    level->xcenter = s.xcenter;
    level->dobackground2();
    auto xs = verticals(TraceLines());
    bool found = std::find(xs.begin(), xs.end(), s.expected) != xs.end();
    EXPECT_EQ(found, s.drawn) << s.xcenter;
    for (double x : xs) {
      EXPECT_GT(x, 0);
      EXPECT_LT(x, 1024);
    }
  }
}

TEST_F(Camera, NearLayersAreBrighter) {
  Start("", 1, true);
  auto level = Scene(0, 0, 0, 0);
  level->zoom = 0.5;
  for (float& c : level->bglinescol) c = 100;
  level->dobackground2();
  float after = level->bglinescol[0];
  // The nearest layer (depth 1, layer zoom 1/3) is drawn last; its lines
  // carry 0.7 of the grid colour.
  std::vector<std::string> lines = Starting(TraceLines(), "line ");
  ASSERT_FALSE(lines.empty());
  std::istringstream in(lines.back().substr(5));
  double skip;
  int r;
  in >> skip >> skip >> skip >> skip >> r;
  EXPECT_EQ(r, static_cast<int>(1.4 * after * 1.5 / 3));
}

}  // namespace
