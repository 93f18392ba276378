// The label font: a TrueType face rasterised once, each glyph its own image.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "platform/internal.h"
#include "platform/paths.h"

// The rasteriser's own code is not held to this project's warnings.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#define STBTT_STATIC
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb_truetype.h>
#pragma GCC diagnostic pop

using plat::State;

namespace {

constexpr int kFirstChar = 32;
constexpr int kLastChar = 126;
// Larger glyphs (of a huge size) are left out rather than filling a layer.
constexpr int kMaxGlyph = 1024;
constexpr long kMaxFontBytes = 16L << 20;

bool ReadFont(const std::string& path, std::vector<unsigned char>* bytes) {
  std::unique_ptr<FILE, int (*)(FILE*)> file(fopen(path.c_str(), "rb"), fclose);
  if (!file || fseek(file.get(), 0, SEEK_END) != 0) return false;
  const long size = ftell(file.get());
  if (size < 12 || size > kMaxFontBytes || fseek(file.get(), 0, SEEK_SET) != 0) return false;
  bytes->resize(static_cast<size_t>(size));
  return fread(bytes->data(), 1, bytes->size(), file.get()) == bytes->size();
}

const Glyph* GlyphFor(const Font& font, unsigned char c) {
  const Glyph& g = font.glyphs[c];
  return g.present ? &g : nullptr;
}

}  // namespace

Font* LoadLabelFont(const std::string& path, int size, int /*style: always smooth*/) {
  plat::Platform& p = State();
  if (size <= 0 || size > 512 || !p.backend) return nullptr;
  std::vector<unsigned char> file;
  if (!ReadFont(plat::ResolvePath(path), &file)) return nullptr;
  stbtt_fontinfo face;
  const int offset = stbtt_GetFontOffsetForIndex(file.data(), 0);
  if (offset < 0 || !stbtt_InitFont(&face, file.data(), offset)) return nullptr;
  // The size is the em square in pixels; metrics are whole pixels, so text
  // sits on the pixel grid at its natural size.
  const float scale = stbtt_ScaleForMappingEmToPixels(&face, static_cast<float>(size));
  int ascent = 0, descent = 0, gap = 0;
  stbtt_GetFontVMetrics(&face, &ascent, &descent, &gap);

  auto font = std::make_unique<Font>();
  font->ascender = std::ceil(ascent * scale);
  font->lineHeight = std::round((ascent - descent + gap) * scale);
  std::vector<uint8_t> coverage, rgba;
  for (int c = kFirstChar; c <= kLastChar; ++c) {
    const int index = stbtt_FindGlyphIndex(&face, c);
    if (index == 0 && c != ' ') continue;
    int advance = 0, bearing = 0;
    stbtt_GetGlyphHMetrics(&face, index, &advance, &bearing);
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    stbtt_GetGlyphBitmapBox(&face, index, scale, scale, &x0, &y0, &x1, &y1);
    Glyph& g = font->glyphs[c];
    g.present = true;
    g.advance = std::round(advance * scale);
    g.left = static_cast<float>(x0);
    g.top = static_cast<float>(font->ascender + y0);
    const int w = x1 - x0, h = y1 - y0;
    if (w <= 0 || h <= 0 || w > kMaxGlyph || h > kMaxGlyph) continue;
    coverage.assign(static_cast<size_t>(w) * h, 0);
    stbtt_MakeGlyphBitmap(&face, coverage.data(), w, h, w, scale, scale, index);
    // White, the coverage in alpha, inside a frame of one clear texel: the
    // edges of a glyph fade out however it is filtered.
    const int tw = w + 2, th = h + 2;
    rgba.assign(static_cast<size_t>(tw) * th * 4, 255);
    for (int y = 0; y < th; ++y) {
      for (int x = 0; x < tw; ++x) {
        const bool inside = x >= 1 && x <= w && y >= 1 && y <= h;
        rgba[(static_cast<size_t>(y) * tw + x) * 4 + 3] =
            inside ? coverage[static_cast<size_t>(y - 1) * w + (x - 1)] : 0;
      }
    }
    plat::TextureData data;
    data.width = tw;
    data.height = th;
    data.rgba = rgba.data();
    g.texture = p.backend->CreateTexture(data);
    if (g.texture < 0) return nullptr;
    g.w = w;
    g.h = h;
    g.u0 = 1.0f / tw;
    g.v0 = 1.0f / th;
    g.u1 = static_cast<float>(w + 1) / tw;
    g.v1 = static_cast<float>(h + 1) / th;
  }
  const Glyph& space = font->glyphs[static_cast<unsigned char>(' ')];
  font->fallbackAdvance = space.present ? space.advance : static_cast<float>(size) / 3;

  p.fonts.push_back(std::move(font));
  return p.fonts.back().get();
}

void SetLabelFont(Font* font) { State().draw.font = font; }

double LabelWidth(const std::string& text) {
  const Font* font = State().draw.font;
  if (!font) return 0;
  double w = 0;
  for (unsigned char c : text) {
    const Glyph* g = GlyphFor(*font, c);
    w += g ? g->advance : font->fallbackAdvance;
  }
  return w;
}

double LabelHeight() {
  const Font* font = State().draw.font;
  return font ? font->lineHeight : 0;
}

void DrawLabel(const std::string& text, double x, double y) {
  plat::Platform& p = State();
  const plat::DrawState& d = p.draw;
  if (p.trace.on()) p.trace.Write(plat::StateLine("label", x, y, d).Text(text));
  const Font* font = d.font;
  if (!font || !p.backend || text.empty()) return;
  const plat::BlendMode blend =
      d.blend == plat::kBlendLight ? plat::kBlendLight : plat::kBlendAlpha;
  plat::Placement place(x, y, d.sx, d.sy, d.angle);
  double pen = 0;
  for (unsigned char c : text) {
    const Glyph* g = GlyphFor(*font, c);
    if (!g) {
      pen += font->fallbackAdvance;
      continue;
    }
    if (g->w > 0) {
      plat::Quad q;
      place.Box(pen + g->left, g->top, g->w, g->h, &q);
      plat::SetQuadTexture(g->u0, g->v0, g->u1, g->v1, &q);
      plat::SetQuadColour(d, &q);
      p.backend->DrawQuads(g->texture, blend, &q, 1);
    }
    pen += g->advance;
  }
}

void DrawLabelCentred(const std::string& text, double y, double width) {
  plat::DrawState& d = State().draw;
  const double sx = d.sx, sy = d.sy;
  const double natural = LabelWidth(text);
  const double drawn = natural * sx;
  if (drawn <= width || natural <= 0 || sx <= 0 || width <= 0) {
    DrawLabel(text, (width - drawn) / 2, y);
    return;
  }
  // Shrunk evenly, so the text keeps its shape, and drawn from the left edge.
  const double fit = width / natural;
  d.sx = fit;
  d.sy = sy * fit / sx;
  DrawLabel(text, 0, y);
  d.sx = sx;
  d.sy = sy;
}
