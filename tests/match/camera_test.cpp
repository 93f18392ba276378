// The camera's intro and fitted zoom, and the background grid.
#include "tests/match/match_setup.h"

namespace {

class Camera : public MatchRun {
 protected:
  // Player 1 at (mx, my), player 2 at (ox, oy), the main ball at (bx, by),
  // in the default arena.
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
    level->mainball[0] = new Tmainball();
    level->mainball[0]->x = bx;
    level->mainball[0]->y = by;
    level->mainballrag[0]->balllist.push_back(level->mainball[0]);
    level->mainballnumber = 1;
    level->initarena(0);
    return level;
  }
  std::pair<double, double> centre(const tlevel& l) { return {l.xcenter, l.ycenter}; }
};

TEST_F(Camera, ZoomsInFromTheOriginOver150Frames) {
  Start("", 1, false);
  // 1000 apart horizontally and 500 vertically: 0.8 x min(1.024, 1.536),
  // capped at 0.7. Player 2, far off, is not tracked in a custom match.
  auto level = Scene(1000, 0, 2000, 500, -5000, 3000);
  const double fitted = 0.7f;
  const std::tuple<int, double, double, double> frames[] = {
      {0, 0, 0, 0.05}, {75, 750, 125, (fitted + 0.05) / 2}, {150, 1500, 250, fitted}};
  for (auto [leveltime, x, y, zoom] : frames) {
    level->leveltime = leveltime;
    level->fixzoom();
    EXPECT_EQ(centre(*level), std::make_pair(x, y)) << leveltime;
    EXPECT_DOUBLE_EQ(level->zoom, zoom) << leveltime;
  }
  // In multiplayer everyone is kept in view.
  level->leveltype = "multiplayer";
  level->fixzoom();
  EXPECT_EQ(centre(*level), std::make_pair(-1500.0, 1500.0));
  EXPECT_DOUBLE_EQ(level->zoom, static_cast<double>(0.8f) * 1024 / 7000);
}

TEST_F(Camera, OneAxisOrNoneDecidesTheFit) {
  Start("", 1, false);
  // Same x: the vertical ratio decides. Same point: the 0.7 limit, scaled.
  auto level = Scene(0, 0, 0, 1000);
  level->leveltime = 500;
  level->fixzoom();
  EXPECT_DOUBLE_EQ(level->zoom, static_cast<double>(0.8f) * 768 / 1000);
  level = Scene(10, 10, 10, 10);
  level->xwin = 800;
  level->leveltime = 500;
  level->fixzoom();
  EXPECT_DOUBLE_EQ(level->zoom, static_cast<double>(0.7f) * 800 / 1024);
}

TEST_F(Camera, GridLinesOnTheWindowEdgeAreNotDrawn) {
  // At zoom 1 the nearest layer has zoom 1/2; in the default arena its first
  // vertical line stands at world x -4550, on screen at 512 + (-4550 - xc) / 2.
  const std::tuple<double, double, bool> shots[] = {
      {-3526, 0, false},        // exactly on the left edge
      {-3527, 1, true},         // at 0.5, which rounds up
      {-3525.98, 0, false},     // at -0.01, which rounds to the edge
      {-5574, 1024, false},     // exactly on the right edge
      {-5572.02, 1023, true}};  // at 1023.01
  for (auto [xcenter, x, drawn] : shots) {
    Start("", 1, true);
    auto level = Scene(0, 0, 0, 0);
    level->zoom = 1;
    level->xcenter = xcenter;
    for (float& c : level->bglinescol) c = 100;
    level->dobackground2();
    float grey = level->bglinescol[0];
    std::vector<double> xs;
    int lastred = 0;
    for (const std::string& line : Starting(TraceLines(), "line ")) {
      std::istringstream in(line.substr(5));
      double x1, y1, x2, y2;
      in >> x1 >> y1 >> x2 >> y2 >> lastred;
      if (x1 == x2) xs.push_back(x1);
    }
    EXPECT_EQ(std::count(xs.begin(), xs.end(), x), drawn ? 1 : 0) << xcenter;
    for (double v : xs) EXPECT_TRUE(v > 0 && v < 1024) << v;
    // The nearest layer, drawn last, carries 1.4 x 1.5 x its zoom of the colour.
    EXPECT_EQ(lastred, static_cast<int>(1.4 * grey * 1.5 * 0.5));
  }
}

}  // namespace
