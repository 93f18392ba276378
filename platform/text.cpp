// The label font: a TrueType face rasterised once, each glyph its own image.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>

#include "platform/internal.h"

using plat::State;

namespace {

constexpr int kFirstChar = 32;
constexpr int kLastChar = 126;
// Larger glyphs (of a huge size) are left out rather than filling a layer.
constexpr int kMaxGlyph = 1024;

struct FreeTypeFace {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  ~FreeTypeFace() {
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
  }
};

const Glyph* GlyphFor(const Font& font, unsigned char c) {
  const Glyph& g = font.glyphs[c];
  return g.present ? &g : nullptr;
}

}  // namespace

Font* LoadLabelFont(const std::string& path, int size, int /*style: always smooth*/) {
  plat::Platform& p = State();
  if (size <= 0 || size > 512 || !p.backend) return nullptr;
  FreeTypeFace ft;
  if (FT_Init_FreeType(&ft.library) != 0) return nullptr;
  if (FT_New_Face(ft.library, plat::ResolvePath(path).c_str(), 0, &ft.face) != 0) return nullptr;
  if (FT_Set_Pixel_Sizes(ft.face, 0, size) != 0) return nullptr;

  auto font = std::make_unique<Font>();
  font->ascender = ft.face->size->metrics.ascender / 64.0;
  font->lineHeight = ft.face->size->metrics.height / 64.0;
  std::vector<uint8_t> rgba;
  for (int c = kFirstChar; c <= kLastChar; ++c) {
    FT_UInt index = FT_Get_Char_Index(ft.face, c);
    if (index == 0 && c != ' ') continue;
    if (FT_Load_Glyph(ft.face, index, FT_LOAD_RENDER) != 0) continue;
    FT_GlyphSlot slot = ft.face->glyph;
    Glyph& g = font->glyphs[c];
    g.present = true;
    g.advance = static_cast<float>(slot->advance.x / 64.0);
    g.left = static_cast<float>(slot->bitmap_left);
    g.top = static_cast<float>(font->ascender - slot->bitmap_top);
    const FT_Bitmap& bm = slot->bitmap;
    const int w = static_cast<int>(bm.width), h = static_cast<int>(bm.rows);
    if (w <= 0 || h <= 0 || bm.pixel_mode != FT_PIXEL_MODE_GRAY || w > kMaxGlyph || h > kMaxGlyph)
      continue;
    // White, the coverage in alpha, inside a frame of one clear texel: the
    // edges of a glyph fade out however it is filtered.
    const int tw = w + 2, th = h + 2;
    rgba.assign(static_cast<size_t>(tw) * th * 4, 255);
    for (int y = 0; y < th; ++y) {
      for (int x = 0; x < tw; ++x) {
        const bool inside = x >= 1 && x <= w && y >= 1 && y <= h;
        rgba[(static_cast<size_t>(y) * tw + x) * 4 + 3] =
            inside ? bm.buffer[static_cast<ptrdiff_t>(y - 1) * bm.pitch + (x - 1)] : 0;
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
