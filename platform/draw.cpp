// Drawing state, and sprites, lines and rectangles turned into quads.
#include <cmath>

#include "platform/internal.h"

namespace plat {

namespace {

constexpr double kDegToRad = 3.14159265358979323846 / 180.0;

uint8_t Channel255(int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

BlendMode Blend(int mode) { return mode == kBlendLight ? kBlendLight : kBlendAlpha; }

}  // namespace

Placement::Placement(double x_, double y_, double sx_, double sy_, double degrees)
    : x(x_), y(y_), sx(sx_), sy(sy_) {
  if (degrees == 0) {
    c = 1;
    s = 0;
  } else {
    c = std::cos(degrees * kDegToRad);
    s = std::sin(degrees * kDegToRad);
  }
}

void Placement::Box(double left, double top, double w, double h, Quad* quad) const {
  const double xs[4] = {left, left + w, left + w, left};
  const double ys[4] = {top, top, top + h, top + h};
  for (int i = 0; i < 4; ++i) {
    double px = xs[i] * sx, py = ys[i] * sy;
    quad->v[i].x = static_cast<float>(x + px * c - py * s);
    quad->v[i].y = static_cast<float>(y + px * s + py * c);
  }
}

void SetQuadColour(const DrawState& st, Quad* quad) {
  double a = st.alpha < 0 ? 0 : st.alpha > 1 ? 1 : st.alpha;
  uint8_t alpha = static_cast<uint8_t>(std::lround(a * 255));
  for (Vertex& v : quad->v) {
    v.r = static_cast<uint8_t>(st.r);
    v.g = static_cast<uint8_t>(st.g);
    v.b = static_cast<uint8_t>(st.b);
    v.a = alpha;
  }
}

void SetQuadTexture(float u0, float v0, float u1, float v1, Quad* quad) {
  quad->v[0].u = u0, quad->v[0].v = v0;
  quad->v[1].u = u1, quad->v[1].v = v0;
  quad->v[2].u = u1, quad->v[2].v = v1;
  quad->v[3].u = u0, quad->v[3].v = v1;
}

void LineQuad(double x1, double y1, double x2, double y2, double width, Quad* quad) {
  double dx = x2 - x1, dy = y2 - y1;
  double len = std::sqrt(dx * dx + dy * dy);
  double nx = 0, ny = 0;
  if (len > 0) {
    nx = -dy / len * width * 0.5;
    ny = dx / len * width * 0.5;
  }
  const double px[4] = {x1 + nx, x2 + nx, x2 - nx, x1 - nx};
  const double py[4] = {y1 + ny, y2 + ny, y2 - ny, y1 - ny};
  for (int i = 0; i < 4; ++i) {
    quad->v[i].x = static_cast<float>(px[i]);
    quad->v[i].y = static_cast<float>(py[i]);
  }
}

TraceLine StateLine(const char* tag, double x, double y, const DrawState& d) {
  TraceLine line(tag);
  line.Real(x).Real(y).Real(d.sx).Real(d.sy).Int(d.r).Int(d.g).Int(d.b).Real(d.alpha).Real(d.angle);
  line.Int(d.blend);
  return line;
}

}  // namespace plat

using plat::State;

void SetColor(int r, int g, int b) {
  plat::DrawState& d = State().draw;
  d.r = plat::Channel255(r);
  d.g = plat::Channel255(g);
  d.b = plat::Channel255(b);
}

void SetAlpha(double alpha) { State().draw.alpha = alpha; }
void SetBlend(int mode) { State().draw.blend = mode; }
void SetDrawAngle(double degrees) { State().draw.angle = degrees; }
void SetLineWidth(double width) { State().draw.lineWidth = width; }

void SetDrawScale(double sx, double sy) {
  plat::DrawState& d = State().draw;
  d.sx = sx;
  d.sy = sy;
}

void DrawSprite(Image* image, double x, double y, int /*frame*/) {
  plat::Platform& p = State();
  if (!image) return;
  const plat::DrawState& d = p.draw;
  if (p.trace.on()) p.trace.Write(plat::StateLine("sprite", x, y, d).Text(image->name));
  if (!p.backend) return;
  plat::Quad q;
  plat::Placement(x, y, d.sx, d.sy, d.angle)
      .Box(-image->handleX, -image->handleY, image->width, image->height, &q);
  plat::SetQuadTexture(0, 0, 1, 1, &q);
  plat::SetQuadColour(d, &q);
  p.backend->DrawQuads(image->texture, plat::Blend(d.blend), &q, 1);
}

void DrawLine(double x1, double y1, double x2, double y2) {
  plat::Platform& p = State();
  const plat::DrawState& d = p.draw;
  if (p.trace.on())
    p.trace.Write(plat::TraceLine("line")
                      .Real(x1)
                      .Real(y1)
                      .Real(x2)
                      .Real(y2)
                      .Int(d.r)
                      .Int(d.g)
                      .Int(d.b)
                      .Real(d.alpha)
                      .Real(d.lineWidth)
                      .Int(d.blend));
  if (!p.backend) return;
  plat::Quad q;
  plat::LineQuad(x1, y1, x2, y2, d.lineWidth, &q);
  plat::SetQuadTexture(0, 0, 1, 1, &q);
  plat::SetQuadColour(d, &q);
  p.backend->DrawQuads(plat::kWhiteTexture, plat::Blend(d.blend), &q, 1);
}

void DrawRect(double x, double y, double width, double height) {
  plat::Platform& p = State();
  const plat::DrawState& d = p.draw;
  if (p.trace.on())
    p.trace.Write(plat::TraceLine("rect")
                      .Real(x)
                      .Real(y)
                      .Real(width)
                      .Real(height)
                      .Int(d.r)
                      .Int(d.g)
                      .Int(d.b)
                      .Real(d.alpha)
                      .Int(d.blend));
  if (!p.backend) return;
  plat::Quad q;
  plat::Placement(x, y, 1, 1, 0).Box(0, 0, width, height, &q);
  plat::SetQuadTexture(0, 0, 1, 1, &q);
  plat::SetQuadColour(d, &q);
  p.backend->DrawQuads(plat::kWhiteTexture, plat::Blend(d.blend), &q, 1);
}
