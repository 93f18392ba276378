// The camera, which keeps the players that matter and the main balls in
// view, and the background: a parallax grid behind a grey arena surround.
#include <algorithm>
#include <cmath>
#include <limits>

#include "match/tlevel.h"
#include "physics/view.h"

namespace {

constexpr double fitmargin = 0.8f;  // share of the window the tracked points fill
constexpr double maxzoom = 0.7f;    // closest view, for a 1024-pixel-wide window
constexpr double introzoom = 0.05;  // zoom of the first frame
constexpr int introframes = 150;    // frames of the zoom-in from the origin
constexpr double gridspacing = 1300;
constexpr int gridlayers = 10;

// Pixels per world unit that fit `range` into `window`; a range of zero
// fits at any zoom.
double fit(double window, double range) {
  if (range <= 0) return std::numeric_limits<double>::infinity();
  return window / range;
}

// Nearest integer, halves going up.
double roundhalfup(double v) {
  double f = std::floor(v);
  return v - f >= 0.5 ? f + 1 : f;
}

}  // namespace

int tlevel::fixzoom() {
  double maxx = -9999, maxy = -9999, minx = 9999, miny = 9999;
  auto extend = [&](double x, double y) {
    maxx = std::max(maxx, x);
    minx = std::min(minx, x);
    maxy = std::max(maxy, y);
    miny = std::min(miny, y);
  };
  // In the single-player modes the view follows player 1 alone; in
  // multiplayer it keeps everyone in sight.
  int tracked = leveltype == "multiplayer" ? mennumber : std::min(mennumber, 1);
  for (int i = 0; i < tracked; i++) {
    if (men[i] == nullptr || men[i]->balllist.empty()) continue;
    men[i]->updatemed();
    extend(men[i]->xmed, men[i]->ymed);
  }
  for (int j = 0; j < mainballnumber; j++) extend(mainball[j]->x, mainball[j]->y);

  xcenter = (maxx + minx) / 2;
  ycenter = (maxy + miny) / 2;
  float f = 0;
  if (leveltime < introframes) {
    f = (introframes - leveltime) / static_cast<float>(introframes);
    xcenter *= 1 - f;
    ycenter *= 1 - f;
  }
  zoom = fitmargin * std::min(fit(xwin, maxx - minx), fit(ywin, maxy - miny));
  zoom = std::min(maxzoom, zoom);
  if (leveltime < introframes) zoom = zoom * (1 - f) + introzoom * f;
  zoom = zoom * xwin / 1024;
  return 0;
}

int tlevel::dobackground2() {
  driftcolor(bglinescol, bglinesadd);
  if (silent) {
    // The fireworks move and draw random numbers whether shown or not.
    Handlefireworks();
    return 0;
  }

  float W = static_cast<float>(border->Right - border->Left);
  float H = static_cast<float>(border->down - border->up);
  double A = toscreen(border->Left - H / 2, xcenter, zoom, xwin);
  double B = toscreen(border->up, ycenter, zoom, ywin);
  double C = toscreen(border->Right, xcenter, zoom, xwin);
  double D = toscreen(border->Right + H / 2, xcenter, zoom, xwin);
  double E = toscreen(border->down, ycenter, zoom, ywin);

  // Far layers are dimmer, denser and move less: layer L lies at depth r^L.
  const double r = std::pow(0.05, 1.0 / gridlayers);
  for (int L = gridlayers - 1; L >= 0; L--) {
    double d = std::pow(r, L);
    double z = 1 / (1 / zoom + 1 / d);
    int colour[3];
    for (int c = 0; c < 3; c++) {
      colour[c] = static_cast<int>(std::min(255.0, 1.4 * bglinescol[c] * 1.5 * z));
    }
    int m = static_cast<int>(std::ceil((W + H) / gridspacing) + 1);
    for (int i = 0; i <= m; i++) {
      double wx = (border->Left - H / 2) - (m * gridspacing - W - H) / 2 + i * gridspacing;
      double X = roundhalfup(toscreen(wx, xcenter, z, xwin));
      if (X > 0 && X < xwin) {
        SetColor(colour[0], colour[1], colour[2]);
        DrawLine(X, 0, X, ywin);
      }
    }
    m = static_cast<int>(std::ceil(H / gridspacing) + 1);
    for (int i = 0; i <= m; i++) {
      double wy = border->up - (m * gridspacing - H) / 2 + i * gridspacing;
      double Y = roundhalfup(toscreen(wy, ycenter, z, ywin));
      if (Y > 0 && Y < ywin) {
        SetColor(colour[0], colour[1], colour[2]);
        DrawLine(0, Y, xwin, Y);
      }
    }
  }
  SetBlend(3);
  SetLineWidth(1);

  Handlefireworks();

  // Grey outside the outline: two half-disc masks for the round ends, then
  // four rectangles around the arena.
  SetColor(64, 64, 64);
  double s = H / 1000 * zoom;
  SetDrawScale(s, s);
  DrawSprite(images.mezball, A, B, 0);
  SetDrawScale(-s, s);
  DrawSprite(images.mezball, D - 1, B, 0);
  SetDrawScale(1, 1);
  DrawRect(0, E - 1, xwin, ywin - E + 1);
  DrawRect(D - 1, B, xwin - C + 1, E - B);
  DrawRect(0, 0, xwin, B);
  DrawRect(0, B, A, E - B);

  arenarag->draw(xcenter, ycenter, zoom, xwin, ywin);
  return 0;
}
