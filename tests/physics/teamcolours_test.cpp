// The team palettes as people with each common colour-vision deficiency
// see them: sRGB to linear light, the dichromat simulation of Machado,
// Oliveira and Fernandes (2009) at severity 1, then CIELAB and CIEDE2000.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "physics/teamcolours.h"

namespace {

using matrix = double[3][3];
const matrix protanopia = {{0.152286, 1.052583, -0.204868},
                           {0.114503, 0.786281, 0.099216},
                           {-0.003882, -0.048116, 1.051998}};
const matrix deuteranopia = {{0.367322, 0.860646, -0.227968},
                             {0.280085, 0.672501, 0.047413},
                             {-0.011820, 0.042940, 0.968881}};
const matrix tritanopia = {{1.255528, -0.076749, -0.178779},
                           {-0.078411, 0.930809, 0.147602},
                           {0.004733, 0.691367, 0.303900}};

struct lab {
  double l, a, b;
};

double linear(int c) {
  const double v = c / 255.0;
  return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

lab seen(teamrgb c, const matrix& m) {
  const double in[3] = {linear(c.r), linear(c.g), linear(c.b)};
  double rgb[3];
  for (int i = 0; i < 3; i++)
    rgb[i] = std::clamp(m[i][0] * in[0] + m[i][1] * in[1] + m[i][2] * in[2], 0.0, 1.0);
  const double x = (0.4124564 * rgb[0] + 0.3575761 * rgb[1] + 0.1804375 * rgb[2]) / 0.95047;
  const double y = 0.2126729 * rgb[0] + 0.7151522 * rgb[1] + 0.0721750 * rgb[2];
  const double z = (0.0193339 * rgb[0] + 0.1191920 * rgb[1] + 0.9503041 * rgb[2]) / 1.08883;
  auto f = [](double t) { return t > 216.0 / 24389 ? std::cbrt(t) : (24389.0 / 27 * t + 16) / 116; };
  return {116 * f(y) - 16, 500 * (f(x) - f(y)), 200 * (f(y) - f(z))};
}

double degrees(double y, double x) {
  if (x == 0 && y == 0) return 0;
  const double h = std::atan2(y, x) * 180 / M_PI;
  return h < 0 ? h + 360 : h;
}

double ciede2000(lab p, lab q) {
  const double rad = M_PI / 180;
  const double cbar = (std::hypot(p.a, p.b) + std::hypot(q.a, q.b)) / 2;
  const double g = 0.5 * (1 - std::sqrt(std::pow(cbar, 7) / (std::pow(cbar, 7) + std::pow(25, 7))));
  const double a1 = (1 + g) * p.a, a2 = (1 + g) * q.a;
  const double c1 = std::hypot(a1, p.b), c2 = std::hypot(a2, q.b);
  const double h1 = degrees(p.b, a1), h2 = degrees(q.b, a2);
  double dh = c1 * c2 == 0 ? 0 : h2 - h1;
  if (dh > 180) dh -= 360;
  if (dh < -180) dh += 360;
  const double dl = q.l - p.l, dc = c2 - c1;
  const double dhh = 2 * std::sqrt(c1 * c2) * std::sin(dh / 2 * rad);
  const double lbar = (p.l + q.l) / 2, cbarp = (c1 + c2) / 2;
  double hbar = h1 + h2;
  if (c1 * c2 != 0) hbar = std::abs(h1 - h2) <= 180 ? hbar / 2 : (hbar + (hbar < 360 ? 360 : -360)) / 2;
  const double t = 1 - 0.17 * std::cos((hbar - 30) * rad) + 0.24 * std::cos(2 * hbar * rad) +
                   0.32 * std::cos((3 * hbar + 6) * rad) - 0.20 * std::cos((4 * hbar - 63) * rad);
  const double theta = 30 * std::exp(-std::pow((hbar - 275) / 25, 2));
  const double rc = 2 * std::sqrt(std::pow(cbarp, 7) / (std::pow(cbarp, 7) + std::pow(25, 7)));
  const double sl = 1 + 0.015 * std::pow(lbar - 50, 2) / std::sqrt(20 + std::pow(lbar - 50, 2));
  const double sc = 1 + 0.045 * cbarp, sh = 1 + 0.015 * cbarp * t;
  const double rt = -std::sin(2 * theta * rad) * rc;
  return std::sqrt(std::pow(dl / sl, 2) + std::pow(dc / sc, 2) + std::pow(dhh / sh, 2) +
                   rt * (dc / sc) * (dhh / sh));
}

// The smallest distance between two of the four teams' colours.
double closest(teamrgb (*colour)(int), const matrix& m) {
  double least = 1e9;
  for (int i = 1; i <= 4; i++) {
    for (int j = i + 1; j <= 4; j++) least = std::min(least, ciede2000(seen(colour(i), m), seen(colour(j), m)));
  }
  return least;
}

TEST(TeamColours, TheDistinctPaletteKeepsEveryPairTwentyApartForEveryDeficiency) {
  // Published pairs (Sharma, Wu and Dalal 2005) check the formula itself.
  EXPECT_NEAR(ciede2000({50, 2.6772, -79.7751}, {50, 0, -82.7485}), 2.0425, 1e-4);
  EXPECT_NEAR(ciede2000({50, 2.5, 0}, {73, 25, -18}), 27.1492, 1e-4);
  EXPECT_NEAR(ciede2000({50, 2.5, 0}, {50, 0, -2.5}), 4.3065, 1e-4);

  const struct {
    const char* name;
    teamrgb (*colour)(int);
  } uses[] = {{"shirts", shirtcolour}, {"bars", barcolour}, {"balls", ballcolour}};
  const struct {
    const char* name;
    const matrix& m;
  } eyes[] = {{"protanopia", protanopia}, {"deuteranopia", deuteranopia}, {"tritanopia", tritanopia}};
  double usualworst = 1e9;
  for (int palette : {usualpalette, distinctpalette}) {
    setteampalette(palette);
    for (const auto& use : uses) {
      for (const auto& eye : eyes) {
        const double d = closest(use.colour, eye.m);
        std::printf("%s %s %s: %.1f\n", palette == usualpalette ? "usual" : "distinct", use.name,
                    eye.name, d);
        if (palette == distinctpalette) {
          EXPECT_GE(d, 20.0) << use.name << " " << eye.name;
        } else {
          usualworst = std::min(usualworst, d);
        }
      }
    }
  }
  // Red and green are what the usual colours lose.
  EXPECT_LT(usualworst, 5.0);

  // The simulation's ball colours are drawn in the palette's.
  const teamrgb shown = shownballcolour(255, 130, 130);
  EXPECT_EQ(shown.g, ballcolour(1).g);
  EXPECT_EQ(shownballcolour(255, 255, 255).b, 255);
  setteampalette(usualpalette);
  EXPECT_EQ(shownballcolour(130, 255, 130).r, 130);
  EXPECT_EQ(barcolour(3).g, 255);
}

}  // namespace
