// The game's images: balls, links, the arena mask, glows, the time bar, the logo and
// the desktop icons. All are white or near-white where the game tints them.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>

#include "tools/mediagen.h"

namespace mediagen {
namespace {

constexpr double kPi = 3.14159265358979323846;

using Shader = std::function<Rgba(double x, double y)>;
using Inside = std::function<bool(double x, double y)>;

double Smoothstep(double e0, double e1, double x) {
  double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

Rgba Grey(double v, double a) { return Rgba{v, v, v, a}; }

Rgba Mix(const Rgba& p, const Rgba& q, double t) {
  return Rgba{p.r + (q.r - p.r) * t, p.g + (q.g - p.g) * t, p.b + (q.b - p.b) * t,
              p.a + (q.a - p.a) * t};
}

// Sets every pixel to the mean of ss x ss samples of the shader. Colours are averaged
// weighted by alpha; a pixel with no visible sample keeps the plain mean colour, so
// the invisible border carries the colour of the edge next to it.
void Render(Canvas& canvas, int ss, const Shader& shade) {
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      double pre[3] = {0, 0, 0}, plain[3] = {0, 0, 0}, alpha = 0;
      for (int j = 0; j < ss; ++j) {
        for (int i = 0; i < ss; ++i) {
          Rgba c = shade(x + (i + 0.5) / ss, y + (j + 0.5) / ss);
          pre[0] += c.r * c.a;
          pre[1] += c.g * c.a;
          pre[2] += c.b * c.a;
          plain[0] += c.r;
          plain[1] += c.g;
          plain[2] += c.b;
          alpha += c.a;
        }
      }
      double n = ss * ss;
      Rgba out;
      out.a = alpha / n;
      if (alpha > 0) {
        out.r = pre[0] / alpha;
        out.g = pre[1] / alpha;
        out.b = pre[2] / alpha;
      } else {
        out.r = plain[0] / n;
        out.g = plain[1] / n;
        out.b = plain[2] / n;
      }
      canvas.Set(x, y, out);
    }
  }
}

// Composites a shape over the canvas inside the pixel box [x0, x1) x [y0, y1), with
// its coverage measured on ss x ss samples per pixel.
void Fill(Canvas& canvas, double x0, double y0, double x1, double y1, int ss, const Inside& inside,
          const Shader& shade) {
  int ix0 = std::max(0, static_cast<int>(std::floor(x0)));
  int iy0 = std::max(0, static_cast<int>(std::floor(y0)));
  int ix1 = std::min(canvas.width(), static_cast<int>(std::ceil(x1)));
  int iy1 = std::min(canvas.height(), static_cast<int>(std::ceil(y1)));
  for (int y = iy0; y < iy1; ++y) {
    for (int x = ix0; x < ix1; ++x) {
      int hits = 0;
      double sum[4] = {0, 0, 0, 0};
      for (int j = 0; j < ss; ++j) {
        for (int i = 0; i < ss; ++i) {
          double sx = x + (i + 0.5) / ss, sy = y + (j + 0.5) / ss;
          if (!inside(sx, sy)) continue;
          Rgba c = shade(sx, sy);
          sum[0] += c.r;
          sum[1] += c.g;
          sum[2] += c.b;
          sum[3] += c.a;
          ++hits;
        }
      }
      if (hits == 0) continue;
      Rgba c{sum[0] / hits, sum[1] / hits, sum[2] / hits, sum[3] / hits};
      canvas.Over(x, y, c, static_cast<double>(hits) / (ss * ss));
    }
  }
}

// Lighting of a sphere seen from the front: u, v in the unit disc (clamped to its
// rim outside), lit from the upper left. Returns a brightness with a white highlight
// added through the second value.
struct Lit {
  double diffuse, specular;
};
Lit SphereLight(double u, double v, double shininess) {
  double rr = u * u + v * v;
  if (rr > 1) {
    double k = 1 / std::sqrt(rr);
    u *= k;
    v *= k;
    rr = 1;
  }
  double nz = std::sqrt(std::max(0.0, 1 - rr));
  const double lx = -0.45, ly = -0.6, lz = 0.66;
  double len = std::sqrt(lx * lx + ly * ly + lz * lz);
  double ndl = (u * lx + v * ly + nz * lz) / len;
  // Blinn highlight with the viewer straight in front.
  double hx = lx / len, hy = ly / len, hz = lz / len + 1;
  double hl = std::sqrt(hx * hx + hy * hy + hz * hz);
  double ndh = (u * hx + v * hy + nz * hz) / hl;
  return Lit{std::max(0.0, ndl), std::pow(std::max(0.0, ndh), shininess)};
}

// A light, softly shaded sphere colour (near-white so that tinting shows).
Rgba SphereColour(double u, double v, double base, double shininess, double shine) {
  Lit lit = SphereLight(u, v, shininess);
  double d = std::sqrt(std::min(1.0, u * u + v * v));
  double value = base * (0.66 + 0.34 * lit.diffuse) - 0.1 * Smoothstep(0.8, 1.0, d);
  value = value + (1 - value) * shine * lit.specular;
  return Grey(value, 1);
}

void BallImage(Canvas& c) {
  double cx = c.width() / 2.0, radius = c.width() / 2.0 - 1;
  Render(c, 4, [&](double x, double y) {
    double u = (x - cx) / radius, v = (y - cx) / radius;
    Rgba col = SphereColour(u, v, 1.0, 30, 0.6);
    col.a = u * u + v * v <= 1 ? 1 : 0;
    return col;
  });
}

// Obstacle: a sphere inside a raised ring, with a dark groove between them.
void BigBallImage(Canvas& c) {
  double cx = c.width() / 2.0, radius = c.width() / 2.0 - 2;
  const double ring_in = 0.84, ring_out = 1.0;
  Render(c, 4, [&](double x, double y) {
    double u = (x - cx) / radius, v = (y - cx) / radius;
    double d = std::sqrt(u * u + v * v);
    Rgba col;
    if (d < ring_in) {
      col = SphereColour(u / ring_in, v / ring_in, 0.9, 40, 0.5);
      // A faint second highlight low right, as a reflection of the floor.
      double gx = u - 0.35, gy = v - 0.4;
      double glow = std::exp(-(gx * gx + gy * gy) / 0.02);
      col = Mix(col, Grey(1, 1), 0.12 * glow);
    } else {
      // The ring is a half torus: its normal turns from inward to outward across it.
      double t = (d - ring_in) / (ring_out - ring_in);  // 0 inner edge, 1 outer edge
      double s = std::sin((t - 0.5) * kPi);             // -1 inward .. 1 outward
      double dx = d > 0 ? u / d : 0, dy = d > 0 ? v / d : 0;
      Lit lit = SphereLight(dx * s * 0.95, dy * s * 0.95, 20);
      double value = 0.7 + 0.3 * lit.diffuse;
      value = value + (1 - value) * 0.5 * lit.specular;
      col = Grey(value, 1);
    }
    // The groove between ball and ring.
    double groove = std::exp(-std::pow((d - ring_in) / 0.012, 2));
    col = Mix(col, Grey(0.35, 1), 0.8 * groove);
    col.a = d <= 1 ? 1 : 0;
    return col;
  });
}

// The main ball: six alternating segments around a white cap, so its turning shows.
void MainBallImage(Canvas& c) {
  double cx = c.width() / 2.0, radius = c.width() / 2.0 - 1;
  Render(c, 4, [&](double x, double y) {
    double u = (x - cx) / radius, v = (y - cx) / radius;
    double d = std::sqrt(u * u + v * v);
    double angle = std::atan2(v, u) + 0.35 * d;  // a slight swirl
    int segment = static_cast<int>(std::floor(angle / (kPi / 3) + 6)) % 2;
    double base = segment == 0 ? 1.0 : 0.66;
    if (d < 0.22) base = 1.0;
    Rgba col = SphereColour(u, v, base, 30, 0.65);
    double ring = std::exp(-std::pow((d - 0.22) / 0.018, 2));
    col = Mix(col, Grey(0.45, 1), 0.7 * ring);
    col.a = d <= 1 ? 1 : 0;
    return col;
  });
}

// A link: a light bar across the full width, rounded across its height and
// transparent toward the top and bottom edges.
void RectImage(Canvas& c) {
  double h = c.height();
  Render(c, 2, [&](double, double y) {
    double v = y / h * 2 - 1;  // -1 top .. 1 bottom
    double a = 1 - Smoothstep(0.5, 1.0, std::abs(v));
    Lit lit = SphereLight(0, v * 0.95, 12);
    double value = 0.72 + 0.28 * lit.diffuse;
    value = value + (1 - value) * 0.5 * lit.specular;
    return Grey(value, a);
  });
}

// White everywhere but a transparent half disc of radius h/2 centred on the middle of
// the right edge: it masks the outside of one round arena end.
void MezballImage(Canvas& c) {
  double cx = c.width(), cy = c.height() / 2.0, radius = c.height() / 2.0;
  Render(c, 4, [&](double x, double y) {
    double dx = x - cx, dy = y - cy;
    return Grey(1, dx * dx + dy * dy < radius * radius ? 0 : 1);
  });
}

// Soft radial glows for additive drawing. The alpha falls to exactly 0 at the rim
// so the square of the sprite never shows.
double RimFade(double r) {
  double k = std::max(0.0, 1 - r * r);
  return k * k;
}

void StarImage(Canvas& c) {
  double cx = c.width() / 2.0;
  Render(c, 4, [&](double x, double y) {
    double u = (x - cx) / cx, v = (y - cx) / cx;
    double r = std::sqrt(u * u + v * v);
    double core = std::exp(-std::pow(r / 0.13, 2));
    double halo = 0.55 * std::exp(-std::pow(r / 0.38, 2));
    // Four faint rays give the spark a twinkle.
    double rays = 0.35 * (std::exp(-std::abs(u) / 0.035) + std::exp(-std::abs(v) / 0.035)) *
                  std::exp(-r / 0.35);
    double a = std::min(1.0, (core + halo + rays) * RimFade(r));
    double warm = 1 - 0.08 * Smoothstep(0.0, 0.6, r);
    return Rgba{1, warm, 0.9 + 0.1 * warm, a};
  });
}

// The trail glow is drawn over the main ball every frame, dozens deep while the ball
// rests, so it stays dim (peak alpha 0.6) to keep the ball readable under it.
void SparkImage(Canvas& c) {
  double cx = c.width() / 2.0;
  Render(c, 4, [&](double x, double y) {
    double u = (x - cx) / cx, v = (y - cx) / cx;
    double r = std::sqrt(u * u + v * v);
    double glow = 0.45 * std::exp(-std::pow(r / 0.45, 2)) + 0.15 * std::exp(-std::pow(r / 0.15, 2));
    return Grey(1, std::min(1.0, glow * RimFade(r)));
  });
}

// The time bar: white with a glossy band in its upper half.
void SciaImage(Canvas& c) {
  double h = c.height();
  Render(c, 4, [&](double, double y) {
    double v = y / h;  // 0 top .. 1 bottom
    double value = 0.78 + 0.22 * std::exp(-std::pow((v - 0.28) / 0.16, 2));
    value -= 0.12 * Smoothstep(0.5, 0.95, v);
    value += 0.08 * std::exp(-std::pow((v - 0.9) / 0.06, 2));  // light bounced from below
    double a =
        0.95 - 0.25 * (std::exp(-std::pow(v / 0.07, 2)) + std::exp(-std::pow((1 - v) / 0.07, 2)));
    return Grey(value, a);
  });
}

// ---- The emblem: a butterfly built like the game's bodies, balls joined by links.

struct Point {
  double x, y;
};

// Maps emblem coordinates (x, y in [-1, 1], y down) to pixels.
struct Frame {
  double cx, cy, scale;
  Point Map(Point p) const { return Point{cx + p.x * scale, cy + p.y * scale}; }
};

int Samples(double radius_px) { return radius_px < 6 ? 6 : 4; }

void Ball(Canvas& canvas, const Frame& f, Point centre, double radius, Rgba tint) {
  Point p = f.Map(centre);
  double r = radius * f.scale;
  Fill(
      canvas, p.x - r - 1, p.y - r - 1, p.x + r + 1, p.y + r + 1, Samples(r),
      [&](double x, double y) { return (x - p.x) * (x - p.x) + (y - p.y) * (y - p.y) <= r * r; },
      [&](double x, double y) {
        Rgba g = SphereColour((x - p.x) / r, (y - p.y) / r, 1.0, 25, 0.7);
        return Rgba{g.r * tint.r, g.g * tint.g, g.b * tint.b, tint.a};
      });
}

double SegmentDistance(Point p, Point a, Point b) {
  double dx = b.x - a.x, dy = b.y - a.y;
  double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / len2, 0.0, 1.0) : 0;
  double ex = p.x - (a.x + t * dx), ey = p.y - (a.y + t * dy);
  return std::sqrt(ex * ex + ey * ey);
}

void Link(Canvas& canvas, const Frame& f, Point a, Point b, double half_width, Rgba colour) {
  Point pa = f.Map(a), pb = f.Map(b);
  double w = half_width * f.scale;
  Fill(
      canvas, std::min(pa.x, pb.x) - w - 1, std::min(pa.y, pb.y) - w - 1,
      std::max(pa.x, pb.x) + w + 1, std::max(pa.y, pb.y) + w + 1, Samples(w),
      [&](double x, double y) {
        return SegmentDistance(Point{x, y}, pa, pb) <= w;
      },
      [&](double x, double y) {
        // Rounded across its width, like the link image.
        double v = SegmentDistance(Point{x, y}, pa, pb) / std::max(w, 1e-9);
        double shade = 0.8 + 0.2 * std::sqrt(std::max(0.0, 1 - v * v));
        return Rgba{colour.r * shade, colour.g * shade, colour.b * shade, colour.a};
      });
}

bool InPolygon(const std::vector<Point>& poly, Point p) {
  bool in = false;
  for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
    const Point& a = poly[i];
    const Point& b = poly[j];
    if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) {
      in = !in;
    }
  }
  return in;
}

struct Wing {
  std::vector<Point> outline;  // right-hand wing; the left one is its mirror
  Point root;                  // where the veins meet
  Point spot;                  // centre of the eye spot
  double spot_radius;
  Rgba inner, outer;
};

Point Mirror(Point p) { return Point{-p.x, p.y}; }

void DrawWing(Canvas& canvas, const Frame& f, const Wing& wing, bool mirrored) {
  std::vector<Point> pts;
  for (Point p : wing.outline) pts.push_back(f.Map(mirrored ? Mirror(p) : p));
  Point root = f.Map(mirrored ? Mirror(wing.root) : wing.root);
  double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9, reach = 0;
  for (Point p : pts) {
    x0 = std::min(x0, p.x);
    y0 = std::min(y0, p.y);
    x1 = std::max(x1, p.x);
    y1 = std::max(y1, p.y);
    reach = std::max(reach, std::hypot(p.x - root.x, p.y - root.y));
  }
  // The membrane: a gradient from the body outwards.
  Fill(
      canvas, x0, y0, x1, y1, 4,
      [&](double x, double y) {
        return InPolygon(pts, Point{x, y});
      },
      [&](double x, double y) {
        double t = std::clamp(std::hypot(x - root.x, y - root.y) / reach, 0.0, 1.0);
        return Mix(wing.inner, wing.outer, Smoothstep(0.1, 1.0, t));
      });
  Point src = mirrored ? Mirror(wing.root) : wing.root;
  // Veins from the root to every corner, then the rim links and the corner balls.
  for (Point p : wing.outline) {
    Link(canvas, f, src, mirrored ? Mirror(p) : p, 0.008, Rgba{1, 1, 1, 0.35});
  }
  Rgba rim{1, 0.97, 0.9, 1};
  for (size_t i = 0; i < wing.outline.size(); ++i) {
    Point a = wing.outline[i], b = wing.outline[(i + 1) % wing.outline.size()];
    if (mirrored) {
      a = Mirror(a);
      b = Mirror(b);
    }
    // A dark edge under the rim keeps the outline readable on light backgrounds.
    Link(canvas, f, a, b, 0.03, Rgba{0.15, 0.08, 0.2, 0.55});
    Link(canvas, f, a, b, 0.02, rim);
  }
  Point spot = mirrored ? Mirror(wing.spot) : wing.spot;
  Ball(canvas, f, spot, wing.spot_radius, Rgba{1, 1, 1, 0.95});
  Ball(canvas, f, spot, wing.spot_radius * 0.55, Mix(wing.outer, Rgba{0, 0, 0, 1}, 0.2));
  for (Point p : wing.outline) Ball(canvas, f, mirrored ? Mirror(p) : p, 0.038, rim);
}

void DrawEmblem(Canvas& canvas, const Frame& f) {
  const Wing upper{{{0.07, -0.2},
                    {0.3, -0.6},
                    {0.66, -0.8},
                    {0.92, -0.66},
                    {0.9, -0.32},
                    {0.68, -0.08},
                    {0.32, 0.0}},
                   {0.06, -0.12},
                   {0.6, -0.44},
                   0.11,
                   Rgba{1.0, 0.72, 0.18, 0.9},
                   Rgba{0.93, 0.16, 0.36, 0.9}};
  const Wing lower{{{0.07, 0.05},
                    {0.38, 0.08},
                    {0.68, 0.22},
                    {0.74, 0.5},
                    {0.57, 0.75},
                    {0.32, 0.72},
                    {0.12, 0.46}},
                   {0.06, 0.08},
                   {0.44, 0.4},
                   0.08,
                   Rgba{0.25, 0.85, 1.0, 0.9},
                   Rgba{0.45, 0.25, 0.95, 0.9}};
  // A faint warm glow behind everything, so the emblem lifts off a black screen.
  Point c = f.Map(Point{0, -0.05});
  double glow_r = 1.0 * f.scale;
  Fill(
      canvas, c.x - glow_r, c.y - glow_r, c.x + glow_r, c.y + glow_r, 1,
      [](double, double) { return true; },
      [&](double x, double y) {
        double r = std::hypot(x - c.x, y - c.y) / glow_r;
        return Rgba{1, 0.6, 0.3, 0.22 * std::exp(-r * r * 4) * RimFade(r)};
      });
  for (bool mirrored : {false, true}) {
    DrawWing(canvas, f, lower, mirrored);
    DrawWing(canvas, f, upper, mirrored);
  }
  // Antennae: two links each with a ball at the tip.
  for (double side : {1.0, -1.0}) {
    Point a{0.03 * side, -0.5}, m{0.13 * side, -0.74}, t{0.3 * side, -0.88};
    Link(canvas, f, a, m, 0.014, Rgba{1, 0.97, 0.9, 1});
    Link(canvas, f, m, t, 0.014, Rgba{1, 0.97, 0.9, 1});
    Ball(canvas, f, t, 0.05, Rgba{1, 0.85, 0.4, 1});
  }
  // The body: a chain of balls, widest at the thorax.
  const std::array<Point, 7> body{
      {{0, -0.44}, {0, -0.27}, {0, -0.11}, {0, 0.05}, {0, 0.2}, {0, 0.34}, {0, 0.46}}};
  const std::array<double, 7> radius{0.095, 0.08, 0.085, 0.075, 0.065, 0.055, 0.045};
  for (size_t i = 0; i + 1 < body.size(); ++i) {
    Link(canvas, f, body[i], body[i + 1], 0.03, Rgba{1, 1, 1, 1});
  }
  for (size_t i = 0; i < body.size(); ++i) {
    Ball(canvas, f, body[i], radius[i], Rgba{0.96, 0.96, 1.0, 1});
  }
}

// Block letters on a 5 x 7 grid, drawn as small balls like the bodies of the game.
const char* Glyph(char ch) {
  switch (ch) {
    case 'P':
      return "XXXX.X...XX...XXXXX.X....X....X....";
    case 'A':
      return ".XXX.X...XX...XXXXXXX...XX...XX...X";
    case 'R':
      return "XXXX.X...XX...XXXXX.X.X..X..X.X...X";
    case 'V':
      return "X...XX...XX...XX...X.X.X..X.X...X..";
    case 'N':
      return "X...XXX..XX.X.XX..XXX...XX...XX...X";
    case 'E':
      return "XXXXXX....X....XXXX.X....X....XXXXX";
    default:
      return "...................................";
  }
}

void DrawWord(Canvas& canvas, const char* word, double left, double top, double cell) {
  Frame f{0, 0, 1};
  for (int k = 0; word[k]; ++k) {
    const char* g = Glyph(word[k]);
    for (int row = 0; row < 7; ++row) {
      for (int col = 0; col < 5; ++col) {
        if (g[row * 5 + col] != 'X') continue;
        double x = left + (k * 6 + col + 0.5) * cell, y = top + (row + 0.5) * cell;
        double t = row / 6.0;
        Rgba colour = Mix(Rgba{1, 0.9, 0.45, 1}, Rgba{1, 0.45, 0.2, 1}, t);
        Ball(canvas, f, Point{x, y}, cell * 0.56, colour);
      }
    }
  }
}

void LogoImage(Canvas& c) {
  DrawEmblem(c, Frame{c.width() / 2.0, 122, 102});
  const double cell = 4.6;  // 7 letters of 5 cells with 1-cell gaps: 41 cells
  double left = (c.width() - 41 * cell) / 2;
  DrawWord(c, "PARVANE", left, 228, cell);
  c.BleedEdges(4);
}

bool Save(Canvas& canvas, const std::string& path) {
  if (!WritePng(canvas, path)) {
    std::fprintf(stderr, "mediagen: cannot write %s\n", path.c_str());
    return false;
  }
  std::printf("wrote %s (%dx%d)\n", path.c_str(), canvas.width(), canvas.height());
  return true;
}

}  // namespace

bool MakeImages(const std::string& dir) {
  struct Job {
    const char* name;
    int width, height;
    void (*paint)(Canvas&);
  };
  const Job jobs[] = {
      {"ball.png", 300, 300, BallImage},           {"bigball.png", 800, 800, BigBallImage},
      {"mainball+0.png", 300, 300, MainBallImage}, {"rect.png", 280, 280, RectImage},
      {"mezball2.png", 500, 1000, MezballImage},   {"smallstar.png", 64, 64, StarImage},
      {"spark.png", 64, 64, SparkImage},           {"scia.png", 256, 16, SciaImage},
      {"logo.png", 205, 275, LogoImage},
  };
  bool ok = true;
  for (const Job& job : jobs) {
    Canvas canvas(job.width, job.height);
    job.paint(canvas);
    ok = Save(canvas, dir + "/" + job.name) && ok;
  }
  return ok;
}

bool MakeIcons(const std::string& dir) {
  bool ok = true;
  for (int size : {48, 64, 128, 256}) {
    Canvas canvas(size, size);
    DrawEmblem(canvas, Frame{size / 2.0, size / 2.0 + size * 0.02, size * 0.49});
    canvas.BleedEdges(4);
    ok = Save(canvas, dir + "/parvane-" + std::to_string(size) + ".png") && ok;
  }
  return ok;
}

}  // namespace mediagen
